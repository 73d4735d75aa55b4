#pragma once

#include "Command.h"

namespace quotaly::cli {

/// `lang check FILE [--base FILE]`: reads a language file and tells how it differs from the base file.
/// `lang export-xliff LANGUAGE --out FILE.xlf ...` and `lang import-xliff FILE.xlf ...`: the XLIFF round trip of a
/// language through a CAT tool.
int runLang(const QStringList &args, Streams &io);

/// The entry for the command table in main.cpp.
inline constexpr Command kLangCommand{"lang", "check|export-xliff|import-xliff",
                                      "check a language file; XLIFF export and import for CAT tools", &runLang};

} // namespace quotaly::cli

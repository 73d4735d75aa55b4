#pragma once

#include "Command.h"

namespace quotaly::cli {

/// `lang check FILE [--base FILE]`: reads a language file and tells how it differs from the base file.
int runLang(const QStringList &args, Streams &io);

/// The entry for the command table in main.cpp.
inline constexpr Command kLangCommand{"lang", "check FILE [--base B]", "check a language file against base.lng",
                                      &runLang};

} // namespace quotaly::cli

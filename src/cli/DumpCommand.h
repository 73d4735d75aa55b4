#pragma once

#include "Command.h"

namespace quotaly::cli {

/// `dump FILE.xml [--json]`: shows the columns and current rows of a datapacket file, as readable text or as a
/// JSON document.
int runDump(const QStringList &args, Streams &io);

/// The entry for the command table in main.cpp.
inline constexpr Command kDumpCommand{"dump", "FILE.xml [--json]", "show the columns and rows of a datapacket file",
                                      &runDump};

} // namespace quotaly::cli

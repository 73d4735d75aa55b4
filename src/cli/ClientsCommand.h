#pragma once

#include "Command.h"

namespace quotaly::cli {

/// `clients list|export|import|duplicates ...`: the client list of a data folder, as the client list window
/// shows, exports, imports and checks it.
int runClients(const QStringList &args, Streams &io);

/// The entry for the command table in main.cpp.
inline constexpr Command kClientsCommand{"clients", "ACTION ...", "the client list: list, export, import, duplicates",
                                         &runClients};

} // namespace quotaly::cli

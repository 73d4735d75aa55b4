#pragma once

#include "Command.h"

namespace quotaly::cli {

/// `analyse LOG [--json]`: reads a CAT tool's analysis log (.log, .txt or .csv) and prints the nine rows of
/// segments, words, percent and placeables, as readable text or as a JSON document.
int runAnalyse(const QStringList &args, Streams &io);

/// The entry for the command table in main.cpp.
inline constexpr Command kAnalyseCommand{"analyse", "LOG [--json]", "show the counts read from an analysis log",
                                         &runAnalyse};

} // namespace quotaly::cli

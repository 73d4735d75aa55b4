#pragma once

#include "Command.h"

namespace quotaly::cli {

/// `quote (LOG | --words ... --total T | --percent ... --total T) --client NAME [...]`: prices a job for a client
/// of the data folder exactly as the main window's Calculate does and prints the report.
int runQuote(const QStringList &args, Streams &io);

/// The entry for the command table in main.cpp.
inline constexpr Command kQuoteCommand{"quote", "(LOG | --words W2,..,W8 | --percent P2,..,P8) --client NAME",
                                       "price a job for a client and print the report", &runQuote};

} // namespace quotaly::cli

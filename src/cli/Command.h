#pragma once

#include <QStringList>
#include <QTextStream>

namespace quotaly::cli {

/// Exit codes shared by every subcommand.
enum ExitCode : int
{
    ExitOk = 0,
    ExitUsage = 1,   ///< the command line was wrong; usage has been printed
    ExitFailure = 2, ///< the command could not do its work (unreadable or invalid file, ...)
};

/// Where a subcommand writes: `out` for results, `err` for usage and failures.
struct Streams
{
    QTextStream &out;
    QTextStream &err;
};

/// One subcommand of quotaly-cli.
struct Command
{
    const char *name;
    const char *synopsis; ///< arguments after the name, e.g. "FILE.xml [--json]"
    const char *summary;  ///< one line for the usage text
    int (*run)(const QStringList &args, Streams &io);
};

} // namespace quotaly::cli

#pragma once

#include <optional>

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

/// The arguments of a command that reads one file: `FILE [--json]`.
struct FileArguments
{
    QString path;
    bool json = false;
};

/// Parses `FILE [--json]` (and -h/--help). Returns the exit code when the command is done already (help shown or
/// a usage error printed), nullopt when it should go on with `parsed`.
std::optional<int> parseFileArguments(const QStringList &args, Streams &io, const char *command, const char *usage,
                                      const QString &what, FileArguments &parsed);

} // namespace quotaly::cli

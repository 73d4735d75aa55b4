#pragma once

#include "dataset/Error.h"

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

/// Prints a failure as one line (line breaks and runs of blanks made one space) and returns ExitFailure.
int reportFailure(Streams &io, const Error &error);

/// Runs a command whose options `parse` reads into `Options` (returning the problem, or an empty text): prints the
/// usage for -h/--help, the problem and the usage for a wrong command line, and one line when `body` throws.
template <typename Options, typename Parse, typename Body>
int runParsed(const QStringList &args, Streams &io, const char *command, const char *usage, Parse parse, Body body)
{
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        io.out << usage;
        return ExitOk;
    }
    Options options;
    const QString problem = parse(args, options);
    if (!problem.isEmpty()) {
        io.err << "quotaly-cli " << command << ": " << problem << "\n\n" << usage;
        return ExitUsage;
    }
    try {
        return body(options);
    } catch (const Error &e) {
        return reportFailure(io, e);
    }
}

} // namespace quotaly::cli

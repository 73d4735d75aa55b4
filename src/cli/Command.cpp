#include "Command.h"

namespace quotaly::cli {

std::optional<int> parseFileArguments(const QStringList &args, Streams &io, const char *command, const char *usage,
                                      const QString &what, FileArguments &parsed)
{
    const auto usageError = [&](const QString &problem) {
        io.err << "quotaly-cli " << command << ": " << problem << '\n' << usage;
        return ExitUsage;
    };
    for (const QString &arg : args) {
        if (arg == u"--json") {
            parsed.json = true;
        } else if (arg == u"-h" || arg == u"--help") {
            io.out << usage;
            return ExitOk;
        } else if (arg.startsWith(u'-')) {
            return usageError(QStringLiteral("unknown option %1").arg(arg));
        } else if (!parsed.path.isEmpty()) {
            return usageError(QStringLiteral("only one %1 at a time").arg(what));
        } else {
            parsed.path = arg;
        }
    }
    if (parsed.path.isEmpty())
        return usageError(QStringLiteral("missing the %1").arg(what));
    return std::nullopt;
}

int reportFailure(Streams &io, const Error &error)
{
    io.err << "quotaly-cli: " << error.text().simplified() << '\n';
    return ExitFailure;
}

} // namespace quotaly::cli

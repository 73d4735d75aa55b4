#include "AnalyseCommand.h"
#include "ClientsCommand.h"
#include "Command.h"
#include "DumpCommand.h"
#include "InvoiceCommand.h"
#include "LangCommand.h"
#include "QuoteCommand.h"

#include <array>

#include <QCoreApplication>

using namespace quotaly::cli;

namespace {

// Every subcommand: add its entry here.
constexpr std::array kCommands{kDumpCommand, kAnalyseCommand, kQuoteCommand, kInvoiceCommand, kClientsCommand,
                               kLangCommand};

void printUsage(QTextStream &stream)
{
    stream << "Usage: quotaly-cli <command> [arguments]\n\nCommands:\n";
    for (const Command &command : kCommands) {
        const QString call = QStringLiteral("%1 %2").arg(QLatin1String(command.name), QLatin1String(command.synopsis));
        // A long call gets its summary on the next line, lined up with the others.
        if (call.size() > 28)
            stream << "  " << call << '\n' << QString(31, u' ') << command.summary << '\n';
        else
            stream << "  " << call.leftJustified(28) << ' ' << command.summary << '\n';
    }
    stream << "\nOptions:\n"
              "  -h, --help                   show this help (after a command: that command's help)\n"
              "  --version                    show the version\n";
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The program's own names, so that the per-user data and language folders are the ones Quotaly uses.
    QCoreApplication::setOrganizationName(QStringLiteral("Morvane Software"));
    QCoreApplication::setApplicationName(QStringLiteral("Quotaly"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUOTALY_VERSION));

    QTextStream out(stdout);
    QTextStream err(stderr);
    Streams io{out, err};

    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        printUsage(err);
        return ExitUsage;
    }
    const QString name = args.takeFirst();
    if (name == u"-h" || name == u"--help" || name == u"help") {
        printUsage(out);
        return ExitOk;
    }
    if (name == u"--version") {
        out << "quotaly-cli " << QUOTALY_VERSION << '\n';
        return ExitOk;
    }
    for (const Command &command : kCommands) {
        if (name == QLatin1String(command.name))
            return command.run(args, io);
    }
    err << "quotaly-cli: unknown command \"" << name << "\"\n\n";
    printUsage(err);
    return ExitUsage;
}

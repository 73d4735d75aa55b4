#include "AppPaths.h"
#include "Forms.h"
#include "TfQuotaly.h"
#include "support/ErrorLog.h"
#include "ui/Dialogs.h"
#include "ui/QuotalyApplication.h"

#include <cstdio>
#include <cstring>

#include <QIcon>
#include <QWidget>

namespace {

const char kUsage[] =
    "Usage: quotaly [options]\n"
    "Prices translation jobs for freelance translators: reads the analysis log of a CAT tool (or takes the word\n"
    "counts typed by hand), prices every match category at the client's rates and turns the result into a report\n"
    "to copy, print or export, and into an invoice.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n"
    "Qt's own options, such as -platform NAME, -style NAME or -reverse, are accepted as well.\n"
    "\n"
    "Files:\n"
    "The data and language files are Data/ and Lang/ beside the program when that Data/ folder exists and is\n"
    "writable (portable use); otherwise they are in the per-user folder ~/.local/share/Morvane Software/Quotaly/,\n"
    "filled from the installed share/quotaly at the first start.\n";

// Answers --help and --version before any window system is needed, so they work on a terminal without a display.
// Returns true when the command line asked for one of them.
bool answeredInformationOption(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return true;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fputs("quotaly " QUOTALY_VERSION "\n", stdout);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (answeredInformationOption(argc, argv))
        return 0;
    Q_INIT_RESOURCE(support);
    quotaly::ui::QuotalyApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Morvane Software"));
    QCoreApplication::setApplicationName(QStringLiteral("Quotaly"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quotaly"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/quotaly/quotaly48.png")));

    quotaly::ReadLogSwitches();
    const quotaly::AppPaths &paths = quotaly::AppPaths::current();
    if (!paths.setupError.isEmpty())
        quotaly::ui::dialogs().message(nullptr, paths.setupError, quotaly::ui::Dialogs::Kind::Warning);

    auto forms = quotaly::Forms::create(paths.dataDir);
    quotaly::TfQuotaly *mainWindow = forms->fQuotaly.get();
    // A termination request or the end of the desktop session closes the main window as Exit does.
    app.setQuitHandler([mainWindow] {
        for (int i = 0; i < 16; ++i) { // nested modal windows, innermost first
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal == mainWindow || !modal->close())
                break;
        }
        mainWindow->close();
    });
    mainWindow->show();
    const int code = app.exec();
    forms.reset();
    return code;
}

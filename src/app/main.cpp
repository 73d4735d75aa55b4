#include "AppPaths.h"
#include "Forms.h"
#include "TfQuotaly.h"
#include "support/ErrorLog.h"
#include "ui/Dialogs.h"
#include "ui/QuotalyApplication.h"

#include <QIcon>
#include <QWidget>

int main(int argc, char *argv[])
{
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

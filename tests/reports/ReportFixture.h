#pragma once

// A report window over a small priced job, with an office suite of recording fakes behind it.
#include "FakeOfficeSuite.h"
#include "app/TDM.h"
#include "common/ScriptedDialogs.h"
#include "common/TestEnv.h"
#include "reports/OfficeCommands.h"
#include "reports/TfExportReport.h"
#include "reports/TfMatchResults.h"

#include <QTimer>

namespace quotaly::test {

struct ReportFixture
{
    TestEnv env;
    ScriptedDialogs dialogs;
    QString dataDir = env.shippedDataDir();
    TDM dm{dataDir};
    TfExportReport exportDialog;
    TfMatchResults report{&dm, &exportDialog};
    FakeOfficeSuite suite;
    OfficeSuiteSource office = [this]() -> office::OfficeSuite & { return suite; };

    explicit ReportFixture(bool wordsMode = false)
    {
        dm.saveOnExit = false;
        dm.LoadDataSets();
        // Rates with more decimals than the grid shows, so raw values and displayed texts differ.
        dm.tmpMatches->appendRecord(
            {QStringLiteral("Repetitions"), 10.0, 30.0, 100.0, 0.0334, QStringLiteral("EUR"), 3.34});
        dm.tmpMatches->appendRecord(
            {QStringLiteral(" - No matches"), 90.0, 100.0, 60.0, 0.1126, QStringLiteral("EUR"), 6.76});
        dm.tmpMatches->first();
        report.setHeaderValues(QStringLiteral("160"), QStringLiteral("Words"), QStringLiteral("0.1"),
                               QStringLiteral("EUR"));
        report.setReportColumns(wordsMode, QStringLiteral("Words"));
    }
};

// Runs `action` on the next modal window of type T once it is open.
template <typename T> void onNextModalOf(std::function<void(T *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        if (auto *window = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(window);
        }
    });
    timer->start();
}

} // namespace quotaly::test

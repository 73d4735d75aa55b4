#include "OfficeCommands.h"

#include "ReportGridAdapter.h"
#include "TdsExcelExport.h"
#include "TdsWordExport.h"
#include "dataset/Error.h"
#include "office/OfficeSuite.h"
#include "ui/Dialogs.h"

#include <QApplication>
#include <QCursor>

namespace quotaly {

using office::Outcome;

BusyCursor::BusyCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor()
{
    QApplication::restoreOverrideCursor();
}

BusyCursor::Pause::Pause()
{
    QApplication::setOverrideCursor(Qt::ArrowCursor);
}

BusyCursor::Pause::~Pause()
{
    QApplication::restoreOverrideCursor();
}

Outcome runOfficeCommand(QWidget *parent, const std::function<Outcome()> &command)
{
    Outcome outcome;
    {
        BusyCursor busy;
        try {
            outcome = command();
        } catch (const std::exception &e) {
            outcome = Outcome::failed(office::failureText(e));
        }
    }
    // The message waits for the normal cursor.
    if (outcome.status == Outcome::Status::Failed)
        ui::dialogs().message(parent, outcome.message);
    return outcome;
}

office::OfficeSuite &officeSuiteFrom(const OfficeSuiteSource &source)
{
    if (!source)
        throw Error(QStringLiteral("No office suite is available to this window."));
    return source();
}

Outcome exportReport(QWidget *parent, ui::DataGrid &grid, const ReportExportRequest &request,
                     const OfficeSuiteSource &suite)
{
    auto chooseFile = [parent] {
        BusyCursor::Pause pause;
        return ui::dialogs().openFileName(parent, {}, {}, {});
    };
    auto run = [&](auto &exporter) {
        exporter.chooseFile = chooseFile;
        return exporter.ExportGrid(reportGridContent(grid), request.fileName, request.statTotal,
                                   request.statTotalCaption, request.units, request.unitsCaption, request.baseRate,
                                   request.baseRateCaption, request.newFile);
    };
    return runOfficeCommand(parent, [&]() -> Outcome {
        office::OfficeSuite &office = officeSuiteFrom(suite);
        if (request.target == ReportExportRequest::Target::Spreadsheet) {
            const std::unique_ptr<office::Spreadsheet> spreadsheet = office.spreadsheet();
            TdsExcelExport exporter(*spreadsheet, QLocale());
            return run(exporter);
        }
        const std::unique_ptr<office::WordProcessor> word = office.wordProcessor();
        TdsWordExport exporter(*word);
        return run(exporter);
    });
}

} // namespace quotaly

#pragma once

#include "ReportGridContent.h"
#include "office/Spreadsheet.h"

#include <functional>

#include <QLocale>
#include <QString>

namespace quotaly {

/// Writes the report into the first worksheet of a new workbook, or below the contents of an existing one, in
/// the spreadsheet application: the header values with their captions, the column titles, the records and the
/// totals, with simple formatting. The workbook is left open and unsaved for the user.
class TdsExcelExport
{
public:
    /// locale reads numbers written as text and gives the decimal delimiter for opening text files.
    explicit TdsExcelExport(office::Spreadsheet &spreadsheet, const QLocale &locale = QLocale());

    /// The file-open dialog for an existing workbook: the chosen file, or an empty text when the user cancels.
    std::function<QString()> chooseFile;
    /// Called with the workbook once the report is written and formatted, while the connection still holds it
    /// (a batch run saves it here). A failure it throws ends the export as Failed. May be empty.
    std::function<void(office::Workbook)> whenWritten;

    /// Exports the grid. For an existing workbook (newFile false) an empty fileName asks through chooseFile().
    /// The captions arrive with their " : ". Failures the user should read come back as a Failed outcome;
    /// failures while adding a workbook, looking through the open ones or writing cells are thrown.
    office::Outcome ExportGrid(const ReportGridContent &grid, const QString &fileName, const QString &statTotal,
                               const QString &statTotalCaption, const QString &units, const QString &unitsCaption,
                               const QString &baseRate, const QString &baseRateCaption, bool newFile);

private:
    office::Workbook findOpenWorkbook(const QString &fileName);
    void writeReport(office::Worksheet sheet, const ReportGridContent &grid, int titleRow) const;
    void format(office::Worksheet sheet, int firstRow, int lastRow, const QString &lastColumn, bool newFile) const;

    office::Spreadsheet &m_spreadsheet;
    QLocale m_locale;
};

} // namespace quotaly

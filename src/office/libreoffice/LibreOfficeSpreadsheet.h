#pragma once

#include "OfficeSession.h"
#include "office/Spreadsheet.h"

#include <map>
#include <memory>

#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/table/XCellRange.hpp>

namespace quotaly::office::lo {

/// LibreOffice Calc behind the spreadsheet interface. Handles are ids of UNO objects this object holds until
/// disconnect(); every office call runs through the shared session.
class LibreOfficeSpreadsheet : public Spreadsheet
{
public:
    explicit LibreOfficeSpreadsheet(std::shared_ptr<OfficeSession> session);
    ~LibreOfficeSpreadsheet() override;

    void connect() override;
    void setVisible(bool visible) override;
    void disconnect() override;
    Workbook addWorkbook() override;
    int workbookCount() override;
    Workbook workbook(int index) override;
    QString fullName(Workbook workbook) override;
    Workbook openWorkbook(const OpenWorkbookArgs &args) override;
    Worksheet firstWorksheet(Workbook workbook) override;
    int usedRowCount(Worksheet sheet) override;
    void setCell(Worksheet sheet, int row, int column, const CellValue &value) override;
    void setCellBold(Worksheet sheet, int row, int column) override;
    void setCells(Worksheet sheet, int row, int column, const QList<QList<CellValue>> &rows) override;
    void setCellsBold(Worksheet sheet, int row, int column, int lastColumn) override;
    CellRange range(Worksheet sheet, const QString &cell1, const QString &cell2) override;
    void setHorizontalAlignment(CellRange range, HorizontalAlignment alignment) override;
    void setVerticalAlignment(CellRange range, VerticalAlignment alignment) override;
    void setBold(CellRange range) override;
    void setWrapText(CellRange range) override;
    void setBorder(CellRange range, BorderEdge edge, LineStyle style) override;
    void autoFitColumns(Worksheet sheet) override;
    void autoFitRows(Worksheet sheet) override;
    void select(CellRange range) override;
    void saveCopyAs(Workbook workbook, const QString &fileName) override;

private:
    using Document = css::uno::Reference<css::sheet::XSpreadsheetDocument>;
    struct SheetEntry
    {
        css::uno::Reference<css::sheet::XSpreadsheet> sheet;
        int book = 0;
    };
    struct RangeEntry
    {
        css::uno::Reference<css::table::XCellRange> range;
        int book = 0;
    };

    // Worker thread only.
    std::vector<Document> openDocuments() const;
    Workbook handleFor(const Document &document);
    const Document &document(Workbook workbook) const;
    const SheetEntry &sheetEntry(Worksheet sheet) const;
    const RangeEntry &rangeEntry(CellRange range) const;
    css::uno::Reference<css::table::XCell> cell(Worksheet sheet, int row, int column) const;
    css::uno::Reference<css::table::XCellRange> block(Worksheet sheet, int row, int column, int lastRow,
                                                      int lastColumn) const;
    void setRangeProperty(CellRange range, const char *name, const css::uno::Any &value);
    void fit(Worksheet sheet, bool columns);
    void releaseHandles();

    std::shared_ptr<OfficeSession> m_session;
    std::map<int, Document> m_books;
    std::map<int, SheetEntry> m_sheets;
    std::map<int, RangeEntry> m_ranges;
    int m_nextId = 1;
};

} // namespace quotaly::office::lo

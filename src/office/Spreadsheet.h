#pragma once

#include "OfficeTypes.h"

#include <optional>
#include <variant>

#include <QList>
#include <QString>

namespace quotaly::office {

using Workbook = Handle<struct WorkbookTag>;
using Worksheet = Handle<struct WorksheetTag>;
using CellRange = Handle<struct CellRangeTag>;

/// A cell of a worksheet, row and column counted from 1.
struct CellAddress
{
    int row = 0;
    int column = 0;
};

/// Reads a cell address such as "A1" or "AB12" (capital letters, no "$"); nullopt for anything else.
std::optional<CellAddress> parseCellAddress(const QString &address);

/// What a cell holds: text as it is (never read as a formula) or a number.
using CellValue = std::variant<QString, double>;

enum class HorizontalAlignment
{
    General,
    Left,
    Centre,
    Right
};

enum class VerticalAlignment
{
    Top,
    Centre,
    Bottom
};

/// An edge of every cell of a range.
enum class BorderEdge
{
    Left,
    Right,
    Top,
    Bottom
};

enum class LineStyle
{
    None,
    Continuous ///< a thin solid line
};

/// How to open a workbook file, in the spreadsheet object model's terms. The defaults are those of an
/// interactive open: links not updated, writable, no passwords. For text files, format 5 asks for no delimiter
/// of its own (delimiter only counts with format 6, a custom character), so the spreadsheet reads them with its
/// own defaults. The LibreOffice bridge passes the read-only flag and the password and nothing else: its text
/// import reads .csv and .txt files with LibreOffice's own defaults.
struct OpenWorkbookArgs
{
    QString fileName;
    int updateLinks = 0;
    bool readOnly = false;
    int format = 5;
    QString password;
    QString writeResPassword;
    bool ignoreReadOnlyRecommended = false;
    int origin = 2;
    QString delimiter;
    bool editable = true;
    bool notify = true;
    int converter = 0;
    bool addToMru = true;
};

/// The spreadsheet application, driven the way a user would drive it: one connection per command, workbooks,
/// worksheets and cell ranges reached through handles that live as long as the connection. Rows and columns
/// count from 1; cell addresses are written "A1".
///
/// Every call throws quotaly::Error with a message for the user when the spreadsheet refuses it or does not
/// answer (the file cannot be opened, is protected, is no spreadsheet, the office was closed ...).
class Spreadsheet
{
public:
    virtual ~Spreadsheet() = default;

    /// Connects to the running spreadsheet application or starts one. Ending the connection never closes it.
    virtual void connect() = 0;
    /// Shows or hides the spreadsheet's windows.
    virtual void setVisible(bool visible) = 0;
    /// Ends the connection; every handle becomes invalid. The application keeps running with its workbooks.
    virtual void disconnect() = 0;

    /// A new workbook holding one empty worksheet.
    virtual Workbook addWorkbook() = 0;
    /// The number of workbooks open in the application.
    virtual int workbookCount() = 0;
    /// The index-th open workbook, counted from 1.
    virtual Workbook workbook(int index) = 0;
    /// The full path of the workbook's file, or its title when it has never been saved.
    virtual QString fullName(Workbook workbook) = 0;
    /// Opens a workbook file (see OpenWorkbookArgs). A file that is already open is never reloaded.
    virtual Workbook openWorkbook(const OpenWorkbookArgs &args) = 0;
    /// The workbook's first worksheet, whichever is active.
    virtual Worksheet firstWorksheet(Workbook workbook) = 0;

    /// The number of the last row holding anything; 0 for an empty worksheet.
    virtual int usedRowCount(Worksheet sheet) = 0;
    virtual void setCell(Worksheet sheet, int row, int column, const CellValue &value) = 0;
    virtual void setCellBold(Worksheet sheet, int row, int column) = 0;
    /// Writes a block of cells, one list per row, the first cell at (row, column); rows may differ in length and
    /// only the cells given are written. The default writes cell by cell; an office that can takes the block in
    /// as few calls as it can.
    virtual void setCells(Worksheet sheet, int row, int column, const QList<QList<CellValue>> &rows)
    {
        for (int r = 0; r < rows.size(); ++r) {
            for (int c = 0; c < rows.at(r).size(); ++c)
                setCell(sheet, row + r, column + c, rows.at(r).at(c));
        }
    }
    /// Makes the cells of one row from column to lastColumn bold. The default sets them one by one.
    virtual void setCellsBold(Worksheet sheet, int row, int column, int lastColumn)
    {
        for (int c = column; c <= lastColumn; ++c)
            setCellBold(sheet, row, c);
    }
    /// The rectangle between two cells such as "A1" and "G12", whatever their order.
    virtual CellRange range(Worksheet sheet, const QString &cell1, const QString &cell2) = 0;
    virtual void setHorizontalAlignment(CellRange range, HorizontalAlignment alignment) = 0;
    virtual void setVerticalAlignment(CellRange range, VerticalAlignment alignment) = 0;
    virtual void setBold(CellRange range) = 0;
    /// Wraps long texts onto several lines within their cells.
    virtual void setWrapText(CellRange range) = 0;
    /// The line on one edge of every cell of the range (so also between neighbouring cells).
    virtual void setBorder(CellRange range, BorderEdge edge, LineStyle style) = 0;
    /// Fits every column's width to its contents.
    virtual void autoFitColumns(Worksheet sheet) = 0;
    /// Fits every row's height to its contents.
    virtual void autoFitRows(Worksheet sheet) = 0;
    /// Puts the cell cursor on the range.
    virtual void select(CellRange range) = 0;
    /// Writes the workbook to a file, in the format its extension names (".xlsx", ".ods", ".xls", ".csv"),
    /// replacing an older file. The workbook stays open and keeps its own file name and modified state.
    virtual void saveCopyAs(Workbook workbook, const QString &fileName) = 0;
};

} // namespace quotaly::office

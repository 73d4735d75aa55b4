#pragma once

#include "CallRecorder.h"
#include "office/Spreadsheet.h"

#include <optional>
#include <utility>

#include <QList>
#include <QMap>
#include <QSet>

namespace quotaly::office {

/// A spreadsheet application that records every call and keeps the cells written to each first worksheet,
/// so that a test (or a dry run) can see both what was asked and what the sheet would hold.
class RecordingSpreadsheet : public Spreadsheet
{
public:
    // --- Script ------------------------------------------------------------------------------------------
    /// A file that openWorkbook() can open; its first worksheet's last used row is usedRows (0: empty). Other
    /// files fail to open.
    void addFile(const QString &fileName, int usedRows);
    /// A workbook that is open in the application before the conversation starts.
    Workbook addOpenWorkbook(const QString &fullName, int usedRows);
    /// See CallRecorder::failOn(); a pattern is matched against the call's log line.
    void failOn(const QString &pattern, const QString &message, int times = -1);

    // --- Inspect -----------------------------------------------------------------------------------------
    const QStringList &log() const { return m_calls.log(); }
    void clearLog() { m_calls.clearLog(); }
    /// The first worksheet of the workbook created or opened last.
    Worksheet lastWorksheet() const { return Worksheet{m_lastBook}; }
    /// What the cell was set to; nullopt when it was never written.
    std::optional<CellValue> cell(Worksheet sheet, int row, int column) const;
    /// True when the cell, or a range holding it, was set in bold.
    bool isBold(Worksheet sheet, int row, int column) const;
    bool isConnected() const { return m_connected; }
    bool isVisible() const { return m_visible; }

    // --- Spreadsheet -------------------------------------------------------------------------------------
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
    using Cell = std::pair<int, int>; // row, column

    // A workbook and its first worksheet share one id.
    struct BookState
    {
        QString fullName;
        int usedRows = 0;
        QMap<Cell, CellValue> cells;
        QSet<Cell> bold;
        bool open = true;
    };
    struct RangeRef
    {
        int sheet;
        Cell topLeft;
        Cell bottomRight;
        QString text; ///< as the log shows it: sheet1!A1:G1
    };

    int newBook(const QString &fullName, int usedRows);
    void begin(const QString &line);
    BookState &bookFor(int id, const QString &line, bool sheet);
    const RangeRef &rangeFor(CellRange range, const QString &line);
    void formatRange(CellRange range, const QString &function, const QString &argument);
    QString name(CellRange range) const;
    static std::optional<Cell> parseCell(const QString &address);
    static QString text(const CellValue &value);

    CallRecorder m_calls;
    QMap<QString, int> m_files;
    QMap<int, BookState> m_books;
    QList<int> m_openOrder;
    QMap<int, RangeRef> m_ranges;
    int m_nextBook = 1;
    int m_nextRange = 1;
    int m_untitled = 0;
    int m_lastBook = 0;
    bool m_connected = false;
    bool m_visible = false;
};

} // namespace quotaly::office

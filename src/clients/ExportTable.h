#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quotaly {

/// The rows of a grid as it shows them, ready to be written to a file: the captions of the visible columns
/// in display order, then the lines in display order. A group heading (when the grid is grouped) is a line
/// of its own holding only the group's text.
struct ExportTable
{
    struct Line
    {
        bool isGroupHeading = false;
        QString heading;   ///< the group's text, for a group heading
        QStringList cells; ///< one display text per caption, for a row
    };

    QString title;          ///< a name for the document (the window's caption), may be empty
    QStringList captions;
    QList<bool> numeric;    ///< per caption: the column holds numbers (right-aligned; NUMBER cells in a worksheet)
    QList<Line> lines;

    void addRow(const QStringList &cells) { lines.append(Line{false, {}, cells}); }
    void addGroupHeading(const QString &text) { lines.append(Line{true, text, {}}); }
};

/// The four formats a grid can be exported to, in the order the export dialog offers them.
enum class ExportFormat
{
    Csv,   ///< comma-separated text
    Tab,   ///< TAB-delimited text
    Html,  ///< an HTML 3.2 table
    Excel, ///< an Excel 4.0 (BIFF4) worksheet
};

} // namespace quotaly

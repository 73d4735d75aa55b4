#pragma once

#include <QFont>
#include <QList>
#include <QStringList>

class QPainter;
class QPrinter;

namespace quotaly::ui {

/// Lays a grid's rows out on printed pages: the page header lines in small type at the top of every page,
/// the column titles, as many rows as fit, the footer row after the last row, and "Page n of m" at the
/// bottom. Columns keep their on-screen widths (nothing is shrunk to the page); what passes the right
/// margin is cut off. Black on white.
class GridPrinter
{
public:
    struct Column
    {
        QString title;
        int width = 64; ///< on-screen pixels
        Qt::Alignment alignment = Qt::AlignLeft;
        Qt::Alignment footerAlignment = Qt::AlignLeft;
        bool footerBold = true;
    };

    GridPrinter(QList<Column> columns, QList<QStringList> rows, QStringList footer);

    void setPageHeader(const QStringList &lines) { m_pageHeader = lines; }
    /// The font of the titles, rows and footer.
    void setFont(const QFont &font) { m_font = font; }
    /// Dots per inch of the screen the column widths were measured on.
    void setScreenDpi(qreal dpi) { m_screenDpi = dpi; }

    /// Paints every page. False when the printer cannot start (e.g. an output file that cannot be written).
    bool print(QPrinter *printer) const;

private:
    struct Layout;
    enum class RowKind
    {
        Titles,
        Record,
        Footer
    };

    void paintPage(QPainter &p, const Layout &l, int page, int pageCount) const;
    void paintRow(QPainter &p, const Layout &l, qreal y, const QStringList &cells, RowKind kind) const;

    QList<Column> m_columns;
    QList<QStringList> m_rows;
    QStringList m_footer;
    QStringList m_pageHeader;
    QFont m_font;
    qreal m_screenDpi = 96;
};

} // namespace quotaly::ui

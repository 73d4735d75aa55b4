#include "GridPrinter.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

namespace quotaly::ui {

namespace {
constexpr int kTitleFlags = Qt::AlignCenter | Qt::TextWordWrap;
}

struct GridPrinter::Layout
{
    QRectF page;
    qreal point = 1; // printer pixels per typographic point
    QFont smallFont; // page header and page footer
    QFont bodyFont;
    QFont boldFont;
    qreal smallLine = 0;
    qreal rowHeight = 0;
    qreal titleHeight = 0; // titles wrap, like on screen
    qreal padding = 0;
    qreal tableTop = 0;
    int rowsPerPage = 1;
    QList<qreal> edges; // left edge of each column, then the right edge of the last one
};

GridPrinter::GridPrinter(QList<Column> columns, QList<QStringList> rows, QStringList footer)
    : m_columns(std::move(columns)), m_rows(std::move(rows)), m_footer(std::move(footer))
{
}

bool GridPrinter::print(QPrinter *printer) const
{
    QPainter p;
    if (!p.begin(printer))
        return false;

    Layout l;
    const QRectF paper = printer->pageRect(QPrinter::DevicePixel);
    l.page = QRectF(QPointF(0, 0), paper.size()); // the painter's origin is the printable area's corner
    l.point = printer->resolution() / 72.0;
    l.smallFont = m_font;
    l.smallFont.setPointSizeF(8);
    l.bodyFont = m_font;
    if (l.bodyFont.pointSizeF() <= 0)
        l.bodyFont.setPointSizeF(9);
    l.boldFont = l.bodyFont;
    l.boldFont.setBold(true);

    l.smallLine = QFontMetricsF(l.smallFont, printer).lineSpacing();
    l.padding = 2 * l.point;
    l.rowHeight = QFontMetricsF(l.boldFont, printer).height() + 2 * l.padding;
    l.tableTop = m_pageHeader.size() * l.smallLine + (m_pageHeader.isEmpty() ? 0 : 8 * l.point);
    const qreal pageFooterHeight = l.smallLine + 6 * l.point;
    const qreal scale = printer->resolution() / m_screenDpi;
    const QFontMetricsF bold(l.boldFont, printer);
    qreal x = 0;
    l.titleHeight = l.rowHeight;
    for (const Column &c : m_columns) {
        l.edges << x;
        x += c.width * scale;
        const QRectF room(0, 0, std::max(1.0, c.width * scale - 2 * l.padding), l.page.height());
        l.titleHeight = std::max(l.titleHeight, bold.boundingRect(room, kTitleFlags, c.title).height() + 2 * l.padding);
    }
    l.edges << x;
    const qreal room = l.page.height() - l.tableTop - pageFooterHeight - l.titleHeight;
    l.rowsPerPage = std::max(1, int(std::floor(room / l.rowHeight)));

    const int items = int(m_rows.size()) + (m_footer.isEmpty() ? 0 : 1);
    const int pageCount = std::max(1, (items + l.rowsPerPage - 1) / l.rowsPerPage);
    for (int page = 0; page < pageCount; ++page) {
        if (page > 0)
            printer->newPage();
        paintPage(p, l, page, pageCount);
    }
    return p.end();
}

void GridPrinter::paintPage(QPainter &p, const Layout &l, int page, int pageCount) const
{
    p.setPen(Qt::black);
    p.setFont(l.smallFont);
    qreal y = 0;
    for (const QString &line : m_pageHeader) {
        p.drawText(QRectF(0, y, l.page.width(), l.smallLine), int(Qt::AlignLeft | Qt::AlignVCenter), line);
        y += l.smallLine;
    }

    y = l.tableTop;
    QStringList titles;
    for (const Column &c : m_columns)
        titles << c.title;
    paintRow(p, l, y, titles, RowKind::Titles);
    y += l.titleHeight;

    const int first = page * l.rowsPerPage;
    const int last = std::min(first + l.rowsPerPage, int(m_rows.size()) + (m_footer.isEmpty() ? 0 : 1));
    for (int item = first; item < last; ++item) {
        const bool isFooter = item >= m_rows.size();
        paintRow(p, l, y, isFooter ? m_footer : m_rows.at(item), isFooter ? RowKind::Footer : RowKind::Record);
        y += l.rowHeight;
    }

    p.setFont(l.smallFont);
    p.drawText(QRectF(0, l.page.height() - l.smallLine, l.page.width(), l.smallLine), int(Qt::AlignCenter),
               QStringLiteral("Page %1 of %2").arg(page + 1).arg(pageCount));
}

void GridPrinter::paintRow(QPainter &p, const Layout &l, qreal y, const QStringList &cells, RowKind kind) const
{
    QPen pen(Qt::black);
    pen.setWidthF(0.5 * l.point);
    for (int c = 0; c < m_columns.size(); ++c) {
        const Column &column = m_columns.at(c);
        const QRectF cell(l.edges.at(c), y, l.edges.at(c + 1) - l.edges.at(c),
                          kind == RowKind::Titles ? l.titleHeight : l.rowHeight);
        if (cell.left() >= l.page.width())
            break;
        p.setPen(pen);
        p.drawRect(cell);
        const QString text = cells.value(c);
        if (text.isEmpty())
            continue;
        const bool isFooter = kind == RowKind::Footer;
        const Qt::Alignment align = isFooter ? column.footerAlignment : column.alignment;
        const bool boldCell = kind == RowKind::Titles || (isFooter && column.footerBold);
        p.setFont(boldCell ? l.boldFont : l.bodyFont);
        const QRectF textRect = cell.adjusted(l.padding, l.padding, -l.padding, -l.padding);
        if (kind == RowKind::Titles)
            p.drawText(textRect, kTitleFlags, text);
        else
            p.drawText(textRect, int((align & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter),
                       p.fontMetrics().elidedText(text, Qt::ElideRight, int(textRect.width())));
    }
}

} // namespace quotaly::ui

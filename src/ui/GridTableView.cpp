#include "GridTableView.h"

#include "GridColumn.h"

#include <algorithm>

#include <QHeaderView>
#include <QPainter>

namespace quotaly::ui {

namespace {
constexpr int kIndent = 16; // per heading level
constexpr int kBox = 9;
} // namespace

GridTableView::GridTableView(QWidget *parent) : QTableView(parent) {}

QRect GridTableView::expandBoxRect(int row) const
{
    const QVariant level = model() ? model()->index(row, 0).data(GroupLevelRole) : QVariant();
    if (!level.isValid())
        return {};
    const int top = rowViewportPosition(row);
    return QRect(4 + level.toInt() * kIndent, top + (rowHeight(row) - kBox) / 2, kBox, kBox);
}

QModelIndex GridTableView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    if (!m_tabWithinRow || !current.isValid() || (action != MoveNext && action != MovePrevious))
        return QTableView::moveCursor(action, modifiers);
    const QHeaderView *header = horizontalHeader();
    const int columns = header->count();
    int visual = header->visualIndex(current.column());
    for (int step = 1; step < columns; ++step) {
        visual = (visual + (action == MoveNext ? 1 : columns - 1)) % columns;
        const int logical = header->logicalIndex(visual);
        if (!isColumnHidden(logical))
            return model()->index(current.row(), logical);
    }
    return current;
}

void GridTableView::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    if (!model() || model()->rowCount() == 0)
        return;
    const int first = std::max(rowAt(0), 0);
    int last = rowAt(viewport()->height() - 1);
    if (last < 0)
        last = model()->rowCount() - 1;
    QPainter painter(viewport());
    for (int row = first; row <= last; ++row) {
        if (model()->index(row, 0).data(GroupLevelRole).isValid())
            paintHeading(painter, row);
    }
}

void GridTableView::paintHeading(QPainter &painter, int row) const
{
    const QModelIndex index = model()->index(row, 0);
    const QRect band(0, rowViewportPosition(row), viewport()->width(), rowHeight(row));
    const bool current = currentIndex().isValid() && currentIndex().row() == row;
    painter.save();
    painter.fillRect(band, palette().color(current && hasFocus() ? QPalette::Highlight : QPalette::AlternateBase));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(band.bottomLeft(), band.bottomRight());

    const QColor ink = palette().color(current && hasFocus() ? QPalette::HighlightedText : QPalette::Text);
    const QRect box = expandBoxRect(row);
    painter.setPen(ink);
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    const int middle = box.top() + box.height() / 2;
    painter.drawLine(box.left() + 2, middle, box.right() - 2, middle);
    if (!index.data(GroupExpandedRole).toBool())
        painter.drawLine(box.left() + box.width() / 2, box.top() + 2, box.left() + box.width() / 2, box.bottom() - 2);

    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    const QRect text(box.right() + 6, band.top(), band.width() - box.right() - 8, band.height());
    painter.drawText(
        text, int(Qt::AlignLeft | Qt::AlignVCenter),
        painter.fontMetrics().elidedText(index.data(GroupHeadingRole).toString(), Qt::ElideRight, text.width()));
    painter.restore();
}

} // namespace quotaly::ui

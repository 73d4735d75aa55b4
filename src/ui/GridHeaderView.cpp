#include "GridHeaderView.h"

#include "GridColumn.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyleOption>

namespace quotaly::ui {

namespace {
constexpr int kButtonWidth = 14;
constexpr int kMarkWidth = 9;
} // namespace

GridHeaderView::GridHeaderView(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    connect(this, &QHeaderView::sectionClicked, this, [this](int logicalIndex) {
        if (m_sortClicks)
            emit sortClicked(logicalIndex, m_pressModifiers);
    });
}

void GridHeaderView::setSortClicks(bool on)
{
    m_sortClicks = on;
    if (on)
        setSectionsClickable(true);
    viewport()->update();
}

void GridHeaderView::setFilterButtons(bool on)
{
    m_filterButtons = on;
    viewport()->update();
}

QRect GridHeaderView::buttonRect(const QRect &section) const
{
    return QRect(section.right() - kButtonWidth - 1, section.top() + 2, kButtonWidth, section.height() - 4);
}

QRect GridHeaderView::filterButtonRect(int logicalIndex) const
{
    if (!m_filterButtons || logicalIndex < 0 || logicalIndex >= count() || isSectionHidden(logicalIndex))
        return {};
    return buttonRect(QRect(sectionViewportPosition(logicalIndex), 0, sectionSize(logicalIndex), height()));
}

// --- Painting -----------------------------------------------------------------------------------------------

void GridHeaderView::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    const QAbstractItemModel *m = model();
    if (!m || !rect.isValid())
        return;
    paintTitle(painter, rect, logicalIndex, reservedWidth(logicalIndex, rect));

    int right = rect.right() - 2;
    if (m_filterButtons) {
        const QRect button = buttonRect(rect);
        const bool filtered = m->headerData(logicalIndex, Qt::Horizontal, FilterActiveRole).toBool();
        painter->save();
        if (filtered)
            painter->fillRect(button, palette().color(QPalette::Highlight));
        painter->setPen(palette().color(QPalette::Mid));
        painter->drawRect(button.adjusted(0, 0, -1, -1));
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = button.adjusted(3, 0, -3, 0);
        if (filtered)
            arrow.palette.setColor(QPalette::ButtonText, palette().color(QPalette::HighlightedText));
        style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter, this);
        painter->restore();
        right = button.left() - 2;
    }

    const int rank = m->headerData(logicalIndex, Qt::Horizontal, SortRankRole).toInt();
    if (rank <= 0)
        return;
    int keys = 0;
    for (int c = 0; c < count(); ++c)
        keys += m->headerData(c, Qt::Horizontal, SortRankRole).toInt() > 0 ? 1 : 0;
    const auto order = Qt::SortOrder(m->headerData(logicalIndex, Qt::Horizontal, SortOrderRole).toInt());
    paintSortMark(painter, QRect(rect.left(), rect.top(), right - rect.left() + 1, rect.height()), rank, order,
                  keys > 1);
}

// Room the filter button and the sort mark take at the section's right end.
int GridHeaderView::reservedWidth(int logicalIndex, const QRect &rect) const
{
    int reserved = 0;
    if (m_filterButtons)
        reserved += rect.right() - buttonRect(rect).left() + 3;
    if (model()->headerData(logicalIndex, Qt::Horizontal, SortRankRole).toInt() > 0)
        reserved += kMarkWidth + fontMetrics().horizontalAdvance(QStringLiteral("9")) + 4;
    return reserved;
}

// The section as the style draws it, with the title centred in the room left of the button and the mark, so
// they never cover it; a title too long for the room wraps when the header has the height, else is elided.
void GridHeaderView::paintTitle(QPainter *painter, const QRect &rect, int logicalIndex, int reserved) const
{
    painter->save();
    QStyleOptionHeader option;
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    option.sortIndicator = QStyleOptionHeader::None;
    const QString title = option.text;
    option.text.clear();
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
    const QVariant font = model()->headerData(logicalIndex, Qt::Horizontal, Qt::FontRole);
    if (font.canConvert<QFont>())
        painter->setFont(qvariant_cast<QFont>(font));
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    option.rect = rect.adjusted(margin, 0, -std::max(margin, reserved), 0);
    // A header made tall enough for two lines wraps a long title at its blanks; only what still does not fit
    // is elided.
    const int flags = int(option.textAlignment) | Qt::TextWordWrap;
    const QRect wrapped = painter->fontMetrics().boundingRect(option.rect, flags, title);
    if (title.contains(u' ') && wrapped.height() <= option.rect.height() && wrapped.width() <= option.rect.width()) {
        painter->setPen(option.palette.color(QPalette::ButtonText));
        painter->drawText(option.rect, flags, title);
    } else {
        option.text = painter->fontMetrics().elidedText(title, Qt::ElideRight, option.rect.width());
        style()->drawControl(QStyle::CE_HeaderLabel, &option, painter, this);
    }
    painter->restore();
}

// An arrow pointing up for ascending, down for descending, with the key's place before it.
void GridHeaderView::paintSortMark(QPainter *painter, const QRect &room, int rank, Qt::SortOrder order,
                                   bool showRank) const
{
    painter->save();
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = QRect(room.right() - kMarkWidth, room.center().y() - kMarkWidth / 2, kMarkWidth, kMarkWidth);
    style()->drawPrimitive(order == Qt::AscendingOrder ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                           &arrow, painter, this);
    if (showRank) {
        QFont small = font();
        small.setPointSizeF(std::max(6.0, small.pointSizeF() * 0.75));
        painter->setFont(small);
        painter->setPen(palette().color(QPalette::ButtonText));
        const QRect text(room.left(), room.top(), arrow.rect.left() - room.left() - 1, room.height());
        painter->drawText(text, int(Qt::AlignRight | Qt::AlignVCenter), QString::number(rank));
    }
    painter->restore();
}

// --- Mouse --------------------------------------------------------------------------------------------------

bool GridHeaderView::onResizeHandle(int logicalIndex, int x) const
{
    const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    const int left = sectionViewportPosition(logicalIndex);
    return x - left < grip || left + sectionSize(logicalIndex) - x <= grip;
}

void GridHeaderView::mousePressEvent(QMouseEvent *event)
{
    m_pressModifiers = event->modifiers();
    m_filterPress = false;
    m_draggingOut = false;
    m_dragSection = -1;
    const QPoint pos = event->position().toPoint();
    const int logical = logicalIndexAt(pos);
    if (event->button() == Qt::LeftButton && logical >= 0) {
        if (filterButtonRect(logical).contains(pos)) {
            m_filterPress = true;
            emit filterButtonClicked(logical);
            return;
        }
        if (!onResizeHandle(logical, pos.x())) {
            m_dragSection = logical;
            m_pressPos = pos;
        }
    }
    if (m_sortClicks) {
        // A press would select the column; sorting grids leave the selection alone, as Qt's own sorting does.
        const QSignalBlocker blocker(this);
        QHeaderView::mousePressEvent(event);
    } else {
        QHeaderView::mousePressEvent(event);
    }
}

void GridHeaderView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragOut && m_dragSection >= 0 && (event->buttons() & Qt::LeftButton)) {
        const QPoint pos = event->position().toPoint();
        const bool off = pos.y() < 0 || pos.y() >= height();
        if (!m_draggingOut && off && (pos - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
            m_draggingOut = true;
            endBaseGesture(event->modifiers());
        }
        if (m_draggingOut) {
            emit sectionDragged(m_dragSection, event->globalPosition().toPoint());
            return;
        }
    }
    QHeaderView::mouseMoveEvent(event);
}

void GridHeaderView::mouseReleaseEvent(QMouseEvent *event)
{
    const int section = std::exchange(m_dragSection, -1);
    if (std::exchange(m_filterPress, false))
        return;
    if (std::exchange(m_draggingOut, false)) {
        emit sectionDropped(section, event->globalPosition().toPoint());
        return;
    }
    QHeaderView::mouseReleaseEvent(event);
}

// Ends the press the base class is tracking without moving or clicking anything: the pointer goes back to
// where it was pressed (so no column moves) and is released beside every section (so nothing is clicked).
void GridHeaderView::endBaseGesture(Qt::KeyboardModifiers modifiers)
{
    const QSignalBlocker blocker(this);
    QMouseEvent back(QEvent::MouseMove, m_pressPos, mapToGlobal(m_pressPos), Qt::NoButton, Qt::LeftButton, modifiers);
    QHeaderView::mouseMoveEvent(&back);
    const QPoint beside(isRightToLeft() ? viewport()->width() + offset() + 10 : -offset() - 10, m_pressPos.y());
    QMouseEvent release(QEvent::MouseButtonRelease, beside, mapToGlobal(beside), Qt::LeftButton, Qt::NoButton,
                        modifiers);
    QHeaderView::mouseReleaseEvent(&release);
}

} // namespace quotaly::ui

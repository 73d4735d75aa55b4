#pragma once

#include <QHeaderView>

namespace quotaly::ui {

/// The column header of a grid. Besides the titles it shows, from the model's header roles, each sort
/// column's direction (and its place when the rows sort by several columns) and a filter drop-down button.
/// It reports clicks with the keys held, presses on the filter button, and a column dragged off the header
/// (up to a group panel) and where it was let go.
class GridHeaderView : public QHeaderView
{
    Q_OBJECT

public:
    explicit GridHeaderView(QWidget *parent = nullptr);

    /// Clicks on a title are reported by sortClicked() and no longer select the column.
    void setSortClicks(bool on);
    bool sortClicks() const { return m_sortClicks; }
    /// Every column shows a filter drop-down button at its right edge.
    void setFilterButtons(bool on);
    bool filterButtons() const { return m_filterButtons; }
    /// A title dragged off the header (above or below it) is reported instead of moving the column.
    void setDragOut(bool on) { m_dragOut = on; }

    /// Where a column's filter button is, in the header's coordinates; empty when it has none.
    QRect filterButtonRect(int logicalIndex) const;

signals:
    void sortClicked(int logicalIndex, Qt::KeyboardModifiers modifiers);
    void filterButtonClicked(int logicalIndex);
    /// A title is being dragged off the header; globalPos is the pointer.
    void sectionDragged(int logicalIndex, const QPoint &globalPos);
    /// A title dragged off the header was let go at globalPos.
    void sectionDropped(int logicalIndex, const QPoint &globalPos);

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QRect buttonRect(const QRect &section) const;
    bool onResizeHandle(int logicalIndex, int x) const;
    void endBaseGesture(Qt::KeyboardModifiers modifiers);
    int reservedWidth(int logicalIndex, const QRect &rect) const;
    void paintTitle(QPainter *painter, const QRect &rect, int logicalIndex, int reserved) const;
    void paintSortMark(QPainter *painter, const QRect &room, int rank, Qt::SortOrder order, bool showRank) const;

    bool m_sortClicks = false;
    bool m_filterButtons = false;
    bool m_dragOut = false;
    Qt::KeyboardModifiers m_pressModifiers;
    bool m_filterPress = false;
    int m_dragSection = -1; // the title pressed, while the button is down
    QPoint m_pressPos;
    bool m_draggingOut = false;
};

} // namespace quotaly::ui

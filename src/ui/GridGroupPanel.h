#pragma once

#include <QFrame>
#include <QList>
#include <QPoint>
#include <QStringList>

class QHBoxLayout;
class QLabel;

namespace quotaly::ui {

/// The panel above a grid's columns that shows what the rows are grouped by: a box per grouped column,
/// outermost first, each with a button that ungroups it; while nothing is grouped, a hint to drag a column
/// header here. A box can be dragged: let go over the column headers it ungroups, let go on the panel it
/// takes that place among the levels. The grid decides what a drop means; the panel reports it.
class GridGroupPanel : public QFrame
{
    Q_OBJECT

public:
    explicit GridGroupPanel(QWidget *parent = nullptr);

    /// The grouped fields with the titles their boxes show.
    void setGroups(const QStringList &fields, const QStringList &titles);
    /// The level a column let go at this point (global coordinates) would take: 0 before the first box.
    int levelAt(const QPoint &globalPos) const;
    /// True when the point (global coordinates) is on the panel.
    bool containsGlobal(const QPoint &globalPos) const;
    /// Marks the panel as the place a dragged column would go.
    void setDropHighlight(bool on);

    static QString hintText() { return QStringLiteral("Drag a column header here to group by that column"); }

signals:
    void ungroupClicked(const QString &field);
    /// A box was dragged and let go at globalPos.
    void boxDropped(const QString &field, const QPoint &globalPos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QHBoxLayout *m_layout;
    QLabel *m_hint;
    QList<QFrame *> m_boxes;
    QStringList m_fields;
    QFrame *m_pressed = nullptr; // the box the mouse went down on
    QPoint m_pressPos;
    bool m_dragging = false;
};

} // namespace quotaly::ui

#pragma once

#include <QTableView>

namespace quotaly::ui {

/// The table view of a grid. Group heading rows (rows whose cells answer GroupLevelRole) are drawn as one
/// band across the whole row: an expand/collapse box indented by the heading's level, then its text.
class GridTableView : public QTableView
{
    Q_OBJECT

public:
    explicit GridTableView(QWidget *parent = nullptr);

    /// Where a heading row's expand/collapse box is, in the viewport's coordinates.
    QRect expandBoxRect(int row) const;

    /// Tab and Shift+Tab go round the visible columns of the current row instead of on to the next row.
    void setTabWithinRow(bool on) { m_tabWithinRow = on; }

protected:
    void paintEvent(QPaintEvent *event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    void paintHeading(QPainter &painter, int row) const;

    bool m_tabWithinRow = false;
};

} // namespace quotaly::ui

#pragma once

#include <functional>

#include <QString>
#include <QWidget>

class QTableView;

namespace quotaly::ui {

/// One footer cell as drawn.
struct FooterCell
{
    QString text;
    Qt::Alignment alignment = Qt::AlignLeft;
    bool bold = true;
};

/// The footer row under a table view: one cell per visible column, following the columns' widths, order
/// and horizontal scrolling. Asks for each cell's text when it paints, so the texts can be worked out lazily.
class DataGridFooter : public QWidget
{
    Q_OBJECT

public:
    using CellSource = std::function<FooterCell(int column)>;

    DataGridFooter(QTableView *view, CellSource cells, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTableView *m_view;
    CellSource m_cells;
};

} // namespace quotaly::ui

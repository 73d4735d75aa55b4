#include "DataGridFooter.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>

namespace quotaly::ui {

namespace {
constexpr int kPadding = 4; // text inset from the cell's sides, as in the grid's cells
}

DataGridFooter::DataGridFooter(QTableView *view, CellSource cells, QWidget *parent)
    : QWidget(parent), m_view(view), m_cells(std::move(cells))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QHeaderView *header = view->horizontalHeader();
    auto repaint = [this] { update(); };
    connect(header, &QHeaderView::sectionResized, this, repaint);
    connect(header, &QHeaderView::sectionMoved, this, repaint);
    connect(header, &QHeaderView::sectionCountChanged, this, repaint);
    connect(header, &QHeaderView::geometriesChanged, this, repaint);
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, repaint);
}

QSize DataGridFooter::sizeHint() const
{
    QFont bold = font();
    bold.setBold(true);
    return {100, QFontMetrics(bold).height() + 2 * kPadding};
}

void DataGridFooter::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    const QColor line = palette().color(QPalette::Mid);
    p.setPen(line);
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    // The cells line up with the view's viewport, wherever the frame and the row header put it.
    const QWidget *viewport = m_view->viewport();
    const int left = mapFromGlobal(viewport->mapToGlobal(QPoint(0, 0))).x();
    p.setClipRect(QRect(left, 0, viewport->width(), height()));

    const QHeaderView *header = m_view->horizontalHeader();
    const QFont plain = font();
    QFont bold = plain;
    bold.setBold(true);
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (header->isSectionHidden(column))
            continue;
        const QRect cell(left + header->sectionViewportPosition(column), 0, header->sectionSize(column), height());
        p.setPen(line);
        p.drawLine(cell.right(), 0, cell.right(), height() - 1);
        const FooterCell content = m_cells(column);
        if (content.text.isEmpty())
            continue;
        p.setFont(content.bold ? bold : plain);
        p.setPen(palette().color(QPalette::ButtonText));
        const QRect textRect = cell.adjusted(kPadding, 0, -kPadding - 1, 0);
        const Qt::Alignment horizontal = content.alignment & Qt::AlignHorizontal_Mask;
        p.drawText(textRect, int((horizontal ? horizontal : Qt::AlignLeft) | Qt::AlignVCenter),
                   p.fontMetrics().elidedText(content.text, Qt::ElideRight, textRect.width()));
    }
}

} // namespace quotaly::ui

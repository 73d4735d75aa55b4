#include "ImportHeaderControl.h"

#include <QStandardItemModel>

namespace quotaly {

ImportHeaderControl::ImportHeaderControl(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent), m_sections(new QStandardItemModel(this))
{
    setModel(m_sections);
    setSectionsMovable(false);
    setSectionsClickable(false);
    setStretchLastSection(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setMinimumSectionSize(4);
}

void ImportHeaderControl::setSections(const QStringList &titles, const QList<int> &widths)
{
    m_sections->setColumnCount(int(titles.size()));
    for (int i = 0; i < titles.size(); ++i) {
        m_sections->setHeaderData(i, Qt::Horizontal, titles.at(i));
        resizeSection(i, widths.value(i, defaultSectionSize()));
    }
}

} // namespace quotaly

// DataGrid: grouping — the group panel, dragging columns onto it and off it, and the heading rows.
#include "DataGrid.h"

#include "GridGroupModel.h"
#include "GridGroupPanel.h"
#include "GridHeaderView.h"
#include "GridProxyModel.h"

#include <QKeyEvent>
#include <QTableView>

namespace quotaly::ui {

void DataGrid::connectGrouping()
{
    connect(m_header, &GridHeaderView::sectionDragged, this, [this](int, const QPoint &globalPos) {
        m_groupPanel->setDropHighlight(m_groupPanel->containsGlobal(globalPos));
    });
    connect(m_header, &GridHeaderView::sectionDropped, this, &DataGrid::onSectionDropped);
    connect(m_groupPanel, &GridGroupPanel::ungroupClicked, this, [this](const QString &field) {
        QStringList fields = groupFields();
        fields.removeIf([&](const QString &f) { return f.compare(field, Qt::CaseInsensitive) == 0; });
        setGroupFields(fields);
    });
    connect(m_groupPanel, &GridGroupPanel::boxDropped, this, &DataGrid::onGroupBoxDropped);
    connect(m_view, &QAbstractItemView::clicked, this, &DataGrid::onViewClicked);
}

void DataGrid::setGroupPanelVisible(bool visible)
{
    m_groupPanelVisible = visible;
    m_groupPanel->setVisible(visible);
    m_header->setDragOut(visible);
    if (visible)
        setColumnsMovable(true);
    updateGroupPanel();
    updateHeaderMenu();
}

void DataGrid::setGroupFields(const QStringList &fields)
{
    QStringList unique;
    for (const QString &field : fields) {
        if (!unique.contains(field, Qt::CaseInsensitive))
            unique << field;
    }
    m_proxy->setGroupFields(unique); // sorts by them first
    m_group->setGroupColumns(m_proxy->groupColumns());
    updateGroupPanel();
    if (m_view->currentIndex().isValid())
        m_view->scrollTo(m_view->currentIndex());
}

QStringList DataGrid::groupFields() const
{
    return m_proxy->groupFields();
}

void DataGrid::setGroupsExpanded(bool expanded)
{
    m_group->setAllExpanded(expanded);
}

void DataGrid::updateGroupPanel()
{
    const QStringList fields = groupFields();
    QStringList titles;
    for (const QString &field : fields) {
        const int column = columnOf(field);
        titles << (column >= 0 ? m_proxy->headerData(column, Qt::Horizontal).toString() : field);
    }
    m_groupPanel->setGroups(fields, titles);
}

// A column header let go on the panel groups by it, at the level where it was dropped.
void DataGrid::onSectionDropped(int column, const QPoint &globalPos)
{
    m_groupPanel->setDropHighlight(false);
    if (!m_groupPanelVisible || !m_groupPanel->containsGlobal(globalPos))
        return;
    const QString field = m_proxy->fieldName(column);
    QStringList fields = groupFields();
    if (field.isEmpty() || fields.contains(field, Qt::CaseInsensitive))
        return;
    fields.insert(std::min(m_groupPanel->levelAt(globalPos), int(fields.size())), field);
    setGroupFields(fields);
}

// A group box let go on the column headers ungroups; let go on the panel it moves to that level.
void DataGrid::onGroupBoxDropped(const QString &field, const QPoint &globalPos)
{
    QStringList fields = groupFields();
    const qsizetype at = fields.indexOf(field);
    if (at < 0)
        return;
    if (m_header->rect().contains(m_header->mapFromGlobal(globalPos))) {
        fields.removeAt(at);
        setGroupFields(fields);
    } else if (m_groupPanel->containsGlobal(globalPos)) {
        int level = m_groupPanel->levelAt(globalPos);
        if (level > at)
            --level; // the box itself no longer counts once taken out
        fields.move(at, std::clamp(level, 0, int(fields.size()) - 1));
        setGroupFields(fields);
    }
}

void DataGrid::onViewClicked(const QModelIndex &index)
{
    if (index.isValid() && m_group->isHeading(index.row()))
        m_group->setExpanded(index.row(), !m_group->isExpanded(index.row()));
}

// Left or minus collapses the heading the grid is on, right or plus expands it.
bool DataGrid::groupKey(const QKeyEvent *key)
{
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid() || !m_group->isHeading(current.row()) || key->modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Minus:
        m_group->setExpanded(current.row(), false);
        return true;
    case Qt::Key_Right:
    case Qt::Key_Plus:
        m_group->setExpanded(current.row(), true);
        return true;
    default:
        return false;
    }
}

} // namespace quotaly::ui

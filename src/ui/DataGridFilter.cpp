// DataGrid: the column filter — its drop-down, the bar that shows it — and the header's context menu.
#include "DataGrid.h"

#include "GridFilterBar.h"
#include "GridFilterPopup.h"
#include "GridHeaderView.h"
#include "GridProxyModel.h"

#include <QMenu>
#include <QTableView>

namespace quotaly::ui {

void DataGrid::setColumnFilterEnabled(bool enabled)
{
    m_filterEnabled = enabled;
    m_header->setFilterButtons(enabled);
    updateHeaderMenu();
}

void DataGrid::setColumnFilter(const QString &field, const QString &text, bool exactValue)
{
    if (text.isEmpty() && !exactValue)
        m_proxy->setColumnFilter(field, std::nullopt);
    else
        m_proxy->setColumnFilter(field, ColumnFilter{text, exactValue});
    updateFilterBar();
}

void DataGrid::clearColumnFilters()
{
    m_proxy->clearColumnFilters();
    updateFilterBar();
}

void DataGrid::setRowFilter(std::function<bool(int)> accepts)
{
    m_proxy->setRowFilter(std::move(accepts));
}

bool DataGrid::isFiltered() const
{
    return m_proxy->isFiltered();
}

QString DataGrid::filterDescription() const
{
    QStringList parts;
    for (const int c : visibleColumns()) {
        const std::optional<ColumnFilter> &filter = m_proxy->columnSettings(c).filter;
        if (!filter)
            continue;
        const QString title = m_proxy->headerData(c, Qt::Horizontal).toString();
        parts << QStringLiteral("%1 %2 \"%3\"")
                     .arg(title, filter->exactValue ? QStringLiteral("=") : QStringLiteral("contains"), filter->text);
    }
    return parts.join(QStringLiteral(" and "));
}

QStringList DataGrid::columnFilterValues(const QString &field) const
{
    return m_proxy->filterValues(columnOf(field));
}

void DataGrid::updateFilterBar()
{
    m_filterBar->setDescription(filterDescription());
}

void DataGrid::showColumnFilter(const QString &field)
{
    const int column = columnOf(field);
    if (column < 0 || m_view->isColumnHidden(column))
        return;
    if (!m_filterPopup) {
        m_filterPopup = new GridFilterPopup(this);
        connect(m_filterPopup, &GridFilterPopup::chosen, this, [this](const std::optional<ColumnFilter> &filter) {
            m_proxy->setColumnFilter(m_filterField, filter);
            updateFilterBar();
        });
    }
    m_filterField = m_proxy->fieldName(column);
    m_view->scrollTo(m_view->model()->index(m_view->rowAt(0) < 0 ? 0 : m_view->rowAt(0), column),
                     QAbstractItemView::EnsureVisible);
    const QPoint topLeft = m_header->mapToGlobal(QPoint(m_header->sectionViewportPosition(column), 0));
    m_filterPopup->open(QRect(topLeft, QSize(m_header->sectionSize(column), m_header->height())),
                        m_proxy->filterValues(column), m_proxy->columnSettings(column).filter);
}

// --- Header context menu ------------------------------------------------------------------------------------

void DataGrid::updateHeaderMenu()
{
    const bool any = m_sortingEnabled || m_filterEnabled || m_groupPanelVisible;
    m_header->setContextMenuPolicy(any ? Qt::CustomContextMenu : Qt::DefaultContextMenu);
}

void DataGrid::onHeaderMenu(const QPoint &pos)
{
    const int column = m_header->logicalIndexAt(pos);
    if (column < 0)
        return;
    const QString field = m_proxy->fieldName(column);
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("headerMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (m_sortingEnabled) {
        menu->addAction(QStringLiteral("Sort ascending"), this, [this, field] {
            setSortOrder({{field, Qt::AscendingOrder}});
        });
        menu->addAction(QStringLiteral("Sort descending"), this, [this, field] {
            setSortOrder({{field, Qt::DescendingOrder}});
        });
        menu->addAction(QStringLiteral("Clear sorting"), this, [this] { setSortOrder({}); })
            ->setEnabled(!sortOrder().isEmpty());
        menu->addSeparator();
    }
    if (m_filterEnabled) {
        menu->addAction(QStringLiteral("Filter..."), this, [this, field] { showColumnFilter(field); });
        menu->addAction(QStringLiteral("Clear filter"), this, &DataGrid::clearColumnFilters)->setEnabled(isFiltered());
        menu->addSeparator();
    }
    if (m_groupPanelVisible) {
        const bool grouped = groupFields().contains(field, Qt::CaseInsensitive);
        menu->addAction(
            grouped ? QStringLiteral("Ungroup") : QStringLiteral("Group by this column"), this, [this, field, grouped] {
                QStringList fields = groupFields();
                if (grouped)
                    fields.removeIf([&](const QString &f) { return f.compare(field, Qt::CaseInsensitive) == 0; });
                else
                    fields << field;
                setGroupFields(fields);
            });
    }
    menu->popup(m_header->mapToGlobal(pos));
}

} // namespace quotaly::ui

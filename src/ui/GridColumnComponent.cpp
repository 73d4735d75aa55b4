#include "GridColumnComponent.h"

#include "DataGrid.h"

namespace quotaly::ui {

GridColumnComponent::GridColumnComponent(DataGrid *grid, const QString &field, const QString &name)
    : QObject(grid), m_grid(grid), m_field(field)
{
    setObjectName(name);
}

QString GridColumnComponent::caption() const
{
    return m_grid ? m_grid->columnTitle(m_field) : QString();
}

void GridColumnComponent::setCaption(const QString &caption)
{
    if (m_grid)
        m_grid->setColumnTitle(m_field, caption);
}

void GridColumnComponent::nameColumns(DataGrid *grid, const QList<std::pair<QString, QString>> &fieldsAndNames)
{
    for (const auto &[field, name] : fieldsAndNames)
        new GridColumnComponent(grid, field, name);
}

} // namespace quotaly::ui

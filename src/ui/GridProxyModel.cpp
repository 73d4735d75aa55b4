#include "GridProxyModel.h"

#include "DatasetTableModel.h"
#include "dataset/Dataset.h"
#include "dataset/DisplayFormat.h"

#include <QLocale>

namespace quotaly::ui {

GridProxyModel::GridProxyModel(QObject *parent) : QSortFilterProxyModel(parent) {}

void GridProxyModel::setTableModel(DatasetTableModel *model)
{
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    m_currentRow = -1;
    invalidateColumns();
    if (model) {
        connect(model, &QAbstractItemModel::modelAboutToBeReset, this, &GridProxyModel::invalidateColumns);
        connect(model, &QAbstractItemModel::columnsAboutToBeInserted, this, &GridProxyModel::invalidateColumns);
        connect(model, &QAbstractItemModel::columnsAboutToBeRemoved, this, &GridProxyModel::invalidateColumns);
    }
    setSourceModel(model);
}

GridColumn &GridProxyModel::settings(const QString &fieldName)
{
    invalidateColumns();
    return m_settings[fieldName.toLower()];
}

void GridProxyModel::settingsChanged()
{
    invalidateColumns();
    const int columns = columnCount();
    if (columns == 0)
        return;
    emit headerDataChanged(Qt::Horizontal, 0, columns - 1);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columns - 1));
}

const QList<GridColumn> &GridProxyModel::resolved() const
{
    if (m_resolvedValid)
        return m_resolved;
    m_resolved.clear();
    const Dataset *ds = m_model ? m_model->dataset() : nullptr;
    const int columns = m_model ? m_model->columnCount() : 0;
    for (int c = 0; c < columns; ++c) {
        const int field = m_model->fieldIndex(c);
        const QString name = ds && field >= 0 ? ds->field(field).name : m_model->fieldNames().value(c);
        m_resolved << m_settings.value(name.toLower());
    }
    m_resolvedValid = true;
    return m_resolved;
}

const GridColumn &GridProxyModel::columnSettings(int column) const
{
    static const GridColumn defaults;
    const QList<GridColumn> &columns = resolved();
    return column >= 0 && column < columns.size() ? columns.at(column) : defaults;
}

int GridProxyModel::fieldIndex(int column) const
{
    return m_model ? m_model->fieldIndex(column) : -1;
}

QString GridProxyModel::displayFormat(int column) const
{
    const GridColumn &settings = columnSettings(column);
    if (settings.displayFormat)
        return *settings.displayFormat;
    const int field = fieldIndex(column);
    return field >= 0 && m_model->dataset() ? m_model->dataset()->field(field).displayFormat : QString();
}

Qt::Alignment GridProxyModel::columnAlignment(int column) const
{
    const Qt::Alignment own = columnSettings(column).alignment & Qt::AlignHorizontal_Mask;
    if (own)
        return own;
    return isNumeric(column) ? Qt::AlignRight : Qt::AlignLeft;
}

bool GridProxyModel::isNumeric(int column) const
{
    const int field = fieldIndex(column);
    if (field < 0 || !m_model->dataset())
        return false;
    const FieldKind kind = m_model->dataset()->field(field).kind();
    return kind == FieldKind::Integer || kind == FieldKind::Float;
}

void GridProxyModel::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    settingsChanged();
}

void GridProxyModel::setCurrentSourceRow(int row)
{
    if (row == m_currentRow)
        return;
    const int previous = m_currentRow;
    m_currentRow = row;
    emitRowChanged(previous);
    emitRowChanged(row);
}

void GridProxyModel::emitRowChanged(int sourceRow)
{
    if (!m_model || sourceRow < 0 || sourceRow >= m_model->rowCount() || columnCount() == 0)
        return;
    const QModelIndex first = mapFromSource(m_model->index(sourceRow, 0));
    if (first.isValid())
        emit dataChanged(first, index(first.row(), columnCount() - 1), {Qt::BackgroundRole});
}

QVariant GridProxyModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const GridColumn &settings = columnSettings(index.column());
    switch (role) {
    case Qt::DisplayRole:
        if (settings.displayFormat && isNumeric(index.column())) {
            const QVariant value = QSortFilterProxyModel::data(index, Qt::EditRole);
            return value.isNull() ? QString() : formatFloat(value.toDouble(), *settings.displayFormat, QLocale());
        }
        break;
    case Qt::TextAlignmentRole:
        if (settings.alignment & Qt::AlignHorizontal_Mask)
            return int((settings.alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
        break;
    case Qt::BackgroundRole:
        if (m_currentRow >= 0 && mapToSource(index).row() == m_currentRow)
            return m_currentBrush;
        break;
    default:
        break;
    }
    return QSortFilterProxyModel::data(index, role);
}

QVariant GridProxyModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        const GridColumn &settings = columnSettings(section);
        if (!settings.title.isEmpty())
            return settings.title;
    }
    return QSortFilterProxyModel::headerData(section, orientation, role);
}

Qt::ItemFlags GridProxyModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QSortFilterProxyModel::flags(index);
    if (m_readOnly || columnSettings(index.column()).readOnly)
        f &= ~Qt::ItemIsEditable;
    return f;
}

} // namespace quotaly::ui

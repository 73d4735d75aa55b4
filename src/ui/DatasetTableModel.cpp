#include "DatasetTableModel.h"

#include "Dialogs.h"
#include "dataset/Dataset.h"
#include "dataset/Error.h"

namespace quotaly::ui {

DatasetTableModel::DatasetTableModel(Dataset *dataset, QObject *parent) : DatasetTableModel(dataset, {}, parent) {}

DatasetTableModel::DatasetTableModel(Dataset *dataset, const QStringList &fieldNames, QObject *parent)
    : QAbstractTableModel(parent), m_dataset(dataset), m_fieldNames(fieldNames)
{
    if (dataset) {
        connect(dataset, &Dataset::layoutReset, this, &DatasetTableModel::reset);
        connect(dataset, &Dataset::rowInserted, this, &DatasetTableModel::onRowInserted);
        connect(dataset, &Dataset::rowRemoved, this, &DatasetTableModel::onRowRemoved);
        connect(dataset, &Dataset::rowChanged, this, &DatasetTableModel::onRowChanged);
        connect(dataset, &Dataset::stateChanged, this, &DatasetTableModel::onStateChanged);
        connect(dataset, &QObject::destroyed, this, &DatasetTableModel::reset);
    }
    resolveColumns();
    m_active = m_dataset && m_dataset->isActive();
    m_rowCount = datasetRowCount();
}

Dataset *DatasetTableModel::dataset() const
{
    return m_dataset;
}

void DatasetTableModel::setFieldNames(const QStringList &fieldNames)
{
    m_fieldNames = fieldNames;
    reset();
}

void DatasetTableModel::resolveColumns()
{
    m_columns.clear();
    if (m_fieldNames.isEmpty()) {
        const int count = m_dataset ? m_dataset->fieldCount() : 0;
        for (int i = 0; i < count; ++i)
            m_columns << i;
        return;
    }
    for (const QString &name : std::as_const(m_fieldNames))
        m_columns << (m_dataset ? m_dataset->fieldIndex(name) : -1);
}

int DatasetTableModel::datasetRowCount() const
{
    return m_dataset && m_dataset->isActive() ? m_dataset->recordCount() : 0;
}

void DatasetTableModel::reset()
{
    beginResetModel();
    resolveColumns();
    m_active = m_dataset && m_dataset->isActive();
    m_rowCount = datasetRowCount();
    endResetModel();
}

int DatasetTableModel::fieldIndex(int column) const
{
    return column >= 0 && column < m_columns.size() ? m_columns.at(column) : -1;
}

int DatasetTableModel::columnOfField(const QString &fieldName) const
{
    if (!m_dataset)
        return -1;
    const int field = m_dataset->fieldIndex(fieldName);
    return field < 0 ? -1 : int(m_columns.indexOf(field));
}

int DatasetTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int DatasetTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DatasetTableModel::data(const QModelIndex &index, int role) const
{
    const int field = fieldIndex(index.column());
    if (!m_dataset || field < 0 || index.row() < 0 || index.row() >= m_rowCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_dataset->displayText(index.row(), field);
    case Qt::EditRole:
        return m_dataset->valueAt(index.row(), field);
    case Qt::TextAlignmentRole: {
        const FieldKind kind = m_dataset->field(field).kind();
        if (kind == FieldKind::Integer || kind == FieldKind::Float)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

QVariant DatasetTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        const int field = fieldIndex(section);
        if (m_dataset && field >= 0)
            return m_dataset->field(field).label();
        return section >= 0 && section < m_fieldNames.size() ? QVariant(m_fieldNames.at(section)) : QVariant();
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags DatasetTableModel::flags(const QModelIndex &index) const
{
    const int field = fieldIndex(index.column());
    if (!index.isValid() || !m_dataset || field < 0)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    const FieldDef &def = m_dataset->field(field);
    const FieldKind kind = def.kind();
    const bool storable = kind != FieldKind::Opaque && kind != FieldKind::Nested;
    if (!m_readOnly && !def.readOnly && storable)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool DatasetTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable) || index.row() >= m_rowCount)
        return false;
    return storeValue(index.row(), fieldIndex(index.column()), value);
}

bool DatasetTableModel::storeValue(int row, int field, const QVariant &value)
{
    Dataset &ds = *m_dataset;
    bool startedEdit = false;
    bool valueSet = false;
    QVariant previous;
    try {
        if (ds.recNo() != row)
            ds.setRecNo(row);
        if (!ds.isEditing()) {
            ds.edit();
            startedEdit = true;
        }
        previous = ds.value(field);
        ds.setValue(field, value);
        valueSet = true;
        ds.post();
        return true;
    } catch (const Error &e) {
        // Put the row back as it was: drop our edit, or undo our value in an edit someone else began.
        try {
            if (startedEdit)
                ds.cancel();
            else if (valueSet && ds.isEditing())
                ds.setValue(field, previous);
        } catch (const Error &) {
        }
        dialogs().message(nullptr, e.text(), Dialogs::Kind::Error);
        return false;
    }
}

void DatasetTableModel::onRowInserted(int row)
{
    if (!m_active || row < 0 || row > m_rowCount) {
        reset();
        return;
    }
    beginInsertRows({}, row, row);
    ++m_rowCount;
    endInsertRows();
}

void DatasetTableModel::onRowRemoved(int row)
{
    if (!m_active || row < 0 || row >= m_rowCount) {
        reset();
        return;
    }
    beginRemoveRows({}, row, row);
    --m_rowCount;
    endRemoveRows();
}

void DatasetTableModel::onRowChanged(int row)
{
    if (row < 0 || row >= m_rowCount || m_columns.isEmpty())
        return;
    emit dataChanged(index(row, 0), index(row, int(m_columns.size()) - 1));
}

void DatasetTableModel::onStateChanged()
{
    // Opening and closing come with a layout reset; this only catches a change of open state without one.
    if (m_active != (m_dataset && m_dataset->isActive()))
        reset();
}

} // namespace quotaly::ui

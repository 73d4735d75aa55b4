#include "GridProxyModel.h"

#include "DatasetTableModel.h"
#include "dataset/Dataset.h"
#include "dataset/DisplayFormat.h"

#include <algorithm>

#include <QLocale>
#include <QSet>

namespace quotaly::ui {

GridProxyModel::GridProxyModel(QObject *parent)
    : QSortFilterProxyModel(parent), m_collation([this](int row, int column) { return displayText(row, column); },
                                                 [this] { return m_model ? m_model->rowCount() : 0; })
{
}

void GridProxyModel::setTableModel(DatasetTableModel *model)
{
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    m_currentRow = -1;
    invalidateColumns();
    m_collation.clear();
    if (model) {
        // Connected ahead of the base class's own handlers, so the keys are current before it re-sorts.
        auto forget = [this] {
            invalidateColumns();
            m_collation.clear();
        };
        connect(model, &QAbstractItemModel::modelAboutToBeReset, this, forget);
        connect(model, &QAbstractItemModel::modelReset, this, &GridProxyModel::rankFirstKey);
        connect(model, &QAbstractItemModel::columnsAboutToBeInserted, this, forget);
        connect(model, &QAbstractItemModel::columnsAboutToBeRemoved, this, forget);
        connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, forget);
        connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first, int last) {
            m_collation.rowsInserted(first, last - first + 1);
        });
        connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this] { m_sourceRemoving = true; });
        connect(model, &QAbstractItemModel::rowsRemoved, this,
                [this](const QModelIndex &, int first, int last) { m_collation.rowsRemoved(first, last - first + 1); });
        connect(model, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                    m_collation.rowsChanged(topLeft.row(), bottomRight.row());
                });
    }
    setSourceModel(model);
    if (model) {
        // After the base class has caught up with the removal.
        connect(model, &QAbstractItemModel::rowsRemoved, this, [this] {
            m_sourceRemoving = false;
            emit sourceRowsSettled();
        });
    }
    applySort();
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

void GridProxyModel::textsChanged()
{
    m_collation.clear();
    settingsChanged();
    if (!sortKeys().isEmpty() || isFiltered())
        invalidate();
}

const QList<GridColumn> &GridProxyModel::resolved() const
{
    if (m_resolvedValid)
        return m_resolved;
    m_resolved.clear();
    m_filterColumns.clear();
    const Dataset *ds = m_model ? m_model->dataset() : nullptr;
    const int columns = m_model ? m_model->columnCount() : 0;
    for (int c = 0; c < columns; ++c) {
        const int field = m_model->fieldIndex(c);
        const QString name = ds && field >= 0 ? ds->field(field).name : m_model->fieldNames().value(c);
        m_resolved << m_settings.value(name.toLower());
        if (m_resolved.last().filter)
            m_filterColumns << c;
    }

    m_sortKeys.clear();
    m_groupColumns.clear();
    auto hasKey = [this](int column) {
        return std::any_of(m_sortKeys.cbegin(), m_sortKeys.cend(),
                           [&](const SortKey &k) { return k.column == column; });
    };
    for (const QString &field : m_groupFields) {
        const int column = columnOfField(field);
        if (column < 0 || hasKey(column))
            continue;
        bool ascending = true;
        for (const auto &[name, order] : m_sortFields) {
            if (columnOfField(name) == column) {
                ascending = order == Qt::AscendingOrder;
                break;
            }
        }
        m_sortKeys << SortKey{column, ascending};
        m_groupColumns << column;
    }
    for (const auto &[name, order] : m_sortFields) {
        const int column = columnOfField(name);
        if (column >= 0 && !hasKey(column))
            m_sortKeys << SortKey{column, order == Qt::AscendingOrder};
    }
    m_resolvedValid = true;
    return m_resolved;
}

const QList<SortKey> &GridProxyModel::sortKeys() const
{
    resolved();
    return m_sortKeys;
}

QList<int> GridProxyModel::groupColumns() const
{
    resolved();
    return m_groupColumns;
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

QString GridProxyModel::fieldName(int column) const
{
    const int field = fieldIndex(column);
    const Dataset *ds = m_model ? m_model->dataset() : nullptr;
    if (ds && field >= 0)
        return ds->field(field).name;
    return m_model ? m_model->fieldNames().value(column) : QString();
}

int GridProxyModel::columnOfField(const QString &field) const
{
    return m_model ? m_model->columnOfField(field) : -1;
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

QString GridProxyModel::displayText(int sourceRow, int column) const
{
    if (!m_model)
        return {};
    const QModelIndex source = m_model->index(sourceRow, column);
    const GridColumn &settings = columnSettings(column);
    if (settings.displayFormat && isNumeric(column)) {
        const QVariant value = m_model->data(source, Qt::EditRole);
        return value.isNull() ? QString() : formatFloat(value.toDouble(), *settings.displayFormat, QLocale());
    }
    return m_model->data(source, Qt::DisplayRole).toString();
}

void GridProxyModel::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    settingsChanged();
}

// --- Order --------------------------------------------------------------------------------------------------

void GridProxyModel::setSortFields(const SortFields &fields)
{
    m_sortFields.clear();
    QSet<QString> seen;
    for (const auto &entry : fields) {
        if (!seen.contains(entry.first.toLower())) {
            seen.insert(entry.first.toLower());
            m_sortFields << entry;
        }
    }
    applySort();
}

void GridProxyModel::setGroupFields(const QStringList &fields)
{
    m_groupFields = fields;
    applySort();
}

void GridProxyModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= columnCount())
        setSortFields({});
    else
        setSortFields({{fieldName(column), order}});
}

void GridProxyModel::applySort()
{
    invalidateColumns();
    m_collation.setLocale(QLocale());
    const QList<SortKey> &keys = sortKeys();
    // The base class sorts by one column; ours are all in lessThan(), so its direction is always ascending.
    const int column = keys.isEmpty() ? -1 : keys.first().column;
    rankFirstKey();
    if (sortColumn() != column)
        QSortFilterProxyModel::sort(column, Qt::AscendingOrder);
    else if (column >= 0)
        invalidate();
    emitHeaderChanged();
}

// Every comparison of a sort looks at the first key, so its ranks are worked out in one go up front.
void GridProxyModel::rankFirstKey()
{
    const QList<SortKey> &keys = sortKeys();
    if (!keys.isEmpty())
        m_collation.rankColumn(keys.first().column);
}

bool GridProxyModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    for (const SortKey &key : sortKeys()) {
        const int c = m_collation.compare(left.row(), right.row(), key.column);
        if (c != 0)
            return key.ascending ? c < 0 : c > 0;
    }
    return left.row() < right.row(); // equal rows keep the dataset's order
}

// --- Filter -------------------------------------------------------------------------------------------------

void GridProxyModel::setColumnFilter(const QString &field, const std::optional<ColumnFilter> &filter)
{
    settings(field).filter = filter;
    invalidateRowsFilter();
    emitHeaderChanged();
}

void GridProxyModel::clearColumnFilters()
{
    for (GridColumn &column : m_settings)
        column.filter.reset();
    invalidateColumns();
    invalidateRowsFilter();
    emitHeaderChanged();
}

void GridProxyModel::setRowFilter(std::function<bool(int)> accepts)
{
    m_rowFilter = std::move(accepts);
    invalidateRowsFilter();
}

bool GridProxyModel::isFiltered() const
{
    resolved();
    return !m_filterColumns.isEmpty();
}

bool GridProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    return acceptsRow(sourceRow, -1);
}

bool GridProxyModel::acceptsRow(int sourceRow, int ignoredColumn) const
{
    if (m_rowFilter && !m_rowFilter(sourceRow))
        return false;
    const QList<GridColumn> &columns = resolved();
    for (const int c : std::as_const(m_filterColumns)) {
        if (c == ignoredColumn)
            continue;
        const ColumnFilter &filter = *columns.at(c).filter;
        const QString text = displayText(sourceRow, c);
        const bool passes = filter.exactValue ? text.compare(filter.text, Qt::CaseInsensitive) == 0
                                              : text.contains(filter.text, Qt::CaseInsensitive);
        if (!passes)
            return false;
    }
    return true;
}

QStringList GridProxyModel::filterValues(int column) const
{
    if (!m_model || column < 0 || column >= m_model->columnCount())
        return {};
    QSet<QString> distinct;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (acceptsRow(row, column))
            distinct.insert(displayText(row, column));
    }
    distinct.remove(QString());
    QList<QStringList> rows;
    rows.reserve(distinct.size());
    for (const QString &text : std::as_const(distinct))
        rows << QStringList{text};
    QStringList values;
    QSet<QString> folded;
    for (const int i : RowCollator(QLocale()).sortedOrder(rows, {SortKey{0, true}})) {
        const QString &text = rows.at(i).first();
        if (!folded.contains(text.toCaseFolded())) {
            folded.insert(text.toCaseFolded());
            values << text;
        }
    }
    return values;
}

// --- Current row --------------------------------------------------------------------------------------------

void GridProxyModel::setCurrentSourceRow(int row)
{
    if (row == m_currentRow)
        return;
    const int previous = m_currentRow;
    m_currentRow = row;
    emitRowChanged(previous);
    emitRowChanged(row);
}

void GridProxyModel::setCurrentRowBrush(const QBrush &background, const QBrush &foreground)
{
    m_currentBrush = background;
    m_currentForeground = foreground;
    emitRowChanged(m_currentRow);
}

void GridProxyModel::emitRowChanged(int sourceRow)
{
    if (!m_model || sourceRow < 0 || sourceRow >= m_model->rowCount() || columnCount() == 0)
        return;
    const QModelIndex first = mapFromSource(m_model->index(sourceRow, 0));
    if (first.isValid())
        emit dataChanged(first, index(first.row(), columnCount() - 1), {Qt::BackgroundRole, Qt::ForegroundRole});
}

void GridProxyModel::emitHeaderChanged()
{
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

// --- Data ---------------------------------------------------------------------------------------------------

QVariant GridProxyModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const GridColumn &settings = columnSettings(index.column());
    switch (role) {
    case Qt::DisplayRole:
        if (settings.displayFormat && isNumeric(index.column()))
            return displayText(mapToSource(index).row(), index.column());
        break;
    case Qt::TextAlignmentRole:
        if (settings.alignment & Qt::AlignHorizontal_Mask)
            return int((settings.alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
        break;
    case Qt::BackgroundRole:
        if (m_currentRow >= 0 && mapToSource(index).row() == m_currentRow)
            return m_currentBrush;
        break;
    case Qt::ForegroundRole:
        if (m_currentForeground.style() != Qt::NoBrush && m_currentRow >= 0 && mapToSource(index).row() == m_currentRow)
            return m_currentForeground;
        break;
    default:
        break;
    }
    return QSortFilterProxyModel::data(index, role);
}

QVariant GridProxyModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QSortFilterProxyModel::headerData(section, orientation, role);
    switch (role) {
    case Qt::DisplayRole: {
        const GridColumn &settings = columnSettings(section);
        if (!settings.title.isEmpty())
            return settings.title;
        break;
    }
    case SortRankRole:
    case SortOrderRole:
        for (qsizetype i = 0; i < m_sortFields.size(); ++i) {
            if (columnOfField(m_sortFields.at(i).first) == section)
                return role == SortRankRole ? QVariant(int(i) + 1) : QVariant(int(m_sortFields.at(i).second));
        }
        return role == SortRankRole ? QVariant(0) : QVariant();
    case FilterActiveRole:
        return columnSettings(section).filter.has_value();
    default:
        break;
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

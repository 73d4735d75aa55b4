#include "GridGroupModel.h"

#include "GridColumn.h"

namespace quotaly::ui {

namespace {
const QChar kKeySeparator(0x1f);
}

GridGroupModel::GridGroupModel(QObject *parent) : QAbstractProxyModel(parent) {}

void GridGroupModel::setSourceModel(QAbstractItemModel *source)
{
    beginResetModel();
    if (sourceModel())
        disconnect(sourceModel(), nullptr, this, nullptr);
    QAbstractProxyModel::setSourceModel(source);
    connectSource();
    buildGroups();
    endResetModel();
}

void GridGroupModel::finishWaitingLayout()
{
    if (std::exchange(m_layoutWaiting, false))
        endRelayout();
}

void GridGroupModel::connectSource()
{
    QAbstractItemModel *source = sourceModel();
    if (!source)
        return;
    using M = QAbstractItemModel;
    connect(source, &M::rowsAboutToBeInserted, this, [this](const QModelIndex &, int first, int last) {
        if (isGrouped())
            beginRelayout();
        else
            beginInsertRows({}, first, last);
    });
    connect(source, &M::rowsInserted, this, [this] {
        if (isGrouped())
            endRelayout();
        else
            endInsertRows();
    });
    connect(source, &M::rowsAboutToBeRemoved, this, [this](const QModelIndex &, int first, int last) {
        if (isGrouped())
            beginRelayout();
        else
            beginRemoveRows({}, first, last);
    });
    connect(source, &M::rowsRemoved, this, [this] {
        if (isGrouped())
            endRelayout();
        else
            endRemoveRows();
    });
    connect(source, &M::columnsAboutToBeInserted, this,
            [this](const QModelIndex &, int first, int last) { beginInsertColumns({}, first, last); });
    connect(source, &M::columnsInserted, this, [this] { endInsertColumns(); });
    connect(source, &M::columnsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { beginRemoveColumns({}, first, last); });
    connect(source, &M::columnsRemoved, this, [this] { endRemoveColumns(); });
    // Moves are rare (the proxy does not make them); a fresh layout is simplest.
    connect(source, &M::rowsAboutToBeMoved, this, &GridGroupModel::beginRelayout);
    connect(source, &M::rowsMoved, this, &GridGroupModel::endRelayout);
    connect(source, &M::columnsAboutToBeMoved, this, &GridGroupModel::beginRelayout);
    connect(source, &M::columnsMoved, this, &GridGroupModel::endRelayout);
    connect(source, &M::layoutAboutToBeChanged, this, &GridGroupModel::onLayoutAboutToBeChanged);
    connect(source, &M::layoutChanged, this, &GridGroupModel::onLayoutChanged);
    connect(source, &M::modelAboutToBeReset, this, &GridGroupModel::beginRelayout);
    connect(source, &M::modelReset, this, &GridGroupModel::endRelayout);
    connect(source, &M::dataChanged, this, &GridGroupModel::onDataChanged);
    connect(source, &M::headerDataChanged, this, [this](Qt::Orientation orientation, int first, int last) {
        emit headerDataChanged(orientation, first, last);
        if (isGrouped() && orientation == Qt::Horizontal && !m_entries.isEmpty())
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1)); // titles are in the headings
    });
}

void GridGroupModel::setGroupColumns(const QList<int> &columns)
{
    if (columns == m_columns)
        return;
    beginRelayout();
    m_columns = columns;
    m_collapsed.clear();
    endRelayout();
}

// --- Layout -------------------------------------------------------------------------------------------------

void GridGroupModel::beginRelayout()
{
    if (m_resetting)
        return;
    m_resetting = true;
    beginResetModel();
}

void GridGroupModel::endRelayout()
{
    if (!m_resetting)
        return;
    if (m_busy && m_busy()) {
        m_layoutWaiting = true;
        return;
    }
    buildGroups();
    m_resetting = false;
    endResetModel();
}

void GridGroupModel::relayout()
{
    beginRelayout();
    endRelayout();
}

void GridGroupModel::buildGroups()
{
    m_groups.clear();
    const QAbstractItemModel *source = sourceModel();
    if (!isGrouped() || !source) {
        m_entries.clear();
        m_sourceToEntry.clear();
        return;
    }
    // Only here: counting a sorting model's rows sorts them.
    const int rows = source->rowCount();
    const int levels = int(m_columns.size());
    QList<int> open(levels, -1);
    QStringList previous(levels);
    QStringList texts(levels);
    for (int row = 0; row < rows; ++row) {
        int changed = row == 0 ? 0 : levels;
        for (int level = 0; level < levels; ++level) {
            texts[level] = source->index(row, m_columns.at(level)).data().toString();
            if (changed == levels && texts.at(level) != previous.at(level))
                changed = level;
        }
        for (int level = changed; level < levels; ++level) {
            Group group;
            group.level = level;
            group.parent = level > 0 ? open.at(level - 1) : -1;
            group.firstRow = row;
            group.text = texts.at(level);
            group.key = level > 0 ? m_groups.at(group.parent).key + kKeySeparator + group.text : group.text;
            open[level] = int(m_groups.size());
            m_groups << group;
        }
        for (int level = 0; level < levels; ++level)
            ++m_groups[open.at(level)].count;
        previous = texts;
    }
    m_entries = visibleEntries(&m_sourceToEntry);
}

// The headings and rows that show: those under expanded headings only.
QList<GridGroupModel::Entry> GridGroupModel::visibleEntries(std::vector<int> *sourceToEntry) const
{
    const int rows = sourceModel() ? sourceModel()->rowCount() : 0;
    QList<Entry> entries;
    sourceToEntry->assign(size_t(rows), -1);
    std::vector<bool> shown(size_t(m_groups.size()), false);
    qsizetype next = 0;
    int innermost = -1;
    for (int row = 0; row < rows; ++row) {
        for (; next < m_groups.size() && m_groups.at(next).firstRow == row; ++next) {
            const int parent = m_groups.at(next).parent;
            shown[size_t(next)] = parent < 0 || (shown[size_t(parent)] && groupExpanded(parent));
            if (shown[size_t(next)])
                entries << Entry{int(next), -1};
            innermost = int(next);
        }
        if (innermost >= 0 && shown[size_t(innermost)] && groupExpanded(innermost)) {
            (*sourceToEntry)[size_t(row)] = int(entries.size());
            entries << Entry{innermost, row};
        }
    }
    return entries;
}

bool GridGroupModel::isHeading(int row) const
{
    return isGrouped() && row >= 0 && row < m_entries.size() && m_entries.at(row).sourceRow < 0;
}

bool GridGroupModel::isExpanded(int row) const
{
    return isHeading(row) && groupExpanded(m_entries.at(row).group);
}

void GridGroupModel::setExpanded(int row, bool expanded)
{
    if (!isHeading(row) || isExpanded(row) == expanded)
        return;
    const QString &key = m_groups.at(m_entries.at(row).group).key;
    if (expanded)
        m_collapsed.remove(key);
    else
        m_collapsed.insert(key);
    // Only the lines under the heading come or go, right after it.
    std::vector<int> sourceToEntry;
    QList<Entry> entries = visibleEntries(&sourceToEntry);
    const int delta = int(entries.size() - m_entries.size());
    if (delta < 0)
        beginRemoveRows({}, row + 1, row - delta);
    else if (delta > 0)
        beginInsertRows({}, row + 1, row + delta);
    m_entries = std::move(entries);
    m_sourceToEntry = std::move(sourceToEntry);
    if (delta < 0)
        endRemoveRows();
    else if (delta > 0)
        endInsertRows();
    const QModelIndex heading = index(row, 0);
    emit dataChanged(heading, index(row, columnCount() - 1), {GroupExpandedRole});
}

void GridGroupModel::setAllExpanded(bool expanded)
{
    beginRelayout();
    m_collapsed.clear();
    if (!expanded) {
        for (const Group &group : std::as_const(m_groups))
            m_collapsed.insert(group.key);
    }
    endRelayout();
}

void GridGroupModel::reveal(int sourceRow)
{
    if (!isGrouped() || sourceRow < 0 || size_t(sourceRow) >= m_sourceToEntry.size() ||
        m_sourceToEntry[size_t(sourceRow)] >= 0)
        return;
    // The row's innermost group, then outwards.
    int group = -1;
    for (qsizetype g = 0; g < m_groups.size() && m_groups.at(g).firstRow <= sourceRow; ++g)
        group = int(g);
    bool changed = false;
    for (; group >= 0; group = m_groups.at(group).parent)
        changed = m_collapsed.remove(m_groups.at(group).key) || changed;
    if (changed)
        relayout();
}

QList<GridGroupModel::Line> GridGroupModel::allLines() const
{
    QList<Line> lines;
    const int rows = sourceModel() ? sourceModel()->rowCount() : 0;
    qsizetype next = 0;
    for (int row = 0; row < rows; ++row) {
        for (; next < m_groups.size() && m_groups.at(next).firstRow == row; ++next)
            lines << Line{-1, headingText(m_groups.at(next)), m_groups.at(next).level};
        lines << Line{row, {}, 0};
    }
    return lines;
}

QString GridGroupModel::headingText(const Group &group) const
{
    const QString title = sourceModel()->headerData(m_columns.at(group.level), Qt::Horizontal).toString();
    return QStringLiteral("%1 : %2 (%3)").arg(title, group.text).arg(group.count);
}

// --- Pass-through -------------------------------------------------------------------------------------------

void GridGroupModel::onLayoutAboutToBeChanged()
{
    if (isGrouped()) {
        beginRelayout();
        return;
    }
    emit layoutAboutToBeChanged();
    m_layoutProxy = persistentIndexList();
    m_layoutSource.clear();
    for (const QModelIndex &index : std::as_const(m_layoutProxy))
        m_layoutSource << QPersistentModelIndex(mapToSource(index));
}

void GridGroupModel::onLayoutChanged()
{
    if (m_resetting) {
        endRelayout();
        return;
    }
    QModelIndexList moved;
    moved.reserve(m_layoutSource.size());
    for (const QPersistentModelIndex &source : std::as_const(m_layoutSource))
        moved << mapFromSource(source);
    changePersistentIndexList(m_layoutProxy, moved);
    m_layoutProxy.clear();
    m_layoutSource.clear();
    emit layoutChanged();
}

void GridGroupModel::onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    if (m_resetting || !topLeft.isValid() || !bottomRight.isValid())
        return;
    if (!isGrouped()) {
        emit dataChanged(index(topLeft.row(), topLeft.column()), index(bottomRight.row(), bottomRight.column()), roles);
        return;
    }
    const bool texts = roles.isEmpty() || roles.contains(Qt::DisplayRole);
    for (const int column : std::as_const(m_columns)) {
        if (texts && column >= topLeft.column() && column <= bottomRight.column()) {
            relayout(); // a grouped text changed: the groups may have
            return;
        }
    }
    if (bottomRight.row() - topLeft.row() > 16) {
        if (!m_entries.isEmpty())
            emit dataChanged(index(0, topLeft.column()), index(rowCount() - 1, bottomRight.column()), roles);
        return;
    }
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        const int entry = size_t(row) < m_sourceToEntry.size() ? m_sourceToEntry[size_t(row)] : -1;
        if (entry >= 0)
            emit dataChanged(index(entry, topLeft.column()), index(entry, bottomRight.column()), roles);
    }
}

// --- Model --------------------------------------------------------------------------------------------------

QModelIndex GridGroupModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return {};
    return createIndex(row, column);
}

QModelIndex GridGroupModel::parent(const QModelIndex &) const
{
    return {};
}

int GridGroupModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !sourceModel())
        return 0;
    return isGrouped() ? int(m_entries.size()) : sourceModel()->rowCount();
}

int GridGroupModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !sourceModel() ? 0 : sourceModel()->columnCount();
}

bool GridGroupModel::hasChildren(const QModelIndex &parent) const
{
    return !parent.isValid() && rowCount() > 0;
}

QModelIndex GridGroupModel::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!proxyIndex.isValid() || !sourceModel())
        return {};
    if (!isGrouped())
        return sourceModel()->index(proxyIndex.row(), proxyIndex.column());
    const Entry &entry = m_entries.at(proxyIndex.row());
    return entry.sourceRow < 0 ? QModelIndex() : sourceModel()->index(entry.sourceRow, proxyIndex.column());
}

QModelIndex GridGroupModel::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!sourceIndex.isValid())
        return {};
    if (!isGrouped())
        return index(sourceIndex.row(), sourceIndex.column());
    const size_t row = size_t(sourceIndex.row());
    return row < m_sourceToEntry.size() ? index(m_sourceToEntry[row], sourceIndex.column()) : QModelIndex();
}

QVariant GridGroupModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (!isHeading(index.row()))
        return QAbstractProxyModel::data(index, role);
    const Group &group = m_groups.at(m_entries.at(index.row()).group);
    switch (role) {
    case GroupHeadingRole:
        return headingText(group);
    case GroupLevelRole:
        return group.level;
    case GroupExpandedRole:
        return groupExpanded(m_entries.at(index.row()).group);
    default:
        return {};
    }
}

QVariant GridGroupModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!sourceModel())
        return {};
    if (orientation == Qt::Vertical)
        return role == Qt::DisplayRole ? QVariant(section + 1) : QVariant();
    return sourceModel()->headerData(section, orientation, role);
}

Qt::ItemFlags GridGroupModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (isHeading(index.row()))
        return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    return QAbstractProxyModel::flags(index);
}

} // namespace quotaly::ui

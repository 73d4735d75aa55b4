// DataGrid: the rows it holds — their order, selection by dataset row, the key field and export.
#include "DataGrid.h"

#include "DatasetTableModel.h"
#include "Dialogs.h"
#include "GridGroupModel.h"
#include "GridHeaderView.h"
#include "GridIncrementalSearch.h"
#include "GridProxyModel.h"
#include "GridTableView.h"
#include "dataset/Dataset.h"
#include "dataset/Error.h"

#include <algorithm>
#include <vector>

#include <QHash>
#include <QItemSelectionModel>
#include <QTableView>

namespace quotaly::ui {

// --- Mapping between view rows and dataset rows -------------------------------------------------------------

int DataGrid::datasetRowAt(int viewRow) const
{
    if (m_group->columnCount() == 0)
        return -1;
    return m_proxy->mapToSource(m_group->mapToSource(m_group->index(viewRow, 0))).row();
}

QModelIndex DataGrid::viewIndex(int datasetRow, int column) const
{
    if (!m_model || datasetRow < 0 || datasetRow >= m_model->rowCount())
        return {};
    return m_group->mapFromSource(m_proxy->mapFromSource(m_model->index(datasetRow, column)));
}

// --- Order --------------------------------------------------------------------------------------------------

void DataGrid::setSortingEnabled(bool enabled)
{
    m_sortingEnabled = enabled;
    m_header->setSortClicks(enabled);
    if (enabled)
        setColumnsMovable(true);
    updateHeaderMenu();
}

void DataGrid::setSortOrder(const SortFields &fields)
{
    m_proxy->setSortFields(fields);
}

DataGrid::SortFields DataGrid::sortOrder() const
{
    return m_proxy->sortFields();
}

void DataGrid::setColumnsMovable(bool movable)
{
    m_header->setSectionsMovable(movable);
}

void DataGrid::onHeaderSortClicked(int column, Qt::KeyboardModifiers modifiers)
{
    const QString field = m_proxy->fieldName(column);
    if (field.isEmpty())
        return;
    SortFields order = sortOrder();
    const auto at = std::find_if(order.begin(), order.end(),
                                 [&](const auto &key) { return key.first.compare(field, Qt::CaseInsensitive) == 0; });
    auto turned = [](Qt::SortOrder o) { return o == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder; };
    if (modifiers & Qt::ControlModifier) {
        if (at != order.end())
            order.erase(at);
    } else if (modifiers & Qt::ShiftModifier) {
        if (at != order.end())
            at->second = turned(at->second);
        else
            order.append({field, Qt::AscendingOrder});
    } else {
        const bool onlyKey = at != order.end() && order.size() == 1;
        order = {{field, onlyKey ? turned(at->second) : Qt::AscendingOrder}};
    }
    setSortOrder(order);
    if (m_view->currentIndex().isValid())
        m_view->scrollTo(m_view->currentIndex());
}

void DataGrid::setIncrementalSearchEnabled(bool enabled)
{
    if (enabled == (m_search != nullptr))
        return;
    if (enabled) {
        m_search = new GridIncrementalSearch(m_view);
    } else {
        delete m_search;
        m_search = nullptr;
    }
}

QString DataGrid::incrementalSearchText() const
{
    return m_search ? m_search->text() : QString();
}

// --- Rows ---------------------------------------------------------------------------------------------------

void DataGrid::setRowSelect(bool on)
{
    m_view->setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void DataGrid::setWholeRowHighlight(bool on)
{
    m_wholeRowHighlight = on;
    updateCurrentRowBrush();
}

int DataGrid::displayRowCount() const
{
    return m_proxy->rowCount();
}

QList<int> DataGrid::displayedDatasetRows() const
{
    QList<int> rows;
    if (m_proxy->columnCount() == 0)
        return rows;
    const int count = m_proxy->rowCount();
    rows.reserve(count);
    for (int r = 0; r < count; ++r)
        rows << m_proxy->mapToSource(m_proxy->index(r, 0)).row();
    return rows;
}

QStringList DataGrid::displayTexts(int datasetRow, const QStringList &fields) const
{
    QStringList texts;
    const bool valid = m_model && m_dataset && datasetRow >= 0 && datasetRow < m_model->rowCount();
    for (const QString &field : fields) {
        const int column = valid ? columnOf(field) : -1;
        const int datasetField = valid ? m_dataset->fieldIndex(field) : -1;
        if (column >= 0)
            texts << m_proxy->displayText(datasetRow, column);
        else if (datasetField >= 0)
            texts << m_dataset->displayText(datasetRow, datasetField);
        else
            texts << QString();
    }
    return texts;
}

void DataGrid::setCurrentDatasetRow(int datasetRow)
{
    if (!m_dataset || !m_dataset->isActive() || !m_model || datasetRow < 0 || datasetRow >= m_model->rowCount())
        return;
    const QModelIndex shown = m_proxy->mapFromSource(m_model->index(datasetRow, 0));
    if (!shown.isValid())
        return; // filtered out
    m_group->reveal(shown.row());
    try {
        m_dataset->setRecNo(datasetRow);
    } catch (const Error &e) {
        dialogs().message(this, e.text(), Dialogs::Kind::Error);
    }
    onDatasetCurrentChanged();
    if (m_view->currentIndex().isValid())
        m_view->scrollTo(m_view->currentIndex());
}

void DataGrid::editField(const QString &field)
{
    const int column = columnOf(field);
    const QModelIndex target = m_dataset ? viewIndex(m_dataset->recNo(), column) : QModelIndex();
    if (column < 0 || !target.isValid())
        return;
    m_view->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    m_view->scrollTo(target);
    if (target.flags().testFlag(Qt::ItemIsEditable))
        m_view->edit(target);
}

void DataGrid::setCurrentCell(int datasetRow, const QString &field)
{
    setCurrentDatasetRow(datasetRow);
    const QModelIndex target = viewIndex(datasetRow, columnOf(field));
    if (!target.isValid())
        return;
    m_view->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    m_view->scrollTo(target);
}

void DataGrid::setTabWithinRow(bool on)
{
    static_cast<GridTableView *>(m_view)->setTabWithinRow(on);
}

QList<int> DataGrid::selectedDatasetRows() const
{
    const QAbstractItemModel *model = m_view->model();
    std::vector<bool> marked(size_t(model->rowCount()), false);
    for (const QItemSelectionRange &range : m_view->selectionModel()->selection()) {
        bool visible = false;
        for (int c = range.left(); c <= range.right() && !visible; ++c)
            visible = !m_view->isColumnHidden(c);
        for (int r = range.top(); visible && r <= range.bottom() && r < int(marked.size()); ++r)
            marked[size_t(r)] = true;
    }
    QList<int> rows;
    for (int r = 0; r < int(marked.size()); ++r) {
        if (marked[size_t(r)]) {
            const int row = datasetRowAt(r);
            if (row >= 0)
                rows << row;
        }
    }
    return rows;
}

void DataGrid::selectDatasetRows(const QList<int> &datasetRows)
{
    std::vector<int> viewRows;
    for (const int row : datasetRows) {
        const QModelIndex index = viewIndex(row, 0);
        if (index.isValid())
            viewRows.push_back(index.row());
    }
    std::sort(viewRows.begin(), viewRows.end());
    viewRows.erase(std::unique(viewRows.begin(), viewRows.end()), viewRows.end());

    // Runs of neighbouring rows become one range each.
    const QAbstractItemModel *model = m_view->model();
    const int lastColumn = model->columnCount() - 1;
    QItemSelection selection;
    for (size_t i = 0; i < viewRows.size() && lastColumn >= 0;) {
        size_t end = i;
        while (end + 1 < viewRows.size() && viewRows[end + 1] == viewRows[end] + 1)
            ++end;
        selection.select(model->index(viewRows[i], 0), model->index(viewRows[end], lastColumn));
        i = end + 1;
    }
    m_view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

// --- Key field and the selection across changes -------------------------------------------------------------

void DataGrid::setKeyField(const QString &field)
{
    m_keyField = field;
    m_selectedKeys.clear();
    rememberSelectedKeys();
}

// All values of a row in one text, for telling apart rows that share their key.
QString DataGrid::rowContents(int datasetRow) const
{
    QString contents;
    for (int field = 0; field < m_dataset->fieldCount(); ++field) {
        contents += m_dataset->valueAt(datasetRow, field).toString();
        contents += QChar(0x1F); // unit separator: no value ends where another begins
    }
    return contents;
}

void DataGrid::rememberSelectedKeys()
{
    const int field = m_dataset && !m_keyField.isEmpty() ? m_dataset->fieldIndex(m_keyField) : -1;
    if (field < 0 || m_rowsChanging || m_proxy->isSourceRemoving() || !m_model)
        return;
    m_selectedKeys.clear();
    const QList<int> selected = selectedDatasetRows();
    if (selected.isEmpty())
        return;
    QSet<QString> keys;
    for (const int row : selected)
        keys.insert(m_dataset->valueAt(row, field).toString());
    const QSet<int> wanted(selected.begin(), selected.end());
    // Only rows sharing a selected key can share its values: the others need not be read whole.
    QHash<QString, int> seen;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QString key = m_dataset->valueAt(row, field).toString();
        if (!keys.contains(key))
            continue;
        const QString contents = rowContents(row);
        const int occurrence = seen[contents]++;
        if (wanted.contains(row))
            m_selectedKeys.append({key, contents, occurrence});
    }
}

QList<int> DataGrid::rowsOfSelectedKeys() const
{
    QList<int> rows;
    const int field = m_dataset && !m_keyField.isEmpty() ? m_dataset->fieldIndex(m_keyField) : -1;
    if (field < 0 || m_selectedKeys.isEmpty() || !m_model)
        return rows;
    QSet<QString> keys;
    QSet<QPair<QString, int>> wanted;
    for (const RowIdentity &identity : m_selectedKeys) {
        keys.insert(identity.key);
        wanted.insert({identity.contents, identity.occurrence});
    }
    QHash<QString, int> seen;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (!keys.contains(m_dataset->valueAt(row, field).toString()))
            continue;
        const QString contents = rowContents(row);
        if (wanted.contains({contents, seen[contents]++}))
            rows << row;
    }
    return rows;
}

void DataGrid::onRowsChanging()
{
    m_rowsChanging = true;
}

void DataGrid::onRowsChanged()
{
    m_rowsChanging = false;
    if (!m_proxy->isSourceRemoving())
        followRows();
}

// After rows came, went or moved: the view may have moved its current row off the dataset's (a heading it is
// on stays), and the selected rows' keys may be others now.
void DataGrid::followRows()
{
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid() || !m_group->isHeading(current.row()))
        onDatasetCurrentChanged();
    rememberSelectedKeys();
}

void DataGrid::onAboutToReset()
{
    m_rowsChanging = true;
    m_keptSelection.clear();
    if (!m_model || !m_keyField.isEmpty())
        return;
    for (const int row : selectedDatasetRows())
        m_keptSelection << QPersistentModelIndex(m_model->index(row, 0));
}

void DataGrid::onReset()
{
    // Columns may have come or gone with the dataset; the groups follow their fields.
    if (m_group->groupColumns() != m_proxy->groupColumns()) {
        m_group->setGroupColumns(m_proxy->groupColumns()); // resets once more, and comes back here
        return;
    }
    updateGroupPanel();
    applyColumns();
    onDatasetCurrentChanged();
    QList<int> rows;
    if (!m_keyField.isEmpty()) {
        rows = rowsOfSelectedKeys();
    } else {
        for (const QPersistentModelIndex &index : std::as_const(m_keptSelection)) {
            if (index.isValid())
                rows << index.row();
        }
    }
    m_keptSelection.clear();
    m_rowsChanging = false;
    if (!rows.isEmpty())
        selectDatasetRows(rows);
    rememberSelectedKeys();
}

// --- Export -------------------------------------------------------------------------------------------------

ExportTable DataGrid::exportTable() const
{
    ExportTable table;
    if (window() != this)
        table.title = window()->windowTitle();
    const QList<int> columns = visibleColumns();
    for (const int c : columns) {
        table.captions << m_proxy->headerData(c, Qt::Horizontal).toString();
        table.numeric << m_proxy->isNumeric(c);
    }
    auto addRow = [&](int row) {
        QStringList cells;
        cells.reserve(columns.size());
        for (const int c : columns)
            cells << m_proxy->displayText(row, c);
        table.addRow(cells);
    };
    if (!m_group->isGrouped()) {
        for (const int row : displayedDatasetRows())
            addRow(row);
        return table;
    }
    for (const GridGroupModel::Line &line : m_group->allLines()) {
        if (line.sourceRow < 0)
            table.addGroupHeading(line.heading);
        else
            addRow(m_proxy->mapToSource(m_proxy->index(line.sourceRow, 0)).row());
    }
    return table;
}

} // namespace quotaly::ui

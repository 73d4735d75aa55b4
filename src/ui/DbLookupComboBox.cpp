#include "DbLookupComboBox.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "DataLink.h"
#include "DatasetTableModel.h"
#include "Dialogs.h"
#include "dataset/Dataset.h"
#include "dataset/Error.h"
#include "dataset/RowCollator.h"

#include <QCollator>
#include <QConcatenateTablesProxyModel>
#include <QHeaderView>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>

namespace quotaly::ui {

namespace {

/// Sorts by the rules of the user's language, as a locale-aware QSortFilterProxyModel does, from a collation key
/// made once per row: comparing texts through the collator each time makes sorting a long client list slow.
/// A sort that runs through the whole list (the first, or one after a reload) ranks every row up front, so
/// that each comparison is one of two integers; a row or two added later are placed through their keys.
class CollatedSortModel : public QSortFilterProxyModel
{
public:
    explicit CollatedSortModel(QAbstractItemModel *source, QObject *parent) : QSortFilterProxyModel(parent)
    {
        // The keys follow the source's rows; they are made again when a row's text may have changed.
        connect(source, &QAbstractItemModel::modelReset, this, [this] { forgetKeys(); });
        connect(source, &QAbstractItemModel::layoutChanged, this, [this] { forgetKeys(); });
        connect(source, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first, int last) {
            if (std::size_t(first) <= m_keys.size())
                m_keys.insert(m_keys.begin() + first, std::size_t(last - first + 1), std::nullopt);
            forgetRanks();
        });
        connect(source, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex &, int first, int last) {
            if (std::size_t(last) < m_keys.size())
                m_keys.erase(m_keys.begin() + first, m_keys.begin() + last + 1);
            else
                m_keys.clear();
            forgetRanks();
        });
        connect(source, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &from, const QModelIndex &to) {
            for (int row = from.row(); row <= to.row() && std::size_t(row) < m_keys.size(); ++row)
                m_keys[std::size_t(row)].reset();
            forgetRanks();
        });
        // Connected before the proxy's own handlers, so the keys are right when it sorts.
        setSourceModel(source);
    }

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override
    {
        if (left.parent().isValid() || left.column() != sortColumn() || right.column() != sortColumn())
            return QSortFilterProxyModel::lessThan(left, right);
        const std::size_t rows = std::size_t(sourceModel()->rowCount());
        if (m_ranks.size() != rows && (m_wholeSortDue || ++m_comparisons > 2 * qint64(rows) + 64))
            rankRows(rows);
        if (m_ranks.size() == rows)
            return m_ranks[std::size_t(left.row())] < m_ranks[std::size_t(right.row())];
        const QCollatorSortKey *l = key(left);
        const QCollatorSortKey *r = l ? key(right) : nullptr;
        if (!l || !r)
            return QSortFilterProxyModel::lessThan(left, right);
        return l->compare(*r) < 0;
    }

private:
    void forgetKeys()
    {
        m_keys.clear();
        forgetRanks();
        m_wholeSortDue = true;
    }

    void forgetRanks()
    {
        m_ranks.clear();
        m_comparisons = 0;
    }

    /// Ranks every row when each holds text; otherwise the rows stay compared one pair at a time.
    void rankRows(std::size_t rows) const
    {
        m_wholeSortDue = false;
        QList<QString> texts;
        texts.reserve(qsizetype(rows));
        for (int row = 0; row < int(rows); ++row) {
            const QVariant value = sourceModel()->index(row, sortColumn()).data(sortRole());
            if (value.typeId() != QMetaType::QString)
                return;
            texts.append(value.toString());
        }
        if (m_keys.size() != rows)
            m_keys.clear();
        m_ranks = collationRanks(m_collator, texts, m_keys, false);
    }

    /// The key of a row holding text; nullptr for other values.
    const QCollatorSortKey *key(const QModelIndex &index) const
    {
        const std::size_t rows = std::size_t(sourceModel()->rowCount());
        if (m_keys.size() != rows) {
            m_keys.clear();
            m_keys.resize(rows);
        }
        std::optional<QCollatorSortKey> &slot = m_keys[std::size_t(index.row())];
        if (!slot) {
            const QVariant value = sourceModel()->data(index, sortRole());
            if (value.typeId() != QMetaType::QString)
                return nullptr;
            slot.emplace(m_collator.sortKey(value.toString()));
        }
        return &*slot;
    }

    QCollator m_collator;
    mutable std::vector<std::optional<QCollatorSortKey>> m_keys; // by source row
    mutable std::vector<int> m_ranks;                            // by source row, when ranked since the last change
    mutable qint64 m_comparisons = 0;                            // through keys since the last change
    mutable bool m_wholeSortDue = true; // every row is new: the next sort runs through them all
};

} // namespace

DbLookupComboBox::DbLookupComboBox(QWidget *parent)
    : QComboBox(parent), m_link(new DataLink(this)), m_view(new QTableView(this))
{
    setEditable(false);
    // Sizing to the contents would measure every item; a long client list makes that slow.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(10);
    // Keep a scrolling list of maxVisibleItems rows in every style, never a menu as tall as the screen.
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    setView(m_view);
    connect(m_link, &DataLink::refreshRequested, this, &DbLookupComboBox::followField);
    connect(this, &QComboBox::activated, this, &DbLookupComboBox::onActivated);
    rebuildModel();
}

void DbLookupComboBox::setListSource(Dataset *list, const QString &keyField, const QStringList &displayFields)
{
    m_list = list;
    m_keyField = keyField;
    m_displayFields = displayFields.isEmpty() ? QStringList{keyField} : displayFields;
    rebuildModel();
}

void DbLookupComboBox::setSortDeferredUntilShown(bool deferred)
{
    m_sortDeferred = deferred;
    if (m_sorted && !m_shown)
        m_sorted->setDynamicSortFilter(!deferred);
}

void DbLookupComboBox::showEvent(QShowEvent *event)
{
    if (!m_shown) {
        m_shown = true;
        if (m_sorted && !m_sorted->dynamicSortFilter())
            m_sorted->setDynamicSortFilter(true); // sorts now
    }
    QComboBox::showEvent(event);
}

void DbLookupComboBox::setBinding(Dataset *dataset, const QString &fieldName)
{
    m_link->setBinding(dataset, fieldName);
}

void DbLookupComboBox::setEmptyEntry(const QString &text)
{
    m_emptyText = text;
    rebuildModel();
}

Dataset *DbLookupComboBox::listDataset() const
{
    return m_list;
}

Dataset *DbLookupComboBox::dataset() const
{
    return m_link->dataset();
}

QString DbLookupComboBox::fieldName() const
{
    return m_link->fieldName();
}

int DbLookupComboBox::keyColumn() const
{
    for (int i = 0; i < m_displayFields.size(); ++i) {
        if (m_displayFields.at(i).compare(m_keyField, Qt::CaseInsensitive) == 0)
            return i;
    }
    return int(m_displayFields.size()); // the hidden column after the displayed ones
}

void DbLookupComboBox::rebuildModel()
{
    QStringList columns = m_displayFields;
    if (keyColumn() == columns.size())
        columns << m_keyField;

    // The models of one configuration live under one holder, replaced as a whole. The combo box itself
    // deletes a model it is the parent of, so it is not theirs.
    auto *holder = new QObject(this);
    auto *listModel = new DatasetTableModel(m_list, columns, holder);
    listModel->setReadOnly(true);
    auto *sorted = new CollatedSortModel(listModel, holder);
    sorted->setSortRole(Qt::EditRole); // the raw value: no display formatting per comparison
    sorted->setSortCaseSensitivity(Qt::CaseInsensitive);
    sorted->setSortLocaleAware(true);
    sorted->sort(0);
    // Until then the rows stay in the dataset's order; showEvent() sorts them and keeps them sorted.
    if (m_sortDeferred && !m_shown)
        sorted->setDynamicSortFilter(false);

    auto *items = new QConcatenateTablesProxyModel(holder);
    QStandardItemModel *emptyRow = nullptr;
    if (!m_emptyText.isEmpty()) {
        emptyRow = new QStandardItemModel(1, int(columns.size()), holder);
        emptyRow->setItem(0, 0, new QStandardItem(m_emptyText));
        items->addSourceModel(emptyRow);
    }
    items->addSourceModel(sorted);

    QObject *const oldHolder = m_modelHolder;
    m_modelHolder = holder;
    m_listModel = listModel;
    m_sorted = sorted;
    m_emptyRow = emptyRow;
    m_items = items;
    setModel(items);
    setModelColumn(0);
    delete oldHolder;

    connect(items, &QAbstractItemModel::rowsInserted, this, &DbLookupComboBox::afterModelChange);
    connect(items, &QAbstractItemModel::rowsAboutToBeRemoved, this, &DbLookupComboBox::onRowsAboutToBeRemoved);
    connect(items, &QAbstractItemModel::rowsRemoved, this, &DbLookupComboBox::onRowsRemoved);
    connect(items, &QAbstractItemModel::dataChanged, this, &DbLookupComboBox::afterModelChange);
    connect(items, &QAbstractItemModel::layoutChanged, this, &DbLookupComboBox::afterModelChange);
    connect(items, &QAbstractItemModel::modelReset, this, &DbLookupComboBox::afterModelReset);
    connect(listModel, &QAbstractItemModel::modelReset, this, &DbLookupComboBox::configureView);
    configureView();

    if (m_link->dataset())
        followField();
    else
        showChoice(m_choice);
}

void DbLookupComboBox::configureView()
{
    m_view->horizontalHeader()->hide();
    m_view->verticalHeader()->hide();
    m_view->setShowGrid(false);
    m_view->setWordWrap(false);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Fixed row heights keep a long list from measuring every row.
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_view->horizontalHeader()->setStretchLastSection(true);
    const int displayed = int(m_displayFields.size());
    for (int c = 0; c < m_listModel->columnCount(); ++c)
        m_view->setColumnHidden(c, c >= displayed);
    // Every displayed column but the last (which stretches) gets the width of its field.
    const int charWidth = fontMetrics().averageCharWidth();
    for (int c = 0; c + 1 < displayed; ++c) {
        const int field = m_listModel->fieldIndex(c);
        int chars = 10;
        if (field >= 0) {
            const FieldDef &f = m_list->field(field);
            chars = f.displayWidth > 0 ? f.displayWidth : (f.width > 0 ? f.width : chars);
        }
        // Short codes are often capitals, wider than the average character.
        const int width = std::max(qBound(2, chars, 40) * charWidth,
                                   fontMetrics().horizontalAdvance(QString(std::min(chars, 6), u'M')));
        m_view->setColumnWidth(c, width + 12);
    }
}

DbLookupComboBox::Choice DbLookupComboBox::choiceAt(int row) const
{
    if (row < 0 || row >= count())
        return {};
    if (m_emptyRow && row == 0)
        return {Choice::EmptyEntry, {}};
    return {Choice::Key, m_items->index(row, keyColumn()).data(Qt::EditRole).toString()};
}

int DbLookupComboBox::rowOfKey(const QString &key) const
{
    const int column = keyColumn();
    for (int r = 0; r < m_listModel->rowCount(); ++r) {
        const QModelIndex index = m_listModel->index(r, column);
        const QVariant value = index.data(Qt::EditRole);
        if (!value.isNull() && value.toString() == key)
            return m_items->mapFromSource(m_sorted->mapFromSource(index)).row();
    }
    return -1;
}

int DbLookupComboBox::rowOf(const Choice &choice) const
{
    switch (choice.kind) {
    case Choice::EmptyEntry:
        return m_emptyRow ? 0 : -1;
    case Choice::Key:
        return rowOfKey(choice.key);
    case Choice::None:
        break;
    }
    return -1;
}

void DbLookupComboBox::showChoice(const Choice &choice)
{
    const int row = rowOf(choice);
    m_choice = row < 0 ? Choice{} : choice;
    if (row != currentIndex())
        setCurrentIndex(row);
}

bool DbLookupComboBox::apply(const Choice &choice)
{
    if (m_link->dataset()) {
        if (choice.kind == Choice::None)
            return true;
        return m_link->writeValue(choice.kind == Choice::Key ? QVariant(choice.key) : QVariant());
    }
    if (choice.kind == Choice::Key && m_list) {
        try {
            m_list->locate(m_keyField, choice.key);
        } catch (const Error &e) {
            dialogs().message(nullptr, e.text(), Dialogs::Kind::Error);
            return false;
        }
    }
    return true;
}

void DbLookupComboBox::onActivated(int row)
{
    const Choice choice = choiceAt(row);
    const bool differs = choice != m_choice; // before apply(): the bound field reports back at once
    if (!apply(choice)) {
        if (m_link->dataset())
            followField();
        else
            showChoice(m_choice);
        return;
    }
    m_choice = choice;
    if (differs)
        emit changed();
}

QString DbLookupComboBox::text() const
{
    const Choice choice = choiceAt(currentIndex());
    switch (choice.kind) {
    case Choice::EmptyEntry:
        return m_emptyText;
    case Choice::Key:
        return choice.key;
    case Choice::None:
        break;
    }
    return {};
}

void DbLookupComboBox::setText(const QString &text)
{
    Choice choice;
    if (m_emptyRow && text == m_emptyText)
        choice = {Choice::EmptyEntry, {}};
    else if (rowOfKey(text) >= 0)
        choice = {Choice::Key, text};
    const bool differs = choice != m_choice;
    if (!apply(choice)) {
        if (m_link->dataset())
            followField();
        return;
    }
    showChoice(choice);
    if (differs)
        emit changed();
}

void DbLookupComboBox::followField()
{
    if (!m_link->dataset())
        return;
    const QVariant value = m_link->value();
    showChoice(value.isNull() ? Choice{} : Choice{Choice::Key, value.toString()});
}

void DbLookupComboBox::afterModelChange()
{
    if (m_link->dataset()) {
        followField();
        return;
    }
    // The combo box keeps its current item through renames and re-sorts: take the item's new key. When rows
    // arrive in an empty list it picks the first one by itself: undo that.
    if (currentIndex() >= 0 && m_choice.kind != Choice::None)
        m_choice = choiceAt(currentIndex());
    else if (currentIndex() != rowOf(m_choice))
        showChoice(m_choice);
}

void DbLookupComboBox::afterModelReset()
{
    // The combo box has lost its item (and may have picked the first row): choose again by key.
    if (m_link->dataset())
        followField();
    else
        showChoice(m_choice);
}

void DbLookupComboBox::onRowsAboutToBeRemoved(const QModelIndex &, int first, int last)
{
    m_currentRemoved = currentIndex() >= first && currentIndex() <= last;
}

void DbLookupComboBox::onRowsRemoved()
{
    const bool removed = m_currentRemoved;
    m_currentRemoved = false;
    if (m_link->dataset()) {
        followField();
        return;
    }
    if (!removed) {
        afterModelChange();
        return;
    }
    // The chosen row is gone; the combo box would show a neighbour instead.
    m_choice = {};
    setCurrentIndex(-1);
}

void DbLookupComboBox::showPopup()
{
    if (m_dropDownWidth > 0)
        m_view->setMinimumWidth(m_dropDownWidth);
    QComboBox::showPopup();
}

void DbLookupComboBox::hidePopup()
{
    const bool wasOpen = m_view->isVisible();
    QComboBox::hidePopup();
    // The combo box closes the list before it reports the item chosen; report the closing after that.
    if (wasOpen)
        QMetaObject::invokeMethod(this, &DbLookupComboBox::closedUp, Qt::QueuedConnection);
}

} // namespace quotaly::ui

#pragma once

#include <QComboBox>
#include <QPointer>
#include <QStringList>

class QConcatenateTablesProxyModel;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

namespace quotaly {
class Dataset;
} // namespace quotaly

namespace quotaly::ui {

class DataLink;
class DatasetTableModel;

/// A drop-down list of the rows of a list dataset, sorted by the first display field, showing the display
/// fields as columns and standing for the key field's value.
///
/// With a data binding, choosing an item stores its key in the bound field and the list follows that field.
/// Without one, choosing an item makes the list dataset's row with that key current. An optional empty entry
/// comes first. The list is a model over the dataset, so it follows inserts, deletes and renames and copes
/// with a hundred thousand rows.
class DbLookupComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit DbLookupComboBox(QWidget *parent = nullptr);

    void setListSource(Dataset *list, const QString &keyField, const QStringList &displayFields);
    /// Stores the chosen key in a field of another dataset; nullptr removes the binding.
    void setBinding(Dataset *dataset, const QString &fieldName);
    /// An entry shown first with this text; an empty text removes it.
    void setEmptyEntry(const QString &text);
    QString emptyEntryText() const { return m_emptyText; }
    void setDropDownWidth(int pixels) { m_dropDownWidth = pixels; }
    int dropDownWidth() const { return m_dropDownWidth; }
    void setDropDownRows(int rows) { setMaxVisibleItems(rows); }

    Dataset *listDataset() const;
    Dataset *dataset() const;
    QString fieldName() const;

    /// The key of the chosen item, the empty entry's text when that is chosen, empty when nothing is.
    QString text() const;
    /// Chooses the item with that key (or the empty entry by its text) as if the user had: stores the key or
    /// moves the list dataset, and emits changed() when the choice differs from before. A key not in the list
    /// leaves nothing chosen.
    void setText(const QString &text);

    /// For a box on a window that is often never opened: its list is put in order when the box is first shown,
    /// not each time the list dataset is read (a long client list takes a noticeable time to sort).
    void setSortDeferredUntilShown(bool deferred);

    void showPopup() override;
    void hidePopup() override;

signals:
    /// The choice changed, by the user or by setText().
    void changed();
    /// The drop-down list closed (delivered once the choice it made has been handled).
    void closedUp();

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Choice
    {
        enum Kind
        {
            None,
            EmptyEntry,
            Key
        } kind = None;
        QString key;
        bool operator==(const Choice &) const = default;
    };

    void rebuildModel();
    void configureView();
    int keyColumn() const;
    Choice choiceAt(int row) const;
    int rowOf(const Choice &choice) const;
    int rowOfKey(const QString &key) const;
    void showChoice(const Choice &choice);
    bool apply(const Choice &choice);
    void onActivated(int row);
    void followField();
    void afterModelChange();
    void afterModelReset();
    void onRowsAboutToBeRemoved(const QModelIndex &parent, int first, int last);
    void onRowsRemoved();

    QPointer<Dataset> m_list;
    QString m_keyField;
    QStringList m_displayFields;
    QString m_emptyText;
    int m_dropDownWidth = 0;
    DataLink *m_link;
    QObject *m_modelHolder = nullptr;
    DatasetTableModel *m_listModel = nullptr;
    QSortFilterProxyModel *m_sorted = nullptr;
    QStandardItemModel *m_emptyRow = nullptr;
    QConcatenateTablesProxyModel *m_items = nullptr;
    QTableView *m_view;
    Choice m_choice; // what is chosen, kept across resets of the list
    bool m_currentRemoved = false;
    bool m_sortDeferred = false;
    bool m_shown = false;
};

} // namespace quotaly::ui

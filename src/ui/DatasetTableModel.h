#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStringList>

namespace quotaly {
class Dataset;
} // namespace quotaly

namespace quotaly::ui {

/// A table model over the rows a dataset shows. One column per field, or per field named in a chosen list
/// (a name the dataset lacks gives an empty column). DisplayRole is the dataset's display text (display
/// format applied), EditRole the raw value. Edits go through the dataset: an edit it refuses is shown as a
/// message and leaves the row as it was. Follows the dataset row by row; a reset costs nothing per row.
class DatasetTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit DatasetTableModel(Dataset *dataset, QObject *parent = nullptr);
    DatasetTableModel(Dataset *dataset, const QStringList &fieldNames, QObject *parent = nullptr);

    Dataset *dataset() const;
    /// The columns by field name; an empty list shows every field.
    void setFieldNames(const QStringList &fieldNames);
    const QStringList &fieldNames() const { return m_fieldNames; }
    /// The dataset field shown in a column, -1 when the dataset has no such field.
    int fieldIndex(int column) const;
    /// The column showing a field (name compared without regard to case), -1 when none does.
    int columnOfField(const QString &fieldName) const;

    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

private:
    void reset();
    void resolveColumns();
    int datasetRowCount() const;
    void onRowInserted(int row);
    void onRowRemoved(int row);
    void onRowChanged(int row);
    void onStateChanged();
    bool storeValue(int row, int field, const QVariant &value);

    QPointer<Dataset> m_dataset;
    QStringList m_fieldNames;
    QList<int> m_columns; // dataset field index per column, -1 for a missing field
    int m_rowCount = 0;
    bool m_active = false;
    bool m_readOnly = false;
};

} // namespace quotaly::ui

#pragma once

#include "GridColumn.h"

#include <QBrush>
#include <QHash>
#include <QList>
#include <QSortFilterProxyModel>

namespace quotaly::ui {

class DatasetTableModel;

/// The view side of a dataset table model: applies a grid's column settings (titles, alignment, display
/// format overrides, read-only columns) and marks the dataset's current row. Rows come in the model's order
/// for now; sorting and filtering by column belong here.
class GridProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit GridProxyModel(QObject *parent = nullptr);

    void setTableModel(DatasetTableModel *model);
    DatasetTableModel *tableModel() const { return m_model; }

    /// The settings of a field's column (name compared without regard to case), created on first use.
    /// Call settingsChanged() after changing them.
    GridColumn &settings(const QString &fieldName);
    /// Tells the views that column settings changed.
    void settingsChanged();
    /// The settings that apply to a column; defaults for a column without settings.
    const GridColumn &columnSettings(int column) const;
    /// The display format numbers of a column are shown with: the column's own, else the field's.
    QString displayFormat(int column) const;
    /// The horizontal alignment of a column's cells: its own, else numbers right and everything else left.
    Qt::Alignment columnAlignment(int column) const;
    /// The dataset field shown in a column, -1 when none.
    int fieldIndex(int column) const;

    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }

    /// Paints the cells of one source row (the dataset's current row) with a brush; -1 for none.
    void setCurrentSourceRow(int row);
    void setCurrentRowBrush(const QBrush &brush) { m_currentBrush = brush; }

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void invalidateColumns() { m_resolvedValid = false; }
    const QList<GridColumn> &resolved() const;
    bool isNumeric(int column) const;
    void emitRowChanged(int sourceRow);

    DatasetTableModel *m_model = nullptr;
    QHash<QString, GridColumn> m_settings; // by lower-case field name
    mutable QList<GridColumn> m_resolved;  // per column, rebuilt after a reset or a change of settings
    mutable bool m_resolvedValid = false;
    bool m_readOnly = false;
    int m_currentRow = -1;
    QBrush m_currentBrush;
};

} // namespace quotaly::ui

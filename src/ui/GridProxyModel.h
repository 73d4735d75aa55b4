#pragma once

#include "GridCollationCache.h"
#include "GridColumn.h"
#include "dataset/RowCollator.h"

#include <functional>

#include <QBrush>
#include <QHash>
#include <QList>
#include <QPair>
#include <QSortFilterProxyModel>
#include <QStringList>

namespace quotaly::ui {

class DatasetTableModel;

/// The view side of a dataset table model: applies a grid's column settings (titles, alignment, display
/// format overrides, read-only columns, filters), marks the dataset's current row and orders the rows.
///
/// Rows sort by the texts their columns show, by several columns at once, in the order of the locale
/// (RowCollator); rows equal by every key keep the dataset's order. Group fields sort ahead of the sort
/// fields. Sort fields, group fields and filters are kept by field name, so they survive reloads. The order
/// and the filter follow the dataset as rows come, go and change.
class GridProxyModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    using SortFields = QList<QPair<QString, Qt::SortOrder>>;

    explicit GridProxyModel(QObject *parent = nullptr);

    void setTableModel(DatasetTableModel *model);
    DatasetTableModel *tableModel() const { return m_model; }

    /// The settings of a field's column (name compared without regard to case), created on first use.
    /// Call settingsChanged() after changing them.
    GridColumn &settings(const QString &fieldName);
    /// Tells the views that column settings changed.
    void settingsChanged();
    /// Like settingsChanged(), for a change that alters the texts of cells (a display format): the rows are
    /// sorted and filtered again.
    void textsChanged();
    /// The settings that apply to a column; defaults for a column without settings.
    const GridColumn &columnSettings(int column) const;
    /// The display format numbers of a column are shown with: the column's own, else the field's.
    QString displayFormat(int column) const;
    /// The horizontal alignment of a column's cells: its own, else numbers right and everything else left.
    Qt::Alignment columnAlignment(int column) const;
    /// The dataset field shown in a column, -1 when none.
    int fieldIndex(int column) const;
    /// The name of the field a column shows.
    QString fieldName(int column) const;
    /// True when the column holds numbers.
    bool isNumeric(int column) const;
    /// The text a column shows for a row of the table model.
    QString displayText(int sourceRow, int column) const;

    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }

    // --- Order ----------------------------------------------------------------------------------------
    /// Sorts by these fields in priority order; empty: the dataset's order.
    void setSortFields(const SortFields &fields);
    const SortFields &sortFields() const { return m_sortFields; }
    /// Fields the rows are grouped by, outermost first: they sort ahead of the sort fields, each in its
    /// direction as a sort field, else ascending.
    void setGroupFields(const QStringList &fields);
    const QStringList &groupFields() const { return m_groupFields; }
    /// The columns grouped by, outermost first (fields the model does not show are left out).
    QList<int> groupColumns() const;
    /// A table view's own header sort: by that column only; -1 for the dataset's order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // --- Filter ---------------------------------------------------------------------------------------
    /// Sets or (nullopt) removes a column's filter.
    void setColumnFilter(const QString &field, const std::optional<ColumnFilter> &filter);
    void clearColumnFilters();
    /// Shows only the source rows `accepts` takes, besides the column filters; an empty function takes every row.
    void setRowFilter(std::function<bool(int sourceRow)> accepts);
    /// True when a column the model shows has a filter.
    bool isFiltered() const;
    /// The texts a column shows on the rows that pass every other column's filter: non-empty, without
    /// repeats that differ only in letter case, in the locale's order.
    QStringList filterValues(int column) const;

    // --- Current row ----------------------------------------------------------------------------------
    /// Paints the cells of one source row (the dataset's current row) with a brush; -1 for none.
    void setCurrentSourceRow(int row);
    /// The current row's background and (when not empty) text colour.
    void setCurrentRowBrush(const QBrush &background, const QBrush &foreground = {});

    /// True while the table model is letting rows go: the dataset has already dropped them but the model's
    /// row numbers have not caught up, so row texts are not to be read (this model drops its rows then).
    bool isSourceRemoving() const { return m_sourceRemoving; }

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    /// The table model has let rows go and everything agrees again.
    void sourceRowsSettled();

protected:
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    std::function<bool(int)> m_rowFilter;
    void invalidateColumns() { m_resolvedValid = false; }
    const QList<GridColumn> &resolved() const;
    const QList<SortKey> &sortKeys() const;
    int columnOfField(const QString &field) const;
    bool acceptsRow(int sourceRow, int ignoredColumn) const;
    void applySort();
    void rankFirstKey();
    void emitRowChanged(int sourceRow);
    void emitHeaderChanged();

    DatasetTableModel *m_model = nullptr;
    QHash<QString, GridColumn> m_settings; // by lower-case field name
    mutable QList<GridColumn> m_resolved;  // per column, rebuilt after a reset or a change of settings
    mutable QList<SortKey> m_sortKeys;     // group columns, then sort columns
    mutable QList<int> m_groupColumns;
    mutable QList<int> m_filterColumns; // columns with a filter
    mutable bool m_resolvedValid = false;
    mutable GridCollationCache m_collation;
    SortFields m_sortFields;
    QStringList m_groupFields;
    bool m_readOnly = false;
    bool m_sourceRemoving = false;
    int m_currentRow = -1;
    QBrush m_currentBrush;
    QBrush m_currentForeground;
};

} // namespace quotaly::ui

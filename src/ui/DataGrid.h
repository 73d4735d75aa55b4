#pragma once

#include "DataGridFooter.h"
#include "GridColumn.h"
#include "clients/ExportTable.h"
#include "reports/ReportText.h"

#include <functional>

#include <QPair>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QWidget>

class QKeyEvent;
class QPrinter;
class QScrollBar;
class QTableView;

namespace quotaly {
class Dataset;
} // namespace quotaly

namespace quotaly::ui {

class DatasetTableModel;
class GridFilterBar;
class GridFilterPopup;
class GridGroupModel;
class GridGroupPanel;
class GridHeaderView;
class GridIncrementalSearch;
class GridProxyModel;

/// The grid every window of the program shows a dataset in: a table view over the dataset's table model
/// through a proxy, plus a footer row under the columns (sums, counts, fixed texts, the current row's value).
///
/// Columns are configured by field name and keep their settings when the dataset reloads or changes its
/// columns; numbers follow the field's display format as the dataset has it at the time, unless the column
/// has a format of its own. The view's current row follows the dataset's current row and the other way round.
/// Selection is by cell, several rows and rectangles at once (Shift, Ctrl). Inside the grid Ctrl+C and
/// Ctrl+Insert copy the selection without a header block and Ctrl+A selects all.
///
/// Rows can be sorted by several columns (by the texts shown, in the locale's order), filtered by column,
/// searched by typing and grouped under heading rows; each of these is switched on per grid. Whatever the
/// grid shows follows the dataset as rows are added, deleted, changed or reloaded.
class DataGrid : public QWidget
{
    Q_OBJECT

public:
    explicit DataGrid(QWidget *parent = nullptr);
    ~DataGrid() override;

    // --- Data -----------------------------------------------------------------------------------------
    /// Shows a dataset: one column per field, or per field named in fieldNames, in that order.
    void setDataset(Dataset *dataset, const QStringList &fieldNames = {});
    Dataset *dataset() const;
    QTableView *view() const { return m_view; }
    GridProxyModel *proxyModel() const { return m_proxy; }

    // --- Columns (by field name, compared without regard to case) -------------------------------------
    /// A read-only grid edits nothing, whatever its columns say.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const;
    /// The column title; an empty title shows the field's display label again.
    void setColumnTitle(const QString &field, const QString &title);
    /// The title the column shows.
    QString columnTitle(const QString &field) const;
    void setColumnWidth(const QString &field, int pixels);
    void setColumnAlignment(const QString &field, Qt::Alignment alignment);
    /// A display format of the column's own ("0.000"); nullopt follows the field's display format again.
    void setColumnDisplayFormat(const QString &field, const std::optional<QString> &format);
    void setColumnVisible(const QString &field, bool visible);
    bool isColumnVisible(const QString &field) const;
    void setColumnReadOnly(const QString &field, bool readOnly);

    // --- Footer ---------------------------------------------------------------------------------------
    /// The footer row shows when at least one column has a footer. An empty alignment takes the column's.
    void setFooter(const QString &field, const ColumnFooter &footer);
    void setFooterSum(const QString &field, Qt::Alignment alignment = {}, bool bold = true);
    /// The number of rows, written with a display format such as "0 Clients".
    void setFooterCount(const QString &field, const QString &format, Qt::Alignment alignment = {}, bool bold = true);
    void setFooterText(const QString &field, const QString &text, Qt::Alignment alignment = {}, bool bold = true);
    void setFooterCurrentValue(const QString &field, Qt::Alignment alignment = {}, bool bold = true);
    bool hasFooter() const;
    /// The footer text under a field's column, as displayed.
    QString footerText(const QString &field) const;

    // --- Order ----------------------------------------------------------------------------------------
    using SortFields = QList<QPair<QString, Qt::SortOrder>>;
    /// Header clicks sort: a plain click by that column only (again: the other way round), Shift+click adds
    /// the column as the next key (or turns a key round), Ctrl+click takes the column out of the sort.
    void setSortingEnabled(bool enabled);
    bool isSortingEnabled() const { return m_sortingEnabled; }
    /// Replaces the sort: fields in priority order with their direction; empty: the dataset's order.
    void setSortOrder(const SortFields &fields);
    SortFields sortOrder() const;
    /// Columns can be dragged to another place in the header (on with sorting).
    void setColumnsMovable(bool movable);

    // --- Incremental search ---------------------------------------------------------------------------
    /// Typing letters in the grid moves to the first row whose text in the current column starts with them
    /// (without regard to case; letters typed without accents find accented ones too); Backspace takes one
    /// back; a pause, Esc or moving starts afresh. A small label in the grid's corner shows what was typed.
    void setIncrementalSearchEnabled(bool enabled);
    bool isIncrementalSearchEnabled() const { return m_search != nullptr; }
    /// What has been typed for the search going on; empty when none is.
    QString incrementalSearchText() const;

    // --- Filter ---------------------------------------------------------------------------------------
    /// Every column header gets a drop-down to filter by: "(All)", "(Custom...)" (a text the column contains)
    /// and the column's values. A bar under the grid shows the filter and clears it.
    void setColumnFilterEnabled(bool enabled);
    bool isColumnFilterEnabled() const { return m_filterEnabled; }
    /// Filters by a column's text, without regard to case: equal to `text` (exactValue) or containing it.
    /// Filters of several columns all apply. An empty contains-text removes the column's filter.
    void setColumnFilter(const QString &field, const QString &text, bool exactValue);
    void clearColumnFilters();
    /// Hides the dataset rows `accepts` does not take (on top of the column filters); an empty function shows all.
    void setRowFilter(std::function<bool(int datasetRow)> accepts);
    bool isFiltered() const;
    /// The filter in words, as the filter bar shows it ("City contains \"ro\" and FULLNAME = \"Acme\"").
    QString filterDescription() const;
    /// The values a column's drop-down offers.
    QStringList columnFilterValues(const QString &field) const;
    /// Opens a column's filter drop-down under its title.
    void showColumnFilter(const QString &field);

    // --- Grouping -------------------------------------------------------------------------------------
    /// A panel above the column headers: a header dragged onto it groups the rows by that column (several
    /// levels possible); a box dragged back onto the headers, or its close button, ungroups.
    void setGroupPanelVisible(bool visible);
    bool isGroupPanelVisible() const { return m_groupPanelVisible; }
    /// Groups the rows by these fields, outermost first: a heading row ("FULLNAME : Acme (3)") above each
    /// group's rows, which sort by the group fields first. Clicking a heading collapses or expands it.
    void setGroupFields(const QStringList &fields);
    QStringList groupFields() const;
    /// Expands or collapses every group heading.
    void setGroupsExpanded(bool expanded);

    // --- Rows -----------------------------------------------------------------------------------------
    /// Selection by whole rows, several with Ctrl and Shift.
    void setRowSelect(bool on);
    /// The focused row is drawn highlighted across all columns, not just tinted.
    void setWholeRowHighlight(bool on);
    /// The data rows the grid holds now (after filtering; group headings are not rows).
    int displayRowCount() const;
    /// Dataset row numbers in display order (after sorting, filtering and grouping; rows of collapsed groups
    /// included).
    QList<int> displayedDatasetRows() const;
    /// The texts of a dataset row as the grid displays them; a field without a column gives the dataset's text.
    QStringList displayTexts(int datasetRow, const QStringList &fields) const;
    /// Focuses a row, moving the dataset to it too and opening a collapsed group it is in; nothing for a row
    /// the filter hides.
    void setCurrentDatasetRow(int datasetRow);
    /// The dataset rows holding selected cells of visible columns, in display order.
    QList<int> selectedDatasetRows() const;
    /// Replaces the selection by these dataset rows; rows the grid does not show (filtered out, or in a
    /// collapsed group) are skipped.
    void selectDatasetRows(const QList<int> &datasetRows);
    /// Puts the current cell on the dataset's current row in the field's column and opens its editor when the
    /// column can be edited.
    void editField(const QString &field);
    /// Puts the current cell on a dataset row in a field's column without opening its editor.
    void setCurrentCell(int datasetRow, const QString &field);
    /// Tab and Shift+Tab stay in the current row, going round its columns.
    void setTabWithinRow(bool on);
    /// The field that names a row: the selection then follows the rows through a reset or reload of the
    /// dataset. The key need not be unique: rows that share it are told apart by all their values and, when
    /// those are equal too, by their order, so a reset never widens the selection to other rows with the
    /// same key. Empty: the selection follows the rows while they exist.
    void setKeyField(const QString &field);
    const QString &keyField() const { return m_keyField; }
    /// The visible columns in display order with their titles and the rows in display order as displayed;
    /// group headings as lines of their own; no footer.
    ExportTable exportTable() const;

    // --- Selection and clipboard ----------------------------------------------------------------------
    /// Selects every row and column; nothing when the dataset is closed or empty.
    void selectAll();
    void clearSelection();
    /// True when a cell of a visible column is selected.
    bool hasSelection() const;
    /// The selection as displayed: the titles of the visible columns holding selected cells, one row per
    /// record holding selected cells (in display order; cells not selected are empty), and the footer texts
    /// of those columns when the grid has a footer. Hidden columns are never part of it.
    ReportTable selectionTable() const;
    /// Puts the selection on the clipboard in one go as plain text and CSV (both after headerBlock, when not
    /// empty), RTF, HTML and the grid flavour. False, with the clipboard left as it was, when the dataset is
    /// closed or nothing is selected.
    bool copySelection(const QString &headerBlock = {});

    // --- Printing -------------------------------------------------------------------------------------
    /// Lines printed in small type at the top of every page.
    void setPageHeader(const QStringList &lines) { m_pageHeader = lines; }
    const QStringList &pageHeader() const { return m_pageHeader; }
    /// Prints every row of the visible columns with the footer. False, with a message shown, when the
    /// printer cannot start (e.g. a PDF file that cannot be written).
    bool print(QPrinter *printer);
    /// Opens the print preview, from which the user prints or sets up the printer.
    void printPreview(QWidget *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    int columnOf(const QString &field) const;
    int datasetRowAt(int viewRow) const;
    QModelIndex viewIndex(int datasetRow, int column) const;
    void onHeaderSortClicked(int column, Qt::KeyboardModifiers modifiers);
    void connectGrouping();
    void updateGroupPanel();
    void onSectionDropped(int column, const QPoint &globalPos);
    void onGroupBoxDropped(const QString &field, const QPoint &globalPos);
    void onViewClicked(const QModelIndex &index);
    bool groupKey(const QKeyEvent *key);
    void updateFilterBar();
    void updateHeaderMenu();
    void onHeaderMenu(const QPoint &pos);
    void onRowsChanging();
    void onRowsChanged();
    void followRows();
    void onAboutToReset();
    void onReset();
    void rememberSelectedKeys();
    QList<int> rowsOfSelectedKeys() const;
    QString rowContents(int datasetRow) const;
    GridColumn &settings(const QString &field);
    void settingsChanged();
    void applyColumns();
    int defaultWidth(int column) const;
    int headerMargin() const;
    void updateHeaderHeight();
    void onSectionResized(int column, int oldSize, int newSize);
    void onViewCurrentChanged(const QModelIndex &current);
    void onDatasetCurrentChanged();
    void invalidateFooter();
    FooterCell footerCell(int column) const;
    QString footerValue(int column) const;
    QList<int> visibleColumns() const;
    void syncScrollBar();
    void updateCurrentRowBrush();

    GridGroupPanel *m_groupPanel;
    QTableView *m_view;
    GridHeaderView *m_header;
    GridProxyModel *m_proxy; // sorts and filters the dataset's rows
    GridGroupModel *m_group; // puts group headings among them; the view shows this
    DataGridFooter *m_footer;
    QScrollBar *m_scrollBar; // below the footer, mirrors the view's own horizontal scroll bar
    GridFilterBar *m_filterBar;
    GridIncrementalSearch *m_search = nullptr;
    GridFilterPopup *m_filterPopup = nullptr; // made when first opened
    QString m_filterField;                    // the column the drop-down is open for
    DatasetTableModel *m_model = nullptr;
    QPointer<Dataset> m_dataset;
    QStringList m_pageHeader;
    mutable QList<FooterCell> m_footerCells; // worked out when first needed after a change
    mutable bool m_footerValid = false;
    bool m_applyingColumns = false;
    bool m_sortingEnabled = false;
    bool m_filterEnabled = false;
    bool m_groupPanelVisible = false;
    bool m_wholeRowHighlight = false;
    QString m_keyField;
    // With a key field: what identifies each selected row — its key, all its values, and how many rows with
    // the same values come before it in the dataset.
    struct RowIdentity
    {
        QString key;
        QString contents;
        int occurrence = 0;
    };
    QList<RowIdentity> m_selectedKeys;
    QList<QPersistentModelIndex> m_keptSelection; // without one: the selected rows across a reset of the view
    bool m_rowsChanging = false;                  // the view's rows are being changed; the selection is in flux
};

} // namespace quotaly::ui

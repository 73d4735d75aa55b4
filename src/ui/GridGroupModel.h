#pragma once

#include <functional>
#include <vector>

#include <QAbstractProxyModel>
#include <QList>
#include <QPersistentModelIndex>
#include <QSet>
#include <QStringList>

namespace quotaly::ui {

/// Puts group heading rows ("FULLNAME : Acme (3)") above the runs of rows that show the same texts in the
/// grouped columns, one level of headings per column. The rows must come sorted by the grouped columns first
/// (GridProxyModel does that). A heading can be collapsed, hiding its rows and inner headings.
///
/// Without grouped columns the model passes the source's rows through one to one, change by change. Grouped,
/// it lays the headings out afresh (a model reset) whenever the source's rows come, go, move or change in a
/// grouped column; collapsed headings stay collapsed by their texts.
class GridGroupModel : public QAbstractProxyModel
{
    Q_OBJECT

public:
    /// One line of the grouped rows, for export.
    struct Line
    {
        int sourceRow = -1; ///< the source row, -1 for a heading
        QString heading;    ///< a heading's text
        int level = 0;      ///< a heading's level
    };

    explicit GridGroupModel(QObject *parent = nullptr);

    void setSourceModel(QAbstractItemModel *source) override;
    /// While `busy` says so, the source's rows and their texts may not agree, so a new layout waits for
    /// finishWaitingLayout().
    void setWaitWhile(std::function<bool()> busy) { m_busy = std::move(busy); }
    void finishWaitingLayout();
    /// Groups by these source columns, outermost first; empty: no headings.
    void setGroupColumns(const QList<int> &columns);
    const QList<int> &groupColumns() const { return m_columns; }
    bool isGrouped() const { return !m_columns.isEmpty(); }

    bool isHeading(int row) const;
    bool isExpanded(int row) const;
    /// Shows or hides the rows under a heading row.
    void setExpanded(int row, bool expanded);
    void setAllExpanded(bool expanded);
    /// Expands every heading above a source row, so that the row shows.
    void reveal(int sourceRow);
    /// Every heading and row in display order, collapsed ones included.
    QList<Line> allLines() const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Group
    {
        int level = 0;
        int parent = -1;  // index in m_groups
        int firstRow = 0; // source row it begins at
        int count = 0;    // source rows in it
        QString text;
        QString key; // the texts of it and its outer groups, which keep it collapsed across layouts
    };
    struct Entry
    {
        int group = -1;     // the heading's group, or the row's innermost group
        int sourceRow = -1; // -1 for a heading
    };

    void connectSource();
    void buildGroups();
    QList<Entry> visibleEntries(std::vector<int> *sourceToEntry) const;
    bool groupExpanded(int group) const { return !m_collapsed.contains(m_groups.at(group).key); }
    QString headingText(const Group &group) const;
    void relayout();
    void beginRelayout();
    void endRelayout();

    // Pass-through of the source's changes while not grouped.
    void onLayoutAboutToBeChanged();
    void onLayoutChanged();
    void onDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles);

    QList<int> m_columns;
    QList<Group> m_groups;
    QList<Entry> m_entries;           // what the view shows
    std::vector<int> m_sourceToEntry; // source row -> entry, -1 when not shown
    QSet<QString> m_collapsed;
    bool m_resetting = false;
    std::function<bool()> m_busy;
    bool m_layoutWaiting = false;                // a layout to finish once the source settles
    QList<QPersistentModelIndex> m_layoutSource; // the source's side of our persistent indexes across a layout change
    QModelIndexList m_layoutProxy;
};

} // namespace quotaly::ui

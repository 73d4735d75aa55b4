// Grouping: heading rows, collapsing them, the group panel, and grouped rows that follow a changing dataset.
#include "ClientGrid.h"
#include "ui/GridTableView.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace quotaly;
using namespace quotaly::ui;
using namespace quotaly::test;

using SortFields = DataGrid::SortFields;
Q_DECLARE_METATYPE(SortFields)

namespace {

const QList<QStringList> kClients{{u"Acme"_s, u"Oslo"_s, u"gold"_s}, {u"Bolt"_s, u"Rome"_s, u"tin"_s},
                                  {u"Corp"_s, u"Oslo"_s, u"tin"_s},  {u"Dent"_s, u"Bern"_s, u"gold"_s},
                                  {u"Echo"_s, u"Rome"_s, u"gold"_s}, {u"Fox"_s, u"Oslo"_s, u"gold"_s}};

// The export as text: "# heading" for a heading, the cells joined by "|" for a row.
QStringList lines(const DataGrid &grid)
{
    QStringList result;
    for (const ExportTable::Line &line : grid.exportTable().lines)
        result << (line.isGroupHeading ? u"# "_s + line.heading : line.cells.join(u'|'));
    return result;
}

// What the view shows, the same way.
QStringList viewLines(const DataGrid &grid)
{
    QStringList result;
    const QAbstractItemModel *model = grid.view()->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        const QModelIndex first = model->index(r, 0);
        if (first.data(GroupLevelRole).isValid()) {
            result << u"# "_s + first.data(GroupHeadingRole).toString();
            continue;
        }
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells << model->index(r, c).data().toString();
        result << cells.join(u'|');
    }
    return result;
}

int headingRow(const DataGrid &grid, const QString &heading)
{
    const QAbstractItemModel *model = grid.view()->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->index(r, 0).data(GroupHeadingRole).toString() == heading)
            return r;
    }
    return -1;
}

// The grouped lines worked out from the dataset: rows that pass `keep`, ordered by RowCollator on the group
// fields and then the sort, a heading wherever a group text changes.
QStringList expectedLines(const ClientGrid &c, const QStringList &groups, const SortFields &sort,
                          const std::function<bool(const QStringList &)> &keep)
{
    SortFields keys;
    for (const QString &g : groups) {
        const auto own = std::find_if(sort.cbegin(), sort.cend(), [&](const auto &k) { return k.first == g; });
        keys.append({g, own != sort.cend() ? own->second : Qt::AscendingOrder});
    }
    for (const auto &k : sort) {
        if (!groups.contains(k.first))
            keys.append(k);
    }
    QStringList result;
    QStringList previous;
    QList<QStringList> rows;
    for (const int r : c.expectedOrder(keys)) {
        const QStringList row{c.ds.displayText(r, 0), c.ds.displayText(r, 1), c.ds.displayText(r, 2)};
        if (keep(row))
            rows << row;
    }
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QStringList &row = rows.at(i);
        for (qsizetype level = 0; level < groups.size(); ++level) {
            const int column = int(kFields.indexOf(groups.at(level)));
            const bool same =
                !previous.isEmpty() && std::all_of(groups.cbegin(), groups.cbegin() + level + 1, [&](const QString &g) {
                    return previous.at(kFields.indexOf(g)) == row.at(kFields.indexOf(g));
                });
            if (same)
                continue;
            qsizetype count = 0;
            for (qsizetype j = i; j < rows.size(); ++j) {
                const bool inGroup = std::all_of(groups.cbegin(), groups.cbegin() + level + 1, [&](const QString &g) {
                    return rows.at(j).at(kFields.indexOf(g)) == row.at(kFields.indexOf(g));
                });
                if (!inGroup)
                    break;
                ++count;
            }
            result << u"# %1 : %2 (%3)"_s.arg(groups.at(level), row.at(column)).arg(count);
        }
        result << row.join(u'|');
        previous = row;
    }
    return result;
}

void dragHeaderTo(DataGrid &grid, int column, QWidget *target, QPoint at)
{
    QHeaderView *header = grid.view()->horizontalHeader();
    QWidget *viewport = header->viewport();
    const QPoint start = sectionCentre(header, column);
    const QPoint end = viewport->mapFromGlobal(target->mapToGlobal(at));
    QTest::mousePress(viewport, Qt::LeftButton, {}, start);
    QTest::mouseMove(viewport, start + QPoint(0, -header->height()));
    QTest::mouseMove(viewport, end);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, end);
}

void dragWidgetTo(QWidget *widget, QWidget *target, QPoint at)
{
    const QPoint start = widget->rect().center();
    const QPoint end = widget->mapFromGlobal(target->mapToGlobal(at));
    QTest::mousePress(widget, Qt::LeftButton, {}, start);
    QTest::mouseMove(widget, start + QPoint(10, 10));
    QTest::mouseMove(widget, end);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, end);
}

} // namespace

class tst_DataGridGroups : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void headings_data();
    void headings();
    void collapse();
    void groupPanel();
    void headerMenu_data();
    void headerMenu();
    void selection();
    void followsDatasetChanges_data();
    void followsDatasetChanges();
};

void tst_DataGridGroups::headings_data()
{
    QTest::addColumn<QStringList>("groups");
    QTest::addColumn<SortFields>("sort");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("by city") << QStringList{u"City"_s} << SortFields{}
                             << QStringList{u"# City : Bern (1)"_s, u"Dent|Bern|gold"_s, u"# City : Oslo (3)"_s,
                                            u"Acme|Oslo|gold"_s,    u"Corp|Oslo|tin"_s,  u"Fox|Oslo|gold"_s,
                                            u"# City : Rome (2)"_s, u"Bolt|Rome|tin"_s,  u"Echo|Rome|gold"_s};
    QTest::newRow("group sorted down, rows by name down")
        << QStringList{u"City"_s} << SortFields{{u"FULLNAME"_s, Qt::DescendingOrder}, {u"City"_s, Qt::DescendingOrder}}
        << QStringList{u"# City : Rome (2)"_s, u"Echo|Rome|gold"_s,    u"Bolt|Rome|tin"_s,
                       u"# City : Oslo (3)"_s, u"Fox|Oslo|gold"_s,     u"Corp|Oslo|tin"_s,
                       u"Acme|Oslo|gold"_s,    u"# City : Bern (1)"_s, u"Dent|Bern|gold"_s};
    QTest::newRow("two levels") << QStringList{u"EMail"_s, u"City"_s}
                                << SortFields{{u"FULLNAME"_s, Qt::DescendingOrder}}
                                << QStringList{u"# EMail : gold (4)"_s, u"# City : Bern (1)"_s, u"Dent|Bern|gold"_s,
                                               u"# City : Oslo (2)"_s,  u"Fox|Oslo|gold"_s,     u"Acme|Oslo|gold"_s,
                                               u"# City : Rome (1)"_s,  u"Echo|Rome|gold"_s,    u"# EMail : tin (2)"_s,
                                               u"# City : Oslo (1)"_s,  u"Corp|Oslo|tin"_s,     u"# City : Rome (1)"_s,
                                               u"Bolt|Rome|tin"_s};
    QTest::newRow("ungrouped: no headings")
        << QStringList{} << SortFields{{u"FULLNAME"_s, Qt::DescendingOrder}}
        << QStringList{u"Fox|Oslo|gold"_s, u"Echo|Rome|gold"_s, u"Dent|Bern|gold"_s,
                       u"Corp|Oslo|tin"_s, u"Bolt|Rome|tin"_s,  u"Acme|Oslo|gold"_s};
}

void tst_DataGridGroups::headings()
{
    QFETCH(QStringList, groups);
    QFETCH(SortFields, sort);
    QFETCH(QStringList, expected);
    ClientGrid c(kClients);
    c.grid.setSortOrder(sort);
    c.grid.setGroupFields(groups);

    QCOMPARE(lines(c.grid), expected);
    QCOMPARE(viewLines(c.grid), expected);
    QCOMPARE(c.grid.groupFields(), groups);
    QCOMPARE(c.grid.displayRowCount(), kClients.size());
    QCOMPARE(c.grid.footerText(u"FULLNAME"_s), u"6 Clients"_s);
    QStringList rowsOnly = expected;
    rowsOnly.removeIf([](const QString &line) { return line.startsWith(u'#'); });
    QStringList shown;
    for (const int r : c.grid.displayedDatasetRows())
        shown << c.grid.displayTexts(r, kFields).join(u'|');
    QCOMPARE(shown, rowsOnly);

    // A heading says the column's title.
    if (!groups.isEmpty()) {
        c.grid.setColumnTitle(groups.first(), u"Key"_s);
        QVERIFY(lines(c.grid).first().startsWith(u"# Key : "_s));
        QVERIFY(viewLines(c.grid).first().startsWith(u"# Key : "_s));
    }
}

void tst_DataGridGroups::collapse()
{
    ClientGrid c(kClients);
    c.grid.setGroupFields({u"City"_s});
    auto *view = static_cast<GridTableView *>(c.grid.view());
    const QStringList all = lines(c.grid);

    // A click on the heading collapses it; the rows stay in the grid (and in the export), only hidden.
    int oslo = headingRow(c.grid, u"City : Oslo (3)"_s);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(oslo, 1)).center());
    QCOMPARE(viewLines(c.grid), (QStringList{u"# City : Bern (1)"_s, u"Dent|Bern|gold"_s, u"# City : Oslo (3)"_s,
                                             u"# City : Rome (2)"_s, u"Bolt|Rome|tin"_s, u"Echo|Rome|gold"_s}));
    QVERIFY(!view->model()->index(oslo, 0).data(GroupExpandedRole).toBool());
    QCOMPARE(lines(c.grid), all);
    QCOMPARE(c.grid.displayRowCount(), 6);
    QCOMPARE(c.grid.displayedDatasetRows().size(), 6);

    // It stays collapsed while the rows change, by its text.
    c.ds.appendRecord({u"Gulf"_s, u"Oslo"_s, u"tin"_s});
    QCOMPARE(viewLines(c.grid).at(2), u"# City : Oslo (4)"_s);
    QCOMPARE(viewLines(c.grid).at(3), u"# City : Rome (2)"_s);

    // Keys: right expands the heading the grid is on, left collapses it.
    oslo = headingRow(c.grid, u"City : Oslo (4)"_s);
    view->setFocus();
    view->setCurrentIndex(view->model()->index(oslo, 0));
    QTest::keyClick(view, Qt::Key_Right);
    QCOMPARE(viewLines(c.grid).size(), 10);
    QTest::keyClick(view, Qt::Key_Left);
    QCOMPARE(viewLines(c.grid).size(), 6);

    // Focusing a row of a collapsed group opens the group.
    c.grid.setCurrentDatasetRow(c.rowOf(u"Corp"_s));
    QCOMPARE(c.ds.recNo(), c.rowOf(u"Corp"_s));
    QCOMPARE(view->model()->index(view->currentIndex().row(), 0).data().toString(), u"Corp"_s);

    c.grid.setGroupsExpanded(false);
    QCOMPARE(viewLines(c.grid), (QStringList{u"# City : Bern (1)"_s, u"# City : Oslo (4)"_s, u"# City : Rome (2)"_s}));
    c.grid.setGroupsExpanded(true);
    QCOMPARE(viewLines(c.grid).size(), 10);
}

// Dragging a column header onto the panel groups; its box's button, or dragging the box back, ungroups.
void tst_DataGridGroups::groupPanel()
{
    ClientGrid c(kClients);
    c.grid.setGroupPanelVisible(true);
    auto *panel = c.grid.findChild<QWidget *>(u"groupPanel"_s);
    QVERIFY(panel && panel->isVisible());
    QCOMPARE(panel->findChild<QLabel *>(u"groupHint"_s)->text(),
             u"Drag a column header here to group by that column"_s);

    dragHeaderTo(c.grid, 1, panel, panel->rect().center());
    QCOMPARE(c.grid.groupFields(), QStringList{u"City"_s});
    QVERIFY(c.grid.sortOrder().isEmpty()); // the drag was no click
    QCOMPARE(lines(c.grid).first(), u"# City : Bern (1)"_s);
    QVERIFY(!panel->findChild<QLabel *>(u"groupHint"_s)->isVisible());
    QVERIFY(panel->findChild<QWidget *>(u"group_City"_s));

    // A second level, dropped left of the first box, goes outermost.
    QApplication::processEvents();
    dragHeaderTo(c.grid, 2, panel, QPoint(2, panel->height() / 2));
    QCOMPARE(c.grid.groupFields(), (QStringList{u"EMail"_s, u"City"_s}));

    // A header let go elsewhere groups nothing; the column order stays as it was.
    dragHeaderTo(c.grid, 0, c.grid.view()->viewport(), QPoint(10, 40));
    QCOMPARE(c.grid.groupFields(), (QStringList{u"EMail"_s, u"City"_s}));
    QCOMPARE(c.grid.view()->horizontalHeader()->visualIndex(0), 0);

    QApplication::processEvents();
    panel->findChild<QToolButton *>(u"ungroup_EMail"_s)->click();
    QCOMPARE(c.grid.groupFields(), QStringList{u"City"_s});

    QApplication::processEvents();
    auto *box = panel->findChild<QWidget *>(u"group_City"_s);
    QVERIFY(box);
    QHeaderView *header = c.grid.view()->horizontalHeader();
    dragWidgetTo(box, header, header->rect().center());
    QVERIFY(c.grid.groupFields().isEmpty());
    QCOMPARE(viewLines(c.grid).size(), kClients.size());
}

void tst_DataGridGroups::headerMenu_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("expected"); // sort | filter | groups afterwards
    QTest::newRow("sort descending") << "Sort descending"
                                     << "City:1|FULLNAME contains \"o\"|EMail";
    QTest::newRow("clear sorting") << "Clear sorting"
                                   << "|FULLNAME contains \"o\"|EMail";
    QTest::newRow("clear filter") << "Clear filter"
                                  << "FULLNAME:0||EMail";
    QTest::newRow("group by this column") << "Group by this column"
                                          << "FULLNAME:0|FULLNAME contains \"o\"|EMail,City";
}

// The header's context menu offers the column's sort, the filter and grouping by that column.
void tst_DataGridGroups::headerMenu()
{
    QFETCH(QString, action);
    QFETCH(QString, expected);
    ClientGrid c(kClients);
    c.grid.setSortingEnabled(true);
    c.grid.setColumnFilterEnabled(true);
    c.grid.setGroupPanelVisible(true);
    c.grid.setSortOrder({{u"FULLNAME"_s, Qt::AscendingOrder}});
    c.grid.setColumnFilter(u"FULLNAME"_s, u"o"_s, false);
    c.grid.setGroupFields({u"EMail"_s});

    QHeaderView *header = c.grid.view()->horizontalHeader();
    emit header->customContextMenuRequested(sectionCentre(header, 1)); // on the City column
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QAction *chosen = nullptr;
    for (QAction *a : menu->actions()) {
        if (a->text() == action)
            chosen = a;
    }
    QVERIFY2(chosen && chosen->isEnabled(), qPrintable(action));
    chosen->trigger();
    menu->close();

    QStringList sort;
    for (const auto &[field, order] : c.grid.sortOrder())
        sort << u"%1:%2"_s.arg(field).arg(int(order));
    QCOMPARE(sort.join(u',') + u'|' + c.grid.filterDescription() + u'|' + c.grid.groupFields().join(u','), expected);
}

void tst_DataGridGroups::selection()
{
    ClientGrid c(kClients);
    c.grid.setRowSelect(true);
    c.grid.setKeyField(u"FULLNAME"_s);
    c.grid.setGroupFields({u"City"_s});
    c.grid.selectAll();
    QCOMPARE(c.names(c.grid.selectedDatasetRows()),
             (QStringList{u"Dent"_s, u"Acme"_s, u"Corp"_s, u"Fox"_s, u"Bolt"_s, u"Echo"_s}));

    // Copied, the selection has no heading lines.
    QVERIFY(c.grid.copySelection());
    QCOMPARE(c.grid.selectionTable().rows.size(), kClients.size());

    // The selection outlives a change of grouping.
    c.grid.selectDatasetRows({c.rowOf(u"Fox"_s), c.rowOf(u"Bolt"_s)});
    c.grid.setGroupFields({u"EMail"_s});
    QCOMPARE(c.names(c.grid.selectedDatasetRows()), (QStringList{u"Fox"_s, u"Bolt"_s}));
    c.grid.setGroupFields({});
    QCOMPARE(c.names(c.grid.selectedDatasetRows()), (QStringList{u"Bolt"_s, u"Fox"_s}));

    // Rows of a collapsed group cannot be selected.
    c.grid.setGroupFields({u"City"_s});
    c.grid.setGroupsExpanded(false);
    c.grid.selectDatasetRows({c.rowOf(u"Fox"_s), c.rowOf(u"Dent"_s)});
    QVERIFY(c.grid.selectedDatasetRows().isEmpty());
}

void tst_DataGridGroups::followsDatasetChanges_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("append into a group") << "append";
    QTest::newRow("append a new group") << "append-new";
    QTest::newRow("append filtered out") << "append-hidden";
    QTest::newRow("delete") << "delete";
    QTest::newRow("delete a group's last row") << "delete-last";
    QTest::newRow("edit the grouped column") << "edit-group";
    QTest::newRow("edit the sorted column") << "edit-sort";
    QTest::newRow("edit out of the filter") << "edit-hide";
    QTest::newRow("empty") << "empty";
    QTest::newRow("reload") << "reload";
}

// Sorted, filtered and grouped at once, the grid keeps showing exactly what the dataset holds.
void tst_DataGridGroups::followsDatasetChanges()
{
    QFETCH(QString, change);
    ClientGrid c(kClients + QList<QStringList>{{u"Hull"_s, u"Bern"_s, u"none"_s}});
    const QStringList groups{u"EMail"_s};
    const SortFields sort{{u"FULLNAME"_s, Qt::DescendingOrder}};
    c.grid.setRowSelect(true);
    c.grid.setSortOrder(sort);
    c.grid.setColumnFilter(u"City"_s, u"E"_s, false); // Bern, Rome; not Oslo
    c.grid.setGroupFields(groups);
    const auto keep = [](const QStringList &row) { return row.at(1).contains(u'e', Qt::CaseInsensitive); };
    QCOMPARE(lines(c.grid), expectedLines(c, groups, sort, keep));

    auto editRow = [&](const QString &name, const QString &field, const QString &value) {
        c.ds.setRecNo(c.rowOf(name));
        c.ds.edit();
        c.ds.setValue(field, value);
        c.ds.post();
    };
    if (change == u"append") {
        c.ds.appendRecord({u"Gulf"_s, u"Rome"_s, u"tin"_s});
    } else if (change == u"append-new") {
        c.ds.appendRecord({u"Gulf"_s, u"Kiel"_s, u"lead"_s});
    } else if (change == u"append-hidden") {
        c.ds.appendRecord({u"Gulf"_s, u"Oslo"_s, u"tin"_s});
    } else if (change == u"delete") {
        c.ds.setRecNo(c.rowOf(u"Bolt"_s));
        c.ds.deleteRecord();
    } else if (change == u"delete-last") {
        c.ds.setRecNo(c.rowOf(u"Hull"_s));
        c.ds.deleteRecord();
    } else if (change == u"edit-group") {
        editRow(u"Echo"_s, u"EMail"_s, u"tin"_s);
    } else if (change == u"edit-sort") {
        editRow(u"Echo"_s, u"FULLNAME"_s, u"Zeta"_s);
    } else if (change == u"edit-hide") {
        editRow(u"Dent"_s, u"City"_s, u"Oslo"_s);
    } else if (change == u"empty") {
        c.ds.emptyDataSet();
    } else if (change == u"reload") {
        Datapacket packet = c.ds.toPacket();
        std::reverse(packet.rows.begin(), packet.rows.end());
        packet.rows.removeAt(2);
        c.ds.loadFromPacket(packet);
    }

    const QStringList expected = expectedLines(c, groups, sort, keep);
    QCOMPARE(lines(c.grid), expected);
    QCOMPARE(viewLines(c.grid), expected);
    const qsizetype rows =
        std::count_if(expected.cbegin(), expected.cend(), [](const QString &l) { return !l.startsWith(u'#'); });
    QCOMPARE(c.grid.displayRowCount(), int(rows));
    QCOMPARE(c.grid.footerText(u"FULLNAME"_s), u"%1 Clients"_s.arg(rows));
    // The view's current row is the dataset's, wherever it went.
    if (c.ds.recNo() >= 0 && c.grid.displayedDatasetRows().contains(c.ds.recNo())) {
        const QModelIndex current = c.grid.view()->currentIndex();
        QVERIFY(current.isValid());
        QCOMPARE(c.grid.view()->model()->index(current.row(), 0).data().toString(), c.ds.displayText(c.ds.recNo(), 0));
    }
}

QTEST_MAIN(tst_DataGridGroups)
#include "tst_DataGridGroups.moc"

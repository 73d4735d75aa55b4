// The grid's rows: order, selection, key field and export, and how they follow a changing dataset.
#include "ClientGrid.h"
#include "ui/GridColumn.h"

#include <QItemSelectionModel>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;
using namespace quotaly;
using namespace quotaly::ui;
using namespace quotaly::test;

using SortFields = DataGrid::SortFields;
Q_DECLARE_METATYPE(SortFields)

class tst_DataGridRows : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void sortOrder_data();
    void sortOrder();
    void sortAgreesWithRowCollator();
    void headerClicks_data();
    void headerClicks();
    void followsDatasetChanges_data();
    void followsDatasetChanges();
    void selection_data();
    void selection();
    void keyFieldKeepsSelection_data();
    void keyFieldKeepsSelection();
    void sameKeyRowsAreToldApart_data();
    void sameKeyRowsAreToldApart();
    void currentRowAndTexts();
    void exportFollowsColumns();
};

void tst_DataGridRows::sortOrder_data()
{
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<SortFields>("sort");
    QTest::addColumn<QStringList>("expected");

    const QList<QStringList> letters{{u"f"_s}, {u"\u00e9"_s}, {u"Z"_s}, {u"e"_s}, {u"a"_s}};
    QTest::newRow("accent between e and f, Z after a") << letters << SortFields{{u"FULLNAME"_s, Qt::AscendingOrder}}
                                                       << QStringList{u"a"_s, u"e"_s, u"\u00e9"_s, u"f"_s, u"Z"_s};
    QTest::newRow("descending") << letters << SortFields{{u"FULLNAME"_s, Qt::DescendingOrder}}
                                << QStringList{u"Z"_s, u"f"_s, u"\u00e9"_s, u"e"_s, u"a"_s};
    QTest::newRow("no sort: dataset order")
        << letters << SortFields{} << QStringList{u"f"_s, u"\u00e9"_s, u"Z"_s, u"e"_s, u"a"_s};

    const QList<QStringList> clients{{u"Acme"_s, u"Zurich"_s},
                                     {u"Bolt"_s, u"Berlin"_s},
                                     {u"Corp"_s, u"Zurich"_s},
                                     {u"Dent"_s, u"berlin"_s},
                                     {u"Echo"_s, u"Berlin"_s}};
    QTest::newRow("city up, then name down")
        << clients << SortFields{{u"City"_s, Qt::AscendingOrder}, {u"FULLNAME"_s, Qt::DescendingOrder}}
        << QStringList{u"Dent"_s, u"Echo"_s, u"Bolt"_s, u"Corp"_s, u"Acme"_s};
    QTest::newRow("field names in any case")
        << clients << SortFields{{u"city"_s, Qt::DescendingOrder}, {u"fullname"_s, Qt::AscendingOrder}}
        << QStringList{u"Acme"_s, u"Corp"_s, u"Bolt"_s, u"Echo"_s, u"Dent"_s};
    QTest::newRow("equal keys keep the dataset order")
        << clients << SortFields{{u"City"_s, Qt::DescendingOrder}}
        << QStringList{u"Acme"_s, u"Corp"_s, u"Bolt"_s, u"Echo"_s, u"Dent"_s};
    QTest::newRow("unknown field ignored")
        << clients << SortFields{{u"Nope"_s, Qt::AscendingOrder}, {u"FULLNAME"_s, Qt::DescendingOrder}}
        << QStringList{u"Echo"_s, u"Dent"_s, u"Corp"_s, u"Bolt"_s, u"Acme"_s};
}

void tst_DataGridRows::sortOrder()
{
    QFETCH(QList<QStringList>, rows);
    QFETCH(SortFields, sort);
    QFETCH(QStringList, expected);
    ClientGrid c(rows);
    c.grid.setSortOrder(sort);
    QCOMPARE(c.shownNames(), expected);
    QCOMPARE(c.grid.sortOrder(), sort);
    // The view shows the same order.
    for (int r = 0; r < expected.size(); ++r)
        QCOMPARE(c.grid.view()->model()->index(r, 0).data().toString(), expected.at(r));
}

// Many ties, accents, case and blanks: the grid's order is RowCollator's, re-sorts included.
void tst_DataGridRows::sortAgreesWithRowCollator()
{
    const QStringList pool{u""_s,       u"a"_s,     u"A"_s,      u"\u00e1"_s, u"b"_s,      u"B "_s, u"ab"_s,
                           u"\u00e9"_s, u"e"_s,     u"f"_s,      u"10"_s,     u"9"_s,      u"z"_s,  u"\u00c9cole"_s,
                           u"ecole"_s,  u"Ecole"_s, u"\u00f6"_s, u"o"_s,      u"\u00df"_s, u"ss"_s};
    QRandomGenerator random(7);
    QList<QStringList> rows;
    for (int i = 0; i < 400; ++i) {
        rows << QStringList{pool.at(random.bounded(int(pool.size()))), pool.at(random.bounded(4)),
                            pool.at(random.bounded(int(pool.size())))};
    }
    ClientGrid c(rows);
    const QList<SortFields> sorts{
        {{u"City"_s, Qt::AscendingOrder}, {u"FULLNAME"_s, Qt::DescendingOrder}, {u"EMail"_s, Qt::AscendingOrder}},
        {{u"FULLNAME"_s, Qt::AscendingOrder}},
        {{u"EMail"_s, Qt::DescendingOrder}, {u"City"_s, Qt::DescendingOrder}},
        {{u"City"_s, Qt::AscendingOrder}, {u"FULLNAME"_s, Qt::DescendingOrder}, {u"EMail"_s, Qt::AscendingOrder}}};
    for (const SortFields &sort : sorts) {
        c.grid.setSortOrder(sort);
        QCOMPARE(c.grid.displayedDatasetRows(), c.expectedOrder(sort));
    }
}

void tst_DataGridRows::headerClicks_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QList<int>>("columns");
    QTest::addColumn<QList<int>>("modifiers");
    QTest::addColumn<SortFields>("expected");
    QTest::addColumn<QList<int>>("ranks"); // what the header shows per column

    const int shift = int(Qt::ShiftModifier);
    const int ctrl = int(Qt::ControlModifier);
    QTest::newRow("click") << true << QList<int>{1} << QList<int>{0} << SortFields{{u"City"_s, Qt::AscendingOrder}}
                           << QList<int>{0, 1, 0};
    QTest::newRow("click again turns round") << true << QList<int>{1, 1} << QList<int>{0, 0}
                                             << SortFields{{u"City"_s, Qt::DescendingOrder}} << QList<int>{0, 1, 0};
    QTest::newRow("shift adds the next key")
        << true << QList<int>{1, 0} << QList<int>{0, shift}
        << SortFields{{u"City"_s, Qt::AscendingOrder}, {u"FULLNAME"_s, Qt::AscendingOrder}} << QList<int>{2, 1, 0};
    QTest::newRow("shift on a key turns it round")
        << true << QList<int>{1, 0, 0} << QList<int>{0, shift, shift}
        << SortFields{{u"City"_s, Qt::AscendingOrder}, {u"FULLNAME"_s, Qt::DescendingOrder}} << QList<int>{2, 1, 0};
    QTest::newRow("ctrl takes a key out")
        << true << QList<int>{1, 0, 2, 1} << QList<int>{0, shift, shift, ctrl}
        << SortFields{{u"FULLNAME"_s, Qt::AscendingOrder}, {u"EMail"_s, Qt::AscendingOrder}} << QList<int>{1, 0, 2};
    QTest::newRow("plain click after several keys: that column only")
        << true << QList<int>{1, 0, 0} << QList<int>{0, shift, 0} << SortFields{{u"FULLNAME"_s, Qt::AscendingOrder}}
        << QList<int>{1, 0, 0};
    QTest::newRow("ctrl on an unsorted column")
        << true << QList<int>{2} << QList<int>{ctrl} << SortFields{} << QList<int>{0, 0, 0};
    QTest::newRow("sorting off: clicks do not sort")
        << false << QList<int>{1} << QList<int>{0} << SortFields{} << QList<int>{0, 0, 0};
}

void tst_DataGridRows::headerClicks()
{
    QFETCH(bool, enabled);
    QFETCH(QList<int>, columns);
    QFETCH(QList<int>, modifiers);
    QFETCH(SortFields, expected);
    QFETCH(QList<int>, ranks);
    ClientGrid c({{u"Bolt"_s, u"Rome"_s, u"b@x"_s},
                  {u"Acme"_s, u"Oslo"_s, u"c@x"_s},
                  {u"Corp"_s, u"Oslo"_s, u"a@x"_s},
                  {u"Acme"_s, u"Rome"_s, u"d@x"_s}});
    c.grid.setSortingEnabled(enabled);
    for (qsizetype i = 0; i < columns.size(); ++i)
        clickHeader(c.grid, columns.at(i), Qt::KeyboardModifiers(modifiers.at(i)));

    QCOMPARE(c.grid.sortOrder(), expected);
    QCOMPARE(c.grid.displayedDatasetRows(), c.expectedOrder(expected));
    const QAbstractItemModel *model = c.grid.view()->model();
    for (int column = 0; column < 3; ++column)
        QCOMPARE(model->headerData(column, Qt::Horizontal, SortRankRole).toInt(), ranks.at(column));
    for (const auto &[field, order] : expected)
        QCOMPARE(model->headerData(int(kFields.indexOf(field)), Qt::Horizontal, SortOrderRole).toInt(), int(order));
    // Sorting grids leave the selection alone when a title is clicked.
    if (enabled)
        QVERIFY(c.grid.view()->selectionModel()->selection().isEmpty());
}

void tst_DataGridRows::followsDatasetChanges_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("append") << "append";
    QTest::newRow("insert in the middle") << "insert";
    QTest::newRow("delete") << "delete";
    QTest::newRow("edit a sort column") << "edit";
    QTest::newRow("insert cancelled") << "cancel";
    QTest::newRow("empty") << "empty";
    QTest::newRow("reload") << "reload";
    QTest::newRow("close and open") << "reopen";
}

void tst_DataGridRows::followsDatasetChanges()
{
    QFETCH(QString, change);
    ClientGrid c({{u"Mira"_s, u"Oslo"_s},
                  {u"Acme"_s, u"Rome"_s},
                  {u"Zeta"_s, u"Oslo"_s},
                  {u"Bolt"_s, u"Rome"_s},
                  {u"Kilo"_s, u"Oslo"_s}});
    const SortFields sort{{u"City"_s, Qt::DescendingOrder}, {u"FULLNAME"_s, Qt::AscendingOrder}};
    c.grid.setSortOrder(sort);
    QCOMPARE(c.grid.displayedDatasetRows(), c.expectedOrder(sort));

    if (change == u"append") {
        c.ds.appendRecord({u"Able"_s, u"Rome"_s});
    } else if (change == u"insert" || change == u"cancel") {
        c.ds.setRecNo(2);
        c.ds.insert();
        c.ds.setValue(u"FULLNAME"_s, u"Nova"_s);
        c.ds.setValue(u"City"_s, u"Paris"_s);
        if (change == u"cancel")
            c.ds.cancel();
        else
            c.ds.post();
    } else if (change == u"delete") {
        c.ds.setRecNo(c.rowOf(u"Acme"_s));
        c.ds.deleteRecord();
    } else if (change == u"edit") {
        c.ds.setRecNo(c.rowOf(u"Zeta"_s));
        c.ds.edit();
        c.ds.setValue(u"City"_s, u"Vienna"_s);
        c.ds.post();
    } else if (change == u"empty") {
        c.ds.emptyDataSet();
    } else if (change == u"reload") {
        Datapacket packet = c.ds.toPacket();
        std::reverse(packet.rows.begin(), packet.rows.end());
        packet.rows.removeAt(1);
        c.ds.loadFromPacket(packet);
    } else if (change == u"reopen") {
        c.ds.close();
        QCOMPARE(c.grid.displayRowCount(), 0);
        c.ds.createDataSet();
        c.ds.appendRecord({u"Yolo"_s, u"Oslo"_s});
        c.ds.appendRecord({u"Xeno"_s, u"Oslo"_s});
    }

    QCOMPARE(c.grid.displayedDatasetRows(), c.expectedOrder(sort));
    QCOMPARE(c.grid.displayRowCount(), c.ds.recordCount());
    QCOMPARE(c.grid.footerText(u"FULLNAME"_s), u"%1 Clients"_s.arg(c.ds.recordCount()));
    // The view holds no stale row: every row shows its dataset row's name.
    const QAbstractItemModel *model = c.grid.view()->model();
    const QList<int> rows = c.grid.displayedDatasetRows();
    QCOMPARE(model->rowCount(), rows.size());
    for (int r = 0; r < rows.size(); ++r)
        QCOMPARE(model->index(r, 0).data().toString(), c.ds.displayText(rows.at(r), 0));
}

void tst_DataGridRows::selection_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QStringList>("expected"); // selected names, in display order

    QTest::newRow("by dataset rows, shown in display order") << "api" << QStringList{u"Acme"_s, u"Kilo"_s, u"Zeta"_s};
    QTest::newRow("rows not there are skipped") << "api-out-of-range" << QStringList{u"Bolt"_s};
    QTest::newRow("click, ctrl+click") << "ctrl" << QStringList{u"Bolt"_s, u"Mira"_s};
    QTest::newRow("click, shift+click") << "shift" << QStringList{u"Bolt"_s, u"Kilo"_s, u"Mira"_s};
    QTest::newRow("select all") << "all" << QStringList{u"Acme"_s, u"Bolt"_s, u"Kilo"_s, u"Mira"_s, u"Zeta"_s};
    QTest::newRow("re-sort keeps it") << "resort" << QStringList{u"Zeta"_s, u"Kilo"_s, u"Acme"_s};
    QTest::newRow("deleted row drops out") << "delete" << QStringList{u"Acme"_s, u"Zeta"_s};
}

void tst_DataGridRows::selection()
{
    QFETCH(QString, how);
    QFETCH(QStringList, expected);
    ClientGrid c({{u"Mira"_s}, {u"Acme"_s}, {u"Zeta"_s}, {u"Bolt"_s}, {u"Kilo"_s}});
    c.grid.setRowSelect(true);
    c.grid.setSortOrder({{u"FULLNAME"_s, Qt::AscendingOrder}});
    const QList<int> some{c.rowOf(u"Zeta"_s), c.rowOf(u"Acme"_s), c.rowOf(u"Kilo"_s)};

    if (how == u"api" || how == u"resort" || how == u"delete") {
        c.grid.selectDatasetRows(some);
    } else if (how == u"api-out-of-range") {
        c.grid.selectDatasetRows({-1, c.rowOf(u"Bolt"_s), 99});
    } else if (how == u"ctrl" || how == u"shift") {
        clickRow(c.grid, 1);
        clickRow(c.grid, 3, how == u"ctrl" ? Qt::ControlModifier : Qt::ShiftModifier);
    } else if (how == u"all") {
        QTest::keyClick(c.grid.view(), Qt::Key_A, Qt::ControlModifier);
    }
    if (how == u"resort")
        c.grid.setSortOrder({{u"FULLNAME"_s, Qt::DescendingOrder}});
    if (how == u"delete") {
        c.ds.setRecNo(c.rowOf(u"Kilo"_s));
        c.ds.deleteRecord();
    }
    QCOMPARE(c.names(c.grid.selectedDatasetRows()), expected);
    // Whole rows: every column of a selected row is selected.
    const QModelIndexList selectedRows = c.grid.view()->selectionModel()->selectedRows();
    QCOMPARE(selectedRows.size(), expected.size());
}

void tst_DataGridRows::keyFieldKeepsSelection_data()
{
    QTest::addColumn<bool>("withKey");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("by key") << true << QStringList{u"Zeta"_s, u"Acme"_s};
    QTest::newRow("without a key the reload loses it") << false << QStringList{};
}

// A reload replaces every row; with a key field the same clients are selected again, wherever they are now.
void tst_DataGridRows::keyFieldKeepsSelection()
{
    QFETCH(bool, withKey);
    QFETCH(QStringList, expected);
    ClientGrid c({{u"Mira"_s}, {u"Acme"_s}, {u"Zeta"_s}, {u"Bolt"_s}});
    c.grid.setRowSelect(true);
    if (withKey)
        c.grid.setKeyField(u"FULLNAME"_s);
    c.grid.selectDatasetRows({c.rowOf(u"Acme"_s), c.rowOf(u"Zeta"_s), c.rowOf(u"Bolt"_s)});
    c.ds.setRecNo(c.rowOf(u"Bolt"_s)); // a selected row goes
    c.ds.deleteRecord();
    c.ds.setRecNo(c.rowOf(u"Mira"_s)); // a row before the selected ones goes
    c.ds.deleteRecord();

    Datapacket packet = c.ds.toPacket();
    std::reverse(packet.rows.begin(), packet.rows.end());
    packet.rows << RowValues{u"Nova"_s};
    c.ds.loadFromPacket(packet);
    QCOMPARE(c.names(c.grid.selectedDatasetRows()), expected);
}

void tst_DataGridRows::sameKeyRowsAreToldApart_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("importCopy");
    QTest::newRow("second of two identical rows") << 1 << false;
    QTest::newRow("same name, other city") << 2 << false;
    QTest::newRow("an import appends a third copy") << 1 << true;
}

// A reset (as an import or disabled controls cause) selects again exactly the row that was selected, and it
// stays current, never every row with its name.
void tst_DataGridRows::sameKeyRowsAreToldApart()
{
    QFETCH(int, selected);
    QFETCH(bool, importCopy);
    ClientGrid c({{u"Alpha"_s, u"Oslo"_s}, {u"Alpha"_s, u"Oslo"_s}, {u"Alpha"_s, u"Rome"_s}, {u"Beta"_s}});
    c.grid.setRowSelect(true);
    c.grid.setKeyField(u"FULLNAME"_s);
    c.grid.selectDatasetRows({selected});
    c.ds.disableControls();
    if (importCopy)
        c.ds.appendRecord({u"Alpha"_s, u"Oslo"_s});
    c.ds.setRecNo(selected);
    c.ds.enableControls();
    QCOMPARE(c.grid.selectedDatasetRows(), QList<int>{selected});
    QVERIFY(c.grid.view()->selectionModel()->isRowSelected(c.grid.view()->currentIndex().row()));
}

void tst_DataGridRows::currentRowAndTexts()
{
    ClientGrid c({{u"Mira"_s, u"Oslo"_s}, {u"Acme"_s, u"Rome"_s}, {u"Zeta"_s, u"Oslo"_s}});
    c.grid.setSortOrder({{u"FULLNAME"_s, Qt::AscendingOrder}});
    c.grid.setCurrentDatasetRow(2);
    QCOMPARE(c.ds.recNo(), 2);
    QCOMPARE(c.grid.view()->currentIndex().row(), 2); // Zeta sorts last
    c.grid.setCurrentDatasetRow(7);
    QCOMPARE(c.ds.recNo(), 2);

    QCOMPARE(c.grid.displayTexts(1, {u"City"_s, u"fullname"_s, u"Nope"_s}),
             (QStringList{u"Rome"_s, u"Acme"_s, QString()}));
    c.grid.setColumnVisible(u"City"_s, false);
    QCOMPARE(c.grid.displayTexts(0, {u"City"_s}), QStringList{u"Oslo"_s});

    // The focused row: tinted, or drawn in the selection colours across every column.
    const QAbstractItemModel *model = c.grid.view()->model();
    const QColor highlight = c.grid.palette().color(QPalette::Highlight);
    QVERIFY(model->index(2, 2).data(Qt::BackgroundRole).value<QBrush>().color() != highlight);
    c.grid.setWholeRowHighlight(true);
    for (int column = 0; column < 3; ++column)
        QCOMPARE(model->index(2, column).data(Qt::BackgroundRole).value<QBrush>().color(), highlight);
    QCOMPARE(model->index(1, 0).data(Qt::BackgroundRole), QVariant());
}

void tst_DataGridRows::exportFollowsColumns()
{
    ClientGrid c({{u"Mira"_s, u"Oslo"_s, u"m@x"_s}, {u"Acme"_s, u"Rome"_s, u"a@x"_s}});
    c.grid.setColumnTitle(u"EMail"_s, u"Mail"_s);
    c.grid.setSortOrder({{u"FULLNAME"_s, Qt::AscendingOrder}});
    c.grid.view()->horizontalHeader()->moveSection(2, 0); // the mail column dragged to the front
    c.grid.setColumnVisible(u"City"_s, false);

    const ExportTable table = c.grid.exportTable();
    QCOMPARE(table.captions, (QStringList{u"Mail"_s, u"FULLNAME"_s}));
    QCOMPARE(table.numeric, (QList<bool>{false, false}));
    QCOMPARE(table.lines.size(), 2);
    QCOMPARE(table.lines.at(0).cells, (QStringList{u"a@x"_s, u"Acme"_s}));
    QCOMPARE(table.lines.at(1).cells, (QStringList{u"m@x"_s, u"Mira"_s}));
    QVERIFY(!table.lines.at(0).isGroupHeading);
}

QTEST_MAIN(tst_DataGridRows)
#include "tst_DataGridRows.moc"

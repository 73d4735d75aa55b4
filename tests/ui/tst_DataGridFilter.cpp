// The grid's column filter: what it lets through, its drop-down and bar, and the rows it holds as data change.
#include "ClientGrid.h"
#include "ui/GridFilterPopup.h"
#include "ui/GridHeaderView.h"

#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QToolButton>

using namespace Qt::StringLiterals;
using namespace quotaly;
using namespace quotaly::ui;
using namespace quotaly::test;

namespace {

struct Filter
{
    QString field;
    QString text;
    bool exact = false;
};

const QList<QStringList> kClients{{u"Acme"_s, u"Oslo"_s, u"info@acme.example"_s},
                                  {u"Bolt"_s, u"OSLO"_s, u"bolt@mail.example"_s},
                                  {u"Corp"_s, u"Osloer Str."_s, u""_s},
                                  {u"Übersetzer"_s, u"Rome"_s, u"ueber@mail.example"_s},
                                  {u"Dent"_s, u""_s, u"dent@acme.example"_s}};

GridFilterPopup *openPopup()
{
    return qobject_cast<GridFilterPopup *>(QApplication::activePopupWidget());
}

QStringList popupItems(GridFilterPopup *popup)
{
    QStringList items;
    const QAbstractItemModel *model = popup->findChild<QListView *>(u"filterValues"_s)->model();
    for (int r = 0; r < model->rowCount(); ++r)
        items << model->index(r, 0).data().toString();
    return items;
}

void clickItem(GridFilterPopup *popup, const QString &text)
{
    auto *list = popup->findChild<QListView *>(u"filterValues"_s);
    const QModelIndexList found =
        list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    list->scrollTo(found.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(found.first()).center());
}

void clickFilterButton(ClientGrid &c, int column)
{
    auto *header = c.grid.view()->horizontalHeader();
    const QRect button = static_cast<GridHeaderView *>(header)->filterButtonRect(column);
    QVERIFY(button.isValid());
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, button.center());
}

} // namespace

Q_DECLARE_METATYPE(QList<Filter>)

class tst_DataGridFilter : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void filter_data();
    void filter();
    void dropDown();
    void dropDownValues();
    void followsDatasetChanges();
};

void tst_DataGridFilter::filter_data()
{
    QTest::addColumn<QList<Filter>>("filters");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("description");

    QTest::newRow("equals, any case") << QList<Filter>{{u"City"_s, u"oslo"_s, true}}
                                      << QStringList{u"Acme"_s, u"Bolt"_s} << "City = \"oslo\"";
    QTest::newRow("contains, any case") << QList<Filter>{{u"City"_s, u"sLo"_s, false}}
                                        << QStringList{u"Acme"_s, u"Bolt"_s, u"Corp"_s} << "City contains \"sLo\"";
    QTest::newRow("umlaut in another case") << QList<Filter>{{u"FULLNAME"_s, u"ÜBER"_s, false}}
                                            << QStringList{u"Übersetzer"_s} << "FULLNAME contains \"ÜBER\"";
    QTest::newRow("equals is not contains")
        << QList<Filter>{{u"City"_s, u"osl"_s, true}} << QStringList{} << "City = \"osl\"";
    QTest::newRow("two columns, both apply")
        << QList<Filter>{{u"EMail"_s, u"acme"_s, false}, {u"City"_s, u"oslo"_s, true}} << QStringList{u"Acme"_s}
        << "City = \"oslo\" and EMail contains \"acme\"";
    QTest::newRow("equals empty: the blank cells")
        << QList<Filter>{{u"City"_s, u""_s, true}} << QStringList{u"Dent"_s} << "City = \"\"";
    QTest::newRow("empty contains-text removes the column's filter")
        << QList<Filter>{{u"City"_s, u"rome"_s, true}, {u"City"_s, u""_s, false}}
        << QStringList{u"Acme"_s, u"Bolt"_s, u"Corp"_s, u"Übersetzer"_s, u"Dent"_s} << "";
    QTest::newRow("a later filter replaces the column's")
        << QList<Filter>{{u"City"_s, u"rome"_s, true}, {u"City"_s, u"Osloer"_s, false}} << QStringList{u"Corp"_s}
        << "City contains \"Osloer\"";
}

void tst_DataGridFilter::filter()
{
    QFETCH(QList<Filter>, filters);
    QFETCH(QStringList, expected);
    QFETCH(QString, description);
    ClientGrid c(kClients);
    c.grid.setColumnFilterEnabled(true);
    for (const Filter &f : filters)
        c.grid.setColumnFilter(f.field, f.text, f.exact);

    QCOMPARE(c.shownNames(), expected);
    QCOMPARE(c.grid.displayRowCount(), expected.size());
    QCOMPARE(c.grid.footerText(u"FULLNAME"_s), u"%1 Clients"_s.arg(expected.size()));
    QCOMPARE(c.grid.isFiltered(), !description.isEmpty());
    QCOMPARE(c.grid.filterDescription(), description);
    auto *bar = c.grid.findChild<QWidget *>(u"filterBar"_s);
    QCOMPARE(bar->isVisible(), !description.isEmpty());
    // Exported and selected rows are the filtered ones.
    QCOMPARE(c.grid.exportTable().lines.size(), expected.size());
    c.grid.selectAll();
    QCOMPARE(c.names(c.grid.selectedDatasetRows()), expected);

    // The bar's button clears every filter.
    if (bar->isVisible()) {
        bar->findChild<QToolButton *>(u"clearFilter"_s)->click();
        QVERIFY(!c.grid.isFiltered());
        QCOMPARE(c.grid.displayRowCount(), kClients.size());
        QVERIFY(!bar->isVisible());
    }
}

// The user's way: the drop-down on the header, a value, then a text of one's own, then "(All)".
void tst_DataGridFilter::dropDown()
{
    ClientGrid c(kClients);
    c.grid.setColumnFilterEnabled(true);
    c.grid.setSortingEnabled(true);

    clickFilterButton(c, 1);
    GridFilterPopup *popup = openPopup();
    QVERIFY(popup);
    QCOMPARE(popupItems(popup), (QStringList{u"(All)"_s, u"(Custom...)"_s, u"Oslo"_s, u"Osloer Str."_s, u"Rome"_s}));
    clickItem(popup, u"Oslo"_s);
    QVERIFY(!popup->isVisible());
    QCOMPARE(c.shownNames(), (QStringList{u"Acme"_s, u"Bolt"_s}));
    QVERIFY(c.grid.sortOrder().isEmpty()); // the button does not sort
    QVERIFY(c.grid.view()->model()->headerData(1, Qt::Horizontal, FilterActiveRole).toBool());

    clickFilterButton(c, 1);
    popup = openPopup();
    QVERIFY(popup);
    clickItem(popup, u"(Custom...)"_s);
    auto *edit = popup->findChild<QLineEdit *>(u"filterText"_s);
    QVERIFY(edit->isVisible());
    QTest::keyClicks(edit, u"RO"_s);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(c.grid.filterDescription(), u"City contains \"RO\""_s);
    QCOMPARE(c.shownNames(), QStringList{u"Übersetzer"_s});

    // Reopened, the custom text is offered again; Esc leaves the filter as it is.
    clickFilterButton(c, 1);
    popup = openPopup();
    clickItem(popup, u"(Custom...)"_s);
    QCOMPARE(popup->findChild<QLineEdit *>(u"filterText"_s)->text(), u"RO"_s);
    QTest::keyClick(popup, Qt::Key_Escape);
    QVERIFY(!popup->isVisible());
    QCOMPARE(c.grid.filterDescription(), u"City contains \"RO\""_s);

    clickFilterButton(c, 1);
    clickItem(openPopup(), u"(All)"_s);
    QVERIFY(!c.grid.isFiltered());
    QCOMPARE(c.grid.displayRowCount(), kClients.size());
}

// A column offers its values among the rows the other columns' filters let through, once per spelling
// (letter case aside), in the locale's order.
void tst_DataGridFilter::dropDownValues()
{
    ClientGrid c(
        {{u"a"_s, u"f"_s}, {u"b"_s, u"é"_s}, {u"c"_s, u"Z"_s}, {u"d"_s, u"e"_s}, {u"e"_s, u"E"_s}, {u"f"_s, u"z"_s}});
    QCOMPARE(c.grid.columnFilterValues(u"City"_s), (QStringList{u"e"_s, u"é"_s, u"f"_s, u"z"_s}));
    c.grid.setColumnFilter(u"FULLNAME"_s, u"c"_s, true);
    QCOMPARE(c.grid.columnFilterValues(u"City"_s), QStringList{u"Z"_s});
    c.grid.setColumnFilter(u"City"_s, u"z"_s, true);
    QCOMPARE(c.grid.columnFilterValues(u"FULLNAME"_s), (QStringList{u"c"_s, u"f"_s}));
}

void tst_DataGridFilter::followsDatasetChanges()
{
    ClientGrid c(kClients);
    c.grid.setRowSelect(true);
    c.grid.setSortOrder({{u"FULLNAME"_s, Qt::DescendingOrder}});
    c.grid.setColumnFilter(u"EMail"_s, u"mail"_s, false);
    QCOMPARE(c.shownNames(), (QStringList{u"Übersetzer"_s, u"Bolt"_s}));

    c.ds.appendRecord({u"Zulu"_s, u"Bern"_s, u"z@mail.example"_s}); // passes
    c.ds.appendRecord({u"Yak"_s, u"Bern"_s, u"y@yak.example"_s});   // does not
    QCOMPARE(c.shownNames(), (QStringList{u"Zulu"_s, u"Übersetzer"_s, u"Bolt"_s}));

    c.ds.setRecNo(c.rowOf(u"Bolt"_s)); // edited so it no longer passes
    c.ds.edit();
    c.ds.setValue(u"EMail"_s, u"bolt@bolt.example"_s);
    c.ds.post();
    c.ds.setRecNo(c.rowOf(u"Acme"_s)); // edited so it passes now
    c.ds.edit();
    c.ds.setValue(u"EMail"_s, u"acme@MAIL.example"_s);
    c.ds.post();
    QCOMPARE(c.shownNames(), (QStringList{u"Zulu"_s, u"Übersetzer"_s, u"Acme"_s}));
    QCOMPARE(c.grid.footerText(u"FULLNAME"_s), u"3 Clients"_s);

    // Rows the filter hides cannot be selected or focused.
    c.grid.selectDatasetRows({c.rowOf(u"Yak"_s), c.rowOf(u"Acme"_s), c.rowOf(u"Bolt"_s)});
    QCOMPARE(c.names(c.grid.selectedDatasetRows()), QStringList{u"Acme"_s});
    c.ds.setRecNo(c.rowOf(u"Zulu"_s));
    c.grid.setCurrentDatasetRow(c.rowOf(u"Yak"_s));
    QCOMPARE(c.ds.recNo(), c.rowOf(u"Zulu"_s));

    c.ds.setRecNo(c.rowOf(u"Zulu"_s));
    c.ds.deleteRecord();
    QCOMPARE(c.shownNames(), (QStringList{u"Übersetzer"_s, u"Acme"_s}));

    // A reload keeps the filter (it belongs to the column, not to the rows).
    Datapacket packet = c.ds.toPacket();
    packet.rows << RowValues{u"Vera"_s, u"Bern"_s, u"v@MAIL.example"_s};
    c.ds.loadFromPacket(packet);
    QCOMPARE(c.shownNames(), (QStringList{u"Vera"_s, u"Übersetzer"_s, u"Acme"_s}));
    c.ds.emptyDataSet();
    QCOMPARE(c.grid.displayRowCount(), 0);
    QCOMPARE(c.grid.footerText(u"FULLNAME"_s), u"0 Clients"_s);
    QVERIFY(c.grid.isFiltered());
}

QTEST_MAIN(tst_DataGridFilter)
#include "tst_DataGridFilter.moc"

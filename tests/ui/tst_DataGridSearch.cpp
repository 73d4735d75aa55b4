// Incremental search: typing in the grid moves to the first row, in display order, that starts with the text.
#include "ClientGrid.h"

#include <QLabel>

using namespace Qt::StringLiterals;
using namespace quotaly;
using namespace quotaly::ui;
using namespace quotaly::test;

namespace {

const QList<QStringList> kClients{{u"Bolt"_s, u"Rome"_s},       {u"acorn"_s, u"Oslo"_s}, {u"Acme"_s, u"Riga"_s},
                                  {u"Übersetzer"_s, u"Bern"_s}, {u"Able"_s, u"Oslo"_s},  {u"Ulm AG"_s, u"Rome"_s},
                                  {u"Acme Two"_s, u"Paris"_s}};

// Keys as typed: letters as they are, "<bs>", "<esc>", "<down>", "<wait>" (longer than the pause).
void typeKeys(QWidget *view, const QStringList &keys)
{
    for (const QString &key : keys) {
        if (key == u"<bs>")
            QTest::keyClick(view, Qt::Key_Backspace);
        else if (key == u"<esc>")
            QTest::keyClick(view, Qt::Key_Escape);
        else if (key == u"<down>")
            QTest::keyClick(view, Qt::Key_Down);
        else if (key == u"<wait>")
            QTest::qWait(1700);
        else
            for (const QChar ch : key) // keyClicks() knows ASCII only
                QTest::sendKeyEvent(QTest::Click, view, Qt::Key(ch.toUpper().unicode()), QString(ch), {});
    }
}

} // namespace

class tst_DataGridSearch : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void search_data();
    void search();
    void offByDefault();
};

void tst_DataGridSearch::search_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QStringList>("keys");
    QTest::addColumn<QString>("current"); // the name of the row the grid and the dataset are on
    QTest::addColumn<QString>("shown");   // the text the label shows

    // Sorted by name: Able, Acme, Acme Two, acorn, Bolt, Übersetzer, Ulm AG.
    QTest::newRow("first letter") << "" << QStringList{u"a"_s} << "Able"
                                  << "a";
    QTest::newRow("more letters") << "" << QStringList{u"ac"_s} << "Acme"
                                  << "ac";
    QTest::newRow("any case") << "" << QStringList{u"ACO"_s} << "acorn"
                              << "ACO";
    QTest::newRow("a space inside") << "" << QStringList{u"acme t"_s} << "Acme Two"
                                    << "acme t";
    QTest::newRow("umlaut in another case") << "" << QStringList{u"ü"_s} << "Übersetzer"
                                            << "ü";
    QTest::newRow("no accent typed: accents ignored") << "" << QStringList{u"ub"_s} << "Übersetzer"
                                                      << "ub";
    QTest::newRow("accent typed: only accented") << "" << QStringList{u"ül"_s} << "Übersetzer"
                                                 << "ü";
    QTest::newRow("no row: the letter is dropped") << "" << QStringList{u"acx"_s} << "Acme"
                                                   << "ac";
    QTest::newRow("backspace searches again from the top") << "" << QStringList{u"aco"_s, u"<bs>"_s} << "Acme"
                                                           << "ac";
    QTest::newRow("esc starts afresh") << "" << QStringList{u"ac"_s, u"<esc>"_s, u"b"_s} << "Bolt"
                                       << "b";
    QTest::newRow("moving starts afresh") << "" << QStringList{u"ac"_s, u"<down>"_s, u"u"_s} << "Übersetzer"
                                          << "u";
    QTest::newRow("a pause starts afresh") << "" << QStringList{u"b"_s, u"<wait>"_s, u"ul"_s} << "Ulm AG"
                                           << "ul";
    QTest::newRow("display order, from the top") << "descending" << QStringList{u"ac"_s} << "acorn"
                                                 << "ac";
    QTest::newRow("the current column") << "city" << QStringList{u"r"_s} << "Acme"
                                        << "r";
    QTest::newRow("filtered rows are not there") << "filter" << QStringList{u"a"_s} << "Acme"
                                                 << "a";
}

void tst_DataGridSearch::search()
{
    QFETCH(QString, setup);
    QFETCH(QStringList, keys);
    QFETCH(QString, current);
    QFETCH(QString, shown);
    ClientGrid c(kClients);
    c.grid.setRowSelect(true);
    c.grid.setIncrementalSearchEnabled(true);
    c.grid.setSortOrder({{u"FULLNAME"_s, setup == u"descending" ? Qt::DescendingOrder : Qt::AscendingOrder}});
    QTableView *view = c.grid.view();
    view->setFocus();
    if (setup == u"city") // the current cell in the City column, on the last row
        view->setCurrentIndex(view->model()->index(6, 1));
    if (setup == u"filter")
        c.grid.setColumnFilter(u"FULLNAME"_s, u"m"_s, false);

    typeKeys(view, keys);
    QCOMPARE(c.ds.displayText(c.ds.recNo(), 0), current);
    QCOMPARE(view->model()->index(view->currentIndex().row(), 0).data().toString(), current);
    QCOMPARE(c.names(c.grid.selectedDatasetRows()), QStringList{current});
    QCOMPARE(c.grid.incrementalSearchText(), shown);
    const auto *label = view->findChild<QLabel *>(u"incrementalSearch"_s);
    QVERIFY(label && label->isVisible());
    QCOMPARE(label->text(), shown);
}

// Grids without the search keep the view's own typing behaviour, and switching it off ends it.
void tst_DataGridSearch::offByDefault()
{
    ClientGrid c(kClients);
    QTableView *view = c.grid.view();
    view->setFocus();
    c.ds.first();
    QTest::keyClicks(view, u"ac"_s);
    QCOMPARE(c.grid.incrementalSearchText(), QString());
    QVERIFY(!view->findChild<QLabel *>(u"incrementalSearch"_s));

    c.grid.setIncrementalSearchEnabled(true);
    typeKeys(view, {u"üb"_s});
    QCOMPARE(c.ds.displayText(c.ds.recNo(), 0), u"Übersetzer"_s);
    c.grid.setIncrementalSearchEnabled(false);
    QTest::keyClicks(view, u"bo"_s);
    QCOMPARE(c.grid.incrementalSearchText(), QString());
    QVERIFY(!view->findChild<QLabel *>(u"incrementalSearch"_s));
}

QTEST_MAIN(tst_DataGridSearch)
#include "tst_DataGridSearch.moc"

#include "app/TDM.h"
#include "clients/ClientList.h"
#include "common/TestEnv.h"
#include "dataset/Error.h"
#include "dataset/RowCollator.h"

#include <QTest>

using namespace quotaly;

namespace {

using Rows = QList<QStringList>;

// Eleven texts: the name, then `rest` for the following columns, the others empty.
QStringList client(const QString &name, const QStringList &rest = {})
{
    QStringList texts{name};
    texts += rest;
    while (texts.size() < 11)
        texts << QString();
    return texts;
}

int allRows(const Dataset &d)
{
    return int(d.toPacket().rows.size());
}

// A data module on the shipped (empty) data files, with the given clients added as the client form adds them.
struct Store
{
    test::TestEnv env;
    TDM dm{env.shippedDataDir()};

    explicit Store(const Rows &clients)
    {
        dm.saveOnExit = false;
        dm.LoadDataSets();
        const QStringList fields = clientListFields();
        for (const QStringList &texts : clients) {
            dm.Clients->append();
            for (int i = 0; i < fields.size(); ++i)
                dm.Clients->setValue(fields.at(i), texts.value(i));
            dm.Clients->post();
        }
    }

    QStringList names() const
    {
        QStringList result;
        for (const QStringList &row : clientDisplayRows(*dm.Clients))
            result << row.first();
        return result;
    }
};

} // namespace

class TestClientList : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void duplicates_data()
    {
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QList<int>>("expected");
        const QStringList acme = client(QStringLiteral("Acme"), {QStringLiteral("DE1"), QStringLiteral("Main St 1")});
        QTest::newRow("three identical and one other")
            << Rows{acme, acme, acme, client(QStringLiteral("Beta"))} << QList<int>{1, 2};
        QTest::newRow("runs of two and three")
            << Rows{acme, acme, client("B"), client("B"), client("B"), client("C")} << QList<int>{1, 3, 4};
        QTest::newRow("letter case differs") << Rows{acme, client(QStringLiteral("ACME"), acme.mid(1))} << QList<int>{};
        QTest::newRow("trailing blank in the name")
            << Rows{acme, client(QStringLiteral("Acme "), acme.mid(1))} << QList<int>{};
        QTest::newRow("leading blank in another column")
            << Rows{acme, client(QStringLiteral("Acme"), {QStringLiteral(" DE1"), QStringLiteral("Main St 1")})}
            << QList<int>{};
        QStringList lastDiffers = acme;
        lastDiffers[10] = QStringLiteral("x");
        QTest::newRow("only the last column differs") << Rows{acme, lastDiffers} << QList<int>{};
        QTest::newRow("equal rows apart are not neighbours") << Rows{acme, client("B"), acme} << QList<int>{};
        QTest::newRow("first row of empty texts") << Rows{client(QString()), acme} << QList<int>{0};
        QTest::newRow("no rows") << Rows{} << QList<int>{};
    }

    void duplicates()
    {
        QFETCH(Rows, rows);
        QFETCH(QList<int>, expected);
        QCOMPARE(findDuplicateRows(rows), expected);
    }

    void displayRowsFollowTheListColumnsWhateverTheFileOrder()
    {
        // A client file whose columns stand in another order still gives the texts in the list's order.
        QList<FieldDef> reversed;
        const QStringList fields = clientListFields();
        for (auto it = fields.crbegin(); it != fields.crend(); ++it)
            reversed << FieldDef::text(*it, 100);
        Dataset clients(QStringLiteral("Clients"));
        clients.setFields(reversed);
        clients.createDataSet();
        RowValues values(11);
        values[10] = QStringLiteral("Acme"); // FULLNAME, last in this file
        values[9] = QStringLiteral("DE1");   // VATNo
        values[0] = QStringLiteral("note");  // Additional2
        clients.appendRecord(values);
        clients.appendRecord(RowValues(11));
        const Rows rows = clientDisplayRows(clients);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0), client(QStringLiteral("Acme"),
                                    {QStringLiteral("DE1"), {}, {}, {}, {}, {}, {}, {}, {}, QStringLiteral("note")}));
        QCOMPARE(rows.at(1), client(QString()));
    }

    void displayRowsNeedEveryListField()
    {
        Dataset other(QStringLiteral("Clients"));
        other.setFields({FieldDef::text(QStringLiteral("FULLNAME"), 60)});
        other.createDataSet();
        QVERIFY_THROWS_EXCEPTION(Error, clientDisplayRows(other));
    }

    void sortMakesDuplicatesNeighboursAndDeleteKeepsOneOfEach()
    {
        const QStringList acme = client(QStringLiteral("Acme"), {QStringLiteral("DE1")});
        Store s({acme, client(QStringLiteral("Beta")), acme, client(QStringLiteral("acme")), acme});
        const Rows texts = clientDisplayRows(*s.dm.Clients);
        const QList<int> order = RowCollator().sortedOrder(texts, clientListSortKeys());
        Rows sorted;
        for (int i : order)
            sorted << texts.at(i);
        const QList<int> marked = findDuplicateRows(sorted);
        QCOMPARE(marked.size(), 2);
        QList<int> datasetRows;
        for (int position : marked)
            datasetRows << order.at(position);

        QCOMPARE(deleteClientRows(*s.dm.Clients, datasetRows), 2);
        QStringList names = s.names();
        names.sort();
        QCOMPARE(names, (QStringList{"Acme", "Beta", "acme"}));
        // The per-client rows of the deleted clients stay.
        QCOMPARE(allRows(*s.dm.MatchesByClient), 5);
        QCOMPARE(allRows(*s.dm.OptionsByClient), 5);
    }

    void sortOrdersByEveryColumnInTurn()
    {
        Rows rows{client("B"), client("A", {"2"}), client("A", {"1", {}, {}, {}, {}, {}, {}, {}, {}, "z"}),
                  client("A", {"1", {}, {}, {}, {}, {}, {}, {}, {}, "a"})};
        QCOMPARE(RowCollator().sortedOrder(rows, clientListSortKeys()), (QList<int>{3, 2, 1, 0}));
    }

    void deleteRows_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<int>("deleted");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("low to high") << QList<int>{0, 2} << 2 << QStringList{"b", "d"};
        QTest::newRow("any order") << QList<int>{3, 0, 1} << 3 << QStringList{"c"};
        QTest::newRow("repeated row") << QList<int>{1, 1} << 1 << QStringList{"a", "c", "d"};
        QTest::newRow("outside the list skipped") << QList<int>{-1, 4, 2} << 1 << QStringList{"a", "b", "d"};
        QTest::newRow("none") << QList<int>{} << 0 << QStringList{"a", "b", "c", "d"};
    }

    void deleteRows()
    {
        QFETCH(QList<int>, rows);
        QFETCH(int, deleted);
        QFETCH(QStringList, left);
        Store s({client("a"), client("b"), client("c"), client("d")});
        QCOMPARE(deleteClientRows(*s.dm.Clients, rows), deleted);
        QCOMPARE(s.names(), left);
    }

    void deleteFromAClosedListDeletesNothing()
    {
        Store s({client("a")});
        s.dm.Clients->close();
        QCOMPARE(deleteClientRows(*s.dm.Clients, {0}), 0);
    }

    void questions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none found") << noDuplicatesMessage()
                                    << "Operation completed successfully.\r\nDuplicate entries are not found";
        QTest::newRow("found") << duplicatesQuestion(12)
                               << "12 duplicate entries are found.\r\nThey are now highlighted. Delete them?";
        QTest::newRow("delete") << deleteRowsQuestion(0) << "0 entries will be deleted. Proceed?";
        QTest::newRow("clear all") << clearAllQuestion() << "All entries will be deleted. Proceed?";
        QTest::newRow("close") << closeWindowQuestion() << "Close window ?";
    }

    void questions()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }
};

QTEST_GUILESS_MAIN(TestClientList)
#include "tst_ClientList.moc"

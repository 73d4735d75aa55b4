#include "common/TestEnv.h"
#include "dataset/Dataset.h"
#include "dataset/Error.h"
#include "dataset/RowCollator.h"

#include <memory>
#include <numeric>

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace quotaly;
using namespace Qt::StringLiterals;

namespace {

// A small master-detail pair shaped like the program's clients and their options.
struct Pair
{
    Dataset master{QStringLiteral("Clients")};
    Dataset detail{QStringLiteral("OptionsByClient")};

    Pair()
    {
        master.setFields({FieldDef::text(QStringLiteral("FULLNAME"), 10, true), FieldDef::text(QStringLiteral("Tel"), 5)});
        detail.setFields({FieldDef::text(QStringLiteral("FullName"), 10), FieldDef::floating(QStringLiteral("BaseRate")),
                          FieldDef::integer(QStringLiteral("Count"))});
        master.createDataSet();
        detail.createDataSet();
        for (const char *name : {"Anna", "Ben", "Carl"})
            master.appendRecord({QString::fromLatin1(name)});
        detail.setMasterSource(&master, QStringLiteral("FULLNAME"), QStringLiteral("FullName"));
    }

    QStringList detailNames()
    {
        QStringList out;
        for (int i = 0; i < detail.recordCount(); ++i)
            out << detail.valueAt(i, 0).toString() + u':' + detail.displayText(i, 1);
        return out;
    }
};

} // namespace

class TestDataset : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }

    void setValueConvertsToFieldType_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("input");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QVariant>("stored"); // invalid QVariant: the value is refused
        QTest::addColumn<QString>("error");

        QTest::newRow("text cut to width") << "Tel" << QVariant(QStringLiteral("0123456789")) << "C"
                                           << QVariant(QStringLiteral("01234")) << "";
        QTest::newRow("empty text is null") << "Tel" << QVariant(QString()) << "C" << QVariant() << "";
        QTest::newRow("integer from text") << "Count" << QVariant(QStringLiteral(" 42 ")) << "C" << QVariant(qint64(42))
                                           << "";
        QTest::newRow("integer refuses decimals") << "Count" << QVariant(QStringLiteral("90.5")) << "C" << QVariant()
                                                  << "'90.5' is not a valid integer value";
        QTest::newRow("integer refuses fractional double") << "Count" << QVariant(90.5) << "C" << QVariant()
                                                           << "is not a valid integer value";
        QTest::newRow("i4 range") << "Count" << QVariant(QStringLiteral("3000000000")) << "C" << QVariant()
                                  << "The allowed range is -2147483648 to 2147483647";
        QTest::newRow("float with point, C") << "BaseRate" << QVariant(QStringLiteral("0.125")) << "C" << QVariant(0.125)
                                             << "";
        QTest::newRow("float with point, German") << "BaseRate" << QVariant(QStringLiteral("0.125")) << "de_DE"
                                                  << QVariant(0.125) << "";
        QTest::newRow("float with comma, German") << "BaseRate" << QVariant(QStringLiteral("1,5")) << "de_DE"
                                                  << QVariant(1.5) << "";
        QTest::newRow("float with comma, C") << "BaseRate" << QVariant(QStringLiteral("1,5")) << "C" << QVariant()
                                             << "'1,5' is not a valid floating point value";
        QTest::newRow("float garbage") << "BaseRate" << QVariant(QStringLiteral("abc")) << "C" << QVariant()
                                       << "not a valid floating point value";
    }

    void setValueConvertsToFieldType()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, input);
        QFETCH(QString, locale);
        QFETCH(QVariant, stored);
        QFETCH(QString, error);
        QLocale::setDefault(QLocale(locale));
        Pair p;
        p.master.first();
        p.detail.append();
        Dataset &d = field == u"Tel" ? p.master : p.detail;
        if (&d == &p.master)
            d.edit();
        if (error.isEmpty()) {
            d.setValue(field, input);
            QCOMPARE(d.value(field), stored);
        } else {
            try {
                d.setValue(field, input);
                QFAIL("the value was accepted");
            } catch (const Error &e) {
                QVERIFY2(e.text().contains(error), qPrintable(e.text()));
            }
        }
    }

    void fieldNamesIgnoreCase()
    {
        Pair p;
        p.master.first();
        QCOMPARE(p.master.asString(QStringLiteral("fullname")), QStringLiteral("Anna"));
        QCOMPARE(p.master.fieldIndex(QStringLiteral("FullName")), 0);
        QVERIFY_THROWS_EXCEPTION(Error, p.master.value(QStringLiteral("Nope")));
    }

    // Look-ups and conversions follow the field list whichever way it is replaced: declared, or loaded with a
    // file's other columns. "Name" is a text field, "Name:i" an integer field.
    void fieldLookupFollowsFieldList_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("type");
        const QStringList clients{"FULLNAME", "Tel"};
        QTest::newRow("declared, other case") << QStringList() << clients << false << "fullNAME" << 0 << int(QMetaType::QString);
        QTest::newRow("equal names: the first") << QStringList() << QStringList{"Code", "CODE:i"} << false << "CODE" << 0
                                                << int(QMetaType::QString);
        QTest::newRow("redeclared: old name gone") << clients << QStringList{"Phone"} << false << "Tel" << -1 << 0;
        QTest::newRow("loaded: old name gone") << clients << QStringList{"Phone"} << true << "Tel" << -1 << 0;
        QTest::newRow("loaded: column moved") << clients << QStringList{"Tel", "FULLNAME"} << true << "tel" << 0
                                             << int(QMetaType::QString);
        QTest::newRow("loaded: column now whole numbers") << clients << QStringList{"FULLNAME", "Tel:i"} << true << "Tel"
                                                          << 1 << int(QMetaType::LongLong);
        QTest::newRow("redeclared: column now text") << QStringList{"Tel:i"} << QStringList{"Tel"} << false << "TEL" << 0
                                                     << int(QMetaType::QString);
    }

    void fieldLookupFollowsFieldList()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(bool, loaded);
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(int, type);
        const auto fields = [](const QStringList &columns) {
            QList<FieldDef> out;
            for (const QString &column : columns)
                out << (column.endsWith(u":i") ? FieldDef::integer(column.chopped(2)) : FieldDef::text(column, 20));
            return out;
        };
        Dataset d(QStringLiteral("Clients"));
        if (!before.isEmpty()) {
            d.setFields(fields(before));
            d.createDataSet();
            QVERIFY(d.fieldIndex(before.first().section(u':', 0, 0)) == 0);
            d.close();
        }
        if (loaded) {
            Datapacket packet;
            packet.fields = fields(after);
            d.loadFromPacket(packet);
        } else {
            d.setFields(fields(after));
            d.createDataSet();
        }
        QCOMPARE(d.fieldIndex(name), index);
        if (index < 0)
            return;
        d.append();
        d.setValue(name, QStringLiteral("7"));
        QCOMPARE(d.value(index).typeId(), type);
    }

    void requiredFieldLeavesRowPending()
    {
        Pair p;
        p.master.append();
        p.master.setValue(QStringLiteral("Tel"), QStringLiteral("123"));
        try {
            p.master.post();
            QFAIL("posted without a name");
        } catch (const Error &e) {
            QCOMPARE(e.text(), QStringLiteral("Field 'FULLNAME' must have a value"));
        }
        QCOMPARE(p.master.state(), DatasetState::Insert);
        QCOMPARE(p.master.asString(QStringLiteral("Tel")), QStringLiteral("123"));
        p.master.setValue(QStringLiteral("FULLNAME"), QStringLiteral("Dora"));
        p.master.post();
        QCOMPARE(p.master.recordCount(), 4);
    }

    void postEventsRunAroundPost()
    {
        Pair p;
        QStringList calls;
        p.master.beforePost = [&](Dataset &d) { calls << (d.state() == DatasetState::Insert ? "before:insert" : "before:edit"); };
        p.master.afterPost = [&](Dataset &) { calls << "after"; };
        p.master.postError = [&](Dataset &) { calls << "error"; };
        p.master.append();
        QVERIFY_THROWS_EXCEPTION(Error, p.master.post());
        p.master.setValue(QStringLiteral("FULLNAME"), QStringLiteral("Eve"));
        p.master.post();
        p.master.edit();
        p.master.setValue(QStringLiteral("Tel"), QStringLiteral("9"));
        p.master.post();
        QCOMPARE(calls, QStringList({"before:insert", "error", "before:insert", "after", "before:edit", "after"}));
    }

    void detailFollowsMaster()
    {
        Pair p;
        p.master.first();
        p.detail.appendRecord({QVariant(), 0.1});
        p.detail.appendRecord({QVariant(), 0.2});
        p.master.next();
        p.detail.appendRecord({QVariant(), 5.0});
        QCOMPARE(p.detailNames(), QStringList({"Ben:5"}));
        p.master.first();
        QCOMPARE(p.detailNames(), QStringList({"Anna:0.1", "Anna:0.2"}));
        QVERIFY(p.master.locate(QStringLiteral("FULLNAME"), QStringLiteral("Carl")));
        QVERIFY(p.detail.isEmpty());
        QVERIFY(!p.master.locate(QStringLiteral("FULLNAME"), QStringLiteral("carl"))); // case-sensitive
        QCOMPARE(p.master.asString(QStringLiteral("FULLNAME")), QStringLiteral("Carl"));
    }

    void detailEditIsPostedWhenMasterMoves()
    {
        Pair p;
        p.master.first();
        p.detail.appendRecord({QVariant(), 1.0});
        p.detail.edit();
        p.detail.setValue(QStringLiteral("BaseRate"), 2.0);
        p.master.next();
        p.master.first();
        QCOMPARE(p.detail.asFloat(QStringLiteral("BaseRate")), 2.0);
    }

    void cancelDiscardsInsertAndEdit()
    {
        Pair p;
        p.master.setRecNo(1);
        p.master.insert();
        QCOMPARE(p.master.recordCount(), 4);
        p.master.cancel();
        QCOMPARE(p.master.recordCount(), 3);
        QCOMPARE(p.master.asString(QStringLiteral("FULLNAME")), QStringLiteral("Ben"));
        p.master.edit();
        p.master.setValue(QStringLiteral("FULLNAME"), QStringLiteral("Bob"));
        p.master.cancel();
        QCOMPARE(p.master.asString(QStringLiteral("FULLNAME")), QStringLiteral("Ben"));
    }

    void insertGoesBeforeCurrentRow()
    {
        Pair p;
        p.master.setRecNo(1);
        p.master.insert();
        p.master.setValue(QStringLiteral("FULLNAME"), QStringLiteral("Bea"));
        p.master.post();
        QStringList names;
        for (p.master.first(); !p.master.eof(); p.master.next())
            names << p.master.asString(QStringLiteral("FULLNAME"));
        QCOMPARE(names, QStringList({"Anna", "Bea", "Ben", "Carl"}));
        const Datapacket packet = p.master.toPacket();
        QCOMPARE(packet.rows.at(1).at(0).toString(), QStringLiteral("Bea"));
    }

    void appendRecordFailureLeavesNothing()
    {
        Pair p;
        QVERIFY_THROWS_EXCEPTION(Error, p.master.appendRecord({QVariant(), QStringLiteral("1")}));
        QCOMPARE(p.master.state(), DatasetState::Browse);
        QCOMPARE(p.master.recordCount(), 3);
    }

    void deleteAndEmpty()
    {
        Pair p;
        p.master.last();
        p.master.deleteRecord();
        QCOMPARE(p.master.recordCount(), 2);
        QCOMPARE(p.master.asString(QStringLiteral("FULLNAME")), QStringLiteral("Ben"));
        p.master.emptyDataSet();
        QVERIFY(p.master.isEmpty());
        try {
            p.master.deleteRecord();
            QFAIL("deleted from an empty dataset");
        } catch (const Error &e) {
            QVERIFY(e.text().contains(QStringLiteral("empty dataset")));
        }
    }

    void editOnEmptyDatasetInserts()
    {
        Pair p;
        p.master.last();
        p.detail.edit();
        QCOMPARE(p.detail.state(), DatasetState::Insert);
        QCOMPARE(p.detail.asString(QStringLiteral("FullName")), QStringLiteral("Carl"));
    }

    void walkVisitsEveryRowOnce()
    {
        Pair p;
        int visited = 0;
        for (p.master.first(); !p.master.eof(); p.master.next())
            ++visited;
        QCOMPARE(visited, 3);
        p.master.emptyDataSet();
        p.master.first();
        QVERIFY(p.master.eof());
    }

    void suspendedControlsHearNothingUntilResumed()
    {
        Pair p;
        QSignalSpy resets(&p.master, &Dataset::layoutReset);
        QSignalSpy inserted(&p.master, &Dataset::rowInserted);
        p.master.disableControls();
        p.master.appendRecord({QStringLiteral("Dan")});
        p.master.first();
        QCOMPARE(inserted.count(), 0);
        p.master.enableControls();
        QCOMPARE(resets.count(), 1);
        p.master.appendRecord({QStringLiteral("Ed")});
        QCOMPARE(inserted.count(), 1);
    }

    void displayFormats_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("shown");
        QTest::newRow("percent suffix is literal") << "0.00 %" << 80.0 << "C" << "80.00 %";
        QTest::newRow("two decimals") << "0.00" << 0.125 << "C" << "0.13";
        QTest::newRow("comma locale") << "0.00" << 1234.5 << "de_DE" << "1234,50";
        QTest::newRow("four decimals") << "0.0000" << 0.0575 << "C" << "0.0575";
        QTest::newRow("no format: general") << "" << 0.1 << "C" << "0.1";
        QTest::newRow("general, comma") << "" << 12.25 << "de_DE" << "12,25";
        QTest::newRow("negative zero") << "0.00" << -0.001 << "C" << "0.00";
    }

    void displayFormats()
    {
        QFETCH(QString, format);
        QFETCH(double, value);
        QFETCH(QString, locale);
        QFETCH(QString, shown);
        QLocale::setDefault(QLocale(locale));
        Pair p;
        p.detail.setDisplayFormat(QStringLiteral("BaseRate"), format);
        p.master.first();
        p.detail.appendRecord({QVariant(), value});
        QCOMPARE(p.detail.displayText(0, 1), shown);
    }

    void closeWritesPendingChangesAndOpenReadsThem()
    {
        test::TestEnv env;
        Pair p;
        p.master.setFileName(env.path(QStringLiteral("Clients.xml")));
        p.master.close();
        QVERIFY(!p.master.isActive());
        QVERIFY(QFile::exists(env.path(QStringLiteral("Clients.xml"))));
        p.master.open();
        QCOMPARE(p.master.recordCount(), 3);
        QCOMPARE(p.master.changeCount(), 0);
    }

    void failedLoadLeavesDatasetAsItWas()
    {
        test::TestEnv env;
        Pair p;
        const QString bad = env.write(QStringLiteral("bad.xml"), "<DATAPACKET");
        QVERIFY_THROWS_EXCEPTION(Error, p.master.loadFromFile(bad));
        QVERIFY(p.master.isActive());
        QCOMPARE(p.master.recordCount(), 3);
        try {
            p.master.loadFromFile(env.path(QStringLiteral("missing.xml")));
            QFAIL("loaded a missing file");
        } catch (const Error &e) {
            QVERIFY(e.text().startsWith(QStringLiteral("Error: File ")));
            QVERIFY(e.text().endsWith(QStringLiteral(" not found.")));
        }
    }

    void saveRoundTripKeepsValues()
    {
        test::TestEnv env;
        Pair p;
        p.master.first();
        p.master.edit();
        p.master.setValue(QStringLiteral("Tel"), QStringLiteral("a'b\"<"));
        p.master.post();
        const QString path = env.path(QStringLiteral("c.xml"));
        p.master.saveToFile(path);
        Dataset copy(QStringLiteral("Copy"));
        copy.loadFromFile(path);
        QCOMPARE(copy.recordCount(), 3);
        QCOMPARE(copy.asString(QStringLiteral("Tel")), QStringLiteral("a'b\"<"));
        QVERIFY(copy.field(0).required);
        QCOMPARE(copy.field(1).width, 5);
    }

    // Several datasets saved side by side: each file is written whole, a dataset that cannot be saved is the only
    // one reported and keeps its changes counted, the others count none.
    void saveToFilesWritesEachFile_data()
    {
        QTest::addColumn<int>("failing"); // the dataset whose file goes to a missing folder, -1 for none
        QTest::newRow("all saved") << -1;
        QTest::newRow("first cannot be saved") << 0;
        QTest::newRow("last cannot be saved") << 2;
    }

    void saveToFilesWritesEachFile()
    {
        QFETCH(int, failing);
        test::TestEnv env;
        std::vector<std::unique_ptr<Dataset>> sets;
        QList<Dataset *> datasets;
        for (int i = 0; i < 3; ++i) {
            auto d = std::make_unique<Dataset>(QStringLiteral("Set%1").arg(i));
            d->setFields({FieldDef::text(QStringLiteral("Name"), 20), FieldDef::integer(QStringLiteral("Count"))});
            d->createDataSet();
            for (int row = 0; row < 1000 * (i + 1); ++row)
                d->appendRecord({QStringLiteral("row %1 \u00e9").arg(row), row});
            d->setFileName(env.path(i == failing ? QStringLiteral("missing/Set%1.xml").arg(i)
                                                 : QStringLiteral("Set%1.xml").arg(i)));
            datasets << d.get();
            sets.push_back(std::move(d));
        }

        const auto failed = Dataset::saveToFiles(datasets);

        QCOMPARE(failed.size(), failing < 0 ? 0 : 1);
        for (int i = 0; i < 3; ++i) {
            if (i == failing) {
                QCOMPARE(failed.first().first, datasets.at(i));
                QVERIFY(failed.first().second.text().contains(QStringLiteral("Set%1.xml").arg(i)));
                QVERIFY(datasets.at(i)->changeCount() > 0);
                continue;
            }
            QCOMPARE(datasets.at(i)->changeCount(), 0);
            Dataset copy(QStringLiteral("Copy"));
            copy.loadFromFile(datasets.at(i)->fileName());
            QCOMPARE(copy.recordCount(), 1000 * (i + 1));
            copy.last();
            QCOMPARE(copy.asString(QStringLiteral("Name")), QStringLiteral("row %1 \u00e9").arg(1000 * (i + 1) - 1));
        }
    }

    // Ranks of many texts at once, on one thread and (from a few thousand texts) on two, with some keys already
    // made: the order and the ties are those of comparing the texts one pair at a time.
    void collationRanks_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("identicalOnlyEqual");
        QTest::addColumn<bool>("caseSensitive");
        QTest::newRow("few, German, identical only") << "de_DE" << 300 << true << true;
        QTest::newRow("many, German, identical only") << "de_DE" << 30000 << true << true;
        QTest::newRow("many, Swedish, locale ties") << "sv_SE" << 30000 << false << false;
        QTest::newRow("many, C locale, locale ties") << "C" << 30000 << false << true;
    }

    void collationRanks()
    {
        QFETCH(QString, locale);
        QFETCH(int, count);
        QFETCH(bool, identicalOnlyEqual);
        QFETCH(bool, caseSensitive);
        const QStringList pool{u""_s,       u"a"_s,  u"A"_s,  u"\u00e1"_s,     u"\u00e4"_s,
                               u"ae"_s,     u"B "_s, u"ab"_s, u"\u00e9cole"_s, u"Ecole"_s,
                               u"ecole"_s,  u"10"_s, u"9"_s,  u"\u00f6"_s,     u"o"_s,
                               u"\u00df"_s, u"ss"_s, u"z"_s,  u"\u00e5"_s,     u"M\u00fcller"_s};
        QRandomGenerator random(11);
        QList<QString> texts;
        for (int i = 0; i < count; ++i)
            texts << pool.at(random.bounded(int(pool.size()))) + pool.at(random.bounded(int(pool.size())));
        QCollator collator{QLocale(locale)};
        collator.setCaseSensitivity(caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
        std::vector<std::optional<QCollatorSortKey>> keys(size_t(count / 3));
        for (size_t i = 0; i < keys.size(); i += 2)
            keys[i].emplace(collator.sortKey(texts.at(qsizetype(i))));

        const std::vector<int> ranks = quotaly::collationRanks(collator, texts, keys, identicalOnlyEqual);

        QCOMPARE(ranks.size(), size_t(count));
        QCOMPARE(keys.size(), size_t(count));
        auto compare = [&](int a, int b) {
            const int c = collator.compare(texts.at(a), texts.at(b));
            return c != 0 || !identicalOnlyEqual ? c : texts.at(a).compare(texts.at(b));
        };
        QList<int> order(count);
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(a, b) < 0; });
        QCOMPARE(ranks[size_t(order.first())], 0);
        for (int i = 1; i < count; ++i) {
            const int a = order.at(i - 1), b = order.at(i);
            const int step = ranks[size_t(b)] - ranks[size_t(a)];
            if (step != (compare(a, b) == 0 ? 0 : 1))
                QFAIL(qPrintable(u"\"%1\" then \"%2\": ranks %3 and %4"_s.arg(texts.at(a), texts.at(b))
                                     .arg(ranks[size_t(a)])
                                     .arg(ranks[size_t(b)])));
        }
    }
};

QTEST_GUILESS_MAIN(TestDataset)
#include "tst_Dataset.moc"

#include "app/TDM.h"
#include "common/TestEnv.h"
#include "dataset/Error.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quotaly;

namespace {


struct Store
{
    QStringList messages;
    std::unique_ptr<TDM> dm;

    explicit Store(const QString &dataDir)
    {
        dm = std::make_unique<TDM>(dataDir);
        dm->report = [this](const QString &t) { messages << t; };
        dm->LoadDataSets();
    }
    void exit() { dm.reset(); }
    ~Store()
    {
        if (dm)
            dm->report = nullptr;
    }

    void addClient(const QString &name)
    {
        dm->Clients->append();
        dm->Clients->setValue(QStringLiteral("FULLNAME"), name);
        dm->Clients->post();
    }
};

} // namespace

class TestTDM : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void shippedFilesLoad()
    {
        test::TestEnv env;
        Store s(env.shippedDataDir());
        QVERIFY2(s.messages.isEmpty(), qPrintable(s.messages.join('\n')));
        for (Dataset *d : s.dm->persistentDataSets())
            QVERIFY2(d->isActive(), qPrintable(d->name()));
        QCOMPARE(s.dm->Currency->recordCount(), 49);
        QCOMPARE(s.dm->Personal->recordCount(), 1);
        QCOMPARE(s.dm->Personal->fieldIndex(QStringLiteral("BankDataLine6")) >= 0, true);
        QCOMPARE(s.dm->MatchesByClient->fieldCount(), 35);
    }

    void currencyMissingFallsBackToBuiltinList()
    {
        test::TestEnv env;
        const QString dir = env.shippedDataDir();
        QFile::remove(dir + "Currency.xml");
        Store s(dir);
        QCOMPARE(s.messages.size(), 1);
        QVERIFY(s.messages.first().contains(QStringLiteral("Currency.xml")));
        QCOMPARE(s.dm->Currency->recordCount(), 49);
        s.dm->Currency->last();
        QCOMPARE(s.dm->Currency->asString(QStringLiteral("VCode")), QStringLiteral("MXN"));
        s.dm->Currency->first();
        QCOMPARE(s.dm->Currency->asString(QStringLiteral("VTitle")), QStringLiteral("U.A.E. dirhams"));
        s.exit();
        Dataset reread(QStringLiteral("Currency"));
        reread.loadFromFile(dir + "Currency.xml");
        QCOMPARE(reread.recordCount(), 49);
    }

    void unreadableCurrencyFileIsKeptAside()
    {
        test::TestEnv env;
        const QString dir = env.shippedDataDir();
        const QByteArray garbage = "this is not a currency list";
        env.write(QStringLiteral("Data/Currency.xml"), garbage);
        Store s(dir);
        QCOMPARE(s.messages.size(), 1);
        QVERIFY(s.messages.first().contains(QStringLiteral("Currency.xml.unreadable")));
        s.exit();
        QCOMPARE(test::TestEnv::read(dir + "Currency.xml.unreadable"), garbage);
        Dataset reread(QStringLiteral("Currency"));
        reread.loadFromFile(dir + "Currency.xml");
        QCOMPARE(reread.recordCount(), 49);
    }

    void missingClientsFileReportsAtStartAndAtExit()
    {
        test::TestEnv env;
        const QString dir = env.shippedDataDir();
        QFile::remove(dir + "Clients.xml");
        Store s(dir);
        QCOMPARE(s.messages.size(), 1);
        QVERIFY(!s.dm->Clients->isActive());
        s.dm->Personal->edit();
        s.dm->Personal->setValue(QStringLiteral("FULLNAME"), QStringLiteral("Me"));
        s.dm->Personal->post();
        QStringList &messages = s.messages;
        s.exit();
        QCOMPARE(messages.size(), 2);
        QVERIFY(messages.last().contains(QStringLiteral("Clients")));
        QVERIFY(!QFile::exists(dir + "Clients.xml"));
        Dataset personal(QStringLiteral("Personal"));
        personal.loadFromFile(dir + "Personal.xml");
        QCOMPARE(personal.asString(QStringLiteral("FULLNAME")), QStringLiteral("Me"));
    }

    void badDataFilesAreReportedAndKept_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QByteArray head = R"(<?xml version="1.0" standalone="yes"?>  <DATAPACKET Version="2.0"><METADATA><FIELDS>)"
                                R"(<FIELD attrname="FULLNAME" fieldtype="string" WIDTH="60"/></FIELDS><PARAMS/></METADATA><ROWDATA>)";
        QTest::newRow("not XML") << QByteArray("Name;VAT\r\nAcme;1\r\n");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated mid-row") << head + "<ROW FULLNAME=\"Ac";
        QTest::newRow("value of wrong type")
            << QByteArray(R"(<?xml version="1.0" standalone="yes"?>  <DATAPACKET Version="2.0"><METADATA><FIELDS>)"
                          R"(<FIELD attrname="FULLNAME" fieldtype="i4"/></FIELDS><PARAMS/></METADATA><ROWDATA>)"
                          R"(<ROW FULLNAME="Acme"/></ROWDATA></DATAPACKET>)");
    }

    void badDataFilesAreReportedAndKept()
    {
        QFETCH(QByteArray, content);
        test::TestEnv env;
        const QString dir = env.shippedDataDir();
        env.write(QStringLiteral("Data/Clients.xml"), content);
        Store s(dir);
        QCOMPARE(s.messages.size(), 1);
        QVERIFY2(s.messages.first().contains(QStringLiteral("Clients.xml")), qPrintable(s.messages.first()));
        QVERIFY(!s.dm->Clients->isActive());
        s.exit();
        QCOMPARE(test::TestEnv::read(dir + "Clients.xml"), content);
    }

    void hugeValueLoadsAndSurvives()
    {
        test::TestEnv env;
        const QString dir = env.shippedDataDir();
        const QByteArray huge(10 * 1024 * 1024, 'x');
        QByteArray file = test::TestEnv::read(dir + "Clients.xml");
        file.replace("<ROWDATA></ROWDATA>", "<ROWDATA><ROW FULLNAME=\"Big\" Additional1=\"" + huge + "\"/></ROWDATA>");
        env.write(QStringLiteral("Data/Clients.xml"), file);
        Store s(dir);
        QVERIFY(s.messages.isEmpty());
        QCOMPARE(s.dm->Clients->recordCount(), 1);
        s.exit();
        Dataset reread(QStringLiteral("Clients"));
        reread.loadFromFile(dir + "Clients.xml");
        QCOMPARE(reread.asString(QStringLiteral("Additional1")).size(), huge.size());
    }

    void unwritableDataFolderReportsEverySave()
    {
        test::TestEnv env;
        const QString dir = env.shippedDataDir();
        Store s(dir);
        // A data folder below a plain file cannot be written, whoever runs the test.
        const QString blocked = env.write(QStringLiteral("blocked"), "x") + u'/';
        for (Dataset *d : s.dm->persistentDataSets())
            d->setFileName(blocked + d->name() + ".xml");
        QStringList &messages = s.messages;
        s.exit();
        QCOMPARE(messages.size(), 6);
        QVERIFY(messages.first().contains(QStringLiteral("Cannot write")));
    }

    void newClientGetsDefaultRows()
    {
        test::TestEnv env;
        Store s(env.shippedDataDir());
        s.addClient(QStringLiteral("Acme"));
        Dataset *m = s.dm->MatchesByClient;
        Dataset *o = s.dm->OptionsByClient;
        QCOMPARE(m->recordCount(), 1);
        QCOMPARE(o->recordCount(), 1);
        QCOMPARE(m->asString(QStringLiteral("FullName")), QStringLiteral("Acme"));
        QCOMPARE(m->asBoolean(QStringLiteral("bMatchTypeWords")), true);
        QCOMPARE(m->asBoolean(QStringLiteral("bMatchTypePercent")), false);
        QCOMPARE(m->asString(QStringLiteral("sName2")), QStringLiteral("Repetitions"));
        QCOMPARE(m->asString(QStringLiteral("sName12")), QStringLiteral("No matches"));
        const int bounds[] = {100, 95, 99, 85, 94, 75, 84, 50, 74};
        for (int i = 0; i < 9; ++i)
            QCOMPARE(m->asInteger(QStringLiteral("iName%1").arg(i + 3)), bounds[i]);
        const double prices[] = {80, 80, 80, 90, 90, 90, 100};
        for (int i = 0; i < 7; ++i)
            QCOMPARE(m->asFloat(QStringLiteral("fDiscount%1").arg(i + 2)), prices[i]);
        for (int slot = 2; slot <= 8; ++slot) {
            QVERIFY(m->isNull(QStringLiteral("iWord%1").arg(slot)));
            QVERIFY(m->isNull(QStringLiteral("iPercent%1").arg(slot)));
        }
        QCOMPARE(o->asString(QStringLiteral("FullName")), QStringLiteral("Acme"));
        QCOMPARE(o->asString(QStringLiteral("Currency")), QStringLiteral("USD"));
        QCOMPARE(o->asString(QStringLiteral("Units")), QStringLiteral("Words"));
        QCOMPARE(o->asFloat(QStringLiteral("BaseRate")), 0.1);
        QVERIFY(!m->controlsDisabled());

        s.dm->Clients->edit();
        s.dm->Clients->setValue(QStringLiteral("Tel"), QStringLiteral("555"));
        s.dm->Clients->post();
        s.addClient(QStringLiteral("Beta"));
        s.dm->MatchesByClient->setMasterSource(nullptr);
        QCOMPARE(s.dm->MatchesByClient->recordCount(), 2);
    }

    void refusedClientLeavesNoDefaultRows()
    {
        test::TestEnv env;
        Store s(env.shippedDataDir());
        s.addClient(QStringLiteral("Acme"));
        s.dm->Clients->append();
        s.dm->Clients->setValue(QStringLiteral("Tel"), QStringLiteral("123"));
        try {
            s.dm->Clients->post();
            QFAIL("a client without a name was stored");
        } catch (const Error &e) {
            QCOMPARE(e.text(), QStringLiteral("Field 'FULLNAME' must have a value"));
        }
        QVERIFY(!s.dm->MatchesByClient->controlsDisabled());
        QVERIFY(!s.dm->OptionsByClient->controlsDisabled());
        s.dm->Clients->cancel();
        for (Dataset *d : {s.dm->MatchesByClient, s.dm->OptionsByClient}) {
            d->setMasterSource(nullptr);
            QCOMPARE(d->recordCount(), 1);
            d->first();
            QCOMPARE(d->asString(QStringLiteral("FullName")), QStringLiteral("Acme"));
        }
    }

    void slotSixPriceTakesWholeNumbersOnly()
    {
        test::TestEnv env;
        Store s(env.shippedDataDir());
        s.addClient(QStringLiteral("Acme"));
        Dataset *m = s.dm->MatchesByClient;
        m->edit();
        QVERIFY_THROWS_EXCEPTION(Error, m->setValue(QStringLiteral("fDiscount6"), QStringLiteral("90.5")));
        m->setValue(QStringLiteral("fDiscount5"), QStringLiteral("90.5"));
        m->setValue(QStringLiteral("fDiscount6"), QStringLiteral("91"));
        m->post();
        QCOMPARE(m->asFloat(QStringLiteral("fDiscount5")), 90.5);
        QCOMPARE(m->asInteger(QStringLiteral("fDiscount6")), 91);
    }

    void everythingSurvivesARestart()
    {
        test::TestEnv env;
        const QString dir = env.shippedDataDir();
        {
            Store s(dir);
            s.addClient(QStringLiteral("Acme"));
            s.dm->MatchesByClient->edit();
            s.dm->MatchesByClient->setValue(QStringLiteral("iWord2"), 120);
            s.dm->tmpMatches->appendRecord({QStringLiteral("Repetitions - "), 120.0, 80.0, 120.0, 0.08, QStringLiteral("USD"), 9.6});
        }
        Store s(dir);
        QVERIFY(s.messages.isEmpty());
        QVERIFY(s.dm->Clients->locate(QStringLiteral("FULLNAME"), QStringLiteral("Acme")));
        QCOMPARE(s.dm->MatchesByClient->asInteger(QStringLiteral("iWord2")), 120);
        QCOMPARE(s.dm->OptionsByClient->asString(QStringLiteral("Units")), QStringLiteral("Words"));
        QCOMPARE(s.dm->tmpMatches->recordCount(), 1);
        QCOMPARE(s.dm->tmpMatches->displayText(0, 1), QStringLiteral("120.00 %"));
        QCOMPARE(s.dm->tmpMatches->field(2).label(), QStringLiteral("Discount (% of base rate)"));
    }
};

QTEST_GUILESS_MAIN(TestTDM)
#include "tst_TDM.moc"

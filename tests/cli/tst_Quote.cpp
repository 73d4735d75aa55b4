#include "CliRun.h"
#include "app/TDM.h"
#include "common/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace quotaly;

namespace {

test::CliRun quote(const QStringList &args, const QString &locale = QStringLiteral("C"))
{
    return test::runCli(QStringList{QStringLiteral("quote")} + args, locale);
}

// A data folder with the client "Acme & Co" at the new-client defaults (words, USD, base rate 0.1).
QString dataWithClient(const test::TestEnv &env)
{
    const QString dir = env.shippedDataDir();
    TDM dm(dir);
    dm.LoadDataSets();
    dm.Clients->appendRecord({QStringLiteral("Acme & Co")});
    return dir;
}

const QStringList kJob = {QStringLiteral("--words"), QStringLiteral("100,0,50,0,0,0,10"), QStringLiteral("--total"),
                          QStringLiteral("160"), QStringLiteral("--client"), QStringLiteral("Acme & Co")};

} // namespace

class TestQuote : public QObject
{
    Q_OBJECT

private slots:
    void printsTheReportAsCopied()
    {
        test::TestEnv env;
        const QString dir = dataWithClient(env);
        const QByteArray before = test::TestEnv::read(dir + "MatchesByClient.xml");
        const test::CliRun run = quote(kJob + QStringList{QStringLiteral("--data"), dir});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("Statistics (Total): 160\r\nUnits: Words\r\nBase rate: 0.1 USD\r\n\r\n"
                                         "Match types\tDiscount (% of base rate)\tWords\tRate\tCurrency\tAmount\r\n"
                                         "Repetitions - \t80.00 %\t100.00\t0.08\tUSD\t8.00\r\n"
                                         "99%- 95%\t80.00 %\t50.00\t0.08\tUSD\t4.00\r\n"
                                         " - No matches\t100.00 %\t10.00\t0.10\tUSD\t1.00\r\n"
                                         "Total :\t\t160.00\t\tUSD\t13.00"));
        QCOMPARE(test::TestEnv::read(dir + "MatchesByClient.xml"), before); // nothing saved without --save
    }

    void formats_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expectedLine");
        QTest::newRow("csv") << QStringList{QStringLiteral("--csv")} << "C"
                             << R"("Repetitions - ";"80.00 %";"100.00";"0.08";"USD";"8.00")";
        QTest::newRow("comma locale") << QStringList{} << "de_DE" << "Repetitions - \t80,00 %\t100,00\t0,08\tUSD\t8,00";
        QTest::newRow("merged") << QStringList{QStringLiteral("--merge")} << "C"
                                << "Repetitions - 95%\t80.00 %\t150.00\t0.08\tUSD\t12.00";
        QTest::newRow("html") << QStringList{QStringLiteral("--format"), QStringLiteral("html")} << "C"
                              << "";
        QTest::newRow("rtf") << QStringList{QStringLiteral("--format"), QStringLiteral("rtf")} << "C" << "";
    }

    void formats()
    {
        QFETCH(QStringList, extra);
        QFETCH(QString, locale);
        QFETCH(QString, expectedLine);
        test::TestEnv env;
        const test::CliRun run = quote(kJob + QStringList{QStringLiteral("--data"), dataWithClient(env)} + extra, locale);
        QCOMPARE(run.exitCode, 0);
        if (extra.contains(QStringLiteral("html"))) {
            QVERIFY2(run.out.contains(QStringLiteral("<td>Repetitions - </td>")) ||
                         run.out.contains(QStringLiteral(">Repetitions - <")),
                     qPrintable(run.out));
            QVERIFY(!run.out.contains(QStringLiteral("Statistics (Total)")));
        } else if (extra.contains(QStringLiteral("rtf"))) {
            QVERIFY(run.out.startsWith(QStringLiteral("{\\rtf1")));
            QVERIFY(run.out.contains(QStringLiteral("Repetitions - ")));
            QVERIFY(!run.out.contains(QStringLiteral("Statistics (Total)")));
        } else {
            QVERIFY2(run.out.split(QStringLiteral("\r\n")).contains(expectedLine), qPrintable(run.out));
        }
    }

    void jsonInPercentMode()
    {
        test::TestEnv env;
        const test::CliRun run = quote({QStringLiteral("--percent"), QStringLiteral("10,0,0,0,0,0,90"), QStringLiteral("--total"),
                               QStringLiteral("2000"), QStringLiteral("--client"), QStringLiteral("Acme & Co"),
                               QStringLiteral("--data"), dataWithClient(env), QStringLiteral("--json")});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject o = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QCOMPARE(o.value(QStringLiteral("mode")).toString(), QStringLiteral("percent"));
        QCOMPARE(o.value(QStringLiteral("total")).toString(), QStringLiteral("2000"));
        const QJsonArray rows = o.value(QStringLiteral("rows")).toArray();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0).toObject().value(QStringLiteral("units")).toDouble(), 200.0);
        QCOMPARE(rows.at(1).toObject().value(QStringLiteral("matchValue")).toDouble(), 90.0);
        QCOMPARE(o.value(QStringLiteral("totalUnits")).toDouble(), 2000.0);
        QCOMPARE(o.value(QStringLiteral("totalAmount")).toDouble(), 200 * 0.08 + 1800 * 0.1);
        QCOMPARE(o.value(QStringLiteral("unpricedWords")).toDouble(), 0.0);
    }

    void contextMatchesOfALogAreReportedUnpriced()
    {
        test::TestEnv env;
        const test::CliRun run = quote({env.write(QStringLiteral("job.log"), test::fixture(QStringLiteral("trados/multi_file.log"))), QStringLiteral("--client"),
                                        QStringLiteral("Acme & Co"), QStringLiteral("--data"), dataWithClient(env),
                                        QStringLiteral("--json")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(QJsonDocument::fromJson(run.out.toUtf8()).object().value(QStringLiteral("unpricedWords")).toDouble(), 20.0);
        QVERIFY2(run.err.contains(QStringLiteral("20 words of this log are Context TM matches")), qPrintable(run.err));
    }

    void aStudioReportNamesItsFormatAndFiles()
    {
        test::TestEnv env;
        const test::CliRun run = quote({QStringLiteral(QUOTALY_TEST_DATA "/trados/reports/studio_locked_internal.xml"),
                                        QStringLiteral("--client"), QStringLiteral("Acme & Co"), QStringLiteral("--data"),
                                        dataWithClient(env), QStringLiteral("--json")});
        QCOMPARE(run.exitCode, 0);
        const QJsonObject o = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QCOMPARE(o.value(QStringLiteral("format")).toString(), QStringLiteral("Trados Studio XML"));
        QCOMPARE(o.value(QStringLiteral("total")).toString(), QStringLiteral("100"));
        QCOMPARE(o.value(QStringLiteral("files")).toArray().at(1).toObject().value(QStringLiteral("words")).toDouble(), 13.0);
        QVERIFY2(run.err.contains(QStringLiteral("Words loaded from studio_locked_internal.xml")), qPrintable(run.err));
    }

    void saveStoresCountsAndReport()
    {
        test::TestEnv env;
        const QString dir = dataWithClient(env);
        QCOMPARE(quote(kJob + QStringList{QStringLiteral("--data"), dir, QStringLiteral("--save")}).exitCode, 0);
        TDM dm(dir);
        dm.LoadDataSets();
        QCOMPARE(dm.tmpMatches->recordCount(), 3);
        QVERIFY(dm.Clients->locate(QStringLiteral("FULLNAME"), QStringLiteral("Acme & Co")));
        QCOMPARE(dm.MatchesByClient->asInteger(QStringLiteral("iWord4")), 50);
        dm.saveOnExit = false;
    }

    // A data file that cannot be written fails the run, naming the file, after the report has been printed.
    void saveThatFailsFailsTheRun()
    {
        test::TestEnv env;
        const QString dir = dataWithClient(env);
        const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup |
                              QFile::ReadOther | QFile::WriteOther;
        for (const QString &name : QDir(dir).entryList(QDir::Files))
            QVERIFY(QFile::setPermissions(dir + name, everyone));
        QVERIFY(
            QFile::setPermissions(dir + "MatchesByClient.xml", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        test::openToEveryone(env.dir());
        test::openToEveryone(dir);
        const test::Unprivileged user; // root writes any file
        if (!user.ok())
            QSKIP("cannot give up root's rights here, and root writes any file");
        const test::CliRun run = quote(kJob + QStringList{QStringLiteral("--data"), dir, QStringLiteral("--save")});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(dir + "MatchesByClient.xml"), qPrintable(run.err));
        QVERIFY2(run.out.contains(QStringLiteral("Total :\t\t160.00\t\tUSD\t13.00")), qPrintable(run.out));
    }

    void badInputFailsWithOneLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QStringList client{QStringLiteral("--client"), QStringLiteral("Acme & Co")};
        QTest::newRow("unknown client") << QStringList{"--words", "1,2,3,4,5,6,7", "--total", "28", "--client", "Nobody"}
                                        << 2 << "no client named \"Nobody\"";
        QTest::newRow("six counts") << QStringList{"--words", "1,2,3,4,5,6", "--total", "21"} + client << 2
                                    << "seven numbers";
        QTest::newRow("count with letters") << QStringList{"--words", "1,2,x,4,5,6,7", "--total", "9"} + client << 2
                                            << "\"x\" is not a count";
        QTest::newRow("words beyond 32 bits") << QStringList{"--words", "1,2,3,4,5,6,3000000000", "--total", "9"} + client
                                              << 2 << "whole number";
        QTest::newRow("negative percent") << QStringList{"--percent", "1,2,-3,4,5,6,7", "--total", "9"} + client << 2
                                          << "not a count";
        QTest::newRow("empty total") << QStringList{"--words", "1,2,3,4,5,6,7", "--total", ""} + client << 2
                                     << "Please, enter total value";
        QTest::newRow("missing log") << QStringList{"/nonexistent/job.log"} + client << 2 << "not found";
        QTest::newRow("no counts") << client << 1 << "exactly one of LOG";
        QTest::newRow("words without total") << QStringList{"--words", "1,2,3,4,5,6,7"} + client << 1 << "--total";
        QTest::newRow("unknown format") << QStringList{"--words", "1,2,3,4,5,6,7", "--total", "9", "--format", "pdf"} + client
                                        << 1 << "unknown format";
        // Exports: refused before any office is started. %DATA% is the data folder.
        const QStringList job = QStringList{"--words", "1,2,3,4,5,6,7", "--total", "28"} + client;
        QTest::newRow("existing without export") << job + QStringList{"--existing"} << 1 << "--existing needs --export";
        QTest::newRow("export to a document") << job + QStringList{"--export", "report.docx"} << 1 << ".xlsx or .ods";
        QTest::newRow("export without a name") << job + QStringList{"--export"} << 1 << "--export needs a value";
        QTest::newRow("export over a file") << job + QStringList{"--export", "%DATA%Clients.ods"} << 2
                                            << "exists already";
        QTest::newRow("existing file missing") << job + QStringList{"--export", "%DATA%none.xlsx", "--existing"} << 2
                                               << "there is no workbook";
    }

    void badInputFailsWithOneLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        test::TestEnv env;
        const QString data = dataWithClient(env);
        QFile(data + "Clients.xml").copy(data + "Clients.ods");
        const QByteArray before = test::TestEnv::read(data + "Clients.ods");
        const test::CliRun run = quote(QStringList{QStringLiteral("--data"), data} +
                                       args.replaceInStrings(QStringLiteral("%DATA%"), data));
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(test::TestEnv::read(data + "Clients.ods"), before);
        QVERIFY(!QFile::exists(data + "none.xlsx"));
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        if (exitCode == 2)
            QCOMPARE(run.err.count(u'\n'), 1);
        QCOMPARE(run.out, QString());
    }
};

QTEST_GUILESS_MAIN(TestQuote)
#include "tst_Quote.moc"

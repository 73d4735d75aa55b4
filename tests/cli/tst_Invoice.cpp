#include "CliRun.h"
#include "app/TDM.h"
#include "common/TestEnv.h"

#include <QDir>
#include <QTest>

using namespace quotaly;

namespace {

// A data folder with the client "Acme & Co" at the new-client defaults.
QString dataWithClient(const test::TestEnv &env)
{
    const QString dir = env.shippedDataDir();
    TDM dm(dir);
    dm.LoadDataSets();
    dm.Clients->appendRecord({QStringLiteral("Acme & Co")});
    return dir;
}

} // namespace

// Command lines the invoice command refuses before it starts an office: nothing is written.
class TestInvoice : public QObject
{
    Q_OBJECT

private slots:
    void badInputFailsWithOneLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QStringList job{"--words", "100,0,50,0,0,0,10", "--total", "160", "--client", "Acme & Co"};
        QTest::newRow("no output") << job << 1 << "--out FILE is required";
        QTest::newRow("spreadsheet output") << job + QStringList{"--out", "%OUT%inv.xlsx"} << 1 << ".pdf, .odt, .docx or .rtf";
        QTest::newRow("no extension") << job + QStringList{"--out", "%OUT%invoice"} << 1 << ".pdf, .odt, .docx or .rtf";
        QTest::newRow("date not ISO") << job + QStringList{"--out", "%OUT%inv.pdf", "--date", "12/09/2026"} << 1
                                      << "YYYY-MM-DD";
        QTest::newRow("date impossible") << job + QStringList{"--out", "%OUT%inv.pdf", "--date", "2026-02-30"} << 1
                                         << "YYYY-MM-DD";
        QTest::newRow("template path") << job + QStringList{"--out", "%OUT%inv.pdf", "--template", "../English"} << 1
                                       << "name of a template";
        QTest::newRow("template missing") << job + QStringList{"--out", "%OUT%inv.pdf", "--template", "Klingon"} << 2
                                          << "there is no invoice template";
        QTest::newRow("template capitals") << job + QStringList{"--out", "%OUT%inv.pdf", "--template", "ENGLISH.RTF"}
                                           << 2 << "there is no invoice template";
        QTest::newRow("unknown client")
            << QStringList{"--words", "1,2,3,4,5,6,7", "--total", "28", "--client", "Nobody", "--out", "%OUT%inv.pdf"}
            << 2 << "no client named \"Nobody\"";
        QTest::newRow("two logs") << QStringList{"a.log", "b.log", "--client", "Acme & Co", "--out", "%OUT%inv.pdf"}
                                  << 1 << "more than one log file";
        QTest::newRow("missing log") << QStringList{"/nonexistent/job.log", "--client", "Acme & Co", "--out", "%OUT%inv.pdf"}
                                     << 2 << "not found";
        QTest::newRow("unknown option") << job + QStringList{"--out", "%OUT%inv.pdf", "--colour", "red"} << 1
                                        << "unknown option --colour";
    }

    void badInputFailsWithOneLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        test::TestEnv env;
        const QString data = dataWithClient(env);
        const QString out = env.dir() + QStringLiteral("/out/");
        QDir().mkpath(out);
        const test::CliRun run =
            test::runCli(QStringList{QStringLiteral("invoice")} + args.replaceInStrings(QStringLiteral("%OUT%"), out) +
                             QStringList{QStringLiteral("--data"), data},
                         QStringLiteral("C"));
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        if (exitCode == 2)
            QCOMPARE(run.err.count(u'\n'), 1);
        QCOMPARE(run.out, QString());
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    // A batch whose every line is wrong: each line is named with its reason, nothing is written, no office starts.
    void batchReportsBadLines_data()
    {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("summary");
        const QByteArray head = "client,words,total,date,out\n";
        const QString one = "0 of 1 invoice written; 1 line was not (see the messages above).\n";
        QTest::newRow("unknown client") << head + "Nobody,\"1,2,3,4,5,6,7\",28,,a.pdf\n" << 2
                                        << "jobs.csv line 2: no client named \"Nobody\"" << one;
        QTest::newRow("six counts") << head + "Acme & Co,\"1,2,3,4,5,6\",21,,a.pdf\n" << 2
                                    << "line 2: --words needs seven numbers" << one;
        QTest::newRow("bad date") << head + "Acme & Co,\"1,2,3,4,5,6,7\",28,2026-02-30,a.pdf\n" << 2
                                  << "line 2: --date needs a date written YYYY-MM-DD" << one;
        QTest::newRow("no output") << head + "Acme & Co,\"1,2,3,4,5,6,7\",28,,\n" << 2
                                   << "line 2: --out FILE is required" << one;
        QTest::newRow("too many cells") << head + "Acme & Co,1,2,3,4,5,6,7,28,,a.pdf\n" << 2
                                        << "line 2: 11 cells, but the first line names 5 columns" << one;
        QTest::newRow("open quote") << head + "Acme & Co,\"1,2,3,4,5,6,7,28,,a.pdf\n" << 2
                                    << "line 2: a quote is not closed" << one;
        QTest::newRow("line break in a cell")
            << QByteArray("client,comments,words,total,out\r\nAcme & Co,\"one\r\ntwo\",\"1,2\",3,a.pdf\r\n\r\n"
                          "Nobody,,\"1,2,3,4,5,6,7\",28,b.pdf\r\n")
            << 2 << "line 5: no client named"
            << "0 of 2 invoices written; 2 lines were not (see the messages above).\n";
        QTest::newRow("unknown column") << QByteArray("client,colour,out\nAcme & Co,red,a.pdf\n") << 2
                                        << "line 1: unknown column \"colour\"" << QString();
        QTest::newRow("no out column") << QByteArray("client,words,total\nAcme & Co,\"1,2,3,4,5,6,7\",28\n") << 2
                                       << "has no column \"out\"" << QString();
        QTest::newRow("option of a line") << head << 1 << "--client cannot be used with --batch" << QString();
    }

    void batchReportsBadLines()
    {
        QFETCH(QByteArray, csv);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(QString, summary);
        test::TestEnv env;
        const QString data = dataWithClient(env);
        const QString jobs = env.write(QStringLiteral("out/jobs.csv"), csv);
        QStringList args{QStringLiteral("invoice"), QStringLiteral("--batch"), jobs, QStringLiteral("--data"), data};
        if (exitCode == 1)
            args << QStringLiteral("--client") << QStringLiteral("Acme & Co");
        const test::CliRun run = test::runCli(args, QStringLiteral("C"));
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(run.out, summary);
        QCOMPARE(QDir(env.path(QStringLiteral("out"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("jobs.csv")});
    }

    void helpNamesEveryOption()
    {
        const test::CliRun run = test::runCli({QStringLiteral("invoice"), QStringLiteral("--help")});
        QCOMPARE(run.exitCode, 0);
        for (const char *option : {"--out", "--template", "--invoice-no", "--date", "--payment-due", "--job", "--po",
                                   "--manager", "--comments", "--words", "--percent", "--client", "--data"})
            QVERIFY2(run.out.contains(QLatin1String(option)), option);
    }
};

QTEST_GUILESS_MAIN(TestInvoice)
#include "tst_Invoice.moc"

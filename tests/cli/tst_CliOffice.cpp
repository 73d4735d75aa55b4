// The batch commands that go through a headless LibreOffice: each run starts an office of its own.
#include "CliRun.h"
#include "app/TDM.h"
#include "common/TestEnv.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

using namespace quotaly;

namespace {

const QStringList kJob = {QStringLiteral("--words"), QStringLiteral("100,0,50,0,0,0,10"), QStringLiteral("--total"),
                          QStringLiteral("160"), QStringLiteral("--client"), QStringLiteral("Acme & Co")};

// A data folder with the user's details and the client "Acme & Co" with an address.
QString invoiceData(const test::TestEnv &env)
{
    const QString dir = env.shippedDataDir();
    TDM dm(dir);
    dm.LoadDataSets();
    dm.Clients->appendRecord({QStringLiteral("Acme & Co")});
    dm.Clients->edit();
    dm.Clients->setValue(QStringLiteral("AddressLine1"), QStringLiteral("12 Harbour Road"));
    dm.Clients->setValue(QStringLiteral("VATNo"), QStringLiteral("GB123456789"));
    dm.Clients->post();
    dm.Personal->edit();
    dm.Personal->setValue(QStringLiteral("FULLNAME"), QStringLiteral("Jane Translator"));
    dm.Personal->setValue(QStringLiteral("Tel"), QStringLiteral("+49 30 1234567"));
    dm.Personal->setValue(QStringLiteral("BankDataLine1"), QStringLiteral("IBAN DE89 3704 0044 0532 0130 00"));
    dm.Personal->post();
    return dir;
}

test::CliRun cli(const QString &command, const QStringList &args)
{
    return test::runCli(QStringList{command} + args, QStringLiteral("C.UTF-8"));
}

// Text of a PDF as pdftotext reads it, in reading order.
QString pdfText(const QString &file)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Runs a little Python over a workbook's first sheet (the .xlsx is a zip of XML parts).
QString sheetXml(const QString &xlsx)
{
    QProcess p;
    p.start(QStringLiteral("python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import sys,zipfile; z=zipfile.ZipFile(sys.argv[1]); "
                            "sys.stdout.write(z.read('xl/worksheets/sheet1.xml').decode('utf-8'))"),
             xlsx});
    if (!p.waitForFinished(30000))
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

int lastRow(const QString &sheet)
{
    int last = 0;
    static const QRegularExpression row(QStringLiteral("<row r=\"(\\d+)\""));
    for (auto it = row.globalMatch(sheet); it.hasNext();)
        last = std::max(last, it.next().captured(1).toInt());
    return last;
}

} // namespace

class TestCliOffice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
            QSKIP("LibreOffice (soffice) is not installed: sudo apt-get install libreoffice-writer libreoffice-calc");
        // Each run with an office of its own, as the header says; the shared office has tests of its own and
        // must not be left running in the user's cache folder.
        qputenv("QUOTALY_NO_RESIDENT_OFFICE", "1");
    }

    void invoiceAsPdfHoldsEveryValue()
    {
        test::TestEnv env;
        const QString data = invoiceData(env);
        const QString out = env.path(QStringLiteral("invoice 17.pdf"));
        const QByteArray templateBefore = test::TestEnv::read(data + "English.rtf");
        const test::CliRun run = cli(QStringLiteral("invoice"),
                                     kJob + QStringList{"--data", data, "--out", out, "--invoice-no", "2026-017",
                                                        "--date", "2026-12-09", "--payment-due", "30 days net",
                                                        "--job", "Manual {v2} \\ \"final\"", "--comments",
                                                        "First line\\nΔεύτερη γραμμή\\n第三行"});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const QString text = pdfText(out);
        for (const char *expected : {"Jane Translator", "Phone : +49 30 1234567", "IBAN DE89 3704 0044 0532 0130 00",
                                     "Acme & Co", "VAT No.: GB123456789", "12 Harbour Road", "2026-017",
                                     "30 days net", "Manual {v2} \\ \"final\"", "Comments:", "Match types", "Total :",
                                     "Repetitions"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        // The date as the locale writes it short (the C locale here).
        const QString date = QLocale::c().toString(QDate(2026, 12, 9), QLocale::ShortFormat);
        QVERIFY2(text.contains(date), qPrintable(date));
        const qsizetype first = text.indexOf(QStringLiteral("First line"));
        const qsizetype second = text.indexOf(QStringLiteral("Δεύτερη γραμμή"));
        const qsizetype third = text.indexOf(QStringLiteral("第三行"));
        QVERIFY2(first >= 0 && first < second && second < third, qPrintable(text));
        QCOMPARE(test::TestEnv::read(data + "English.rtf"), templateBefore);
    }

    void invoiceFormats_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("odt") << "invoice.odt" << QByteArray("PK");
        QTest::newRow("docx") << "invoice.docx" << QByteArray("PK");
        QTest::newRow("rtf") << "invoice.rtf" << QByteArray("{\\rtf");
    }

    void invoiceFormats()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, start);
        test::TestEnv env;
        const QString data = invoiceData(env);
        const QString out = env.path(name);
        const test::CliRun run = cli(QStringLiteral("invoice"), kJob + QStringList{"--data", data, "--out", out,
                                                                                   "--template", "German"});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY(test::TestEnv::read(out).startsWith(start));
        // Nothing but the invoice is left in the folder (no temporary files).
        QCOMPARE(QDir(env.dir()).entryList({QStringLiteral("invoice*")}, QDir::Files | QDir::Hidden),
                 QStringList{name});
    }

    void batchWritesTheGoodLinesWithOneOffice()
    {
        test::TestEnv env;
        const QString data = invoiceData(env);
        // Line 5 prices a log after line 4 has put the client in percent mode: each line is priced as if the data
        // folder were read for it alone, so in the words mode of the file (304.83, not 307.65 in percent mode).
        const QByteArray log = QFile::encodeName(QStringLiteral(QUOTALY_TEST_DATA "/trados/single_file.log"));
        const QString jobs =
            env.write(QStringLiteral("jobs.csv"), "out,client,words,percent,total,invoice-no,log\n"
                                                  "one.pdf,Acme & Co,\"100,0,50,0,0,0,10\",,160,B-001,\n"
                                                  "two.pdf,Nobody,\"1,2,3,4,5,6,7\",,28,B-002,\n"
                                                  "three.pdf,Acme & Co,,\"50,10,10,10,10,5,5\",1000,B-003,\n"
                                                  "four.pdf,Acme & Co,,,,B-005," +
                                                      log +
                                                      "\n"
                                                      "one.pdf,Acme & Co,\"1,2,3,4,5,6,7\",,28,B-004,\n");
        // A profile of the test's own instead of the user's; the first start builds it, which takes a while.
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), env.path(QStringLiteral("cache")));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUOTALY_CLI_PATH), {QStringLiteral("invoice"), QStringLiteral("--batch"), jobs,
                                                         QStringLiteral("--data"), data, QStringLiteral("--verbose")});
        QVERIFY(process.waitForFinished(240000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(process.exitCode(), 2);
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()),
                 QStringLiteral("3 of 5 invoices written; 2 lines were not (see the messages above).\n"));
        QVERIFY2(err.contains(QStringLiteral("line 3: no client named \"Nobody\"")), qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("line 6: line 2 writes")), qPrintable(err));
        QVERIFY2(err.contains(env.path(QStringLiteral("cache/quotaly/office-profile")) + QStringLiteral(" (kept")),
                 qPrintable(err));
        // Each invoice holds its own number only: no document is filled twice.
        const QString one = pdfText(env.path(QStringLiteral("one.pdf")));
        const QString three = pdfText(env.path(QStringLiteral("three.pdf")));
        QVERIFY2(one.contains(QStringLiteral("B-001")) && !one.contains(QStringLiteral("B-003")),
                 qPrintable(one));
        QVERIFY2(three.contains(QStringLiteral("B-003")) && !three.contains(QStringLiteral("B-001")),
                 qPrintable(three));
        QVERIFY(!QFileInfo::exists(env.path(QStringLiteral("two.pdf"))));
        const QString four = pdfText(env.path(QStringLiteral("four.pdf")));
        QVERIFY2(four.contains(QStringLiteral("304.83")) && !four.contains(QStringLiteral("307.65")), qPrintable(four));
    }

    void exportIntoNewThenExistingWorkbook()
    {
        test::TestEnv env;
        const QString data = invoiceData(env);
        const QString book = env.path(QStringLiteral("reports.xlsx"));
        test::CliRun run = cli(QStringLiteral("quote"), kJob + QStringList{"--data", data, "--export", book});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        const QString first = sheetXml(book);
        const int rows = lastRow(first);
        // Captions, values, an empty row, titles, one row per category and the totals.
        QVERIFY2(rows >= 7, qPrintable(first));

        run = cli(QStringLiteral("quote"), kJob + QStringList{"--data", data, "--export", book, "--existing"});
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        // The second report starts two rows below the first one's last row and has the same height.
        QCOMPARE(lastRow(sheetXml(book)), 2 * rows + 1);
    }

    void exportRefusesWhatIsNoWorkbook()
    {
        test::TestEnv env;
        const QString data = invoiceData(env);
        const QByteArray junk("this is a shopping list, not a workbook\n");
        const QString book = env.write(QStringLiteral("list.xlsx"), junk);
        const test::CliRun run =
            cli(QStringLiteral("quote"), kJob + QStringList{"--data", data, "--export", book, "--existing"});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(!run.err.trimmed().isEmpty(), "no message");
        QCOMPARE(test::TestEnv::read(book), junk);
    }
};

QTEST_GUILESS_MAIN(TestCliOffice)
#include "tst_CliOffice.moc"

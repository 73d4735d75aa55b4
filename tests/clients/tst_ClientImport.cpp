#include "app/TDM.h"
#include "clients/ClientImportParser.h"
#include "clients/ClientImporter.h"
#include "clients/DelimitedTextWriter.h"
#include "common/TestEnv.h"
#include "dataset/Error.h"

#include <sys/stat.h>

#include <thread>

#include <QElapsedTimer>
#include <QTest>

using namespace quotaly;

namespace {

using Rows = QList<QStringList>;

// Eleven values: the given ones, then empty ones.
QStringList values(QStringList given)
{
    while (given.size() < 11)
        given << QString();
    return given;
}

QStringList numbered(int count, const QString &prefix = QStringLiteral("f"))
{
    QStringList fields;
    for (int i = 1; i <= count; ++i)
        fields << prefix + QString::number(i);
    return fields;
}

QString fixturePath(const QString &name)
{
    return QStringLiteral(QUOTALY_TEST_DATA "/clients/import/") + name;
}

int allRows(const Dataset &d)
{
    return int(d.toPacket().rows.size());
}

const QString kRefusedSummaryTail = QStringLiteral("\r\n\r\nField \"Full Name\" must have value or\r\n"
                                                   "you try store duplicate values.\r\nSee help for details.");

// A data module on the shipped (empty) data files.
struct Store
{
    test::TestEnv env;
    TDM dm{env.shippedDataDir()};

    Store()
    {
        dm.saveOnExit = false;
        dm.LoadDataSets();
    }
};

} // namespace

class TestClientImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void delimiterChoice_data()
    {
        QTest::addColumn<int>("tabs");
        QTest::addColumn<int>("commas");
        QTest::addColumn<int>("semicolons");
        QTest::addColumn<QChar>("expected");
        QTest::newRow("none") << 0 << 0 << 0 << QChar(u'\t');
        QTest::newRow("most commas") << 1 << 5 << 4 << QChar(u',');
        QTest::newRow("most semicolons") << 1 << 4 << 5 << QChar(u';');
        QTest::newRow("most tabs") << 6 << 4 << 5 << QChar(u'\t');
        QTest::newRow("semicolon wins a tie with comma") << 0 << 2 << 2 << QChar(u';');
        QTest::newRow("tab wins a tie with comma") << 3 << 3 << 1 << QChar(u'\t');
        QTest::newRow("tab wins a tie with semicolon") << 3 << 0 << 3 << QChar(u'\t');
        QTest::newRow("three-way tie") << 7 << 7 << 7 << QChar(u'\t');
    }

    void delimiterChoice()
    {
        QFETCH(int, tabs);
        QFETCH(int, commas);
        QFETCH(int, semicolons);
        QFETCH(QChar, expected);
        QCOMPARE(detectImportDelimiter(tabs, commas, semicolons), expected);
    }

    void split_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("userDelimiter"); // empty: detected
        QTest::addColumn<QChar>("delimiter");
        QTest::addColumn<Rows>("rows");
        QTest::newRow("two commas and two semicolons a line")
            << QStringList{"a,1;b,2;c"} << QString() << QChar(u';') << Rows{values({"a,1", "b,2", "c"})};
        QTest::newRow("no delimiter: whole line in the first column")
            << QStringList{"Acme Ltd Main St 1"} << QString() << QChar(u'\t') << Rows{values({"Acme Ltd Main St 1"})};
        QTest::newRow("counted over the whole file")
            << QStringList{"a;b;c", "d,e,f", "g,h"} << QString() << QChar(u',')
            << Rows{values({"a;b;c"}), values({"d", "e", "f"}), values({"g", "h"})};
        QTest::newRow("eleven fields fill every column")
            << QStringList{numbered(11).join(u'\t')} << QString() << QChar(u'\t') << Rows{numbered(11)};
        QTest::newRow("twelve fields keep the first ten")
            << QStringList{numbered(12).join(u'\t')} << QString() << QChar(u'\t') << Rows{values(numbered(10))};
        QTest::newRow("eleven fields and a trailing delimiter keep ten")
            << QStringList{numbered(11).join(u';') + u';'} << QString() << QChar(u';') << Rows{values(numbered(10))};
        QTest::newRow("trailing semicolon dropped")
            << QStringList{"a;b;"} << QString() << QChar(u';') << Rows{values({"a", "b"})};
        QTest::newRow("only one trailing delimiter dropped")
            << QStringList{"a;;"} << QString() << QChar(u';') << Rows{values({"a"})};
        QTest::newRow("empty fields keep their place")
            << QStringList{";x;;y"} << QString() << QChar(u';') << Rows{values({"", "x", "", "y"})};
        QTest::newRow("empty line gives an empty row") << QStringList{"a;b", "", "c"} << QString() << QChar(u';')
                                                       << Rows{values({"a", "b"}), values({}), values({"c"})};
        QTest::newRow("heading row is data") << QStringList{"Name\tVAT", "Acme\tDE1"} << QString() << QChar(u'\t')
                                             << Rows{values({"Name", "VAT"}), values({"Acme", "DE1"})};
        QTest::newRow("quoted fields lose their quotes")
            << QStringList{"\"Acme, Inc\";\"DE1\""} << QString() << QChar(u';') << Rows{values({"Acme, Inc", "DE1"})};
        QTest::newRow("doubled quote is one quote") << QStringList{"\"Say \"\"hi\"\"\",\"\"\"\""} << QString()
                                                    << QChar(u',') << Rows{values({"Say \"hi\"", "\""})};
        QTest::newRow("line break inside quotes")
            << QStringList{"\"Main St 1", "Floor 2\";DE1", "Beta;GB"} << QString() << QChar(u';')
            << Rows{values({"Main St 1\nFloor 2", "DE1"}), values({"Beta", "GB"})};
        QTest::newRow("unquoted field keeps its quotes")
            << QStringList{"5\" disk;x\"y\""} << QString() << QChar(u';') << Rows{values({"5\" disk", "x\"y\""})};
        QTest::newRow("quote never closed: the line is read plainly")
            << QStringList{"\"Acme;DE1", "Beta;GB"} << QString() << QChar(u';')
            << Rows{values({"\"Acme", "DE1"}), values({"Beta", "GB"})};
        QTest::newRow("user space delimiter")
            << QStringList{"Acme Ltd;x"} << " " << QChar(u' ') << Rows{values({"Acme", "Ltd;x"})};
        QTest::newRow("user delimiter overrides the count")
            << QStringList{"a,b,c|d"} << "|" << QChar(u'|') << Rows{values({"a,b,c", "d"})};
        QTest::newRow("value cut to 100 characters")
            << QStringList{QString(150, u'n') + u';' + QString(99, u'v')} << QString() << QChar(u';')
            << Rows{values({QString(100, u'n'), QString(99, u'v')})};
        QTest::newRow("no lines") << QStringList{} << QString() << QChar(u'\t') << Rows{};
    }

    void split()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, userDelimiter);
        QFETCH(QChar, delimiter);
        QFETCH(Rows, rows);
        const ClientImportText text = parseClientImport(
            lines, userDelimiter.isEmpty() ? std::nullopt : std::optional<QChar>(userDelimiter.at(0)));
        QCOMPARE(text.delimiter, delimiter);
        QCOMPARE(text.rows, rows);
    }

    void intermediateTextHoldsFieldNamesAndKeptParts()
    {
        const ClientImportText text = parseClientImport({numbered(12).join(u';'), "a;b;", ""});
        QCOMPARE(text.intermediate, QStringLiteral("FullName;VATNo;AddressLine1;AddressLine2;AddressLine3;Tel;Fax;"
                                                   "EMail;url;Additional1;Additional2\r\n") +
                                        numbered(10).join(u';') + QStringLiteral("\r\na;b\r\n"));
    }

    void readFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("UTF-8, CR LF, empty line")
            << "semicolon_crlf.csv"
            << QStringList{"Name;VAT, ID;Street, City", "\"Acme, Inc\";DE1, DE2;Main St 1", "",
                           "Beta Ltd;GB9, GB8;High St, 5"};
        QTest::newRow("UTF-16 LE with mark")
            << "utf16le_bom.txt" << QStringList{QStringLiteral("Müller GmbH\tDE123"), QStringLiteral("Ωmega Ltd\tGR9")};
        QTest::newRow("Windows-1252") << "windows1252.txt" << QStringList{QStringLiteral("Café Noël,FR1,€ 5")};
        QTest::newRow("empty file") << "empty.txt" << QStringList{};
    }

    void readFile()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, lines);
        QCOMPARE(readImportFileLines(fixturePath(file)), lines);

        // The same bytes through a pipe (`quotaly-cli clients import /dev/stdin`), which can be read only once.
        test::TestEnv env;
        const QString pipe = env.path(QStringLiteral("pipe"));
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        const QByteArray bytes = test::TestEnv::read(fixturePath(file));
        std::thread writer([&] {
            QFile out(pipe);
            if (out.open(QIODevice::WriteOnly))
                out.write(bytes);
        });
        QStringList fromPipe;
        try {
            fromPipe = readImportFileLines(pipe);
        } catch (const Error &e) {
            fromPipe = QStringList{e.text()};
        }
        writer.join();
        QCOMPARE(fromPipe, lines);
    }

    void unreadableFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "no_such_file.csv"
                                 << "Cannot open %1: No such file or directory";
        QTest::newRow("binary") << "binary.xls"
                                << "%1 is not a text file";
        QTest::newRow("folder") << ""
                                << "Cannot read %1: it is a folder, not a file";
    }

    void unreadableFiles()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        const QString path = file.isEmpty() ? QStringLiteral(QUOTALY_TEST_DATA "/clients/import") : fixturePath(file);
        try {
            readImportFileLines(path);
            QFAIL("no error");
        } catch (const Error &e) {
            QCOMPARE(e.text(), message.arg(path));
        }
    }

    void longLinesAndManyLines()
    {
        test::TestEnv env;
        // A line of one megabyte: 10,000 fields of 99 characters and 10,000 delimiters.
        const QString field(99, u'x');
        QStringList fields(10000, field);
        QByteArray bytes = fields.join(u';').toUtf8() + "\r\nAcme;DE1\r\n";
        for (int i = 0; i < 100000; ++i)
            bytes += "Client " + QByteArray::number(i) + ";VAT\n";
        const QStringList lines = readImportFileLines(env.write(QStringLiteral("big.csv"), bytes));
        QCOMPARE(lines.size(), 100002);
        QCOMPARE(lines.first().size(), 10000 * 100 - 1);
        QCOMPARE(lines.last(), QStringLiteral("Client 99999;VAT"));

        const ClientImportText text = parseClientImport(lines);
        QCOMPARE(text.rows.size(), 100002);
        QCOMPARE(text.rows.first(), values(QStringList(10, field)));
        QCOMPARE(text.rows.at(1), values({"Acme", "DE1"}));
        QCOMPARE(text.rows.last(), values({"Client 99999", "VAT"}));
    }

    void fillShowsTheRowsAndReplacesEarlierOnes()
    {
        Store s;
        Dataset &dx = *s.dm.dxImportData;
        fillImportData(dx, parseClientImport({"old"}));
        fillImportData(dx, parseClientImport({numbered(11).join(u';'), "", "b;c"}));
        QVERIFY(dx.isActive());
        QCOMPARE(dx.recordCount(), 3);
        QCOMPARE(dx.recNo(), 0);
        for (int i = 0; i < 11; ++i)
            QCOMPARE(dx.valueAt(0, i).toString(), QStringLiteral("f%1").arg(i + 1));
        QVERIFY(dx.valueAt(1, 0).isNull());
        QCOMPARE(dx.valueAt(2, 1).toString(), QStringLiteral("c"));
    }

    void fillErrorKeepsTheRowsBefore()
    {
        Dataset table(QStringLiteral("table"));
        table.setFields({FieldDef::text(QStringLiteral("Name"), 100), FieldDef::integer(QStringLiteral("Count"))});
        QVERIFY_THROWS_EXCEPTION(Error, fillImportData(table, parseClientImport({"a;1", "b;2", "c;many", "d;4"})));
        QCOMPARE(table.recordCount(), 2);
        QCOMPARE(table.state(), DatasetState::Browse);
        QCOMPARE(table.valueAt(1, 0).toString(), QStringLiteral("b"));
        QVERIFY(!table.controlsDisabled());
    }

    void importGivesEveryClientItsDefaults()
    {
        Store s;
        const QString longName = QString(59, u'L') + QStringLiteral("Xcut off");
        const ClientImportResult result =
            importClients(*s.dm.Clients, {numbered(11, QStringLiteral("v")), values({longName})});
        QCOMPARE(result.imported, 2);
        QCOMPARE(result.errorLines, QStringList());
        QCOMPARE(result.summary,
                 QStringLiteral("Operation completed successfully.\r\n2 clients added, 0 rows refused."));
        QCOMPARE(s.dm.Clients->state(), DatasetState::Browse);
        QVERIFY(s.dm.Clients->locate(QStringLiteral("FULLNAME"), QStringLiteral("v1")));
        const QStringList targets{"FULLNAME", "VATNo", "AddressLine1", "AddressLine2", "AddressLine3", "Tel",
                                  "Fax",      "EMail", "www",          "Additional1",  "Additional2"};
        for (int i = 0; i < targets.size(); ++i)
            QCOMPARE(s.dm.Clients->asString(targets.at(i)), QStringLiteral("v%1").arg(i + 1));
        QCOMPARE(s.dm.MatchesByClient->recordCount(), 1);
        QCOMPARE(s.dm.MatchesByClient->asString(QStringLiteral("sName2")), QStringLiteral("Repetitions"));
        QCOMPARE(s.dm.OptionsByClient->asString(QStringLiteral("Currency")), QStringLiteral("USD"));

        // A name longer than the field is cut to 60 characters, and the default rows carry the cut name.
        QVERIFY(s.dm.Clients->locate(QStringLiteral("FULLNAME"), longName.left(60)));
        QCOMPARE(s.dm.MatchesByClient->recordCount(), 1);
        QCOMPARE(s.dm.OptionsByClient->asString(QStringLiteral("FullName")), longName.left(60));
    }

    void refusedRowsAreReportedAndLeaveNoDefaults()
    {
        Store s;
        const ClientImportResult result =
            importClients(*s.dm.Clients, {values({"Acme"}), values({"", "DE1"}), values({"Beta"}), values({})});
        QCOMPARE(result.imported, 2);
        const QString refused = QStringLiteral("Error - Field 'FULLNAME' must have a value \r\n");
        QCOMPARE(result.errorLines, (QStringList{refused, refused}));
        QCOMPARE(result.summary, QStringLiteral("Some errors where found !    \r\n") + refused + refused +
                                     kRefusedSummaryTail + QStringLiteral("\r\n\r\n2 clients added, 2 rows refused."));
        QCOMPARE(s.dm.Clients->state(), DatasetState::Browse);
        QCOMPARE(s.dm.Clients->recordCount(), 2);
        QCOMPARE(allRows(*s.dm.MatchesByClient), 2);
        QCOMPARE(allRows(*s.dm.OptionsByClient), 2);
        QVERIFY(!s.dm.MatchesByClient->controlsDisabled());
        QVERIFY(!s.dm.OptionsByClient->controlsDisabled());
    }

    // A file split on a second thread while its rows are stored gives what splitting it first gives: the same
    // clients in the same order, the same refused rows and summary, the same per-client rows.
    void splitWhileStoringMatchesSplitFirst_data()
    {
        QTest::addColumn<int>("records"); // more than one batch of the splitting thread from a few thousand
        QTest::addColumn<QString>("delimiter");
        QTest::newRow("one batch, detected delimiter") << 40 << QString();
        QTest::newRow("many batches, given delimiter") << 5000 << QStringLiteral(";");
        QTest::newRow("no lines") << 0 << QString();
    }

    void splitWhileStoringMatchesSplitFirst()
    {
        QFETCH(int, records);
        QFETCH(QString, delimiter);
        QStringList lines;
        for (int i = 0; i < records; ++i) {
            if (i % 97 == 5)
                lines << QStringLiteral(";DE%1;no name").arg(i); // refused
            else if (i % 89 == 3)
                lines << QStringLiteral("\"Quoted; %1\";\"two") << QStringLiteral("lines\";x"); // one record
            else
                lines << QStringLiteral("Client \u00e9 %1;DE%1;Street %1;;;;;;;;;extra;more").arg(i);
        }
        const std::optional<QChar> given = delimiter.isEmpty() ? std::nullopt : std::optional(delimiter.at(0));
        Store first;
        const ClientImportResult expected = importClients(*first.dm.Clients, parseClientImport(lines, given).rows);
        Store piped;
        ClientImportSplitter splitter(lines, given);
        splitter.setIntermediateKept(false);
        const ClientImportResult result = importClients(*piped.dm.Clients, splitter, lines.size());

        QCOMPARE(result.imported, expected.imported);
        QCOMPARE(result.errorLines, expected.errorLines);
        QCOMPARE(result.summary, expected.summary);
        QCOMPARE(piped.dm.Clients->toPacket().rows, first.dm.Clients->toPacket().rows);
        QCOMPARE(allRows(*piped.dm.MatchesByClient), allRows(*first.dm.MatchesByClient));
        QCOMPARE(allRows(*piped.dm.OptionsByClient), expected.imported);
    }

    void fileWithAnEmptyLineImportsTheOtherRows()
    {
        Store s;
        const ClientImportText text = parseClientImport(readImportFileLines(fixturePath("semicolon_crlf.csv")));
        fillImportData(*s.dm.dxImportData, text);
        QCOMPARE(s.dm.dxImportData->recordCount(), 4);
        const ClientImportResult result = importClients(*s.dm.Clients, text.rows);
        QCOMPARE(result.imported, 3);
        QCOMPARE(result.summary, QStringLiteral("Some errors where found !    \r\nError - Field 'FULLNAME' must have "
                                                "a value \r\n") +
                                     kRefusedSummaryTail + QStringLiteral("\r\n\r\n3 clients added, 1 row refused."));
        QVERIFY(s.dm.Clients->locate(QStringLiteral("FULLNAME"), QStringLiteral("Acme, Inc")));
        QCOMPARE(s.dm.Clients->asString(QStringLiteral("VATNo")), QStringLiteral("DE1, DE2"));
        QCOMPARE(allRows(*s.dm.OptionsByClient), 3);
    }

    void ownCsvExportReadsBack()
    {
        test::TestEnv env;
        ExportTable table;
        table.captions = QStringList{"FULLNAME", "VATNo", "AddressLine1", "AddressLine2", "AddressLine3"};
        const QStringList client{"Lingua Bridge Ltd", "\"DE1\"", "Main St, 2", "Say \"hi\"", "Floor 2\nRoom 5"};
        table.addRow(client);
        const QString file = env.write(QStringLiteral("list.csv"), delimitedText(table, u','));
        const ClientImportText text = parseClientImport(readImportFileLines(file));
        QCOMPARE(text.delimiter, QChar(u','));
        QCOMPARE(text.rows, (Rows{values(table.captions), values({}), values(client)}));
    }

    void importIntoAClosedListFailsAtOnce()
    {
        Store s;
        s.dm.Clients->close();
        QVERIFY_THROWS_EXCEPTION(Error, importClients(*s.dm.Clients, {values({"Acme"})}));
        QCOMPARE(allRows(*s.dm.MatchesByClient), 0);
    }

    void progressIsReportedNowAndThenNotPerRow()
    {
        Store s;
        Rows rows;
        for (int i = 0; i < 5000; ++i)
            rows << values({QStringLiteral("Client %1").arg(i)});
        QList<std::pair<int, int>> calls;
        QElapsedTimer timer;
        timer.start();
        const ClientImportResult result = importClients(*s.dm.Clients, rows, [&calls](int done, int total) {
            calls.append({done, total});
        });
        const qint64 elapsed = timer.elapsed();
        QCOMPARE(result.imported, 5000);
        QVERIFY2(calls.size() <= elapsed / 50 + 1, qPrintable(QString::number(calls.size())));
        int last = 0;
        for (const auto &[done, total] : calls) {
            QCOMPARE(total, 5000);
            QVERIFY(done > last && done <= total);
            last = done;
        }
    }
};

QTEST_GUILESS_MAIN(TestClientImport)
#include "tst_ClientImport.moc"

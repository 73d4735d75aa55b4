#include "CliRun.h"
#include "app/TDM.h"
#include "common/TestEnv.h"

#include <QDir>
#include <QTest>

using namespace quotaly;
using namespace Qt::StringLiterals;

namespace {

test::CliRun clients(const QStringList &args, const QString &locale = QStringLiteral("en_US.UTF-8"))
{
    return test::runCli(QStringList{QStringLiteral("clients")} + args, locale);
}

// A data folder holding the given clients (each with its default rows), as the client form stores them.
QString dataWith(const test::TestEnv &env, const QList<RowValues> &rows)
{
    const QString dir = env.shippedDataDir();
    TDM dm(dir);
    dm.LoadDataSets();
    for (const RowValues &row : rows)
        dm.Clients->appendRecord(row);
    return dir;
}

struct Counts
{
    int clients = 0;
    int matches = 0;
    int options = 0;
    bool operator==(const Counts &) const = default;
};

Counts countsIn(const QString &dir)
{
    TDM dm(dir);
    dm.saveOnExit = false;
    dm.LoadDataSets();
    return {int(dm.Clients->toPacket().rows.size()), int(dm.MatchesByClient->toPacket().rows.size()),
            int(dm.OptionsByClient->toPacket().rows.size())};
}

QByteArray clientFiles(const QString &dir)
{
    return test::TestEnv::read(dir + "Clients.xml") + test::TestEnv::read(dir + "MatchesByClient.xml") +
           test::TestEnv::read(dir + "OptionsByClient.xml");
}

QString tabs(const QStringList &given)
{
    QStringList cells = given;
    while (cells.size() < 11)
        cells << QString();
    return cells.join(u'\t');
}

} // namespace

class TestClients : public QObject
{
    Q_OBJECT

private slots:
    void listIsSortedByTheLanguageRules()
    {
        test::TestEnv env;
        const QString dir = dataWith(env, {{"Zeta", "Z1"},
                                           {QStringLiteral("Ähre")},
                                           {"beta"},
                                           {"Acme", "A2"},
                                           {"Acme", "A1", {}, {}, {}, {}, {}, {}, {}, {}, "last\tcolumn"}});
        const test::CliRun run = clients({"list", "--data", dir});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringList({tabs({"Acme", "A1", {}, {}, {}, {}, {}, {}, {}, {}, "last\\tcolumn"}),
                                       tabs({"Acme", "A2"}), tabs({QStringLiteral("Ähre")}), tabs({"beta"}),
                                       tabs({"Zeta", "Z1"})})
                                  .join(u'\n') +
                              u'\n');
    }

    void exportFormats_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("starts");
        const QByteArray header = "FULLNAME,VATNo,AddressLine1,AddressLine2,AddressLine3,Tel,Fax,EMail,www,"
                                  "Additional1,Additional2\r\n\r\n";
        QTest::newRow("csv by extension") << QStringList{"list.csv"} << "list.csv" << header;
        QTest::newRow("csv format keeps another extension")
            << QStringList{"list.dat", "--format", "csv"} << "list.dat" << header;
        QTest::newRow("tab text gets its extension")
            << QStringList{"list", "--format", "txt"} << "list.txt" << QByteArray(header).replace(',', '\t');
        QTest::newRow("html") << QStringList{"list.htm"} << "list.htm"
                              << QByteArray("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">");
        QTest::newRow("worksheet") << QStringList{"list", "--format", "xls"} << "list.xls"
                                   << QByteArray("\x09\x04\x06\x00\x00\x00\x10\x00", 8);
    }

    void exportFormats()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, written);
        QFETCH(QByteArray, starts);
        test::TestEnv env;
        const QString dir = dataWith(env, {{"beta", "b2"}, {"Acme", "A1"}, {QStringLiteral("Ähre")}});
        args[0] = env.path(args[0]);
        const test::CliRun run = clients(QStringList{"export"} + args + QStringList{"--data", dir});
        QCOMPARE(run.err, QString());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("3 clients written to %1\n").arg(env.path(written)));
        const QByteArray bytes = test::TestEnv::read(env.path(written));
        QVERIFY2(bytes.startsWith(starts), bytes.left(200).constData());
        const qsizetype acme = bytes.indexOf("Acme");
        // The worksheet holds its texts in the Windows code page, the other formats in UTF-8.
        const QString ahreText = QStringLiteral("Ähre");
        const qsizetype ahre = bytes.indexOf(written.endsWith(".xls") ? ahreText.toLatin1() : ahreText.toUtf8());
        const qsizetype beta = bytes.indexOf("beta");
        QVERIFY(acme > 0 && acme < ahre && ahre < beta);
    }

    // A name that gets its extension added never replaces a file unasked; an Excel file never drops characters
    // unasked.
    void exportRefusesToLoseData_data()
    {
        QTest::addColumn<QString>("client");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("written");
        QTest::newRow("existing list.csv") << "Acme" << QStringList{"%1/list", "--format", "csv"} << 2 << "";
        QTest::newRow("existing list.csv, forced") << "Acme" << QStringList{"%1/list", "--format", "csv", "--force"} << 0 << "list.csv";
        QTest::newRow("Excel loses letters") << u"東京翻訳"_s << QStringList{"%1/new.xls"} << 2 << "";
        QTest::newRow("Excel loses letters, forced") << u"東京翻訳"_s << QStringList{"%1/new.xls", "--force"} << 0
                                                     << "new.xls";
    }

    void exportRefusesToLoseData()
    {
        QFETCH(QString, client);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, written);
        test::TestEnv env;
        const QString dir = dataWith(env, {{client}});
        env.write(QStringLiteral("list.csv"), "kept");
        for (QString &arg : args)
            arg.replace(QStringLiteral("%1"), env.dir());
        const test::CliRun run = clients(QStringList{"export"} + args + QStringList{"--data", dir});
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(test::TestEnv::read(env.path(QStringLiteral("list.csv"))) == "kept", written != u"list.csv");
        QCOMPARE(QFile::exists(env.path(QStringLiteral("new.xls"))), written == u"new.xls");
    }

    void exportFailures_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("no format") << QStringList{"%1/list.dat"} << 1 << "cannot tell the format from the name";
        QTest::newRow("unknown format") << QStringList{"%1/list", "--format", "pdf"} << 1 << "unknown format \"pdf\"";
        QTest::newRow("no file") << QStringList{"--format", "csv"} << 1 << "missing the file to export to";
        QTest::newRow("missing folder") << QStringList{"%1/none/list.csv"} << 2
                                        << "quotaly-cli: Cannot write the file %1/none/list.csv: the folder %1/none "
                                           "does not exist.\n";
    }

    void exportFailures()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        test::TestEnv env;
        const QString dir = dataWith(env, {{"Acme"}});
        for (QString &arg : args)
            arg.replace(QStringLiteral("%1"), env.dir());
        const test::CliRun run = clients(QStringList{"export"} + args + QStringList{"--data", dir});
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out, QString());
        if (exitCode == 2)
            QCOMPARE(run.err, QString(message).replace(QStringLiteral("%1"), env.dir()));
        else
            QVERIFY2(run.err.contains(message), qPrintable(run.err));
        QCOMPARE(QDir(env.dir()).entryList({"list*"}), QStringList());
    }

    void importSavesOnlyWhenAsked()
    {
        test::TestEnv env;
        const QString dir = dataWith(env, {{"Old client"}});
        const QString file = env.write("clients.csv", "Acme;DE1;Main St 1\r\nBeta;GB2\r\n");
        const QByteArray before = clientFiles(dir);

        test::CliRun run = clients({"import", file, "--data", dir});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QStringLiteral("Operation completed successfully.\n2 clients added, 0 rows refused.\n"
                                         "(not saved: use --save)\n"));
        QCOMPARE(clientFiles(dir), before);

        run = clients({"import", file, "--save", "--data", dir});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(countsIn(dir), (Counts{3, 3, 3}));
        run = clients({"list", "--data", dir});
        QCOMPARE(run.out, tabs({"Acme", "DE1", "Main St 1"}) + u'\n' + tabs({"Beta", "GB2"}) + u'\n' +
                              tabs({"Old client"}) + u'\n');
    }

    void importReportsRefusedRows()
    {
        test::TestEnv env;
        const QString dir = dataWith(env, {});
        const QString file = env.write("clients.txt", "Acme\tDE1\n\nBeta\n");
        const test::CliRun run = clients({"import", file, "--save", "--data", dir});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out,
                 QStringLiteral("Some errors where found !    \nError - Field 'FULLNAME' must have a value \n\n\n"
                                "Field \"Full Name\" must have value or\nyou try store duplicate values.\n"
                                "See help for details.\n\n2 clients added, 1 row refused.\n"));
        QCOMPARE(countsIn(dir), (Counts{2, 2, 2}));
    }

    void importDelimiter_data()
    {
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<QString>("firstClient");
        QTest::newRow("space") << " " << tabs({"Acme", "Ltd;DE1\\tx"});
        QTest::newRow("empty means space") << "" << tabs({"Acme", "Ltd;DE1\\tx"});
        QTest::newRow("tab") << "tab" << tabs({"Acme Ltd;DE1", "x"});
        QTest::newRow("semicolon") << ";" << tabs({"Acme Ltd", "DE1\\tx"});
    }

    void importDelimiter()
    {
        QFETCH(QString, delimiter);
        QFETCH(QString, firstClient);
        test::TestEnv env;
        const QString dir = dataWith(env, {});
        const QString file = env.write("clients.txt", "Acme Ltd;DE1\tx\n");
        QCOMPARE(clients({"import", file, "--delimiter", delimiter, "--save", "--data", dir}).exitCode, 0);
        QCOMPARE(clients({"list", "--data", dir}).out, firstClient + u'\n');
    }

    void duplicatesAreCountedAndDeletedOnlyWhenAsked()
    {
        test::TestEnv env;
        const QString dir =
            dataWith(env, {{"Acme", "DE1"}, {"Beta"}, {"Acme", "DE1"}, {"acme", "DE1"}, {"Acme", "DE1"}, {"Beta "}});
        const QByteArray before = clientFiles(dir);
        QCOMPARE(clients({"duplicates", "--data", dir}).out, QStringLiteral("2 duplicate entries\n"));
        test::CliRun run = clients({"duplicates", "--delete", "--data", dir});
        QCOMPARE(run.out, QStringLiteral("2 duplicate entries\n2 deleted (not saved: use --save)\n"));
        QCOMPARE(clientFiles(dir), before);

        run = clients({"duplicates", "--delete", "--save", "--data", dir});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(countsIn(dir), (Counts{4, 6, 6})); // the per-client rows stay
        QCOMPARE(clients({"duplicates", "--data", dir}).out, QStringLiteral("0 duplicate entries\n"));
    }

    void badCalls_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("no action") << QStringList{} << 1 << "missing the action";
        QTest::newRow("unknown action") << QStringList{"merge"} << 1 << "unknown action \"merge\"";
        QTest::newRow("import without file") << QStringList{"import"} << 1 << "missing the file to import";
        QTest::newRow("save with list") << QStringList{"list", "--save"} << 1 << "--save does not go with list";
        QTest::newRow("long delimiter") << QStringList{"import", "f.csv", "--delimiter", ";;"} << 1
                                        << "--delimiter takes one character";
        QTest::newRow("save without delete") << QStringList{"duplicates", "--save"} << 1 << "--save goes with --delete";
        QTest::newRow("data without folder") << QStringList{"list", "--data"} << 1 << "--data needs a value";
        QTest::newRow("missing import file") << QStringList{"import", "%1/none.csv"} << 2
                                             << "quotaly-cli: Cannot open %1/none.csv: No such file or directory\n";
        QTest::newRow("binary import file")
            << QStringList{"import", "%1/binary.dat"} << 2 << "quotaly-cli: %1/binary.dat is not a text file\n";
        QTest::newRow("no client file") << QStringList{"list", "--data", "%1/nowhere"} << 2
                                        << "quotaly-cli: Error: File %1/nowhere/Clients.xml not found.\n";
    }

    void badCalls()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        test::TestEnv env;
        const QString dir = dataWith(env, {{"Acme"}});
        env.write("binary.dat", QByteArray("PK\x03\x04\0\0\0", 7));
        for (QString &arg : args)
            arg.replace(QStringLiteral("%1"), env.dir());
        if (!args.contains("--data"))
            args << "--data" << dir;
        const QByteArray before = clientFiles(dir);
        const test::CliRun run = clients(args);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out, QString());
        if (exitCode == 2)
            QCOMPARE(run.err, message.arg(env.dir()));
        else
            QVERIFY2(run.err.contains(message) && run.err.contains("Usage: quotaly-cli clients"), qPrintable(run.err));
        QCOMPARE(clientFiles(dir), before);
    }
};

QTEST_GUILESS_MAIN(TestClients)
#include "tst_Clients.moc"

#include "CliRun.h"
#include "common/TestEnv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;
using quotaly::test::CliRun;
using quotaly::test::runCli;

namespace {

QString dataFile(const QString &name)
{
    return QStringLiteral(QUOTALY_TEST_DATA "/dataset/") + name;
}

} // namespace

class tst_Cli : public QObject
{
    Q_OBJECT

private slots:
    void exitCodes_data();
    void exitCodes();
    void jsonHoldsValues();
    void textShowsColumnsAndRows();
};

void tst_Cli::exitCodes_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdoutHas");
    QTest::addColumn<QString>("stderrHas");

    const QString good = dataFile(u"clients_dfxml.xml"_s);
    QTest::newRow("no command") << QStringList{} << 1 << ""
                                << "Usage: quotaly-cli";
    QTest::newRow("unknown command") << QStringList{u"frobnicate"_s} << 1 << ""
                                     << "unknown command \"frobnicate\"";
    QTest::newRow("dump without file") << QStringList{u"dump"_s} << 1 << ""
                                       << "Usage: quotaly-cli dump";
    QTest::newRow("dump two files") << QStringList{u"dump"_s, good, good} << 1 << ""
                                    << "Usage: quotaly-cli dump";
    QTest::newRow("unknown option") << QStringList{u"dump"_s, u"--xml"_s, good} << 1 << ""
                                    << "--xml";
    QTest::newRow("help") << QStringList{u"--help"_s} << 0 << "dump FILE.xml"
                          << "";
    QTest::newRow("dump help") << QStringList{u"dump"_s, u"--help"_s} << 0 << "--json"
                               << "";
    QTest::newRow("good file") << QStringList{u"dump"_s, good} << 0 << "Rows: 3"
                               << "";
    QTest::newRow("missing file") << QStringList{u"dump"_s, dataFile(u"no_such.xml"_s)} << 2 << ""
                                  << "no_such.xml not found";
    QTest::newRow("invalid value") << QStringList{u"dump"_s, dataFile(u"bad_value.xml"_s)} << 2 << ""
                                   << "bad_value.xml: Invalid value \"abc\" for field iName3";
    QTest::newRow("truncated") << QStringList{u"dump"_s, u"--json"_s, dataFile(u"bad_truncated.xml"_s)} << 2 << ""
                               << "incomplete";
    QTest::newRow("folder") << QStringList{u"dump"_s, QStringLiteral(QUOTALY_TEST_DATA)} << 2 << ""
                            << "folder";
}

void tst_Cli::exitCodes()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, stdoutHas);
    QFETCH(QString, stderrHas);

    const CliRun run = runCli(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.out.contains(stdoutHas), qPrintable(run.out));
    QVERIFY2(run.err.contains(stderrHas), qPrintable(run.err));
    if (exitCode == 2) {
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.startsWith(u"quotaly-cli: "_s) && run.err.count(u'\n') == 1, qPrintable(run.err));
    }
}

void tst_Cli::jsonHoldsValues()
{
    const QString file = dataFile(u"clients_dfxml.xml"_s);
    const CliRun run = runCli({u"dump"_s, file, u"--json"_s});
    QCOMPARE(run.exitCode, 0);
    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(run.out.toUtf8(), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(root.value(u"file"_s).toString(), file);

    const QJsonArray columns = root.value(u"columns"_s).toArray();
    QCOMPARE(columns.size(), 8);
    const QJsonObject fullName = columns.at(1).toObject();
    QCOMPARE(fullName.value(u"name"_s).toString(), u"FULLNAME"_s);
    QCOMPARE(fullName.value(u"type"_s).toString(), u"string"_s);
    QCOMPARE(fullName.value(u"width"_s).toInt(), 60);
    QCOMPARE(fullName.value(u"required"_s).toBool(), true);
    QCOMPARE(columns.at(3).toObject().value(u"required"_s).toBool(), false);

    const QJsonArray rows = root.value(u"rows"_s).toArray();
    QCOMPARE(rows.size(), 3);
    const QJsonObject first = rows.at(0).toObject();
    QCOMPARE(first.value(u"FULLNAME"_s).toString(), u"O'Brien & Partners"_s);
    QVERIFY(first.value(u"Rate"_s).isDouble());
    QCOMPARE(first.value(u"Rate"_s).toDouble(), 0.12);
    QCOMPARE(first.value(u"Words"_s).toInteger(), 12500);
    QVERIFY(first.value(u"VatExempt"_s).isBool());
    QCOMPARE(first.value(u"VatExempt"_s).toBool(), false);
    QCOMPARE(rows.at(1).toObject().value(u"Tel"_s), QJsonValue(u""_s));
    QVERIFY(rows.at(2).toObject().value(u"Tel"_s).isNull());
    QCOMPARE(rows.at(2).toObject().value(u"FULLNAME"_s).toString(), u"Smile 😀 Ltd"_s);
}

void tst_Cli::textShowsColumnsAndRows()
{
    const CliRun run = runCli({u"dump"_s, dataFile(u"clients_dfxml.xml"_s)});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split(u'\n');
    QVERIFY2(lines.contains(u"  FULLNAME      string   60  required"_s), qPrintable(run.out));
    QVERIFY2(lines.contains(u"  Rate          r8"_s), qPrintable(run.out));
    const qsizetype rowsAt = lines.indexOf(u"Rows: 3"_s);
    QVERIFY(rowsAt > 0);
    QCOMPARE(lines.value(rowsAt + 1),
             u"1\tO'Brien & Partners\t12 \"Old\" Mill Lane\t+44 20 7946 0000\t0.12\t12500\tFALSE\t"
             u"Prefers <b>bold</b> terms\\r\\nInvoice monthly"_s);
    QCOMPARE(lines.value(rowsAt + 3), u"3\tSmile 😀 Ltd\t\t\t2777815\t0\tFALSE\tTab\\tseparated"_s);
}

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_Cli.moc"

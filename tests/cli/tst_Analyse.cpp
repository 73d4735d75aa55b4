#include "CliRun.h"
#include "common/TestEnv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;
using quotaly::test::TestEnv;

namespace {

quotaly::test::CliRun analyse(const QStringList &args)
{
    return quotaly::test::runCli(QStringList{u"analyse"_s} + args);
}

QString fixture(const QString &name)
{
    return QStringLiteral(QUOTALY_TEST_DATA "/trados/") + name;
}

} // namespace

class tst_Analyse : public QObject
{
    Q_OBJECT

private slots:
    void runs_data();
    void runs();
    void jsonHoldsTheRows();
};

void tst_Analyse::runs_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArray>("content"); // written to a temporary log when the last argument names none
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdoutHas"); // with single spaces
    QTest::addColumn<QString>("stderrHas");

    const QString log = fixture(u"multi_file.log"_s);
    QTest::newRow("help") << QStringList{u"--help"_s} << QByteArray() << 0 << "--json"
                          << "";
    QTest::newRow("no log") << QStringList{} << QByteArray() << 1 << ""
                            << "Usage: quotaly-cli analyse";
    QTest::newRow("unknown option") << QStringList{u"--xml"_s, log} << QByteArray() << 1 << ""
                                    << "unknown option --xml";
    QTest::newRow("two logs") << QStringList{log, log} << QByteArray() << 1 << ""
                              << "only one log";
    QTest::newRow("job total as text") << QStringList{log} << QByteArray() << 0 << "Total 302 4284 100 63 "
                                       << "";
    QTest::newRow("missing log") << QStringList{fixture(u"none.log"_s)} << QByteArray() << 2 << ""
                                 << "quotaly-cli: Error: File " + fixture(u"none.log"_s) + " not found.";
    QTest::newRow("folder") << QStringList{QStringLiteral(QUOTALY_TEST_DATA)} << QByteArray() << 2 << ""
                            << "it is a folder";
    QTest::newRow(".txt without a table") << QStringList{u"job.txt"_s} << QByteArray("no table\n") << 2 << ""
                                          << "no analysis table";
    QTest::newRow("README as .log") << QStringList{u"readme.log"_s} << QByteArray("Quotaly\n\nBuild it, then run it.\n") << 2
                                    << "" << "No analysis table found in ";
    QTest::newRow("context matches unpriced") << QStringList{log} << QByteArray() << 0 << "Unpriced words: 20 "
                                              << "";
    const QString studio = fixture(u"reports/studio_locked_internal.xml"_s);
    QTest::newRow("format and file totals") << QStringList{studio} << QByteArray() << 0
                                            << "Format: Trados Studio XML " << "";
    QTest::newRow("file totals") << QStringList{studio} << QByteArray() << 0
                                 << "Files: 2 a.docx.sdlxliff: 87 words, 435 characters b.docx.sdlxliff: 13 words" << "";
    QTest::newRow("per-file rows") << QStringList{studio, u"--per-file"_s} << QByteArray() << 0
                                   << "b.docx.sdlxliff: 13 words, 65 characters Match Types Segments" << "";
    QByteArray badCell = quotaly::test::fixture(u"trados/single_file.log"_s);
    badCell.replace("1,632", "1;632");
    QTest::newRow("a bad cell is reported") << QStringList{u"job.log"_s} << badCell << 0 << "100% 140 0 47 61"
                                            << "quotaly-cli: Error: can't convert 1;632 to number value\n";
}

void tst_Analyse::runs()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, content);
    QFETCH(int, exitCode);
    QFETCH(QString, stdoutHas);
    QFETCH(QString, stderrHas);

    const TestEnv env;
    if (!content.isEmpty())
        args.last() = env.write(args.last(), content);
    const quotaly::test::CliRun run = analyse(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.out.simplified().append(u' ').contains(stdoutHas), qPrintable(run.out)); // columns: any spacing
    QVERIFY2(run.err.contains(stderrHas), qPrintable(run.err));
    if (exitCode == 2) {
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.startsWith(u"quotaly-cli: "_s) && run.err.count(u'\n') == 1, qPrintable(run.err));
    }
}

void tst_Analyse::jsonHoldsTheRows()
{
    const TestEnv env;
    const QString log = env.write(u"job.txt"_s, quotaly::test::fixture(u"trados/multi_file.log"_s));
    const quotaly::test::CliRun run = analyse({log, u"--json"_s});
    QCOMPARE(run.exitCode, 0);
    QJsonParseError error;
    const QJsonObject root = QJsonDocument::fromJson(run.out.toUtf8(), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(root.value(u"file"_s).toString(), log);
    QCOMPARE(root.value(u"words"_s).toArray(), QJsonArray({20, 114, 1214, 181, 168, 82, 179, 2326, 4284}));
    QCOMPARE(root.value(u"segments"_s).toArray(), QJsonArray({3, 17, 85, 13, 14, 7, 13, 150, 302}));
    QCOMPARE(root.value(u"placeables"_s).toArray(), QJsonArray({0, 6, 30, 3, 1, 0, 2, 21, 63}));
    QCOMPARE(root.value(u"unpricedWords"_s).toDouble(), 20.0);
    // Unrounded: the mean of three tables' percentages.
    QCOMPARE(root.value(u"percent"_s).toArray(),
             QJsonArray({4 / 3.0, 2, 71 / 3.0, 3, 14 / 3.0, 13 / 3.0, 3, 175 / 3.0, 100}));
}

QTEST_GUILESS_MAIN(tst_Analyse)
#include "tst_Analyse.moc"

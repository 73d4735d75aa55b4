#include "app/LogImport.h"
#include "app/TDM.h"
#include "common/TestEnv.h"
#include "dataset/Error.h"

#include <QRegularExpression>
#include <QTest>

using namespace quotaly;
using namespace Qt::StringLiterals;

namespace {

// A log in the analysis tool's layout whose words column holds the given seven category values and total.
QByteArray logWithWords(const QStringList &words, const QString &total)
{
    QByteArray log = "Start Analyse: 01.02.2026 10:00:00\r\n\r\nTranslation Memory: C:\\TM\\en-de.tmw\r\n\r\n"
                     "C:\\Jobs\\manual.doc\r\n\r\n"
                     " Match Types  Segments        Words Percent Placeables\r\n"
                     " Context TM          0            0       0          0\r\n";
    const char *labels[] = {" Repetitions", " 100%", " 95% - 99%", " 85% - 94%", " 75% - 84%", " 50% - 74%", " No Match"};
    for (int i = 0; i < 7; ++i)
        log += QStringLiteral("%1%2%3%4%5\r\n")
                   .arg(QString::fromLatin1(labels[i]).leftJustified(20))
                   .arg(QStringLiteral("1"), 2)
                   .arg(words[i], 16)
                   .arg(QStringLiteral("12.5"), 8)
                   .arg(QStringLiteral("0"), 11)
                   .toUtf8();
    log += QStringLiteral("%1%2%3%4%5\r\n")
               .arg(QStringLiteral(" Total").leftJustified(20))
               .arg(QStringLiteral("7"), 2)
               .arg(total, 16)
               .arg(QStringLiteral("100"), 8)
               .arg(QStringLiteral("0"), 11)
               .toUtf8();
    return log;
}

} // namespace

class TestLogImport : public QObject
{
    Q_OBJECT

    test::TestEnv m_env;
    std::unique_ptr<TDM> m_dm;

private slots:
    void init()
    {
        QLocale::setDefault(QLocale::c());
        m_dm = std::make_unique<TDM>(m_env.shippedDataDir());
        m_dm->saveOnExit = false;
        m_dm->LoadDataSets();
        m_dm->Clients->appendRecord({QStringLiteral("Acme")});
    }

    void storesRoundedCountsAndTotal()
    {
        const QString log = m_env.write(QStringLiteral("job.log"),
                                        logWithWords({"12.5", "13.5", "1,632", "0", "0", "0", "2,875"}, "4,533"));
        QStringList messages;
        const LogImportResult r = importAnalysisLog(log, *m_dm->MatchesByClient, [&](const QString &t) { messages << t; });
        QVERIFY(messages.isEmpty());
        QVERIFY(r.stored);
        QCOMPARE(r.totalText, QStringLiteral("4533"));
        Dataset *m = m_dm->MatchesByClient;
        QCOMPARE(m->state(), DatasetState::Browse);
        QCOMPARE(m->asInteger(QStringLiteral("iWord2")), 12); // ties go to the even number
        QCOMPARE(m->asInteger(QStringLiteral("iWord3")), 14);
        QCOMPARE(m->asInteger(QStringLiteral("iWord4")), 1632);
        QCOMPARE(m->asFloat(QStringLiteral("iPercent2")), 12.0);
    }

    void refusesCountsBeyondWhatTheRowHolds()
    {
        Dataset *m = m_dm->MatchesByClient;
        m->edit();
        m->setValue(QStringLiteral("iWord2"), 7);
        m->post();
        const QString log = m_env.write(QStringLiteral("huge.log"),
                                        logWithWords({"1", "1", "1", "1", "1", "1", "5,000,000,000"}, "5,000,000,006"));
        try {
            importAnalysisLog(log, *m, {});
            QFAIL("a count beyond 32 bits was stored");
        } catch (const Error &e) {
            QVERIFY2(e.text().contains(QStringLiteral("5000000000")), qPrintable(e.text()));
        }
        QCOMPARE(m->asInteger(QStringLiteral("iWord2")), 7);
        QCOMPARE(m->asInteger(QStringLiteral("iWord8")), 0);
    }

    // Whatever is refused leaves the client's counts exactly as they were.
    void refusedFilesChangeNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("withClient");
        QTest::addColumn<QString>("message");
        const QString noTable = u"No analysis table found in "_s;
        QTest::newRow("empty .log") << "empty.log" << QByteArray() << true << noTable;
        QTest::newRow("binary .log") << "tm.log" << QByteArray(4096, '\x01') << true << noTable;
        QTest::newRow("README as .log") << "readme.log"
                                        << QByteArray("Quotaly\n=======\n\nPrices translation jobs.\n\n1. Build\n2. Run\n")
                                        << true << noTable;
        QTest::newRow("README as .csv") << "readme.csv" << QByteArray("Title\nLine one\nLine two\nLine three\n") << true
                                        << noTable;
        QTest::newRow("other extension") << "job.dat" << logWithWords({"1", "2", "3", "4", "5", "6", "7"}, "28") << true
                                         << noTable;
        QTest::newRow("no client chosen") << "job.log" << logWithWords({"1", "2", "3", "4", "5", "6", "7"}, "28")
                                          << false << u"Choose a client first."_s;
    }

    void refusedFilesChangeNothing()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, withClient);
        QFETCH(QString, message);
        Dataset *m = m_dm->MatchesByClient;
        m->edit();
        m->setValue(QStringLiteral("iWord3"), 41);
        m->post();
        if (!withClient)
            m_dm->Clients->emptyDataSet();
        QStringList told;
        try {
            importAnalysisLog(m_env.write(name, content), *m, [&](const QString &t) { told << t; });
            QFAIL("the file was taken as an analysis log");
        } catch (const Error &e) {
            QVERIFY2(e.text().startsWith(message), qPrintable(e.text()));
        }
        QCOMPARE(told, QStringList()); // one message, the caller's: none per unreadable line
        QCOMPARE(m->state(), DatasetState::Browse);
        if (withClient)
            QCOMPARE(m->asInteger(QStringLiteral("iWord3")), 41);
    }

    void contextMatchWordsAreReportedAsUnpriced()
    {
        QByteArray log = logWithWords({"10", "20", "0", "0", "0", "0", "70"}, "445");
        log.replace("Context TM          0            0", "Context TM          9          345");
        const LogImportResult r = importAnalysisLog(m_env.write(QStringLiteral("ctx.log"), log), *m_dm->MatchesByClient, {});
        QCOMPARE(r.unpricedWords, 345.0);
        QCOMPARE(unpricedWordsMessage(r.unpricedWords),
                 u"345 words of this log are Context TM matches and are not priced in any category."_s);
    }

    // Characters replace the words where the client prices characters and the report counts them per category,
    // or where the report has no words at all; the percentages follow what was loaded.
    void loadsCharactersWhereTheyArePriced_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("word3");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("status");
        const QByteArray studio = test::fixture(u"trados/reports/studio_locked_internal.xml"_s);
        QString charactersOnly = QString::fromUtf8(studio);
        charactersOnly.remove(QRegularExpression(u" words=\"\\d+\""_s));
        QTest::newRow("words") << studio << u"Words"_s << 14 << u"100"_s
                               << u"Words loaded from job.xml (Trados Studio XML)"_s;
        QTest::newRow("character unit") << studio << u"Characters (with spaces)"_s << 70 << u"500"_s
                                        << u"Characters loaded from job.xml (Trados Studio XML)"_s;
        QTest::newRow("no words in the report") << charactersOnly.toUtf8() << u"Pages"_s << 70 << u"500"_s
                                                << u"Characters loaded from job.xml (Trados Studio XML)"_s;
    }

    void loadsCharactersWhereTheyArePriced()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, unit);
        QFETCH(int, word3);
        QFETCH(QString, total);
        QFETCH(QString, status);
        const QString file = m_env.write(u"job.xml"_s, content);
        const LogImportResult r = importAnalysisLog(file, *m_dm->MatchesByClient, {}, unit);
        QCOMPARE(r.totalText, total);
        QCOMPARE(m_dm->MatchesByClient->asInteger(u"iWord3"_s), word3);
        QCOMPARE(m_dm->MatchesByClient->asFloat(u"iPercent3"_s), 14.0); // 14 of 100 words, 70 of 500 characters
        QCOMPARE(loadedReportMessage(r, file), status);
    }

    void missingFileStoresNothing()
    {
        QStringList messages;
        const LogImportResult r = importAnalysisLog(m_env.path(QStringLiteral("gone.log")), *m_dm->MatchesByClient,
                                                    [&](const QString &t) { messages << t; });
        QVERIFY(!r.stored);
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages.first().startsWith(QStringLiteral("Error: File ")));
    }
};

QTEST_GUILESS_MAIN(TestLogImport)
#include "tst_LogImport.moc"

#include "common/TestEnv.h"
#include "dataset/Error.h"
#include "trados/AnalysisReader.h"

#include <cmath>

#include <QDir>
#include <QTest>

using namespace quotaly;
using namespace Qt::StringLiterals;

using Counts = QList<double>; // rows 0 to 8: context, repetitions, 100%, the four fuzzy bands, no match, total

namespace {

Counts wordsOf(const AnalysisReport &report, bool characters)
{
    Counts counts;
    for (const AnalysisCounts &row : report.rows) // fractional counts summed: without the binary noise
        counts << std::round((characters ? row.characters : row.words) * 1e6) / 1e6;
    return counts;
}

AnalysisReport read(const QString &path)
{
    QStringList messages;
    std::optional<AnalysisReport> report = readAnalysisReport(path, [&](const QString &m) { messages << m; });
    if (!report)
        qFatal("%s was not read", qPrintable(path));
    if (!messages.isEmpty())
        qWarning("%s", qPrintable(messages.join(u'\n')));
    return *report;
}

} // namespace

class TestAnalysisReports : public QObject
{
    Q_OBJECT

private slots:
    // The values read by hand from the public reports of every tool.
    void samples_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("characters");
        QTest::addColumn<Counts>("counts");
        QTest::addColumn<int>("files");
        const QString studio = u"Trados Studio XML"_s;
        const auto row = [](const char *file, const QString &format, bool characters, const Counts &counts, int files) {
            QTest::newRow(file) << QString::fromLatin1(file) << format << characters << counts << files;
        };
        row("studio_analyze_rws-sdl-community_exportanalysisreports_project2_en-US_en-GB.xml", studio, false,
            {0, 0, 0, 0, 0, 0, 0, 27, 27}, 1);
        row("studio_analyze_xtrf-catapult_Analyze_Files_ja-JP_en-US_2017.xml", studio, true,
            {0, 20836, 0, 0, 0, 0, 0, 57203, 78039}, 1);
        row("studio_analyze_xtrf-catapult_sdltms2009_3_pretty_customer.xml", studio, false, {0, 3, 0, 3, 0, 0, 0, 683, 689}, 6);
        row("studio_analyze_xtrf-catapult_sdltms2009_4_latvian.xml", studio, false, {0, 118, 0, 4, 2, 3, 12, 1144, 1283}, 3);
        row("studio_analyze_xtrf-catapult_sdltms2009_5_german_runtime.xml", studio, false,
            {5494, 636, 1660, 2080, 1241, 425, 214, 7726, 19476}, 1);
        row("studio_analyze_xtrf-catapult_sdltms2011_1_arabic.xml", studio, false, {0, 3306, 1, 1, 0, 8, 0, 12245, 15561}, 3);
        row("studio_analyze_xtrf-catapult_sdltms2011_2_arabic_uae.xml", studio, false,
            {0, 683, 3328, 975, 486, 601, 200, 1583, 7856}, 2);
        row("studio_analyze_xtrf-catapult_sdltms2014_lockedsegments.xml", studio, false,
            {0, 177, 759, 371, 462, 183, 50, 2976, 4978}, 1);
        row("studio_analyze_xtrf-catapult_sdltms2015_it.xml", studio, false, {0, 0, 0, 0, 0, 0, 0, 3, 3}, 1);
        row("studio_analyze_xtrf-catapult_sdltms2017_1_greek.xml", studio, false, {0, 7, 0, 0, 0, 0, 0, 1508, 1515}, 1);
        row("studio_analyze_xtrf-catapult_sdltms2017_2_multifile.xml", studio, false,
            {383, 1312, 656, 478, 149, 137, 209, 8052, 11376}, 12);
        row("studio_analyze_xtrf-catapult_trados2009fuzzy2_internalfuzzy.xml", studio, false,
            {0, 259, 13, 9, 17, 56, 38, 2483, 2875}, 1);
        const QString memoq = u"memoQ CSV (Trados-compatible)"_s;
        const QString phrase = u"Phrase (Memsource) CSV"_s;
        row("trados_compatible_csv_xtrf-catapult_memoq_api_trados_tab_utf16le.csv", memoq, false,
            {0, 8, 0, 0, 0, 16, 72, 1598, 1694}, 5);
        row("trados_compatible_csv_xtrf-catapult_memoq_trados_compatible_utf16le_twin-of-allinfo.csv", memoq, false,
            {0, 7, 4, 3, 0, 0, 17, 7, 38}, 1);
        row("trados_compatible_csv_xtrf-catapult_memoq_trados_context_tm_utf16le_multifile.csv", memoq, false,
            {3, 78, 17, 84, 14796, 2410, 6072, 18258, 41718}, 25);
        row("trados_compatible_csv_xtrf-catapult_tradosUtf8_utf8bom.csv", phrase, false, {0, 0, 0, 52, 21, 19, 222, 47, 361}, 1);
        row("trados_compatible_csv_xtrf-catapult_trados_utf16le_memoQ-produced.csv", memoq, false,
            {0, 0, 0, 0, 0, 0, 0, 541, 541}, 1);
        row("other-cat-tools/memoq_perfile_allinfo_csv_utf16le_xtrf-catapult_memoq_trados_compatible_2.csv",
            u"memoQ CSV (all information)"_s, false, {0, 7, 4, 3, 0, 0, 17, 7, 38}, 1);
        row("other-cat-tools/memoq_statistics_csv_tab_xtrf-catapult_memoq-tabs.csv", u"memoQ statistics"_s, false,
            {0, 25, 0, 0, 0, 0, 0, 417, 442}, 1);
        row("other-cat-tools/memsource_analysis_csv_xtrf-catapult_monolingual.csv", phrase, false,
            {0, 0, 3, 1, 0, 0, 0, 20, 24}, 4);
        row("other-cat-tools/memsource_analysis_log_xtrf-catapult_124448.log", u"Phrase (Memsource) LOG"_s, false,
            {0, 0, 1, 1, 0, 0, 0, 10, 12}, 2);
        row("other-cat-tools/phrase_analysis_csv_with_characters_4oy3eh-TranslationCostCalculator_example_1.csv", phrase,
            false, {0, 20.15, 0, 310.5, 127, 157.5, 688, 2111, 3414.15}, 5);
        row("other-cat-tools/phrase_analysis_csv_without_characters_4oy3eh-TranslationCostCalculator_example_2.csv",
            phrase, false, {0, 20.15, 0, 310.5, 127, 157.5, 688, 2111, 3414.15}, 5);
        row("other-cat-tools/phrase_tms_analysis_bartlomiejlis-tms-matches-calculator_Analysis_1.json",
            u"Phrase (Memsource) JSON"_s, false, {0, 0, 14, 0, 17, 339, 27, 39, 436}, 1);
        row("other-cat-tools/wordfast_pro_analysis_csv_xtrf-catapult_Example5.csv", u"Wordfast Pro CSV"_s, false,
            {0, 90, 89, 18, 17, 3, 124, 7724, 8065}, 3);
        row("other-cat-tools/omegat_project_stats_match_en_necrose99-Myaamia.txt", u"OmegaT match statistics"_s, false,
            {0, 6, 155, 10000, 0, 0, 0, 4767, 14928}, 0);
    }

    void samples()
    {
        QFETCH(QString, file);
        QFETCH(QString, format);
        QFETCH(bool, characters);
        QFETCH(Counts, counts);
        QFETCH(int, files);
        const QDir samples(QStringLiteral(QUOTALY_SAMPLES_DIR "/cat-reports"));
        if (!samples.exists())
            QSKIP(qPrintable(u"The public CAT reports are not here (%1)"_s.arg(samples.path())));
        const AnalysisReport report = read(samples.filePath(file));
        QCOMPARE(report.format, format);
        QCOMPARE(report.hasWords, !characters);
        QCOMPARE(wordsOf(report, characters), counts);
        QCOMPARE(report.files.size(), files);
    }

    // Small reports of our own for the cases that must always run: one per format, with the pitfalls of each.
    void fixtures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<Counts>("words");
        QTest::addColumn<Counts>("fileTotals");
        QTest::addColumn<double>("characters"); // of the total; 0 when the report has none per category
        // Context, locked with exact, cross-file with repetitions, internal fuzzy bands with their fuzzy bands.
        QTest::newRow("Studio one line") << u"studio_locked_internal.xml"_s << Counts{5, 11, 14, 8, 8, 2, 9, 43, 100}
                                         << Counts{87, 13} << 500.0;
        // TAB, UTF-16LE, " Words", a trailing separator; the files are summed.
        QTest::newRow("memoQ Trados-compatible") << u"memoq_trados_tab.csv"_s << Counts{1, 12, 3, 4, 5, 6, 7, 28, 66}
                                                 << Counts{36, 30} << 0.0;
        // Decimal comma, a quoted name with the separator, 101% and X-translated as context, fragments as no match.
        QTest::newRow("memoQ all information") << u"memoq_allinfo.csv"_s << Counts{4, 5, 7, 0, 0, 0, 2, 13, 31}
                                               << Counts{31} << 155.0;
        QTest::newRow("Phrase JSON") << u"phrase.json"_s << Counts{4, 6, 10, 0, 5.5, 0, 4.5, 70, 100} << Counts{100}
                                     << 500.0;
        // Golden and Leveraged overlap the other columns.
        QTest::newRow("Wordfast Pro") << u"wordfast.csv"_s << Counts{0, 2, 5, 1, 0, 3, 4, 20, 35} << Counts{35} << 0.0;
        // 95-100% counts as 95-99%; characters with spaces.
        QTest::newRow("OmegaT") << u"omegat_stats_match.txt"_s << Counts{0, 6, 20, 5, 0, 4, 0, 65, 100} << Counts{}
                                << 500.0;
    }

    void fixtures()
    {
        QFETCH(QString, file);
        QFETCH(Counts, words);
        QFETCH(Counts, fileTotals);
        QFETCH(double, characters);
        const AnalysisReport report = read(QStringLiteral(QUOTALY_TEST_DATA "/trados/reports/") + file);
        QCOMPARE(wordsOf(report, false), words);
        Counts totals;
        for (const AnalysisFile &f : report.files)
            totals << f.rows[kTotalRow].words;
        QCOMPARE(totals, fileTotals);
        QCOMPARE(report.hasCharacters, characters > 0);
        if (characters > 0)
            QCOMPARE(report.rows[kTotalRow].characters, characters);
        QCOMPARE(report.rows[kExactRow].percent, words[kExactRow] / words[kTotalRow] * 100);
    }

    // Whatever is not a report Quotaly knows, or is broken, is refused with a message naming the file.
    void badInput_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        const QByteArray studio = test::fixture(u"trados/reports/studio_locked_internal.xml"_s);
        const QByteArray wordfast = test::fixture(u"trados/reports/wordfast.csv"_s);
        const QString unknown = u"No analysis table found in"_s;
        QTest::newRow("truncated XML") << "job.xml" << studio.left(studio.size() / 2) << "cut short";
        QTest::newRow("XML cut after a tag") << "job.xml" << studio.left(studio.lastIndexOf("</file>")) << "cut short";
        QTest::newRow("crossed elements") << "job.xml" << QByteArray(studio).replace("</analyse></file>", "</file></analyse>")
                                          << "closes no open element";
        QTest::newRow("XML of another kind") << "job.xml" << QByteArray("<?xml version=\"1.0\"?><project/>") << unknown;
        QTest::newRow("negative count") << "job.xml" << QByteArray(studio).replace("words=\"43\"", "words=\"-43\"")
                                        << "-43";
        QTest::newRow("enormous count") << "job.xml" << QByteArray(studio).replace("words=\"43\"", "words=\"1e300\"")
                                        << "1e300";
        QTest::newRow("non-numeric cell") << "job.csv" << QByteArray(wordfast).replace(",20,", ",2x0,") << "2x0";
        QTest::newRow("missing columns") << "job.csv" << wordfast.left(wordfast.lastIndexOf(",1,", wordfast.size() - 30))
                                         << "columns";
        QTest::newRow("unknown category") << "job.csv" << QByteArray(wordfast).replace("Leveraged", "Machine") << "Machine";
        QTest::newRow("JSON of another kind") << "job.json" << QByteArray("{\"project\": 1}") << "analyseLanguageParts";
        // UTF-16 without its byte order mark is no layout Quotaly recognises (and not a Trados CSV full of NULs).
        QTest::newRow("wrong encoding") << "job.csv" << QByteArray("\0F\0i\0l\0e\0;", 10).repeated(200)
                                        << unknown;
        QTest::newRow("OmegaT cut short") << "stats.txt"
                                          << test::fixture(u"trados/reports/omegat_stats_match.txt"_s).left(300)
                                          << "rows";
    }

    void badInput()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const test::TestEnv env;
        const QString path = env.write(name, content);
        try {
            readAnalysisReport(path, {});
            QFAIL("the file was read");
        } catch (const Error &e) {
            QVERIFY2(e.text().contains(message) && e.text().contains(QDir::toNativeSeparators(path)), qPrintable(e.text()));
        }
    }
};

QTEST_GUILESS_MAIN(TestAnalysisReports)
#include "tst_AnalysisReports.moc"

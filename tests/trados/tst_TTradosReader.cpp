#include "common/TestEnv.h"
#include "dataset/Error.h"
#include "trados/TTradosReader.h"

#include <cmath>

#include <QDir>
#include <QStringConverter>
#include <QTest>

using namespace quotaly;
using namespace Qt::StringLiterals;
using Values = QList<double>;

namespace {

const QLocale kPoint(QLocale::English, QLocale::UnitedStates);
const QLocale kComma(QLocale::German, QLocale::Germany);

const QByteArray kIntro = "Start Analyse: Tue Mar 06 10:05:48 2007\n\nTranslation Memory: C:\\TM\\en-de.tmw\n\n"
                          "C:\\Jobs\\brochure.doc\n\n";
const QByteArrayList kLabels = {"Context TM", "Repetitions", "100%",     "95% - 99%", "85% - 94%",
                                "75% - 84%",  "50% - 74%",   "No Match", "Total"};
const QByteArrayList kWordsA = {"0", "12", "1,632", "45", "30", "20", "10", "200", "1,949"};
const Values kA = {0, 12, 1632, 45, 30, 20, 10, 200, 1949};
const QByteArrayList kWordsB = {"3", "4", "5", "6", "7", "8", "9", "10", "52"};
const Values kAPlusB = {3, 16, 1637, 51, 37, 28, 19, 210, 2001};
const Values kZeros(9, 0.0);

/// An analysis table in the tool's layout: row r has r segments (row 1: `segments1`) and words[r] words. Fewer
/// than nine words make a table cut short by the end of the file.
QByteArray table(const QByteArrayList &words, const QByteArray &indent = {}, const QByteArray &segments1 = "1")
{
    QByteArray out = indent + " Match Types  Segments        Words Percent Placeables\n";
    for (int r = 0; r < words.size(); ++r) {
        out += indent + ' ' + kLabels[r].leftJustified(13) +
               (r == 1 ? segments1 : QByteArray::number(r)).rightJustified(8) + words[r].rightJustified(13) +
               QByteArray("10").rightJustified(8) + QByteArray("1").rightJustified(11) + '\n';
    }
    return words.size() < 9 ? out : out + " Chars/Word       5.12\n Chars Total     4,464\n\n";
}

/// A CSV record of `count` cells numbered 1, 2, 3...: column n holds n.
QByteArray numbered(int count)
{
    QByteArrayList cells;
    for (int n = 1; n <= count; ++n)
        cells << QByteArray::number(n);
    return cells.join(';');
}

const QByteArray kCsvHead = ";;;;XTranslated;;;;Repetitions\nFile;Tagging Errors;Chars/Word;Characters;Segments\n";

struct Result
{
    bool loaded = false;
    TTradosReader::Rows segments{}, words{}, percent{}, placeables{};
    QStringList messages;
};

Result load(const QString &path)
{
    Result result;
    TTradosReader reader([&result](const QString &text) { result.messages << text; });
    reader.FileName = path;
    try {
        reader.Load();
    } catch (const Error &error) {
        result.messages << u"thrown: "_s + error.text(); // fails the test's check of the messages
    }
    result = {reader.Loaded(),  reader.segments(),   reader.words(),
              reader.percent(), reader.placeables(), result.messages};
    return result;
}

bool same(const TTradosReader::Rows &actual, const Values &expected)
{
    for (int r = 0; r < 9; ++r) {
        if (std::abs(actual[r] - expected[r]) > 1e-9) {
            qWarning() << "row" << r << "is" << actual[r] << "expected" << expected[r];
            return false;
        }
    }
    return true;
}

class LocaleScope
{
public:
    explicit LocaleScope(const QLocale &locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

} // namespace

class tst_TTradosReader : public QObject
{
    Q_OBJECT

private slots:
    void fixtures_data();
    void fixtures();
    void numbers_data();
    void numbers();
    void edgeCases_data();
    void edgeCases();
    void encodings_data();
    void encodings();
    void csvRecords_data();
    void csvRecords();
    void failures_data();
    void failures();
    void requests();
    void userImpCsvSurvives();
    void messagesAreCapped();
};

void tst_TTradosReader::fixtures_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("readAs");
    QTest::addColumn<Values>("segments");
    QTest::addColumn<Values>("words");
    QTest::addColumn<Values>("percent");
    QTest::addColumn<Values>("placeables");

    QTest::newRow("one file, XTranslated")
        << u"single_file.log"_s << u"job.log"_s << Values{0, 12, 140, 25, 18, 9, 7, 60, 271}
        << Values{0, 89, 1632, 310, 240, 120, 95, 1014, 3500} << Values{0, 3, 47, 9, 7, 3, 3, 29, 100}
        << Values{0, 0, 61, 4, 2, 1, 0, 9, 77};
    const Values jobSegments{3, 17, 85, 13, 14, 7, 13, 150, 302};
    const Values jobWords{20, 114, 1214, 181, 168, 82, 179, 2326, 4284};
    const Values jobPlaceables{0, 6, 30, 3, 1, 0, 2, 21, 63};
    QTest::newRow("three files: the job total") << u"multi_file.log"_s << u"job.log"_s << jobSegments << jobWords
                                                << Values{0, 3, 28, 4, 4, 2, 4, 54, 100} << jobPlaceables;
    QTest::newRow("three files as .txt: file tables summed")
        << u"multi_file.log"_s << u"job.txt"_s << jobSegments << jobWords
        << Values{4 / 3.0, 2, 71 / 3.0, 3, 14 / 3.0, 13 / 3.0, 3, 175 / 3.0, 100} << jobPlaceables;
    QTest::newRow("two runs: the first run's total")
        << u"several_runs.log"_s << u"job.log"_s << Values{0, 4, 29, 10, 8, 5, 8, 62, 126}
        << Values{0, 35, 435, 127, 107, 61, 97, 965, 1827} << Values{0, 2, 24, 7, 6, 3, 5, 53, 100}
        << Values{0, 0, 2, 0, 1, 0, 0, 6, 9};
    QTest::newRow("two runs as .txt: every file table")
        << u"several_runs.log"_s << u"job.TXT"_s << Values{0, 7, 90, 15, 12, 7, 11, 74, 216}
        << Values{0, 62, 1438, 191, 157, 94, 138, 1058, 3138}
        << Values{0, 2, 125 / 3.0, 6, 17 / 3.0, 3, 13 / 3.0, 113 / 3.0, 100} << Values{0, 0, 9, 0, 2, 0, 0, 6, 17};
    QTest::newRow("UTF-8 byte order mark")
        << u"utf8_bom.log"_s << u"job.log"_s << Values{0, 5, 70, 11, 8, 6, 4, 33, 137}
        << Values{0, 44, 905, 148, 97, 70, 39, 512, 1815} << Values{0, 2, 50, 8, 5, 4, 2, 28, 100}
        << Values{0, 0, 12, 2, 0, 1, 0, 3, 18};
    QTest::newRow("CR LF") << u"crlf.log"_s << u"job.log"_s << Values{0, 2, 17, 3, 2, 1, 4, 29, 58}
                           << Values{0, 19, 230, 41, 26, 12, 45, 377, 750} << Values{0, 3, 31, 5, 3, 2, 6, 50, 100}
                           << Values{0, 0, 3, 1, 0, 0, 0, 2, 6};
    QTest::newRow("csv, two records") << u"semicolon.csv"_s << u"job.csv"_s
                                      << Values{0, 17, 82, 13, 13, 5, 13, 138, 281}
                                      << Values{0, 114, 1192, 181, 159, 65, 179, 2195, 4085}
                                      << Values{0, 2.855, 29.525, 4.265, 4.56, 1.94, 4.44, 52.42, 0} << kZeros;
    QTest::newRow("csv, UTF-16LE, quoted names")
        << u"utf16le_bom.csv"_s << u"job.Csv"_s << Values{0, 2, 20, 3, 3, 3, 4, 101, 137}
        << Values{0, 19, 252, 41, 35, 29, 45, 1049, 1476}
        << Values{0, 2.53 / 3, 42.56 / 3, 5.47 / 3, 8.33 / 3, 10.79 / 3, 2, 221.08 / 3, 0} << kZeros;
}

void tst_TTradosReader::fixtures()
{
    QFETCH(QString, fixture);
    QFETCH(QString, readAs);
    QFETCH(Values, segments);
    QFETCH(Values, words);
    QFETCH(Values, percent);
    QFETCH(Values, placeables);

    const test::TestEnv env;
    const QString path = env.write(readAs, test::fixture(u"trados/"_s + fixture));
    for (const QLocale &locale : {kPoint, kComma}) {
        const LocaleScope scope(locale);
        const Result result = load(path);
        QVERIFY(result.loaded);
        QVERIFY2(result.messages.isEmpty(), qPrintable(result.messages.join(u'\n')));
        QVERIFY(same(result.segments, segments));
        QVERIFY(same(result.words, words));
        QVERIFY(same(result.percent, percent));
        QVERIFY(same(result.placeables, placeables));
    }
}

void tst_TTradosReader::numbers_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QByteArray>("token");
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("refused");

    QTest::newRow(". thousands") << kPoint << QByteArray("1,234") << 1234.0 << false;
    QTest::newRow(", thousands") << kComma << QByteArray("1,234") << 1234.0 << false;
    QTest::newRow(". decimal") << kPoint << QByteArray("12.5") << 12.5 << false;
    QTest::newRow(", decimal loses its comma") << kComma << QByteArray("12,5") << 125.0 << false;
    QTest::newRow(", refuses a point") << kComma << QByteArray("12.5") << 0.0 << true;
    QTest::newRow("minus") << kPoint << QByteArray("-3") << -3.0 << false;
    QTest::newRow("plus") << kComma << QByteArray("+4") << 4.0 << false;
    QTest::newRow("exponent") << kPoint << QByteArray("1e3") << 1000.0 << false;
    QTest::newRow("nan") << kPoint << QByteArray("nan") << 0.0 << true;
    QTest::newRow("inf") << kComma << QByteArray("inf") << 0.0 << true;
    QTest::newRow("infinity") << kPoint << QByteArray("infinity") << 0.0 << true;
    QTest::newRow("out of range") << kPoint << QByteArray("1e999") << 0.0 << true;
    QTest::newRow("text, shown without commas") << kComma << QByteArray("1,2abc") << 0.0 << true;
}

void tst_TTradosReader::numbers()
{
    QFETCH(QLocale, locale);
    QFETCH(QByteArray, token);
    QFETCH(double, value);
    QFETCH(bool, refused);

    const LocaleScope scope(locale);
    const test::TestEnv env;
    QByteArrayList words = kWordsA;
    words[2] = token;
    const Result result = load(env.write(u"job.log"_s, kIntro + table(words)));
    QCOMPARE(result.words[2], value);
    QCOMPARE(result.words[3], 45.0);
    const QStringList messages =
        refused
            ? QStringList{u"Error: can't convert "_s + QString::fromLatin1(token).remove(u',') + u" to number value"_s}
            : QStringList{};
    QCOMPARE(result.messages, messages);
}

void tst_TTradosReader::edgeCases_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<Values>("words");
    QTest::addColumn<double>("segments1");
    QTest::addColumn<QStringList>("messages");

    const QString cantConvertEmpty = u"Error: can't convert  to number value"_s;
    const QByteArray fourLines = "Start Analyse: today\n\nTranslation Memory: C:\\TM\\en-de.tmw\n\n";
    QTest::newRow("heading on line 5: skipped unseen")
        << u"job.log"_s << fourLines + table(kWordsA) << kZeros << 0.0 << QStringList{};
    QTest::newRow("heading on line 6: read")
        << u"job.log"_s << fourLines + "\n" + table(kWordsA) << kA << 1.0 << QStringList{};
    QTest::newRow(".log with two tables: the first")
        << u"job.log"_s << kIntro + table(kWordsA) + table(kWordsB) << kA << 1.0 << QStringList{};
    QTest::newRow(".log: the job total of a later run does not count")
        << u"job.log"_s
        << kIntro + table(kWordsA) + QByteArray(80, '=') + '\n' + kIntro + "Analyse Total (1 file):\n\n" +
               table(kWordsB)
        << kA << 1.0 << QStringList{};
    QTest::newRow(".txt with two tables: summed")
        << u"job.txt"_s << kIntro + table(kWordsA) + table(kWordsB) << kAPlusB << 2.0 << QStringList{};
    QByteArrayList badB = kWordsB;
    badB[1] = "n/a";
    Values lostSum = kAPlusB;
    lostSum[1] = 0;
    QTest::newRow(".txt: a bad cell resets its sum")
        << u"job.txt"_s << kIntro + table(kWordsA) + table(badB) << lostSum << 2.0
        << QStringList{u"Error: can't convert n/a to number value"_s};
    QTest::newRow("table cut short") << u"job.log"_s << kIntro + table(kWordsA.first(7))
                                     << Values{0, 12, 1632, 45, 30, 20, 10, 0, 0} << 1.0
                                     << QStringList(8, cantConvertEmpty);
    QTest::newRow("indented heading and rows")
        << u"job.log"_s << kIntro + table(kWordsA, "      ") << kA << 1.0 << QStringList{};
    QTest::newRow("number wider than its heading")
        << u"job.log"_s << kIntro + table(kWordsA, {}, "1234567") << kA << 234567.0 << QStringList{};
    QTest::newRow("upper-case extension") << u"job.LOG"_s << kIntro + table(kWordsA) << kA << 1.0 << QStringList{};
    QTest::newRow("other extension") << u"job.dat"_s << kIntro + table(kWordsA) << kZeros << 0.0 << QStringList{};
    QTest::newRow("empty .log") << u"job.log"_s << QByteArray() << kZeros << 0.0 << QStringList{};
    QTest::newRow("binary .log") << u"job.log"_s << QByteArray(70000, '\0') + "\xff\xfe\x01" << kZeros << 0.0
                                 << QStringList{};
    QTest::newRow("a line of 1 MB") << u"job.log"_s << kIntro + QByteArray(1 << 20, 'x') + '\n' + table(kWordsA) << kA
                                    << 1.0 << QStringList{};
    QByteArrayList longCell = kWordsA;
    longCell[1] = " " + QByteArray(1 << 20, '7');
    Values noRow1 = kA;
    noRow1[1] = 0;
    QTest::newRow("a cell of 1 MB") << u"job.log"_s << kIntro + table(longCell) << noRow1 << 1.0
                                    << QStringList{u"Error: can't convert "_s + QString(57, u'7') +
                                                   u"... to number value"_s};
}

void tst_TTradosReader::edgeCases()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(Values, words);
    QFETCH(double, segments1);
    QFETCH(QStringList, messages);

    const LocaleScope scope(kPoint);
    const test::TestEnv env;
    const Result result = load(env.write(fileName, content));
    QVERIFY(result.loaded);
    QVERIFY(same(result.words, words));
    QCOMPARE(result.segments[1], segments1);
    QCOMPARE(result.messages, messages);
}

void tst_TTradosReader::encodings_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");

    // The analysed file's name carries letters outside ASCII.
    QString text = QString::fromLatin1(kIntro + table(kWordsA)).replace(u"brochure"_s, u"Übersetzung_Größe"_s);
    const auto encoded = [&text](QStringConverter::Encoding encoding) -> QByteArray {
        return QStringEncoder(encoding)(text);
    };
    QTest::newRow("UTF-16LE") << u"job.log"_s << "\xff\xfe" + encoded(QStringConverter::Utf16LE);
    QTest::newRow("UTF-16BE") << u"job.txt"_s << "\xfe\xff" + encoded(QStringConverter::Utf16BE);
    QTest::newRow("Windows-1252") << u"job.txt"_s << encoded(QStringConverter::Latin1);
    text.replace(u'\n', u"\r\n"_s);
    QTest::newRow("UTF-16LE, CR LF") << u"job.log"_s << "\xff\xfe" + encoded(QStringConverter::Utf16LE);
}

void tst_TTradosReader::encodings()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);

    const LocaleScope scope(kPoint);
    const test::TestEnv env;
    const Result result = load(env.write(fileName, content));
    QVERIFY(same(result.words, kA));
    QVERIFY2(result.messages.isEmpty(), qPrintable(result.messages.join(u'\n')));
}

void tst_TTradosReader::csvRecords_data()
{
    QTest::addColumn<QByteArray>("records");
    QTest::addColumn<Values>("words");
    QTest::addColumn<Values>("percent");
    QTest::addColumn<QStringList>("messages");

    // Column n holds n: row g's segments are in column 4g + 5, words in 4g + 6, percent in 4g + 8.
    const Values words{0, 10, 14, 18, 22, 26, 30, 34, 38};
    const Values percent{0, 12, 16, 20, 24, 28, 32, 36, 0};
    QTest::newRow("columns to rows") << numbered(39) << words << percent << QStringList{};
    QTest::newRow("words summed, percent averaged, blank lines skipped")
        << numbered(39) + "\n\n" + numbered(39).replace("12;", "2;") + "\n"
        << Values{0, 20, 28, 36, 44, 52, 60, 68, 76} << Values{0, 7, 16, 20, 24, 28, 32, 36, 0} << QStringList{};
    QTest::newRow("fewer columns") << numbered(20) << Values{0, 10, 14, 18, 0, 0, 0, 0, 0}
                                   << Values{0, 12, 16, 20, 0, 0, 0, 0, 0}
                                   << QStringList{u"Line 3 has 20 of 39 columns; the missing cells count as 0."_s};
    QTest::newRow("empty cells after the last") << numbered(39) + ";;" << words << percent << QStringList{};
    QTest::newRow("more columns") << numbered(41) << words << percent
                                  << QStringList{u"Line 3 has 41 columns; the cells after column 39 are ignored."_s};
    Values noRow1 = words;
    noRow1[1] = 0;
    QTest::newRow("empty cell") << numbered(39).replace(";10;", ";;") << noRow1 << percent << QStringList{};
    QTest::newRow("unconvertible cell") << numbered(39).replace(";10;", "; 1,0 ;") << noRow1 << percent
                                        << QStringList{u"Error: can't convert 1,0 to number value"_s};
    QTest::newRow("nan") << numbered(39).replace(";10;", ";nan;") << noRow1 << percent
                         << QStringList{u"Error: can't convert nan to number value"_s};
    Values half = percent;
    half[1] = 12.5;
    QTest::newRow("decimal point") << numbered(39).replace(";12;", ";12.5;") << words << half << QStringList{};
}

void tst_TTradosReader::csvRecords()
{
    QFETCH(QByteArray, records);
    QFETCH(Values, words);
    QFETCH(Values, percent);
    QFETCH(QStringList, messages);

    const LocaleScope scope(kComma); // the export always writes "."
    const test::TestEnv env;
    const Result result = load(env.write(u"job.csv"_s, kCsvHead + records));
    QVERIFY(same(result.words, words));
    QVERIFY(same(result.percent, percent));
    QCOMPARE(result.segments[0], 0.0); // columns 5 to 8 are not read
    QCOMPARE(result.messages, messages);
}

void tst_TTradosReader::failures_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");

    QTest::newRow("folder") << u"folder.log"_s << QByteArray() << u"it is a folder"_s;
    const QString noTable = u"it holds no analysis table, so there is nothing to average"_s;
    QTest::newRow("empty .txt") << u"job.txt"_s << QByteArray() << noTable;
    QTest::newRow(".txt heading within five lines") << u"job.txt"_s << table(kWordsA) << noTable;
    QTest::newRow("binary .txt") << u"job.txt"_s << QByteArray(70000, '\0') << noTable;
    const QString noData = u"it holds no data line after the two heading lines, so there is nothing to average"_s;
    QTest::newRow("empty .csv") << u"job.csv"_s << QByteArray() << noData;
    QTest::newRow(".csv of headings only") << u"job.csv"_s << kCsvHead + "\n \n" << noData;
}

void tst_TTradosReader::failures()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, error);

    const test::TestEnv env;
    const QString path = env.path(fileName);
    if (fileName.startsWith(u"folder"))
        QVERIFY(QDir().mkpath(path));
    else
        env.write(fileName, content);

    QStringList messages;
    TTradosReader reader([&messages](const QString &text) { messages << text; });
    reader.FileName = path;
    TTradosReader::Rows rows;
    rows.fill(7);
    try {
        reader.GetResults(TTradosReader::Words, rows);
        QFAIL("no error");
    } catch (const Error &e) {
        QCOMPARE(e.text(), u"Cannot read "_s + path + u": "_s + error);
    }
    QVERIFY(!reader.Loaded());
    QCOMPARE(rows[0], 7.0);
    QVERIFY(messages.isEmpty());
}

void tst_TTradosReader::requests()
{
    const LocaleScope scope(kPoint);
    const test::TestEnv env;
    QStringList messages;
    TTradosReader reader([&messages](const QString &text) { messages << text; });
    TTradosReader::Rows rows;
    rows.fill(7);

    reader.FileName = env.path(u"missing.log"_s);
    QVERIFY(!reader.GetResults(TTradosReader::Words, rows));
    QVERIFY(!reader.Loaded());
    QCOMPARE(messages, QStringList{u"Error: File "_s + reader.FileName + u" not found."_s});
    QCOMPARE(rows[1], 7.0);

    // The file is read at the first request only.
    reader.FileName = env.write(u"job.log"_s, kIntro + table(kWordsA));
    QVERIFY(reader.GetResults(TTradosReader::Percent, rows));
    QCOMPARE(rows[1], 10.0);
    env.write(u"job.log"_s, kIntro + table(kWordsB));
    QVERIFY(reader.GetResults(TTradosReader::Words, rows));
    QVERIFY(same(rows, kA));
    QVERIFY(reader.GetResults(TTradosReader::Placeables, rows));
    QCOMPARE(rows[8], 1.0);

    rows.fill(7);
    QVERIFY(!reader.GetResults(4, rows));
    QCOMPARE(rows[2], 7.0);
    QCOMPARE(messages.size(), 1);
}

void tst_TTradosReader::userImpCsvSurvives()
{
    const test::TestEnv env;
    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(env.dir()));
    const QString log = env.write(u"job.csv"_s, test::fixture(u"trados/semicolon.csv"_s));

    const Result first = load(log);
    const bool staged = QFile::exists(u"imp.csv"_s);
    const QByteArray mine = "my own;file\n";
    env.write(u"imp.csv"_s, mine);
    const Result second = load(log);
    const QByteArray after = test::TestEnv::read(env.path(u"imp.csv"_s));
    QDir::setCurrent(saved);

    QVERIFY(!staged);
    QCOMPARE(after, mine);
    QVERIFY(first.loaded && second.loaded);
    QCOMPARE(second.words[8], 4085.0);
}

void tst_TTradosReader::messagesAreCapped()
{
    const LocaleScope scope(kPoint);
    const test::TestEnv env;
    QByteArrayList bad = kWordsA;
    bad[4] = "x";
    QByteArray content = kIntro;
    for (int i = 0; i < 30; ++i)
        content += table(bad);
    const Result result = load(env.write(u"job.txt"_s, content));
    QCOMPARE(result.messages.size(), TTradosReader::kMessageLimit + 1);
    QCOMPARE(result.messages.first(), u"Error: can't convert x to number value"_s);
    QCOMPARE(result.messages.last(), u"... and 10 more messages not shown"_s);
    QCOMPARE(result.words[5], 30 * 20.0);
}

QTEST_GUILESS_MAIN(tst_TTradosReader)
#include "tst_TTradosReader.moc"

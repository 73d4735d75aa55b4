#include "common/RtfControlWord.h"
#include "reports/ReportGridData.h"
#include "reports/ReportRichText.h"

#include <QTest>
#include <QXmlStreamReader>

using namespace quotaly;
using namespace Qt::StringLiterals;

namespace {

struct Cell
{
    QString text;
    bool bold = false;
    bool right = false;
};
using Row = QList<Cell>;

// Reads the table cells of an RTF document the way a word processor does: control words, \uN with its
// fallback skipped, \'hh, escaped symbols, \tab and \line; the font table is skipped. Fails the test when a
// row holds another number of cells than its definition declares or when the cell edges do not increase.
QList<Row> parseRtf(const QString &rtf)
{
    QList<Row> rows;
    Row row;
    Cell cell;
    QList<int> edges;
    int skipDepth = -1;
    int depth = 0;
    int fallback = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const QChar c = rtf.at(i);
        if (c == u'{') {
            ++depth;
            if (rtf.mid(i, 9) == u"{\\fonttbl")
                skipDepth = depth;
            continue;
        }
        if (c == u'}') {
            if (depth-- == skipDepth)
                skipDepth = -1;
            continue;
        }
        if (c == u'\r' || c == u'\n' || skipDepth >= 0)
            continue;
        if (c != u'\\') {
            if (fallback > 0)
                --fallback;
            else
                cell.text += c;
            continue;
        }
        const QChar next = rtf.at(++i);
        if (next == u'\\' || next == u'{' || next == u'}') {
            cell.text += next;
            continue;
        }
        if (next == u'\'') {
            if (fallback > 0)
                --fallback;
            else
                cell.text += QChar(rtf.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
            continue;
        }
        const test::RtfControlWord control = test::readRtfControlWord(rtf, i);
        const QString &word = control.word;
        const QString &param = control.param;
        i = control.last;
        if (word == u"u") {
            const int n = param.toInt(); // a signed 16-bit number
            if (n < -32768 || n > 32767)
                QTest::qFail("\\u parameter out of range", __FILE__, __LINE__);
            cell.text += QChar(char16_t(n < 0 ? n + 65536 : n));
            fallback = 1;
        } else if (word == u"tab") {
            cell.text += u'\t';
        } else if (word == u"line" || word == u"par") {
            cell.text += u'\n';
        } else if (word == u"plain" || word == u"pard") {
            cell.bold = false;
            cell.right = false;
        } else if (word == u"b") {
            cell.bold = param != u"0";
        } else if (word == u"qr") {
            cell.right = true;
        } else if (word == u"trowd") {
            edges.clear();
        } else if (word == u"cellx") {
            if (!edges.isEmpty() && param.toInt() <= edges.last())
                QTest::qFail("cell edges do not increase", __FILE__, __LINE__);
            edges << param.toInt();
        } else if (word == u"cell") {
            row << cell;
            cell = {};
        } else if (word == u"row") {
            if (row.size() != edges.size())
                QTest::qFail("cells and cell definitions differ", __FILE__, __LINE__);
            rows << row;
            row.clear();
        }
    }
    return rows;
}

// Reads the <tr> rows of the HTML as XML; br is a line break, b marks bold text.
QList<Row> parseHtml(const QString &html, QString *error)
{
    QList<Row> rows;
    QXmlStreamReader xml(html);
    Cell cell;
    bool inCell = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (name == u"tr") {
                rows << Row{};
            } else if (name == u"td" || name == u"th") {
                cell = {};
                cell.right = xml.attributes().value(u"align"_s) == u"right";
                inCell = true;
            } else if (name == u"br") {
                cell.text += u'\n';
            } else if (name == u"b") {
                cell.bold = true;
            }
        } else if (xml.isCharacters() && inCell) {
            cell.text += xml.text();
        } else if (xml.isEndElement() && (xml.name() == u"td" || xml.name() == u"th")) {
            rows.last() << cell;
            inCell = false;
        }
    }
    *error = xml.hasError() ? xml.errorString() : QString();
    return rows;
}

QStringList texts(const Row &row)
{
    QStringList t;
    for (const Cell &c : row)
        t << c.text;
    return t;
}

ReportTable sampleReport()
{
    ReportTable t;
    t.titles = {u"Match types"_s, u"Discount (% of base rate)"_s, u"Words"_s, u"Rate"_s, u"Currency"_s, u"Amount"_s};
    t.rows = {{u"Repetitions - 95%"_s, u"30.00 %"_s, u"250.00"_s, u"0.04"_s, u"EUR"_s, u"9.00"_s},
              {u"94% - 50%"_s, u"80.00 %"_s, u"400.00"_s, u"0.10"_s, u"EUR"_s, u"38.40"_s},
              {u" - No matches"_s, u"100.00 %"_s, u"600.00"_s, u"0.12"_s, u"EUR"_s, u"72.00"_s}};
    t.footer = {u"Total :"_s, QString(), u"1250.00"_s, QString(), u"EUR"_s, u"119.40"_s};
    return t;
}

} // namespace

class tst_ReportRichText : public QObject
{
    Q_OBJECT

private slots:
    void cellsSurvive_data();
    void cellsSurvive();
    void tableLayout();
    void gridDataRoundTrip();
    void gridDataRejects_data();
    void gridDataRejects();
};

void tst_ReportRichText::cellsSurvive_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("expected"); // as a word processor shows it

    const QString same;
    QTest::newRow("quotes and semicolons") << u"O'Neil \"Ltd\"; Paris;"_s << same;
    QTest::newRow("tab") << u"col\tumn"_s << same;
    QTest::newRow("braces and backslashes") << u"{\\rtf1 C:\\Data\\} \\\\"_s << same;
    QTest::newRow("markup") << u"<b>A & B</b> &amp; <"_s << same;
    QTest::newRow("non-Latin") << u"Überprüfung — 日本語 — Ελληνικά"_s << same;
    QTest::newRow("beyond U+FFFF") << u"smile 😀 ok"_s << same;
    QTest::newRow("25 characters") << u"Abcdefghijklmnopqrstuvwxy"_s << same;
    QTest::newRow("leading blank") << u" - No matches"_s << same;
    QTest::newRow("empty") << QString() << same;
    QTest::newRow("line breaks") << u"one\r\ntwo\nthree\rfour"_s << u"one\ntwo\nthree\nfour"_s;
}

void tst_ReportRichText::cellsSurvive()
{
    QFETCH(QString, cell);
    QFETCH(QString, expected);
    if (expected.isNull())
        expected = cell;
    ReportTable t;
    t.titles = {cell, u"Amount"_s};
    t.rows = {{u"first"_s, u"1.00"_s}, {cell, u"2.00"_s}};
    t.footer = {cell, u"3.00"_s};
    const QList<QStringList> want = {
        {expected, u"Amount"_s}, {u"first"_s, u"1.00"_s}, {expected, u"2.00"_s}, {expected, u"3.00"_s}};

    const QString rtf = reportRtfTable(t);
    QVERIFY2(std::all_of(rtf.cbegin(), rtf.cend(), [](QChar c) { return c.unicode() < 128; }), "RTF is not ASCII");
    QList<QStringList> got;
    for (const Row &row : parseRtf(rtf))
        got << texts(row);
    QCOMPARE(got, want);

    QString error;
    got.clear();
    for (const Row &row : parseHtml(reportHtmlTable(t), &error))
        got << texts(row);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QCOMPARE(got, want);
}

void tst_ReportRichText::tableLayout()
{
    const ReportTable t = sampleReport();
    QString error;
    const QList<Row> html = parseHtml(reportHtmlTable(t), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(reportHtmlTable(t).contains(u"charset=utf-8"_s));

    for (const QList<Row> &rows : {parseRtf(reportRtfTable(t)), html}) {
        // One table: titles, the records, the footer; no header block anywhere.
        QCOMPARE(rows.size(), 5);
        QCOMPARE(texts(rows.first()), t.titles);
        QCOMPARE(texts(rows.at(2)), t.rows.at(1));
        QCOMPARE(texts(rows.last()), t.footer);
        for (const Row &row : rows.mid(1, 3))
            QVERIFY(std::none_of(row.cbegin(), row.cend(), [](const Cell &c) { return c.bold; }));
        QVERIFY(rows.last().at(0).bold);
        QVERIFY(rows.last().at(5).bold);
        // Number columns right-aligned, text columns left.
        const Row &record = rows.at(1);
        QCOMPARE(QList<bool>({record.at(0).right, record.at(1).right, record.at(2).right, record.at(4).right}),
                 QList<bool>({false, true, true, false}));
    }
}

void tst_ReportRichText::gridDataRoundTrip()
{
    ReportTable t = sampleReport();
    t.rows << QStringList{u"Überprüfung — 日本語 — Ελληνικά"_s, u"\"q\"; {x} \\ <&>\t\r\n"_s, QString()};
    const std::optional<ReportTable> back = readReportGridData(reportGridData(t));
    QVERIFY(back);
    QCOMPARE(back->titles, t.titles);
    QCOMPARE(back->rows, t.rows);
    QCOMPARE(back->footer, t.footer);
}

void tst_ReportRichText::gridDataRejects_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("reason");

    QTest::newRow("not JSON") << R"({"format": "quotaly-grid",)"_ba << u"at byte"_s;
    QTest::newRow("other program") << R"({"titles": ["a"], "rows": []})"_ba << u"does not come from"_s;
    QTest::newRow("newer version") << R"({"format":"quotaly-grid","version":2,"titles":[],"rows":[]})"_ba
                                   << u"newer version"_s;
    QTest::newRow("number cell") << R"({"format":"quotaly-grid","version":1,"titles":["a"],"rows":[["x"],[1]]})"_ba
                                 << u"row 2"_s;
    QTest::newRow("no rows") << R"({"format":"quotaly-grid","version":1,"titles":["a"]})"_ba << u"rows"_s;
}

void tst_ReportRichText::gridDataRejects()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, reason);
    QString error;
    QVERIFY(!readReportGridData(data, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
}

QTEST_GUILESS_MAIN(tst_ReportRichText)
#include "tst_ReportRichText.moc"

#include "clients/Biff4Writer.h"
#include "clients/DelimitedTextWriter.h"
#include "clients/ExportFile.h"
#include "clients/Html32Writer.h"
#include "common/TestEnv.h"
#include "dataset/Error.h"

#include <unistd.h>

#include <optional>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace quotaly;
using namespace Qt::StringLiterals;
using quotaly::test::fixture;
using quotaly::test::TestEnv;

namespace {

const QStringList kClientCaptions = {u"FULLNAME"_s,     u"VATNo"_s,       u"AddressLine1"_s, u"AddressLine2"_s,
                                     u"AddressLine3"_s, u"Tel"_s,         u"Fax"_s,          u"EMail"_s,
                                     u"www"_s,          u"Additional1"_s, u"Additional2"_s};

ExportTable typicalTable()
{
    ExportTable t;
    t.title = u"Clients"_s;
    t.captions = kClientCaptions;
    t.numeric = QList<bool>(kClientCaptions.size(), false);
    t.addGroupHeading(u"Germany"_s);
    t.addRow({u"Übersetzungsbüro Kranz"_s, u"DE123456789"_s, u"Hauptstraße 5"_s, u"10115 Berlin"_s, QString(),
              u"+49 30 1234567"_s, QString(), u"info@kranz.example"_s, u"https://kranz.example"_s,
              u"Rate 0.12 €/word"_s, QString()});
    t.addGroupHeading(u"France"_s);
    t.addRow({u"Traductions Lefèvre SARL"_s, u"FR12345678901"_s, u"12 rue de la Paix"_s, u"75002 Paris"_s, QString(),
              u"+33 1 23 45 67 89"_s, u"+33 1 23 45 67 80"_s, u"contact@lefevre.example"_s, QString(), QString(),
              QString()});
    t.addRow({u"Dupont & Fils"_s, u"FR98765432109"_s, u"3 place Bellecour"_s, u"69002 Lyon"_s, u"France"_s,
              u"+33 4 78 00 00 00"_s, QString(), QString(), u"www.dupont.example"_s, u"'single' quotes"_s,
              u"<b>not bold</b>"_s});
    return t;
}

ExportTable emptyTable()
{
    ExportTable t;
    t.captions = kClientCaptions;
    return t;
}

// Values holding the separators, quotes and line breaks.
ExportTable awkwardTable()
{
    ExportTable t;
    t.title = u"Notes & <quotes>"_s;
    t.captions = {u"Name"_s, u"Notes, remarks"_s, u"Size"_s};
    t.numeric = {false, false, true};
    t.addRow({u"Smith, John"_s, u"He said \"hello\""_s, u"12"_s});
    t.addRow({u"Line one\r\nline two"_s, u"tab\there"_s, u"\"quoted\""_s});
    t.addRow({u"plain"_s, QString(), u"a\nb"_s});
    t.addGroupHeading(u"Group, with \"comma\""_s);
    t.addRow({u"trailing cr\r"_s, u"x"_s, u"y"_s});
    return t;
}

// Number and text cells, characters outside Windows-1252 and a text longer than a worksheet cell holds.
ExportTable mixedTable()
{
    ExportTable t;
    t.title = u"Jobs"_s;
    t.captions = {u"Name"_s, u"Words"_s, u"Rate"_s, u"Note"_s};
    t.numeric = {false, true, true, false};
    t.addRow({u"Übersetzung € é"_s, u"1234"_s, u"0,12"_s, u"42"_s});
    t.addRow({u"Ω omega"_s, u"n/a"_s, u"1.5e2"_s, QString()});
    t.addGroupHeading(u"Group Ω é"_s);
    t.addRow({QString(300, u'é'), u"-7"_s, u"1,234.5"_s, u"multi\r\nline"_s});
    return t;
}

ExportTable namedTable(const QString &name)
{
    if (name == u"typical")
        return typicalTable();
    if (name == u"empty")
        return emptyTable();
    if (name == u"awkward")
        return awkwardTable();
    return mixedTable();
}

QStringList lineValues(const ExportTable::Line &line)
{
    return line.isGroupHeading ? QStringList{line.heading} : line.cells;
}

// Reads delimited text back the way a spreadsheet does: fields in double quotes may hold anything, with
// doubled quotes; records end in CR LF.
QList<QStringList> readDelimited(const QString &text, QChar separator)
{
    QList<QStringList> records;
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == separator) {
            fields << field;
            field.clear();
        } else if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            fields << field;
            records << fields;
            fields.clear();
            field.clear();
            ++i;
        } else {
            field += c;
        }
    }
    return records;
}

// --- HTML --------------------------------------------------------------------------------------------------

struct HtmlCell
{
    QString tag;
    QString attributes;
    QString text; ///< unescaped
};

QString htmlUnescaped(QString text)
{
    if (text == u"&nbsp;")
        return {};
    text.replace(u"<BR>"_s, u"\n"_s);
    text.replace(u"&lt;"_s, u"<"_s);
    text.replace(u"&gt;"_s, u">"_s);
    text.replace(u"&quot;"_s, u"\""_s);
    text.replace(u"&amp;"_s, u"&"_s);
    return text;
}

QList<QList<HtmlCell>> htmlRows(const QString &html)
{
    static const QRegularExpression row(u"<TR>(.*?)</TR>"_s, QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression cell(u"<(TH|TD)([^>]*)>(.*?)</\\1>"_s,
                                         QRegularExpression::DotMatchesEverythingOption);
    QList<QList<HtmlCell>> rows;
    for (const QRegularExpressionMatch &r : row.globalMatch(html)) {
        QList<HtmlCell> cells;
        for (const QRegularExpressionMatch &c : cell.globalMatch(r.captured(1)))
            cells.append({c.captured(1), c.captured(2), c.captured(3)});
        rows << cells;
    }
    return rows;
}

QString lineBreaksAsLf(QString text)
{
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    return text;
}

// --- BIFF4 -------------------------------------------------------------------------------------------------

struct BiffRecord
{
    int id;
    QByteArray body;
};

QList<BiffRecord> biffRecords(const QByteArray &bytes)
{
    QList<BiffRecord> records;
    qsizetype at = 0;
    while (at + 4 <= bytes.size()) {
        const auto u16 = [&](qsizetype i) { return int(quint8(bytes.at(i))) | int(quint8(bytes.at(i + 1))) << 8; };
        const int id = u16(at);
        const int size = u16(at + 2);
        if (at + 4 + size > bytes.size())
            break;
        records.append(BiffRecord{id, bytes.mid(at + 4, size)});
        at += 4 + size;
    }
    if (at != bytes.size())
        records.append(BiffRecord{-1, {}}); // trailing bytes that are no whole record
    return records;
}

int bodyU16(const QByteArray &body, int offset)
{
    return int(quint8(body.at(offset))) | int(quint8(body.at(offset + 1))) << 8;
}

// Python with xlrd: Debian's interpreter first, since python3-xlrd installs there.
QString xlrdPython()
{
    static const QString found = [] {
        for (const QString &candidate : {u"/usr/bin/python3"_s, u"python3"_s}) {
            QProcess p;
            p.start(candidate, {u"-c"_s, u"import xlrd"_s});
            if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
                return candidate;
        }
        return QString();
    }();
    return found;
}

const char *const kXlrdScript = R"(
import json, sys, xlrd
book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
sheet = book.sheet_by_index(0)
rows = []
for r in range(sheet.nrows):
    row = []
    for c in range(sheet.ncols):
        cell = sheet.cell(r, c)
        bold = False
        if cell.ctype != xlrd.XL_CELL_EMPTY and cell.ctype != xlrd.XL_CELL_BLANK:
            bold = bool(book.font_list[book.xf_list[cell.xf_index].font_index].bold)
        row.append({"type": cell.ctype, "value": cell.value, "bold": bold})
    rows.append(row)
print(json.dumps({"sheets": book.nsheets, "rows": rows}))
)";

/// The first sheet of a workbook as xlrd reads it: {"sheets": n, "rows": [[{type, value, bold}, ...], ...]}.
QJsonObject readWithXlrd(const QString &path)
{
    QProcess p;
    p.start(xlrdPython(), {u"-c"_s, QString::fromLatin1(kXlrdScript), path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning("xlrd: %s", p.readAllStandardError().constData());
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

constexpr int kXlText = 1;
constexpr int kXlNumber = 2;

/// The message of an export written as a user without root's rights (whom no permission stops); nullopt when the
/// rights cannot be given up here.
std::optional<QString> exportMessageAsNobody(const QString &path, ExportFormat format)
{
    const test::Unprivileged user;
    if (!user.ok())
        return std::nullopt;
    try {
        writeExportFile(path, format, typicalTable());
    } catch (const Error &e) {
        return e.text();
    }
    return QString();
}

QStringList entriesOf(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

class tst_Exports : public QObject
{
    Q_OBJECT

private slots:
    void delimitedMatchesFixture_data();
    void delimitedMatchesFixture();
    void delimitedReadsBackField_data();
    void delimitedReadsBackField();
    void quotesDelimitedField_data();
    void quotesDelimitedField();

    void htmlStructure_data();
    void htmlStructure();
    void htmlEscapesValues_data();
    void htmlEscapesValues();
    void htmlTitle_data();
    void htmlTitle();

    void biff4RecordStream_data();
    void biff4RecordStream();
    void readsBiff4Number_data();
    void readsBiff4Number();
    void biff4IgnoresDefaultLocale();
    void biff4Limits_data();
    void biff4Limits();
    void biff4ReadByXlrd_data();
    void biff4ReadByXlrd();
    void biff4TypesAndCharactersByXlrd();

    void extensionOfFormat_data();
    void extensionOfFormat();
    void formatOfFileName_data();
    void formatOfFileName();
    void writesEveryFormat_data();
    void writesEveryFormat();
    void replacesOlderFileWhole();
    void failureNamesFileAndLeavesNothing_data();
    void failureNamesFileAndLeavesNothing();
    void readOnlyFolderThrows();
    void readOnlyFileKeepsOldBytes();
    void tooLargeForWorksheetKeepsOldFile();

private:
    TestEnv m_env;
};

// --- CSV and TAB -------------------------------------------------------------------------------------------

void tst_Exports::delimitedMatchesFixture_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("fixtureName");
    for (const char *name : {"typical", "empty", "awkward"}) {
        const QString table = QString::fromLatin1(name);
        QTest::addRow("%s csv", name) << table << QChar(u',') << table + u".csv"_s;
        QTest::addRow("%s tab", name) << table << QChar(u'\t') << table + u".txt"_s;
    }
}

void tst_Exports::delimitedMatchesFixture()
{
    QFETCH(QString, table);
    QFETCH(QChar, separator);
    QFETCH(QString, fixtureName);
    const QByteArray expected = fixture(u"clients/export/"_s + fixtureName);
    QVERIFY(!expected.isEmpty());
    QCOMPARE(delimitedText(namedTable(table), separator), expected);
}

void tst_Exports::delimitedReadsBackField_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QChar>("separator");
    for (const char *name : {"typical", "awkward", "mixed"}) {
        QTest::addRow("%s csv", name) << QString::fromLatin1(name) << QChar(u',');
        QTest::addRow("%s tab", name) << QString::fromLatin1(name) << QChar(u'\t');
    }
}

// Every row reads back with the header's number of fields and its own values.
void tst_Exports::delimitedReadsBackField()
{
    QFETCH(QString, table);
    QFETCH(QChar, separator);
    const ExportTable t = namedTable(table);
    const QByteArray bytes = delimitedText(t, separator);
    QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
    const QList<QStringList> records = readDelimited(QString::fromUtf8(bytes), separator);
    QCOMPARE(records.size(), t.lines.size() + 2);
    QCOMPARE(records.at(0), t.captions);
    QCOMPARE(records.at(1), QStringList{QString()});
    for (qsizetype i = 0; i < t.lines.size(); ++i) {
        QCOMPARE(records.at(i + 2), lineValues(t.lines.at(i)));
        if (!t.lines.at(i).isGroupHeading)
            QCOMPARE(records.at(i + 2).size(), t.captions.size());
    }
}

void tst_Exports::quotesDelimitedField_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << u"Kranz GmbH"_s << QChar(u',') << u"Kranz GmbH"_s;
    QTest::newRow("empty") << QString() << QChar(u',') << QString();
    QTest::newRow("comma in csv") << u"a,b"_s << QChar(u',') << u"\"a,b\""_s;
    QTest::newRow("comma in tab") << u"a,b"_s << QChar(u'\t') << u"a,b"_s;
    QTest::newRow("tab in tab") << u"a\tb"_s << QChar(u'\t') << u"\"a\tb\""_s;
    QTest::newRow("tab in csv") << u"a\tb"_s << QChar(u',') << u"a\tb"_s;
    QTest::newRow("quote") << u"5\" floppy"_s << QChar(u'\t') << u"\"5\"\" floppy\""_s;
    QTest::newRow("only quotes") << u"\"\""_s << QChar(u',') << u"\"\"\"\"\"\""_s;
    QTest::newRow("lf") << u"a\nb"_s << QChar(u',') << u"\"a\nb\""_s;
    QTest::newRow("cr") << u"a\rb"_s << QChar(u'\t') << u"\"a\rb\""_s;
    QTest::newRow("apostrophe and blanks") << u" it's "_s << QChar(u',') << u" it's "_s;
    QTest::newRow("semicolon") << u"a;b"_s << QChar(u',') << u"a;b"_s;
}

void tst_Exports::quotesDelimitedField()
{
    QFETCH(QString, value);
    QFETCH(QChar, separator);
    QFETCH(QString, expected);
    QCOMPARE(delimitedField(value, separator), expected);
}

// --- HTML --------------------------------------------------------------------------------------------------

void tst_Exports::htmlStructure_data()
{
    QTest::addColumn<QString>("table");
    for (const char *name : {"typical", "empty", "awkward", "mixed"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void tst_Exports::htmlStructure()
{
    QFETCH(QString, table);
    const ExportTable t = namedTable(table);
    const QByteArray bytes = html32Document(t);
    const QString html = QString::fromUtf8(bytes);

    QVERIFY(bytes.startsWith("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">\r\n"));
    QVERIFY(html.contains(u"<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">"_s));
    QVERIFY(bytes.endsWith("</HTML>\r\n"));
    // Every line ends in CR LF; line breaks inside values are <BR>.
    QCOMPARE(QByteArray(bytes).replace("\r\n", "").count('\n'), 0);
    QCOMPARE(QByteArray(bytes).replace("\r\n", "").count('\r'), 0);
    QCOMPARE(html.count(u"<TABLE"_s), 1);
    QCOMPARE(html.count(u"</TABLE>"_s), 1);
    QVERIFY(html.contains(u"<TABLE BORDER=\"1\" CELLSPACING=\"0\" CELLPADDING=\"2\">"_s));
    for (const QString &modern : {u"STYLE"_s, u"CLASS="_s, u"THEAD"_s, u"TBODY"_s, u"<br />"_s})
        QVERIFY2(!html.contains(modern, Qt::CaseInsensitive), qPrintable(modern));

    const QList<QList<HtmlCell>> rows = htmlRows(html);
    QCOMPARE(rows.size(), t.lines.size() + 1);
    QCOMPARE(rows.at(0).size(), t.captions.size());
    for (qsizetype c = 0; c < t.captions.size(); ++c) {
        QCOMPARE(rows.at(0).at(c).tag, u"TH"_s);
        QCOMPARE(htmlUnescaped(rows.at(0).at(c).text), t.captions.at(c));
    }
    for (qsizetype i = 0; i < t.lines.size(); ++i) {
        const ExportTable::Line &line = t.lines.at(i);
        const QList<HtmlCell> &cells = rows.at(i + 1);
        if (line.isGroupHeading) {
            QCOMPARE(cells.size(), 1);
            QVERIFY(cells.at(0).attributes.contains(u"COLSPAN=\"%1\""_s.arg(t.captions.size())));
            QVERIFY(cells.at(0).text.startsWith(u"<B>"_s) && cells.at(0).text.endsWith(u"</B>"_s));
            QCOMPARE(htmlUnescaped(cells.at(0).text.mid(3).chopped(4)), lineBreaksAsLf(line.heading));
            continue;
        }
        QCOMPARE(cells.size(), line.cells.size());
        for (qsizetype c = 0; c < cells.size(); ++c) {
            QCOMPARE(cells.at(c).tag, u"TD"_s);
            QCOMPARE(htmlUnescaped(cells.at(c).text), lineBreaksAsLf(line.cells.at(c)));
            const bool numeric = c < t.numeric.size() && t.numeric.at(c);
            QCOMPARE(cells.at(c).attributes.contains(u"ALIGN=\"right\""_s), numeric);
        }
    }
}

void tst_Exports::htmlEscapesValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("markup") << u"<b>bold</b>"_s << u"&lt;b&gt;bold&lt;/b&gt;"_s;
    QTest::newRow("ampersand") << u"Dupont & Fils"_s << u"Dupont &amp; Fils"_s;
    QTest::newRow("entity text") << u"&amp;"_s << u"&amp;amp;"_s;
    QTest::newRow("quote") << u"5\" floppy"_s << u"5&quot; floppy"_s;
    QTest::newRow("crlf") << u"one\r\ntwo"_s << u"one<BR>two"_s;
    QTest::newRow("lf and cr") << u"a\nb\rc"_s << u"a<BR>b<BR>c"_s;
    QTest::newRow("empty") << QString() << u"&nbsp;"_s;
    QTest::newRow("unicode") << u"Ω € é"_s << u"Ω € é"_s;
}

void tst_Exports::htmlEscapesValues()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    ExportTable t;
    t.captions = {u"Value"_s};
    t.addRow({value});
    const QString html = QString::fromUtf8(html32Document(t));
    QVERIFY2(html.contains(u"<TD VALIGN=\"top\">"_s + expected + u"</TD>"_s), qPrintable(html));
}

void tst_Exports::htmlTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");
    QTest::newRow("own") << u"Clients"_s << u"<TITLE>Clients</TITLE>"_s;
    QTest::newRow("escaped") << u"A & <B>"_s << u"<TITLE>A &amp; &lt;B&gt;</TITLE>"_s;
    QTest::newRow("none") << QString() << u"<TITLE>Export</TITLE>"_s;
}

void tst_Exports::htmlTitle()
{
    QFETCH(QString, title);
    QFETCH(QString, expected);
    ExportTable t = typicalTable();
    t.title = title;
    QVERIFY(QString::fromUtf8(html32Document(t)).contains(expected));
}

// --- BIFF4 -------------------------------------------------------------------------------------------------

void tst_Exports::biff4RecordStream_data()
{
    QTest::addColumn<QString>("table");
    for (const char *name : {"typical", "empty", "awkward", "mixed"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// The record layout every reader relies on, checked without a reader.
void tst_Exports::biff4RecordStream()
{
    QFETCH(QString, table);
    const ExportTable t = namedTable(table);
    const QByteArray bytes = biff4Worksheet(t);
    QVERIFY(bytes.startsWith(QByteArray::fromHex("09040600000010000000")));
    QCOMPARE(bytes.mid(10, 6), QByteArray::fromHex("42000200e404"));
    QVERIFY(bytes.endsWith(QByteArray::fromHex("0a000000")));

    const QList<BiffRecord> records = biffRecords(bytes);
    QVERIFY(records.last().id != -1);
    int fonts = 0, formats = 0, lastFormatting = -1, dimensions = -1, firstCell = -1, cells = 0;
    for (int i = 0; i < records.size(); ++i) {
        const BiffRecord &r = records.at(i);
        QVERIFY(r.body.size() <= 2080);
        switch (r.id) {
        case 0x0231:
            ++fonts;
            lastFormatting = i;
            break;
        case 0x041E:
            if (formats++ == 0)
                QCOMPARE(r.body, QByteArray("\0\0\7General", 10));
            lastFormatting = i;
            break;
        case 0x0443:
            lastFormatting = i;
            break;
        case 0x0200:
            dimensions = i;
            break;
        case 0x0204:
            QCOMPARE(bodyU16(r.body, 6), r.body.size() - 8);
            QVERIFY(r.body.size() - 8 <= 255);
            [[fallthrough]];
        case 0x0203:
            if (firstCell < 0)
                firstCell = i;
            ++cells;
            break;
        default:
            break;
        }
    }
    QVERIFY(fonts >= 2 && fonts <= 4);
    QVERIFY(dimensions > lastFormatting);
    QVERIFY(firstCell < 0 || firstCell > dimensions);
    const QByteArray &dim = records.at(dimensions).body;
    QCOMPARE(bodyU16(dim, 2), int(t.lines.size()) + 1);
    QCOMPARE(bodyU16(dim, 6), int(t.captions.size()));
    int nonEmpty = 0;
    for (const QString &caption : t.captions)
        nonEmpty += caption.isEmpty() ? 0 : 1;
    for (const ExportTable::Line &line : t.lines) {
        for (const QString &value : lineValues(line))
            nonEmpty += value.isEmpty() ? 0 : 1;
    }
    QCOMPARE(cells, nonEmpty);
}

void tst_Exports::readsBiff4Number_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << u"1234"_s << true << 1234.0;
    QTest::newRow("negative") << u"-7"_s << true << -7.0;
    QTest::newRow("point") << u"0.12"_s << true << 0.12;
    QTest::newRow("comma") << u"0,12"_s << true << 0.12;
    QTest::newRow("exponent") << u"1.5e2"_s << true << 150.0;
    QTest::newRow("blanks around") << u" 42 "_s << true << 42.0;
    QTest::newRow("grouped c") << u"1,234.5"_s << false << 0.0;
    QTest::newRow("grouped comma") << u"1.234,5"_s << false << 0.0;
    QTest::newRow("two commas") << u"1,2,3"_s << false << 0.0;
    QTest::newRow("text") << u"n/a"_s << false << 0.0;
    QTest::newRow("unit") << u"12 EUR"_s << false << 0.0;
    QTest::newRow("empty") << QString() << false << 0.0;
    QTest::newRow("infinity") << u"inf"_s << false << 0.0;
    QTest::newRow("nan") << u"nan"_s << false << 0.0;
}

void tst_Exports::readsBiff4Number()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    const std::optional<double> parsed = biff4Number(text);
    QCOMPARE(parsed.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*parsed, value);
}

// The worksheet holds the same numbers whatever the user's decimal separator is.
void tst_Exports::biff4IgnoresDefaultLocale()
{
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    const QByteArray withPoint = biff4Worksheet(mixedTable());
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QByteArray withComma = biff4Worksheet(mixedTable());
    QLocale::setDefault(saved);
    QCOMPARE(withComma, withPoint);
}

void tst_Exports::biff4Limits_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("columns");
    QTest::addColumn<QString>("error");
    QTest::newRow("most rows") << 16383 << 2 << QString();
    QTest::newRow("one row too many")
        << 16384 << 2 << u"The worksheet can hold at most 16,384 rows; this list has 16,385 (with the captions row)."_s;
    QTest::newRow("most columns") << 3 << 256 << QString();
    QTest::newRow("one column too many") << 3 << 257
                                         << u"The worksheet can hold at most 256 columns; this list has 257."_s;
}

void tst_Exports::biff4Limits()
{
    QFETCH(int, lines);
    QFETCH(int, columns);
    QFETCH(QString, error);
    ExportTable t;
    for (int c = 0; c < columns; ++c)
        t.captions << u"C%1"_s.arg(c);
    const QStringList cells(columns, u"x"_s);
    for (int i = 0; i < lines; ++i)
        t.addRow(cells);
    try {
        const QByteArray bytes = biff4Worksheet(t);
        QVERIFY2(error.isEmpty(), "expected an error");
        QCOMPARE(biffRecords(bytes).last().id, 0x000A);
    } catch (const Error &e) {
        QCOMPARE(e.text(), error);
    }
}

void tst_Exports::biff4ReadByXlrd_data()
{
    QTest::addColumn<QString>("table");
    for (const char *name : {"typical", "empty", "awkward"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// xlrd reads the captions in bold, the rows' texts, and group headings in bold in column 0.
void tst_Exports::biff4ReadByXlrd()
{
    if (xlrdPython().isEmpty())
        QSKIP("python3 -c \"import xlrd\" fails: install python3-xlrd (scripts/install-deps does) to check worksheets");
    QFETCH(QString, table);
    const ExportTable t = namedTable(table);
    const QString path = m_env.path(table + u".xls"_s);
    writeExportFile(path, ExportFormat::Excel, t);
    const QJsonObject book = readWithXlrd(path);
    QCOMPARE(book.value(u"sheets"_s).toInt(), 1);
    const QJsonArray rows = book.value(u"rows"_s).toArray();
    QCOMPARE(rows.size(), t.lines.size() + 1);

    const auto check = [&](int r, int c, const QString &text, bool bold) {
        const QJsonArray row = rows.at(r).toArray();
        const QJsonObject cell = c < row.size() ? row.at(c).toObject() : QJsonObject();
        QCOMPARE(cell.value(u"value"_s).toString(), lineBreaksAsLf(text));
        if (!text.isEmpty()) {
            QCOMPARE(cell.value(u"type"_s).toInt(), kXlText);
            QCOMPARE(cell.value(u"bold"_s).toBool(), bold);
        }
    };
    for (int c = 0; c < t.captions.size(); ++c)
        check(0, c, t.captions.at(c), true);
    for (int i = 0; i < t.lines.size(); ++i) {
        const ExportTable::Line &line = t.lines.at(i);
        if (line.isGroupHeading) {
            check(i + 1, 0, line.heading, true);
            continue;
        }
        for (int c = 0; c < line.cells.size(); ++c) {
            const bool numeric = c < t.numeric.size() && t.numeric.at(c) && biff4Number(line.cells.at(c));
            if (!numeric)
                check(i + 1, c, line.cells.at(c), false);
        }
    }
}

void tst_Exports::biff4TypesAndCharactersByXlrd()
{
    if (xlrdPython().isEmpty())
        QSKIP("python3 -c \"import xlrd\" fails: install python3-xlrd (scripts/install-deps does) to check worksheets");
    const QString path = m_env.path(u"mixed.xls"_s);
    writeExportFile(path, ExportFormat::Excel, mixedTable());
    const QJsonArray rows = readWithXlrd(path).value(u"rows"_s).toArray();
    QCOMPARE(rows.size(), 5);
    const auto cell = [&](int r, int c) { return rows.at(r).toArray().at(c).toObject(); };
    const auto number = [&](int r, int c) {
        return cell(r, c).value(u"type"_s).toInt() == kXlNumber ? cell(r, c).value(u"value"_s).toDouble() : -1e300;
    };
    const auto text = [&](int r, int c) {
        return cell(r, c).value(u"type"_s).toInt() == kXlText ? cell(r, c).value(u"value"_s).toString()
                                                              : u"<no text>"_s;
    };

    QCOMPARE(text(0, 1), u"Words"_s);
    QVERIFY(cell(0, 1).value(u"bold"_s).toBool());
    QCOMPARE(text(1, 0), u"Übersetzung € é"_s);
    QVERIFY(!cell(1, 0).value(u"bold"_s).toBool());
    QCOMPARE(number(1, 1), 1234.0);
    QCOMPARE(number(1, 2), 0.12);
    QCOMPARE(text(1, 3), u"42"_s); // a number in a text column stays text
    QCOMPARE(text(2, 0), u"? omega"_s);
    QCOMPARE(text(2, 1), u"n/a"_s);
    QCOMPARE(number(2, 2), 150.0);
    QCOMPARE(text(3, 0), u"Group ? é"_s);
    QVERIFY(cell(3, 0).value(u"bold"_s).toBool());
    QCOMPARE(text(4, 0), QString(255, u'é'));
    QCOMPARE(number(4, 1), -7.0);
    QCOMPARE(text(4, 2), u"1,234.5"_s);
    QCOMPARE(text(4, 3), u"multi\nline"_s);
}

// --- Files -------------------------------------------------------------------------------------------------

void tst_Exports::extensionOfFormat_data()
{
    QTest::addColumn<ExportFormat>("format");
    QTest::addColumn<QString>("extension");
    QTest::newRow("csv") << ExportFormat::Csv << u".csv"_s;
    QTest::newRow("tab") << ExportFormat::Tab << u".txt"_s;
    QTest::newRow("html") << ExportFormat::Html << u".html"_s;
    QTest::newRow("excel") << ExportFormat::Excel << u".xls"_s;
}

void tst_Exports::extensionOfFormat()
{
    QFETCH(ExportFormat, format);
    QFETCH(QString, extension);
    QCOMPARE(exportExtension(format), extension);
    QCOMPARE(exportFormatForFile(u"clients"_s + extension), std::optional<ExportFormat>(format));
}

void tst_Exports::formatOfFileName_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<int>("format"); // -1: none
    QTest::newRow("csv") << u"/home/ann/clients.csv"_s << int(ExportFormat::Csv);
    QTest::newRow("upper case") << u"CLIENTS.CSV"_s << int(ExportFormat::Csv);
    QTest::newRow("txt") << u"list.Txt"_s << int(ExportFormat::Tab);
    QTest::newRow("htm") << u"list.htm"_s << int(ExportFormat::Html);
    QTest::newRow("html") << u"list.HTML"_s << int(ExportFormat::Html);
    QTest::newRow("xls") << u"a.b/list.xls"_s << int(ExportFormat::Excel);
    QTest::newRow("dat") << u"list.dat"_s << -1;
    QTest::newRow("xlsx") << u"list.xlsx"_s << -1;
    QTest::newRow("none") << u"list"_s << -1;
    QTest::newRow("dot in folder") << u"/tmp/x.csv/list"_s << -1;
}

void tst_Exports::formatOfFileName()
{
    QFETCH(QString, fileName);
    QFETCH(int, format);
    const std::optional<ExportFormat> found = exportFormatForFile(fileName);
    QCOMPARE(found ? int(*found) : -1, format);
}

void tst_Exports::writesEveryFormat_data()
{
    QTest::addColumn<ExportFormat>("format");
    QTest::newRow("csv") << ExportFormat::Csv;
    QTest::newRow("tab") << ExportFormat::Tab;
    QTest::newRow("html") << ExportFormat::Html;
    QTest::newRow("excel") << ExportFormat::Excel;
}

void tst_Exports::writesEveryFormat()
{
    QFETCH(ExportFormat, format);
    const QString path = m_env.path(u"every"_s + exportExtension(format));
    writeExportFile(path, format, typicalTable());
    QCOMPARE(TestEnv::read(path), exportBytes(typicalTable(), format));
}

void tst_Exports::replacesOlderFileWhole()
{
    const QString path = m_env.write(u"replace/clients.csv"_s, QByteArray(100000, 'o'));
    writeExportFile(path, ExportFormat::Csv, emptyTable());
    QCOMPARE(TestEnv::read(path), fixture(u"clients/export/empty.csv"_s));
    QCOMPARE(entriesOf(m_env.path(u"replace"_s)), QStringList{u"clients.csv"_s});
}

void tst_Exports::failureNamesFileAndLeavesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing folder") << u"gone/clients.csv"_s << u"does not exist"_s;
    QTest::newRow("folder of that name") << u"clients.csv"_s << u"a folder of that name exists"_s;
}

void tst_Exports::failureNamesFileAndLeavesNothing()
{
    QFETCH(QString, name);
    QFETCH(QString, reason);
    const QString dir = m_env.path(u"fail-"_s + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-'));
    QVERIFY(QDir().mkpath(dir));
    const QString path = dir + u'/' + name;
    if (name == u"clients.csv")
        QVERIFY(QDir().mkpath(path + u"/inside"_s));
    const QStringList before = entriesOf(dir);
    try {
        writeExportFile(path, ExportFormat::Csv, typicalTable());
        QFAIL("no error");
    } catch (const Error &e) {
        QVERIFY2(e.text().contains(QDir::toNativeSeparators(path)), qPrintable(e.text()));
        QVERIFY2(e.text().contains(reason), qPrintable(e.text()));
    }
    QCOMPARE(entriesOf(dir), before);
}

void tst_Exports::readOnlyFolderThrows()
{
    const QString dir = m_env.path(u"locked-folder"_s);
    QVERIFY(QDir().mkpath(dir));
    test::openToEveryone(m_env.dir());
    QVERIFY(QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
    const QString path = dir + u"/clients.xls"_s;
    const std::optional<QString> message = exportMessageAsNobody(path, ExportFormat::Excel);
    QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!message)
        QSKIP("cannot give up root's rights here, and root ignores folder permissions");
    const QString text = *message;
    QVERIFY2(text.contains(path) && text.contains(u"not writable"_s), qPrintable(text));
    QCOMPARE(entriesOf(dir), QStringList());
}

void tst_Exports::readOnlyFileKeepsOldBytes()
{
    const QByteArray old("old export\r\n");
    const QString path = m_env.write(u"locked-file/clients.html"_s, old);
    test::openToEveryone(m_env.dir());
    test::openToEveryone(m_env.path(u"locked-file"_s));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther));
    const std::optional<QString> message = exportMessageAsNobody(path, ExportFormat::Html);
    if (!message)
        QSKIP("cannot give up root's rights here, and root ignores file permissions");
    const QString text = *message;
    QVERIFY2(text.contains(path) && text.contains(u"read-only"_s), qPrintable(text));
    QCOMPARE(TestEnv::read(path), old);
    QCOMPARE(entriesOf(m_env.path(u"locked-file"_s)), QStringList{u"clients.html"_s});
}

void tst_Exports::tooLargeForWorksheetKeepsOldFile()
{
    const QByteArray old("older worksheet");
    const QString path = m_env.write(u"large/clients.xls"_s, old);
    ExportTable t;
    t.captions = {u"Name"_s};
    for (int i = 0; i < 20000; ++i)
        t.addRow({u"Client %1"_s.arg(i)});
    QVERIFY_THROWS_EXCEPTION(Error, writeExportFile(path, ExportFormat::Excel, t));
    QCOMPARE(TestEnv::read(path), old);
    QCOMPARE(entriesOf(m_env.path(u"large"_s)), QStringList{u"clients.xls"_s});
}

QTEST_GUILESS_MAIN(tst_Exports)
#include "tst_Exports.moc"

// The invoice templates shipped in runtime/Data, read as RTF text (no office needed): every placeholder the
// invoice filling asks for is there once, as a named text form field with its bookmark; the report field has
// exactly one table before it and none after it; the file is plain ASCII RTF with balanced groups. Then each
// template, in the recording word processor's notation, is filled by InvoiceBuilder.

#include "common/RtfControlWord.h"
#include "common/RecordingWordProcessor.h"
#include "reports/InvoiceBuilder.h"

#include <algorithm>

#include <QFile>
#include <QMultiHash>
#include <QTest>

using namespace quotaly;
using namespace quotaly::office;
using namespace Qt::StringLiterals;

namespace {

const QString kRecordedTemplate = u"/data/template.rtf"_s;

struct RtfFormField
{
    QString name;
    qsizetype start = 0; ///< offset of the field group's opening brace
    qsizetype end = 0;   ///< offset of its closing brace
    bool inTable = false;
};

// What a scan of the RTF finds.
struct Scan
{
    QString error;                  ///< empty when the groups balance
    QList<RtfFormField> formFields; ///< FORMTEXT fields with their \ffname, in document order
    int unnamedFormFields = 0;
    QMultiHash<QString, qsizetype> bookmarkStarts; ///< name -> offset of the {\*\bkmkstart} group
    QMultiHash<QString, qsizetype> bookmarkEnds;
    QList<qsizetype> tableStarts; ///< offset of the \trowd that begins each table
    QList<qsizetype> rowStarts;   ///< offset of every \trowd
    /// The document as the recording word processor holds one: a form field is «name», a table starts with
    /// "[table]", \par and \row are "\n", \cell and \tab are "\t".
    QString recorderText;
};

// A small RTF reader: control words, control symbols, \'hh, \uN (one fallback character skipped), groups and
// destinations. It tracks fields (their \fldinst text and \ffname), bookmarks and table rows. A table is a run
// of rows; it ends at the first text or paragraph mark after a \row that is not followed by another \trowd.
Scan scanRtf(const QString &rtf)
{
    enum class Kind
    {
        Normal,
        Skip,
        Field,
        FldInst,
        FfName,
        BkStart,
        BkEnd
    };
    struct Group
    {
        Kind kind = Kind::Normal;
        qsizetype start = 0;
        bool first = true;    ///< no control word read yet
        bool starred = false; ///< \* seen as the first thing
        QString text;
    };
    struct OpenField
    {
        qsizetype start = 0;
        bool inTable = false;
        QString instruction;
        QString name;
    };

    Scan scan;
    QList<Group> groups;
    QList<OpenField> fields;
    bool inTable = false;
    bool rowClosed = false;
    int skipFallback = 0;

    const auto inside = [&](Kind kind) {
        for (const Group &g : groups) {
            if (g.kind == kind)
                return true;
        }
        return false;
    };
    const auto output = [&](const QString &text) {
        if (inside(Kind::Skip) || inside(Kind::Field) || inside(Kind::BkStart) || inside(Kind::BkEnd))
            return;
        if (inTable && rowClosed) {
            inTable = false;
            rowClosed = false;
        }
        scan.recorderText += text;
    };
    const auto addText = [&](QChar c) {
        if (skipFallback > 0) {
            --skipFallback;
            return;
        }
        if (groups.isEmpty())
            return;
        Group &g = groups.last();
        if (g.kind == Kind::FfName || g.kind == Kind::BkStart || g.kind == Kind::BkEnd) {
            g.text += c;
            return;
        }
        if (inside(Kind::FldInst) && !inside(Kind::Skip) && !fields.isEmpty()) {
            fields.last().instruction += c;
            return;
        }
        output(QString(c));
    };
    const auto controlWord = [&](const QString &word, const QString &param, qsizetype at) {
        if (!groups.isEmpty() && groups.last().first) {
            Group &g = groups.last();
            g.first = false;
            static const QStringList skipped{u"fonttbl"_s, u"colortbl"_s, u"stylesheet"_s, u"info"_s};
            if (word == u"field") {
                g.kind = Kind::Field;
                fields.append({g.start, inTable && !rowClosed, {}, {}});
            } else if (word == u"fldinst") {
                g.kind = Kind::FldInst;
            } else if (word == u"ffname") {
                g.kind = Kind::FfName;
            } else if (word == u"bkmkstart") {
                g.kind = Kind::BkStart;
            } else if (word == u"bkmkend") {
                g.kind = Kind::BkEnd;
            } else if (g.starred || skipped.contains(word)) {
                g.kind = Kind::Skip;
            }
            if (g.kind != Kind::Normal)
                return;
        }
        if (word == u"par" || word == u"line") {
            output(u"\n"_s);
        } else if (word == u"tab") {
            output(u"\t"_s);
        } else if (word == u"cell") {
            output(u"\t"_s);
        } else if (word == u"u") {
            qint32 n = param.toInt();
            if (n < 0)
                n += 65536;
            addText(QChar(char16_t(n)));
            skipFallback = 1;
        } else if (word == u"trowd") {
            scan.rowStarts.append(at);
            if (!inTable) {
                scan.tableStarts.append(at);
                inTable = true;
                output(RecordingWordProcessor::kTableText);
            }
            rowClosed = false;
        } else if (word == u"row") {
            scan.recorderText += u'\n';
            rowClosed = true;
        }
    };

    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const QChar c = rtf.at(i);
        if (c == u'{') {
            groups.append(Group{Kind::Normal, i, true, false, {}});
            continue;
        }
        if (c == u'}') {
            if (groups.isEmpty()) {
                scan.error = u"a closing brace without an opening one at offset %1"_s.arg(i);
                return scan;
            }
            const Group g = groups.takeLast();
            if (groups.isEmpty() && !rtf.mid(i + 1).trimmed().isEmpty()) {
                scan.error = u"text after the document's closing brace at offset %1"_s.arg(i + 1);
                return scan;
            }
            const QString text = g.text.trimmed();
            if (g.kind == Kind::FfName && !fields.isEmpty()) {
                fields.last().name = text;
            } else if (g.kind == Kind::BkStart) {
                scan.bookmarkStarts.insert(text, g.start);
            } else if (g.kind == Kind::BkEnd) {
                scan.bookmarkEnds.insert(text, g.start);
            } else if (g.kind == Kind::Field && !fields.isEmpty()) {
                const OpenField f = fields.takeLast();
                if (f.instruction.split(u' ', Qt::SkipEmptyParts).value(0) == u"FORMTEXT") {
                    if (f.name.isEmpty())
                        ++scan.unnamedFormFields;
                    else
                        scan.formFields.append({f.name, f.start, i, f.inTable});
                    output(u'\u00AB' + f.name + u'\u00BB');
                }
            }
            continue;
        }
        if (c == u'\r' || c == u'\n')
            continue;
        if (c != u'\\') {
            addText(c);
            continue;
        }
        if (i + 1 >= rtf.size())
            break;
        const QChar next = rtf.at(++i);
        if (next == u'\'') {
            addText(QChar(char16_t(rtf.mid(i + 1, 2).toUShort(nullptr, 16))));
            i += 2;
        } else if (next == u'*') {
            if (!groups.isEmpty() && groups.last().first)
                groups.last().starred = true;
        } else if (next == u'~') {
            addText(QChar(0xA0));
        } else if (!next.isLetter()) {
            if (next == u'\\' || next == u'{' || next == u'}')
                addText(next);
        } else {
            const qsizetype at = i - 1;
            const test::RtfControlWord control = test::readRtfControlWord(rtf, i);
            const QString &word = control.word;
            const QString &param = control.param;
            i = control.last;
            controlWord(word, param, at);
        }
    }
    if (!groups.isEmpty())
        scan.error = u"%1 group(s) left open at the end, the last one opened at offset %2"_s.arg(groups.size())
                         .arg(groups.last().start);
    return scan;
}

QByteArray readTemplate(const QString &name)
{
    QFile file(QStringLiteral(QUOTALY_RUNTIME_DIR "/Data/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The form-field names the invoice filling asks the word processor for, in its order: a run against a
// document without fields, so that every request fails and is skipped.
QStringList namesInvoiceAsksFor()
{
    RecordingWordProcessor word;
    word.addFile(kRecordedTemplate, u"\n"_s);
    InvoiceInput in;
    in.templateFile = kRecordedTemplate;
    in.comments = QStringList{u"a comment"_s};
    InvoiceBuilder(word).BuildInvoice(in);
    QStringList names;
    for (const QString &line : word.log()) {
        if (line.startsWith(u"formField("_s))
            names << line.section(u'"', 1, 1);
    }
    return names;
}

InvoiceInput fullInput()
{
    InvoiceInput in;
    in.templateFile = kRecordedTemplate;
    in.personal = {u"Ana Lima"_s,     u"PT123"_s,  u"Rua 1"_s,           u"Porto"_s,       u"Portugal"_s,
                   u"+351 1"_s,       u"+351 2"_s, u"ana@example.com"_s, u"ana.example"_s, u"Sworn translator"_s,
                   u"Member of ATA"_s};
    in.bankData = {u"Bank X"_s, u"IBAN PT50"_s, u"BIC XPT"_s, u"Account 7"_s, u"Branch 9"_s, u"Holder A"_s};
    in.client = {u"Acme GmbH"_s, u"DE999"_s,     u"Hauptstr. 5"_s,  u"10115 Berlin"_s, u"Germany"_s, u"+49 2"_s,
                 u"+49 3"_s,     u"a@acme.de"_s, u"acme.example"_s, u"Key account"_s,  u"Dept. 4"_s};
    in.invoiceNo = u"2024-17"_s;
    in.invoiceDate = u"03/05/2024"_s;
    in.paymentDueCaption = u"Payment Due : "_s;
    in.paymentDue = u"30 days"_s;
    in.jobDescription = u"Manual DE>EN"_s;
    in.purchaseOrderNo = u"PO-55"_s;
    in.projectManager = u"Jo"_s;
    in.comments = QStringList{u"first"_s, u"second"_s, u"third"_s};
    in.unit = u"Words"_s;
    in.baseRate = u"0.12"_s;
    in.report.titles = QStringList{u"Match types"_s, u"Words"_s};
    in.report.rows << QStringList{u"No match"_s, u"100.00"_s};
    in.report.footer = QStringList{u"Total :"_s, u"100.00"_s};
    return in;
}

} // namespace

static void addTemplateRows()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("English") << u"English.rtf"_s;
    QTest::newRow("German") << u"German.rtf"_s;
}

class TestInvoiceTemplates : public QObject
{
    Q_OBJECT

private slots:
    void isPlainAsciiRtf_data() { addTemplateRows(); }
    void isPlainAsciiRtf()
    {
        QFETCH(QString, file);
        const QByteArray bytes = readTemplate(file);
        QVERIFY2(!bytes.isEmpty(), qPrintable(u"cannot read %1 or it is empty"_s.arg(file)));
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const uchar b = uchar(bytes.at(i));
            const bool allowed = (b >= 0x20 && b < 0x7F) || b == '\r' || b == '\n' || b == '\t';
            QVERIFY2(allowed, qPrintable(u"byte 0x%1 at offset %2 is not plain ASCII; write \\'hh or \\uN"_s
                                             .arg(QString::number(b, 16))
                                             .arg(i)));
        }
        QVERIFY2(bytes.startsWith("{\\rtf1\\ansi\\ansicpg1252"), "not an ANSI code page 1252 RTF document");
        const Scan scan = scanRtf(QString::fromLatin1(bytes));
        QVERIFY2(scan.error.isEmpty(), qPrintable(scan.error));
    }

    void holdsEveryPlaceholderOnce_data() { addTemplateRows(); }
    void holdsEveryPlaceholderOnce()
    {
        QFETCH(QString, file);
        const Scan scan = scanRtf(QString::fromLatin1(readTemplate(file)));
        QVERIFY2(scan.error.isEmpty(), qPrintable(scan.error));
        QCOMPARE(scan.unnamedFormFields, 0);

        const QStringList wanted = namesInvoiceAsksFor();
        QVERIFY(wanted.contains(u"MatchReport"_s));
        QVERIFY(wanted.contains(u"Comments"_s));
        QStringList found;
        for (const RtfFormField &f : scan.formFields)
            found << f.name;
        for (const QString &name : wanted) {
            // Exact spelling: a word processor may find a field in other capitals, a reader of the file may not.
            QVERIFY2(found.count(name) == 1,
                     qPrintable(u"%1 holds the form field %2 %3 times"_s.arg(file, name).arg(found.count(name))));
        }
        for (const QString &name : found) {
            // Any other field would stay in the filled invoice with its template text.
            QVERIFY2(wanted.contains(name), qPrintable(u"%1 holds the unknown form field %2"_s.arg(file, name)));
        }

        for (const RtfFormField &f : scan.formFields) {
            const QList<qsizetype> starts = scan.bookmarkStarts.values(f.name);
            const QList<qsizetype> ends = scan.bookmarkEnds.values(f.name);
            QVERIFY2(starts.size() == 1 && ends.size() == 1,
                     qPrintable(u"%1: field %2 has %3 bookmark starts and %4 ends"_s.arg(file, f.name)
                                    .arg(starts.size())
                                    .arg(ends.size())));
            // The bookmark spans the field and no other field.
            QVERIFY2(starts.first() < f.end && ends.first() > f.end,
                     qPrintable(u"%1: bookmark %2 does not span its field"_s.arg(file, f.name)));
            for (const RtfFormField &other : scan.formFields) {
                if (other.name != f.name)
                    QVERIFY2(other.end < starts.first() || other.start > ends.first(),
                             qPrintable(u"%1: bookmark %2 also spans field %3"_s.arg(file, f.name, other.name)));
            }
        }
    }

    void hasOneTableBeforeTheReport_data() { addTemplateRows(); }
    void hasOneTableBeforeTheReport()
    {
        QFETCH(QString, file);
        const Scan scan = scanRtf(QString::fromLatin1(readTemplate(file)));
        QVERIFY2(scan.error.isEmpty(), qPrintable(scan.error));
        const auto report = std::find_if(scan.formFields.cbegin(), scan.formFields.cend(),
                                         [](const RtfFormField &f) { return f.name == u"MatchReport"; });
        QVERIFY2(report != scan.formFields.cend(), "no MatchReport field");
        // A report pasted into a table cell would become a nested table.
        QVERIFY(!report->inTable);
        const auto before = std::count_if(scan.tableStarts.cbegin(), scan.tableStarts.cend(),
                                          [&](qsizetype at) { return at < report->start; });
        QCOMPARE(int(before), 1);
        const auto rowsAfter = std::count_if(scan.rowStarts.cbegin(), scan.rowStarts.cend(),
                                             [&](qsizetype at) { return at > report->end; });
        QCOMPARE(int(rowsAfter), 0);
    }

    // Checks of the scanner itself on small documents, so that the checks above cannot pass by misreading.
    void scannerReads_data()
    {
        QTest::addColumn<QString>("rtf");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("tables");
        QTest::addColumn<QString>("text");

        const QString field = u"{\\*\\bkmkstart A}{\\field{\\*\\fldinst { FORMTEXT {\\*\\formfield{\\fftype0"
                              u"{\\*\\ffname A}{\\*\\ffdeftext x}}}}}{\\fldrslt {\\noproof x}}}{\\*\\bkmkend A}"_s;
        const QString row = u"\\trowd\\cellx1000\\pard\\intbl a\\cell\\row "_s;
        QTest::newRow("field") << u"{\\rtf1 x "_s + field + u"\\par}"_s << QString() << QStringList{u"A"_s} << 0
                               << u"x \u00ABA\u00BB\n"_s;
        QTest::newRow("escaped braces are text") << u"{\\rtf1 \\{\\}\\\\\\'e4\\u8364\\'80\\par}"_s << QString()
                                                 << QStringList() << 0 << u"{}\\\u00E4\u20AC\n"_s;
        QTest::newRow("unclosed group") << u"{\\rtf1 {\\b x}"_s << u"1 group(s) left open"_s << QStringList() << 0
                                        << u"x"_s;
        QTest::newRow("extra brace") << u"{\\rtf1 x}}"_s << u"text after the document's closing brace"_s
                                     << QStringList() << 0 << u"x"_s;
        QTest::newRow("second document") << u"{\\rtf1 x}{\\rtf1 y}"_s << u"text after the document's closing brace"_s
                                         << QStringList() << 0 << u"x"_s;
        QTest::newRow("closing brace first")
            << u"}{\\rtf1 x}"_s << u"a closing brace without"_s << QStringList() << 0 << QString();
        QTest::newRow("field without a name") << u"{\\rtf1 {\\field{\\*\\fldinst { FORMTEXT }}{\\fldrslt x}}}"_s
                                              << QString() << QStringList() << 0 << u"\u00AB\u00BB"_s;
        QTest::newRow("other field kinds are not form fields")
            << u"{\\rtf1 {\\field{\\*\\fldinst { PAGE }}{\\fldrslt 1}}}"_s << QString() << QStringList() << 0
            << QString();
        QTest::newRow("two rows are one table") << u"{\\rtf1 "_s + row + row + u"\\pard b\\par}"_s << QString()
                                                << QStringList() << 1 << u"[table]a\t\na\t\nb\n"_s;
        QTest::newRow("a paragraph between rows makes two tables")
            << u"{\\rtf1 "_s + row + u"\\pard\\par "_s + row + u"\\pard\\par}"_s << QString() << QStringList() << 2
            << u"[table]a\t\n\n[table]a\t\n\n"_s;
    }
    void scannerReads()
    {
        QFETCH(QString, rtf);
        QFETCH(QString, error);
        QFETCH(QStringList, fields);
        QFETCH(int, tables);
        QFETCH(QString, text);
        const Scan scan = scanRtf(rtf);
        if (error.isNull()) {
            QCOMPARE(scan.error, QString());
        } else {
            QVERIFY2(scan.error.startsWith(error), qPrintable(scan.error));
            return;
        }
        QStringList names;
        for (const RtfFormField &f : scan.formFields)
            names << f.name;
        QCOMPARE(names, fields);
        QCOMPARE(scan.tableStarts.size(), tables);
        QCOMPARE(scan.recorderText, text);
    }

    // The template as the word processor would hold it, filled by the invoice code: nothing of a placeholder
    // is left, the report is the second table, and the values that belong together share a line.
    void fillsCompletely_data() { addTemplateRows(); }
    void fillsCompletely()
    {
        QFETCH(QString, file);
        const Scan scan = scanRtf(QString::fromLatin1(readTemplate(file)));
        QVERIFY2(scan.error.isEmpty(), qPrintable(scan.error));

        RecordingWordProcessor word;
        word.addFile(kRecordedTemplate, scan.recorderText);
        const InvoiceInput in = fullInput();
        QCOMPARE(InvoiceBuilder(word).BuildInvoice(in).status, Outcome::Status::Done);
        const QString log = word.log().join(u'\n');
        QVERIFY2(!log.contains(u"-> throws"_s), qPrintable(log));
        // The report is the document's second table and gets its formatting.
        QVERIFY2(word.log().contains(u"setFontSize(doc1.table(2), 10)"_s), qPrintable(log));
        QVERIFY2(word.log().contains(u"autoFitColumns(doc1.table(2))"_s), qPrintable(log));

        const QString text = word.text(word.lastDocument());
        QVERIFY2(!text.contains(u'\u00AB') && !text.contains(u'\u00BB'), qPrintable(text));
        QCOMPARE(text.count(RecordingWordProcessor::kTableText), 2);
        const QStringList lines = text.split(u'\n');
        const auto hasLine = [&](const QString &line) {
            for (const QString &l : lines) {
                if (l.trimmed() == line)
                    return true;
            }
            return false;
        };
        const QStringList expected{
            u"Ana Lima"_s,
            u"Rua 1, Porto, Portugal"_s,
            u"Phone : +351 1, Fax : +351 2"_s,
            u"E-mail : ana@example.com, URL : ana.example"_s,
            u"VAT No.: PT123"_s,
            u"Sworn translator"_s,
            u"Member of ATA"_s,
            u"Acme GmbH"_s,
            u"Hauptstr. 5"_s,
            u"10115 Berlin"_s,
            u"Germany"_s,
            u"VAT No.: DE999"_s,
            u"Comments:"_s,
            u"first"_s,
            u"second"_s,
            u"third"_s,
            u"Bank X\tBIC XPT\tBranch 9"_s,
            u"IBAN PT50\tAccount 7\tHolder A"_s,
        };
        for (const QString &line : expected)
            QVERIFY2(hasLine(line), qPrintable(u"no line \"%1\" in:\n%2"_s.arg(line, text)));
        for (const QString &value :
             {in.invoiceNo, in.invoiceDate, in.paymentDueCaption + u"\t"_s + in.paymentDue, in.jobDescription,
              in.purchaseOrderNo, in.projectManager, in.unit, in.baseRate, u"Phone : +49 2"_s, u"Fax : +49 3"_s,
              u"E-mail : a@acme.de"_s, u"URL : acme.example"_s, u"Key account"_s, u"Dept. 4"_s})
            QVERIFY2(text.contains(value), qPrintable(u"\"%1\" missing in:\n%2"_s.arg(value, text)));
        // The comments come in the order typed, each on a line of its own.
        QVERIFY(text.contains(u"Comments:\nfirst\nsecond\nthird\n"_s));
        // Letterhead, then the client, then the report, then the bank details.
        const qsizetype report = text.lastIndexOf(RecordingWordProcessor::kTableText);
        QVERIFY(text.indexOf(u"Ana Lima"_s) < text.indexOf(u"Acme GmbH"_s));
        QVERIFY(text.indexOf(u"Acme GmbH"_s) < report);
        QVERIFY(report < text.indexOf(u"Bank X"_s));
    }
};

QTEST_GUILESS_MAIN(TestInvoiceTemplates)
#include "tst_InvoiceTemplates.moc"

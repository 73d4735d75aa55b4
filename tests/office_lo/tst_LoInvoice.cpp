// Invoices filled in a real headless LibreOffice Writer from the shipped templates and from awkward ones, read
// back from a saved copy.

#include "LoFixture.h"
#include "WriterDump.h"

#include "reports/InvoiceBuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

using namespace quotaly;
using namespace quotaly::office;
using namespace quotaly::test;
using namespace Qt::StringLiterals;

namespace {

const QString kRuntime = QStringLiteral(QUOTALY_RUNTIME_DIR);

InvoiceInput fullInput()
{
    InvoiceInput in;
    in.personal = {u"Ana Lima"_s,    u"PT123"_s,        u"Rua 1"_s,       u"Porto"_s,
                   u"Portugal"_s,    u"+351 1"_s,       u"+351 2"_s,      u"ana@example.com"_s,
                   u"ana.example"_s, u"Own note one"_s, u"Own note two"_s};
    in.bankData = {u"IBAN PT50"_s, u"BIC LIMA"_s, u"Bank three"_s, u"Bank four"_s, u"Bank five"_s, u"Bank six"_s};
    in.client = {u"Acme GmbH"_s,    u"DE999"_s,       u"Hauptstr. 5"_s, u"10115"_s,
                 u"Berlin"_s,       u"+49 2"_s,       u"+49 3"_s,       u"acme@example.com"_s,
                 u"acme.example"_s, u"Key account"_s, u"Client note"_s};
    in.invoiceNo = u"2024-17"_s;
    in.invoiceDate = u"03/05/2024"_s;
    in.paymentDueCaption = u"Payment Due : "_s;
    in.paymentDue = u"30 days"_s;
    in.jobDescription = u"Manual DE>EN"_s;
    in.purchaseOrderNo = u"PO-77"_s;
    in.projectManager = u"Jo Manager"_s;
    in.comments = QStringList{u"first line"_s, u"second line"_s, u"third line"_s};
    in.unit = u"Words"_s;
    in.baseRate = u"0.12"_s;
    in.report.titles = QStringList{u"Match types"_s, u"Words"_s, u"Amount"_s};
    in.report.rows << QStringList{u"No match"_s, u"100.00"_s, u"12.00"_s}
                   << QStringList{u"100%"_s, u"50.00"_s, u"1.50"_s};
    in.report.footer = QStringList{u"Total :"_s, u"150.00"_s, u"13.50"_s};
    return in;
}

// A small template in Word's RTF: each entry of `paragraphs` is one paragraph, where "{name}" is a text form field
// with that name as its default text.
QByteArray rtfTemplate(const QStringList &paragraphs)
{
    QByteArray rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\n";
    for (const QString &paragraph : paragraphs) {
        QString line = paragraph;
        for (qsizetype open = line.indexOf(u'{'); open >= 0; open = line.indexOf(u'{', open + 1)) {
            const qsizetype close = line.indexOf(u'}', open);
            const QString name = line.mid(open + 1, close - open - 1);
            const QString field = u"{\\*\\bkmkstart %1}{\\field{\\*\\fldinst { FORMTEXT {\\*\\formfield{\\fftype0"
                                  u"{\\*\\ffname %1}}}}}{\\fldrslt {%1}}}{\\*\\bkmkend %1}"_s.arg(name);
            line.replace(open, close - open + 1, field);
            open += field.size() - 1;
        }
        rtf += line.toLatin1() + "\\par\n";
    }
    return rtf + "}";
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Each text found after the one before it.
QString firstOutOfOrder(const QString &text, const QStringList &parts)
{
    qsizetype at = 0;
    for (const QString &part : parts) {
        const qsizetype found = text.indexOf(part, at);
        if (found < 0)
            return part;
        at = found + part.size();
    }
    return {};
}

} // namespace

class TestLoInvoice : public QObject
{
    Q_OBJECT

    LoFixture m_office;
    int m_run = 0;

    // Fills the template in keep-open mode and saves the invoice as .odt for reading back.
    Outcome fill(InvoiceInput in, const QString &templateFile, QString *saved)
    {
        const std::unique_ptr<WordProcessor> word = m_office.suite().wordProcessor();
        *saved = m_office.path(u"invoice-%1.odt"_s.arg(++m_run));
        in.templateFile = templateFile;
        in.whenFilled = [&](Document doc) { word->saveCopyAs(doc, *saved); };
        return InvoiceBuilder(*word).BuildInvoice(in);
    }

    QString copyOf(const QString &source, const QString &name)
    {
        const QString path = m_office.path(name);
        QFile::remove(path);
        if (!QFile::copy(source, path))
            return {};
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return path;
    }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_office.path(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        return path;
    }

private slots:
    void initTestCase()
    {
        QUOTALY_START_OFFICE(m_office);
        if (LoFixture::python().isEmpty())
            QSKIP("python3-uno is needed to read documents back");
    }

    void shippedTemplate_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("English") << u"English.rtf"_s;
        QTest::newRow("German") << u"German.rtf"_s;
    }

    // Every field replaced, every value in the template's order, the report as the second table in 10 points,
    // and the template file untouched.
    void shippedTemplate()
    {
        QFETCH(QString, file);
        const QString templateFile = copyOf(kRuntime + u"/Data/"_s + file, u"template-"_s + file);
        QVERIFY(!templateFile.isEmpty());
        const QByteArray before = fileBytes(templateFile);

        QString saved;
        const Outcome outcome = fill(fullInput(), templateFile, &saved);
        QCOMPARE(outcome.message, QString());
        QCOMPARE(outcome.status, Outcome::Status::Done);
        QCOMPARE(fileBytes(templateFile), before);

        QUOTALY_DUMP(dump, m_office, saved);
        QCOMPARE(dump.fieldmarks, 0);
        for (const QString &bookmark : dump.bookmarks)
            QVERIFY2(!bookmark.endsWith(u" Copy 1"_s), qPrintable(bookmark));
        const QString text = dump.fullText();
        const QStringList order{u"Ana Lima"_s,
                                u"Rua 1, Porto, Portugal"_s,
                                u"Phone : +351 1, Fax : +351 2"_s,
                                u"E-mail : ana@example.com, URL : ana.example"_s,
                                u"VAT No.: PT123"_s,
                                u"Own note one"_s,
                                u"Own note two"_s,
                                u"Acme GmbH"_s,
                                u"Hauptstr. 5"_s,
                                u"10115"_s,
                                u"Berlin"_s,
                                u"VAT No.: DE999"_s,
                                u"Phone : +49 2"_s,
                                u"Fax : +49 3"_s,
                                u"E-mail : acme@example.com"_s,
                                u"URL : acme.example"_s,
                                u"Key account"_s,
                                u"Client note"_s,
                                u"2024-17"_s,
                                u"03/05/2024"_s,
                                u"Payment Due : "_s,
                                u"30 days"_s,
                                u"Manual DE>EN"_s,
                                u"PO-77"_s,
                                u"Jo Manager"_s,
                                u"Words"_s,
                                u"0.12"_s,
                                u"No match | 100.00 | 12.00"_s,
                                u"Comments:\nfirst line\nsecond line\nthird line\n"_s,
                                u"IBAN PT50\tBank three\tBank five"_s,
                                u"BIC LIMA\tBank four\tBank six"_s};
        QVERIFY2(firstOutOfOrder(text, order).isEmpty(), qPrintable(firstOutOfOrder(text, order) + u" missing from: "_s + text.left(300)));
        for (const QString &placeholder : {u"pFullName"_s, u"cURL"_s, u"MatchReport"_s, u"Comments\n"_s})
            QVERIFY2(!text.contains(placeholder), qPrintable(placeholder));

        QCOMPARE(dump.tables.size(), 2);
        QCOMPARE(dump.rows(1), (QStringList{u"Match types | Words | Amount"_s, u"No match | 100.00 | 12.00"_s,
                                            u"100% | 50.00 | 1.50"_s, u"Total : | 150.00 | 13.50"_s}));
        QCOMPARE(dump.table(1).value(u"charHeights"_s).toArray(), QJsonArray{10.0});
    }

    // Labels of empty optional values vanish with their fields; the template's own default texts go too.
    void emptyValues()
    {
        InvoiceInput in;
        in.personal.fullName = u"Only Name"_s;
        in.report = fullInput().report;
        QString saved;
        const Outcome outcome = fill(in, kRuntime + u"/Data/English.rtf"_s, &saved);
        QCOMPARE(outcome.status, Outcome::Status::Done);
        QUOTALY_DUMP(dump, m_office, saved);
        QCOMPARE(dump.fieldmarks, 0);
        const QString text = dump.fullText();
        QVERIFY(text.contains(u"Only Name"_s));
        for (const QString &gone : {u"VAT No.:"_s, u"Phone :"_s, u"Fax :"_s, u"E-mail :"_s, u"URL :"_s,
                                    u"Payment due"_s, u"Comments:"_s, u"pAddressLine2"_s, u", "_s})
            QVERIFY2(!text.contains(gone), qPrintable(gone));
    }

    void awkwardValues_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("RTF syntax") << u"{\\rtf1 \\par} {braces} back\\slash \"quotes\" 'single'"_s;
        QTest::newRow("scripts") << u"\u0395\u03BB\u03BB\u03AC\u03B4\u03B1 \u041C\u043E\u0441\u043A\u0432\u0430 "
                                    u"\u6771\u4EAC \U0001F600"_s;
        QTest::newRow("2,000 characters") << QString(1999, u'x') + u'!';
    }

    // Values reach the document exactly as typed, as a field value and as a comment line.
    void awkwardValues()
    {
        QFETCH(QString, value);
        InvoiceInput in = fullInput();
        in.jobDescription = value;
        in.comments = QStringList{u"before"_s, value, u"after"_s};
        QString saved;
        QCOMPARE(fill(in, kRuntime + u"/Data/English.rtf"_s, &saved).status, Outcome::Status::Done);
        QUOTALY_DUMP(dump, m_office, saved);
        QVERIFY(dump.fullText().contains(value));
        QVERIFY(dump.text().contains(u"Comments:\nbefore\n"_s + value + u"\nafter"_s));
    }

    void unusualTemplates_data()
    {
        QTest::addColumn<QStringList>("paragraphs");
        QTest::addColumn<QStringList>("expected"); // paragraphs of the invoice, "[table]" for a table
        QTest::newRow("no form fields") << QStringList{u"Plain letter"_s} << QStringList{u"Plain letter"_s};
        QTest::newRow("names in capitals, no table before the report")
            << QStringList{u"To {CFULLNAME}"_s, u"{MATCHREPORT}"_s, u"{comments}"_s}
            // Writer's paste leaves an empty paragraph on each side of the table, before the field's own one.
            << QStringList{u"To Acme GmbH"_s, u""_s,           u"[table]"_s,     u""_s,           u""_s,
                           u"Comments:"_s,    u"first line"_s, u"second line"_s, u"third line"_s, u""_s};
    }

    // Templates need not hold every field or the table before the report; names match whatever their case.
    void unusualTemplates()
    {
        QFETCH(QStringList, paragraphs);
        QFETCH(QStringList, expected);
        const QString file =
            writeFile(u"unusual-%1.rtf"_s.arg(QTest::currentDataTag()).replace(u' ', u'-'), rtfTemplate(paragraphs));
        QString saved;
        const Outcome outcome = fill(fullInput(), file, &saved);
        QCOMPARE(outcome.message, QString());
        QCOMPARE(outcome.status, Outcome::Status::Done);
        QUOTALY_DUMP(dump, m_office, saved);
        QVERIFY2(dump.body == expected, qPrintable(dump.body.join(u"\u2016"_s)));
        QCOMPARE(dump.fieldmarks, 0);
    }

    void unusableTemplates_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // empty: the file does not exist
        QTest::addColumn<QString>("message");  // empty: the invoice is made
        QTest::newRow("missing") << u"missing.rtf"_s << QByteArray() << u"does not exist"_s;
        QTest::newRow("a spreadsheet") << u"sheet.csv"_s << QByteArray("a;b\n1;2\n") << u"is not a text document"_s;
        // Writer takes text it cannot read as RTF for plain text: an invoice without fields.
        QTest::newRow("plain text named .rtf") << u"notes.rtf"_s << QByteArray("Just some notes\n") << QString();
        QTest::newRow("under a path with spaces and accents")
            << u"Ordner mit Leerzeichen/Übersetzung été ñ.rtf"_s << QByteArray("Invoice\n") << QString();
        QTest::newRow("binary data") << u"binary.rtf"_s << QByteArray(4096, '\0') << u"holds binary data"_s;
    }

    // A template that cannot be used fails with a message naming the file, and leaves nothing open.
    void unusableTemplates()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString file = bytes.isEmpty() ? m_office.path(name) : writeFile(name, bytes);
        const std::unique_ptr<WordProcessor> word = m_office.suite().wordProcessor();
        word->connect();
        const int open = word->documentCount();
        word->disconnect();
        QString saved;
        const Outcome outcome = fill(fullInput(), file, &saved);
        if (message.isEmpty()) {
            QCOMPARE(outcome.message, QString());
            QCOMPARE(outcome.status, Outcome::Status::Done);
            QUOTALY_DUMP(dump, m_office, saved);
            QCOMPARE(dump.body.value(0), QString::fromLatin1(bytes).trimmed());
            return;
        }
        QCOMPARE(outcome.status, Outcome::Status::Failed);
        QVERIFY2(outcome.message.contains(file) && outcome.message.contains(message), qPrintable(outcome.message));
        word->connect();
        QCOMPARE(word->documentCount(), open);
        word->disconnect();
    }

    // A second invoice from the same template replaces the first, unsaved one; a copy of the template the user
    // opened to edit keeps its unsaved edits, and the file stays as it was.
    void secondInvoiceReplacesFirst()
    {
        const QString templateFile = copyOf(kRuntime + u"/Data/English.rtf"_s, u"replace.rtf"_s);
        const QByteArray before = fileBytes(templateFile);
        const std::unique_ptr<WordProcessor> word = m_office.suite().wordProcessor();
        word->connect();
        OpenDocumentArgs args;
        args.fileName = templateFile;
        const Document edited = word->openDocument(args);
        word->insertBefore(word->range(edited, 0, 0), u"Edited by hand "_s);
        const int open = word->documentCount();
        word->disconnect();

        QString saved;
        QCOMPARE(fill(fullInput(), templateFile, &saved).status, Outcome::Status::Done);
        QCOMPARE(fill(fullInput(), templateFile, &saved).status, Outcome::Status::Done);

        word->connect();
        QCOMPARE(word->documentCount(), open + 1);
        Document editedAgain;
        for (int i = 1; i <= word->documentCount(); ++i) {
            const Document doc = word->document(i);
            if (sameFile(word->fullName(doc), templateFile))
                editedAgain = doc;
        }
        QVERIFY(!editedAgain.isNull());
        const QString copy = m_office.path(u"edited-template.odt"_s);
        word->saveCopyAs(editedAgain, copy);
        word->closeWithoutSaving(editedAgain);
        word->disconnect();
        QUOTALY_DUMP(dump, m_office, copy);
        QVERIFY2(dump.body.value(0).startsWith(u"Edited by hand pFullName"_s), qPrintable(dump.body.mid(0, 6).join(u" / ")));
        QCOMPARE(dump.fieldmarks, 39);
        QCOMPARE(fileBytes(templateFile), before);
    }
};

QTEST_GUILESS_MAIN(TestLoInvoice)
#include "tst_LoInvoice.moc"

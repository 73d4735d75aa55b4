#include "common/RecordingWordProcessor.h"
#include "reports/InvoiceBuilder.h"
#include "reports/TdsWordExport.h"

#include <QTest>

using namespace quotaly;
using namespace quotaly::office;
using namespace Qt::StringLiterals;

namespace {

const QString kTemplateFile = u"/data/English.rtf"_s;

// Every placeholder, in the order the invoice fills them.
const QStringList kFieldOrder{
    u"pFullName"_s,      u"pVATNo"_s,
    u"pAddressLine1"_s,  u"pAddressLine2"_s,
    u"pAddressLine3"_s,  u"pPhone"_s,
    u"pFax"_s,           u"pEMail"_s,
    u"pURL"_s,           u"pBankDL1"_s,
    u"pBankDL2"_s,       u"pBankDL3"_s,
    u"pBankDL4"_s,       u"pBankDL5"_s,
    u"pBankDL6"_s,       u"pAdditional1"_s,
    u"pAdditional2"_s,   u"cFullName"_s,
    u"cVATNo"_s,         u"cAddressLine1"_s,
    u"cAddressLine2"_s,  u"cAddressLine3"_s,
    u"cPhone"_s,         u"cFax"_s,
    u"cEMail"_s,         u"cURL"_s,
    u"cAdditional1"_s,   u"cAdditional2"_s,
    u"InvoiceNo"_s,      u"InvoiceDate"_s,
    u"NPaymentDue"_s,    u"PaymentDue"_s,
    u"JobDescription"_s, u"PurchaseOrderNo"_s,
    u"ProjectManager"_s, u"Comments"_s,
    u"Unit"_s,           u"BaseRate"_s,
    u"MatchReport"_s,
};

// A template in the recording word processor's notation: «field», [table], "\n" between paragraphs.
const QString kTemplate =
    u"\u00ABpFullName\u00BB\n\u00ABpVATNo\u00BB\n"
    u"\u00ABpAddressLine1\u00BB\u00ABpAddressLine2\u00BB\u00ABpAddressLine3\u00BB\n"
    u"\u00ABpPhone\u00BB\u00ABpFax\u00BB\n\u00ABpEMail\u00BB\u00ABpURL\u00BB\n[table]\n"
    u"To: \u00ABcFullName\u00BB\n\u00ABcVATNo\u00BB\n\u00ABcAddressLine1\u00BB\n"
    u"\u00ABcAddressLine2\u00BB\n\u00ABcAddressLine3\u00BB\n\u00ABcPhone\u00BB\n\u00ABcFax\u00BB\n"
    u"\u00ABcEMail\u00BB\n\u00ABcURL\u00BB\n\u00ABcAdditional1\u00BB\u00ABcAdditional2\u00BB\n"
    u"Invoice \u00ABInvoiceNo\u00BB of \u00ABInvoiceDate\u00BB\n"
    u"\u00ABNPaymentDue\u00BB\u00ABPaymentDue\u00BB\n\u00ABJobDescription\u00BB\n"
    u"\u00ABPurchaseOrderNo\u00BB\n\u00ABProjectManager\u00BB\n\u00ABComments\u00BB\n"
    u"Unit: \u00ABUnit\u00BB at \u00ABBaseRate\u00BB\n\u00ABMatchReport\u00BB\n"
    u"\u00ABpBankDL1\u00BB \u00ABpBankDL2\u00BB \u00ABpBankDL3\u00BB \u00ABpBankDL4\u00BB "
    u"\u00ABpBankDL5\u00BB \u00ABpBankDL6\u00BB\n\u00ABpAdditional1\u00BB\u00ABpAdditional2\u00BB\n"_s;

InvoiceInput emptyInput(bool printMode = false)
{
    InvoiceInput in;
    in.templateFile = kTemplateFile;
    in.printMode = printMode;
    in.report.titles = QStringList{u"Match types"_s, u"Words"_s};
    in.report.rows << QStringList{u"No match"_s, u"100.00"_s};
    in.report.footer = QStringList{u"Total :"_s, u"100.00"_s};
    return in;
}

InvoiceInput fullInput()
{
    InvoiceInput in = emptyInput();
    in.personal = {u"Ana Lima"_s,        u"PT123"_s, u"Rua 1"_s, u"Porto"_s, u"Portugal"_s, u"+351 1"_s, {},
                   u"ana@example.com"_s, {},         {},         {}};
    in.bankData = {u"IBAN PT50"_s, u"BIC X"_s, {}, {}, {}, {}};
    in.client = {u"Acme GmbH"_s,   {}, u"Hauptstr. 5"_s, {}, u"Berlin"_s, {}, u"+49 2"_s, {}, u"acme.example"_s,
                 u"Key account"_s, {}};
    in.invoiceNo = u"2024-17"_s;
    in.invoiceDate = u"03/05/2024"_s;
    in.paymentDueCaption = u"Payment Due : "_s;
    in.paymentDue = u"30 days"_s;
    in.jobDescription = u"Manual DE>EN"_s;
    in.projectManager = u"Jo"_s;
    in.comments = QStringList{u"first"_s, u"second"_s, u"third"_s};
    in.unit = u"Words"_s;
    in.baseRate = u"0.12"_s;
    return in;
}

// Puts a value where the placeholder of that name takes its text from.
void setSource(InvoiceInput &in, const QString &field, const QString &value)
{
    static const QHash<QString, QString InvoiceParty::*> party{{u"FullName"_s, &InvoiceParty::fullName},
                                                               {u"VATNo"_s, &InvoiceParty::vatNo},
                                                               {u"AddressLine1"_s, &InvoiceParty::addressLine1},
                                                               {u"AddressLine2"_s, &InvoiceParty::addressLine2},
                                                               {u"AddressLine3"_s, &InvoiceParty::addressLine3},
                                                               {u"Phone"_s, &InvoiceParty::tel},
                                                               {u"Fax"_s, &InvoiceParty::fax},
                                                               {u"EMail"_s, &InvoiceParty::eMail},
                                                               {u"URL"_s, &InvoiceParty::www},
                                                               {u"Additional1"_s, &InvoiceParty::additional1},
                                                               {u"Additional2"_s, &InvoiceParty::additional2}};
    static const QHash<QString, QString InvoiceInput::*> invoice{{u"InvoiceNo"_s, &InvoiceInput::invoiceNo},
                                                                 {u"InvoiceDate"_s, &InvoiceInput::invoiceDate},
                                                                 {u"NPaymentDue"_s, &InvoiceInput::paymentDueCaption},
                                                                 {u"PaymentDue"_s, &InvoiceInput::paymentDue},
                                                                 {u"JobDescription"_s, &InvoiceInput::jobDescription},
                                                                 {u"PurchaseOrderNo"_s, &InvoiceInput::purchaseOrderNo},
                                                                 {u"ProjectManager"_s, &InvoiceInput::projectManager},
                                                                 {u"Unit"_s, &InvoiceInput::unit},
                                                                 {u"BaseRate"_s, &InvoiceInput::baseRate}};
    if (field.startsWith(u"pBankDL"_s))
        in.bankData[field.mid(7).toInt() - 1] = value;
    else if (invoice.contains(field))
        in.*invoice.value(field) = value;
    else
        (field.startsWith(u'p') ? in.personal : in.client).*party.value(field.mid(1)) = value;
}

// The lines from the first one starting with `from` to the first one after it starting with `to`, inclusive.
QStringList logBetween(const QStringList &log, const QString &from, const QString &to)
{
    QStringList part;
    for (const QString &line : log) {
        if (part.isEmpty() && !line.startsWith(from))
            continue;
        part << line;
        if (line.startsWith(to))
            break;
    }
    return part;
}

struct Run
{
    RecordingWordProcessor word;
    QStringList hooks;
    Outcome outcome;

    explicit Run(const QString &templateText = kTemplate, const QString &failOn = {})
    {
        word.addFile(kTemplateFile, templateText);
        if (!failOn.isEmpty())
            word.failOn(failOn, u"The office was closed."_s);
    }
    Run &build(InvoiceInput in)
    {
        in.clearReportSelection = [this] { hooks << u"clear after %1 calls"_s.arg(word.log().size()); };
        InvoiceBuilder builder(word);
        outcome = builder.BuildInvoice(in);
        return *this;
    }
    QString text() const { return word.text(word.lastDocument()); }
};

} // namespace

class TestInvoiceBuilder : public QObject
{
    Q_OBJECT

private slots:
    void fillsTemplate()
    {
        Run run;
        run.build(fullInput());
        QCOMPARE(run.outcome.status, Outcome::Status::Done);
        QCOMPARE(run.word.log().mid(0, 3),
                 (QStringList{u"connect()"_s, u"setVisible(true)"_s,
                              u"openDocument(\"/data/English.rtf\", confirmConversions=false, readOnly=true, "
                              u"addToRecentFiles=true, passwordDocument=\"\", passwordTemplate=\"\", "
                              u"writePasswordDocument=\"\", writePasswordTemplate=\"\", revert=true, format=0, "
                              u"asTemplate=true) -> doc1"_s}));
        QCOMPARE(run.text(), u"Ana Lima\nVAT No.: PT123\nRua 1, Porto, Portugal\nPhone : +351 1\n"
                             u"E-mail : ana@example.com\n[table]\nTo: Acme GmbH\n\nHauptstr. 5\n\nBerlin\n\n"
                             u"Fax : +49 2\n\nURL : acme.example\nKey account\nInvoice 2024-17 of 03/05/2024\n"
                             u"Payment Due : 30 days\nManual DE>EN\n\nJo\nComments:\nfirst\nsecond\nthird\n\n"
                             u"Unit: Words at 0.12\n[table]\nIBAN PT50 BIC X    \n\n"_s);
        // Left open for the user, never saved, closed or quit.
        QVERIFY(run.word.isOpen(run.word.lastDocument()));
        QCOMPARE(run.word.log().last(), u"disconnect()"_s);
        QVERIFY(!run.word.log().join(u'\n').contains(u"quit()"_s));

        QStringList order;
        for (const QString &line : run.word.log()) {
            if (line.startsWith(u"formField("_s))
                order << line.section(u'"', 1, 1);
        }
        QCOMPARE(order, kFieldOrder);
    }

    void placeholder_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("paymentDue");
        QTest::addColumn<QString>("inserted"); // null: nothing is inserted, the field just goes

        const QString none;
        const auto both = [&](const QString &field, const QString &label) {
            QTest::addRow("%s set", qPrintable(field)) << field << u"v"_s << none << label + u"v"_s;
            QTest::addRow("%s empty", qPrintable(field)) << field << QString() << none << none;
        };
        both(u"pFullName"_s, {});
        both(u"pVATNo"_s, u"VAT No.: "_s);
        both(u"pAddressLine1"_s, {});
        both(u"pAddressLine2"_s, u", "_s);
        both(u"pAddressLine3"_s, u", "_s);
        both(u"pPhone"_s, u"Phone : "_s);
        both(u"pFax"_s, u", Fax : "_s); // with an empty phone, the comma stays
        both(u"pEMail"_s, u"E-mail : "_s);
        both(u"pURL"_s, u", URL : "_s);
        both(u"cFullName"_s, {});
        both(u"cVATNo"_s, u"VAT No.: "_s);
        both(u"cAddressLine1"_s, {});
        both(u"cAddressLine2"_s, {});
        both(u"cAddressLine3"_s, {});
        both(u"cPhone"_s, u"Phone : "_s);
        both(u"cFax"_s, u"Fax : "_s);
        both(u"cEMail"_s, u"E-mail : "_s);
        both(u"cURL"_s, u"URL : "_s);
        both(u"PaymentDue"_s, {});
        for (const QString &field :
             {u"pBankDL1"_s, u"pBankDL6"_s, u"pAdditional1"_s, u"pAdditional2"_s, u"cAdditional1"_s, u"cAdditional2"_s,
              u"InvoiceNo"_s, u"InvoiceDate"_s, u"JobDescription"_s, u"PurchaseOrderNo"_s, u"ProjectManager"_s,
              u"Unit"_s, u"BaseRate"_s}) {
            QTest::addRow("%s set", qPrintable(field)) << field << u"v"_s << none << u"v"_s;
            QTest::addRow("%s empty", qPrintable(field)) << field << QString() << none << u""_s;
        }
        QTest::newRow("payment-due caption without due text") << u"NPaymentDue"_s << u"Zahlbar : "_s << none << none;
        QTest::newRow("payment-due caption") << u"NPaymentDue"_s << u"Zahlbar : "_s << u"14 Tage"_s << u"Zahlbar : "_s;
        const QString awkward = u"{\\rtf1 \"Müller\" \\par} \u6771\u4eac \u0639\u0631\u0628\u064a"_s;
        QTest::newRow("characters of document formats") << u"cFullName"_s << awkward << none << awkward;
        const QString longText = QString(2000, u'x');
        QTest::newRow("2,000 characters") << u"JobDescription"_s << longText << none << longText;
    }

    // Each placeholder is looked up, gets its text when its condition holds, and is deleted.
    void placeholder()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, paymentDue);
        QFETCH(QString, inserted);
        InvoiceInput in = emptyInput();
        in.paymentDue = paymentDue;
        setSource(in, field, value);
        Run run;
        run.build(in);

        QStringList expected{u"formField(doc1, \"%1\") -> %1"_s.arg(field)};
        if (!inserted.isNull())
            expected << u"insertAfter(%1, %2)"_s.arg(field, CallRecorder::quoted(inserted));
        expected << u"deleteField(%1)"_s.arg(field);
        QCOMPARE(logBetween(run.word.log(), u"formField(doc1, \"%1\")"_s.arg(field), u"deleteField"_s), expected);
        if (!inserted.isEmpty())
            QVERIFY(run.text().contains(inserted));
    }

    void comments_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("failOn");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QString>("text");

        const QString field = u"formField(doc1, \"Comments\") -> Comments"_s;
        const QStringList opening{field, u"insertBefore(Comments, \"Comments:\")"_s,
                                  u"insertParagraphAfter(Comments)"_s, u"bookmarkEnd(doc1, \"Comments\") -> 21"_s};
        const auto line = [](const QString &text) {
            return QStringList{u"range(doc1, 21, 21) -> doc1[21,21]"_s, u"insertAfter(doc1[21,21], \"%1\")"_s.arg(text),
                               u"insertParagraphAfter(doc1[21,21])"_s};
        };
        const QString end = u"deleteField(Comments)"_s;
        QTest::newRow("none") << QStringList() << QString() << QStringList{field, end} << u"A\n\nB\n"_s;
        QTest::newRow("one") << QStringList{u"only"_s} << QString() << opening + line(u"only"_s) + QStringList{end}
                             << u"A\nComments:\nonly\n\nB\n"_s;
        QTest::newRow("three, in the order typed")
            << QStringList{u"first"_s, u"second"_s, u"third"_s} << QString()
            << opening + line(u"third"_s) + line(u"second"_s) + line(u"first"_s) + QStringList{end}
            << u"A\nComments:\nfirst\nsecond\nthird\n\nB\n"_s;
        QTest::newRow("one line fails")
            << QStringList{u"first"_s, u"second"_s, u"third"_s} << u"insertAfter(doc1[21,21], \"second\")"_s
            << opening + line(u"third"_s) +
                   QStringList{u"range(doc1, 21, 21) -> doc1[21,21]"_s,
                               u"insertAfter(doc1[21,21], \"second\") -> throws \"The office was closed.\""_s} +
                   line(u"first"_s) + QStringList{end}
            << u"A\nComments:\nfirst\nthird\n\nB\n"_s;
        QTest::newRow("an empty line counts") << QStringList{QString()} << QString()
                                              << opening + line({}) + QStringList{end} << u"A\nComments:\n\n\nB\n"_s;
    }

    void comments()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, failOn);
        QFETCH(QStringList, log);
        QFETCH(QString, text);
        InvoiceInput in = emptyInput();
        in.comments = lines;
        Run run(u"A\n\u00ABComments\u00BB\nB\n"_s, failOn);
        run.build(in);
        QCOMPARE(run.outcome.status, Outcome::Status::Done);
        QCOMPARE(logBetween(run.word.log(), u"formField(doc1, \"Comments\")"_s, u"deleteField"_s), log);
        QCOMPARE(run.text(), text);
    }

    void commentLines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("one") << u"a"_s << QStringList{u"a"_s};
        QTest::newRow("final break") << u"a\r\n"_s << QStringList{u"a"_s};
        QTest::newRow("only a break") << u"\n"_s << QStringList{QString()};
        QTest::newRow("mixed breaks") << u"a\r\n\nb\rc"_s << QStringList{u"a"_s, QString(), u"b"_s, u"c"_s};
    }

    void commentLines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(invoiceCommentLines(text), lines);
    }

    void report_data()
    {
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<QString>("failOn");
        QTest::addColumn<QStringList>("log");

        const QString field = u"formField(doc1, \"MatchReport\") -> MatchReport"_s;
        const QString paste = u"paste(MatchReport, table)"_s;
        QTest::newRow("one table before the report")
            << u"[table]\n\u00ABMatchReport\u00BB\n"_s << QString()
            << QStringList{field, paste, u"table(doc1, 2) -> doc1.table(2)"_s, u"setFontSize(doc1.table(2), 10)"_s,
                           u"autoFitColumns(doc1.table(2))"_s};
        QTest::newRow("no table before the report")
            << u"\u00ABMatchReport\u00BB\n"_s << QString()
            << QStringList{field, paste,
                           u"table(doc1, 2) -> throws \"The requested member of the collection does not exist.\""_s};
        QTest::newRow("paste fails") << u"[table]\n\u00ABMatchReport\u00BB\n"_s << u"paste("_s
                                     << QStringList{field, paste + u" -> throws \"The office was closed.\""_s};
        QTest::newRow("no report field") << u"[table]\n"_s << QString()
                                         << QStringList{u"formField(doc1, \"MatchReport\") -> throws \"The requested "
                                                        u"member of the collection does not exist.\""_s};
    }

    // The report replaces its field as the second table, in 10 points and fitted; any failure there is skipped.
    void report()
    {
        QFETCH(QString, templateText);
        QFETCH(QString, failOn);
        QFETCH(QStringList, log);
        Run run(templateText, failOn);
        const InvoiceInput in = emptyInput();
        run.build(in);
        QCOMPARE(run.outcome.status, Outcome::Status::Done);
        QStringList tail = logBetween(run.word.log(), u"formField(doc1, \"MatchReport\")"_s, u"disconnect"_s);
        tail.removeLast();
        QCOMPARE(tail, log);
        // Deselected in the report window before the paste.
        const int before = int(run.word.log().indexOf(log.first()));
        QCOMPARE(run.hooks, (QStringList{u"clear after %1 calls"_s.arg(before)}));
        QCOMPARE(run.word.pastes().size(), log.contains(u"paste(MatchReport, table)"_s) ? 1 : 0);
        if (!run.word.pastes().isEmpty())
            QCOMPARE(run.word.pastes().first().rtf, reportPasteData(in.report).rtf);
    }

    void ending_data()
    {
        QTest::addColumn<bool>("printMode");
        QTest::addColumn<QString>("templateText");
        QTest::addColumn<QString>("failOn");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("tail");

        const int done = int(Outcome::Status::Done);
        const int failed = int(Outcome::Status::Failed);
        const QString closed = u" -> throws \"The office was closed.\""_s;
        const QString open = u"openDocument(\"/data/English.rtf\""_s;
        QTest::newRow("keep open") << false << kTemplate << QString() << done
                                   << QStringList{u"autoFitColumns(doc1.table(2))"_s, u"disconnect()"_s};
        QTest::newRow("print") << true << kTemplate << QString() << done
                               << QStringList{u"autoFitColumns(doc1.table(2))"_s, u"showPrintDialog(doc1)"_s,
                                              u"closeWithoutSaving(doc1)"_s, u"quit()"_s, u"disconnect()"_s};
        QTest::newRow("print a template without fields")
            << true << u"Plain letter\n"_s << QString() << done
            << QStringList{u"showPrintDialog(doc1)"_s, u"closeWithoutSaving(doc1)"_s, u"quit()"_s, u"disconnect()"_s};
        QTest::newRow("print dialog fails")
            << true << kTemplate << u"showPrintDialog("_s << failed
            << QStringList{u"showPrintDialog(doc1)"_s + closed, u"closeWithoutSaving(doc1)"_s, u"quit()"_s,
                           u"disconnect()"_s};
        QTest::newRow("no office, print")
            << true << kTemplate << u"connect("_s << failed << QStringList{u"connect()"_s + closed, u"disconnect()"_s};
        QTest::newRow("template missing, print")
            << true << kTemplate << open << failed
            << QStringList{u"setVisible(true)"_s, open, u"quit()"_s, u"disconnect()"_s};
        QTest::newRow("template missing, keep open")
            << false << kTemplate << open << failed << QStringList{u"setVisible(true)"_s, open, u"disconnect()"_s};
    }

    // Print mode prints, discards the invoice and lets an office it started go; failures to reach the office
    // or open the template come back with their message.
    void ending()
    {
        QFETCH(bool, printMode);
        QFETCH(QString, templateText);
        QFETCH(QString, failOn);
        QFETCH(int, status);
        QFETCH(QStringList, tail);
        Run run(templateText, failOn);
        run.build(emptyInput(printMode));
        QCOMPARE(int(run.outcome.status), status);
        QCOMPARE(run.outcome.message, status == int(Outcome::Status::Failed) ? u"The office was closed."_s : QString());
        const QStringList log = run.word.log().mid(run.word.log().size() - tail.size());
        for (int i = 0; i < tail.size(); ++i)
            QVERIFY2(log.at(i).startsWith(tail.at(i)), qPrintable(log.at(i)));
        if (run.word.lastDocument().id != 0)
            QCOMPARE(run.word.isOpen(run.word.lastDocument()), !printMode);
    }

    void nextInvoiceNumber_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("next");
        QTest::newRow("width kept") << u"2026-017"_s << u"2026-018"_s;
        QTest::newRow("all nines grow") << u"INV-99"_s << u"INV-100"_s;
        QTest::newRow("digits before a suffix") << u"17/A"_s << u"18/A"_s;
        QTest::newRow("only the last run") << u"2026/9"_s << u"2026/10"_s;
        QTest::newRow("no digits") << u"draft"_s << u"draft"_s;
    }

    void nextInvoiceNumber()
    {
        QFETCH(QString, number);
        QTEST(quotaly::nextInvoiceNumber(number), "next");
    }
};

QTEST_GUILESS_MAIN(TestInvoiceBuilder)
#include "tst_InvoiceBuilder.moc"

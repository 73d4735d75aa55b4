#include "InvoiceBuilder.h"

#include "TdsWordExport.h"
#include "dataset/Dataset.h"

namespace quotaly {

using office::Outcome;

namespace {

struct Placeholder
{
    QString field;
    QString text;
    bool insert; ///< false: the field just vanishes
};

Placeholder ifSet(const QString &field, const QString &label, const QString &value)
{
    return {field, label + value, !value.isEmpty()};
}

Placeholder always(const QString &field, const QString &value)
{
    return {field, value, true};
}

// The fields before the comments, in the order they are filled. The labels stay untranslated, except the
// payment-due caption, which is the window's label in the interface language.
QList<Placeholder> detailPlaceholders(const InvoiceInput &in)
{
    const InvoiceParty &p = in.personal;
    const InvoiceParty &c = in.client;
    QList<Placeholder> list{
        ifSet(QStringLiteral("pFullName"), {}, p.fullName),
        ifSet(QStringLiteral("pVATNo"), QStringLiteral("VAT No.: "), p.vatNo),
        ifSet(QStringLiteral("pAddressLine1"), {}, p.addressLine1),
        ifSet(QStringLiteral("pAddressLine2"), QStringLiteral(", "), p.addressLine2),
        ifSet(QStringLiteral("pAddressLine3"), QStringLiteral(", "), p.addressLine3),
        ifSet(QStringLiteral("pPhone"), QStringLiteral("Phone : "), p.tel),
        ifSet(QStringLiteral("pFax"), QStringLiteral(", Fax : "), p.fax),
        ifSet(QStringLiteral("pEMail"), QStringLiteral("E-mail : "), p.eMail),
        ifSet(QStringLiteral("pURL"), QStringLiteral(", URL : "), p.www),
    };
    for (int i = 0; i < int(in.bankData.size()); ++i)
        list << always(QStringLiteral("pBankDL%1").arg(i + 1), in.bankData.at(i));
    list << always(QStringLiteral("pAdditional1"), p.additional1)
         << always(QStringLiteral("pAdditional2"), p.additional2) << ifSet(QStringLiteral("cFullName"), {}, c.fullName)
         << ifSet(QStringLiteral("cVATNo"), QStringLiteral("VAT No.: "), c.vatNo)
         << ifSet(QStringLiteral("cAddressLine1"), {}, c.addressLine1)
         << ifSet(QStringLiteral("cAddressLine2"), {}, c.addressLine2)
         << ifSet(QStringLiteral("cAddressLine3"), {}, c.addressLine3)
         << ifSet(QStringLiteral("cPhone"), QStringLiteral("Phone : "), c.tel)
         << ifSet(QStringLiteral("cFax"), QStringLiteral("Fax : "), c.fax)
         << ifSet(QStringLiteral("cEMail"), QStringLiteral("E-mail : "), c.eMail)
         << ifSet(QStringLiteral("cURL"), QStringLiteral("URL : "), c.www)
         << always(QStringLiteral("cAdditional1"), c.additional1)
         << always(QStringLiteral("cAdditional2"), c.additional2) << always(QStringLiteral("InvoiceNo"), in.invoiceNo)
         << always(QStringLiteral("InvoiceDate"), in.invoiceDate)
         << Placeholder{QStringLiteral("NPaymentDue"), in.paymentDueCaption, !in.paymentDue.isEmpty()}
         << ifSet(QStringLiteral("PaymentDue"), {}, in.paymentDue)
         << always(QStringLiteral("JobDescription"), in.jobDescription)
         << always(QStringLiteral("PurchaseOrderNo"), in.purchaseOrderNo)
         << always(QStringLiteral("ProjectManager"), in.projectManager);
    return list;
}

// Read-only and as a new untitled document, so the template file can never be overwritten; an earlier invoice
// that was made from it and not saved since is replaced.
office::OpenDocumentArgs templateArgs(const QString &templateFile)
{
    office::OpenDocumentArgs args;
    args.fileName = templateFile;
    args.readOnly = true;
    args.revert = true;
    args.asTemplate = true;
    return args;
}

// The current row's text of a field; empty when there is no row or no such field.
QString fieldText(const Dataset &dataset, const QString &field)
{
    if (!dataset.isActive() || dataset.isEmpty())
        return {};
    const int index = dataset.fieldIndex(field);
    return index < 0 ? QString() : dataset.value(index).toString();
}

} // namespace

InvoiceParty invoiceParty(const Dataset &record)
{
    const auto text = [&record](const char *field) { return fieldText(record, QString::fromLatin1(field)); };
    return InvoiceParty{text("FULLNAME"), text("VATNo"), text("AddressLine1"), text("AddressLine2"),
                        text("AddressLine3"), text("Tel"), text("Fax"), text("EMail"),
                        text("www"), text("Additional1"), text("Additional2")};
}

std::array<QString, 6> invoiceBankData(const Dataset &personal)
{
    std::array<QString, 6> lines;
    for (int i = 0; i < int(lines.size()); ++i)
        lines[i] = fieldText(personal, QStringLiteral("BankDataLine%1").arg(i + 1));
    return lines;
}

QStringList invoiceCommentLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines << text.mid(start);
    return lines;
}

QString nextInvoiceNumber(const QString &number)
{
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    qsizetype end = number.size();
    while (end > 0 && !isDigit(number.at(end - 1)))
        --end;
    if (end == 0)
        return number;
    QString next = number;
    qsizetype i = end - 1;
    for (; i >= 0 && isDigit(next.at(i)); --i) {
        if (next.at(i) != u'9') {
            next[i] = QChar(next.at(i).unicode() + 1);
            return next;
        }
        next[i] = u'0';
    }
    // Every digit was a nine: the number grows by one place ("99" gives "100").
    next.insert(i + 1, u'1');
    return next;
}

InvoiceBuilder::InvoiceBuilder(office::WordProcessor &wordProcessor) : m_word(wordProcessor) {}

Outcome InvoiceBuilder::BuildInvoice(const InvoiceInput &input)
{
    office::ConnectionScope connection(m_word);
    bool connected = false;
    office::Document doc;
    try {
        m_word.connect();
        connected = true;
        m_word.setVisible(true);
        doc = m_word.openDocument(templateArgs(input.templateFile));
    } catch (const std::exception &e) {
        if (connected && input.printMode)
            quitQuietly();
        return Outcome::failed(office::failureText(e));
    }

    for (const Placeholder &p : detailPlaceholders(input))
        replaceField(doc, p.field, p.text, p.insert);
    fillComments(doc, input.comments);
    replaceField(doc, QStringLiteral("Unit"), input.unit, true);
    replaceField(doc, QStringLiteral("BaseRate"), input.baseRate, true);
    pasteReport(doc, input);

    if (!input.printMode) {
        if (input.whenFilled) {
            try {
                input.whenFilled(doc);
            } catch (const std::exception &e) {
                return Outcome::failed(office::failureText(e));
            }
        }
        return Outcome::done();
    }
    const Outcome outcome = printAndClose(doc);
    quitQuietly();
    return outcome;
}

void InvoiceBuilder::replaceField(office::Document document, const QString &name, const QString &text, bool insert)
{
    try {
        const office::FormField field = m_word.formField(document, name);
        if (insert)
            m_word.insertAfter(field, text);
        m_word.deleteField(field);
    } catch (const std::exception &) {
        // A template need not hold every field.
    }
}

void InvoiceBuilder::fillComments(office::Document document, const QStringList &lines)
{
    const QString name = QStringLiteral("Comments");
    try {
        const office::FormField field = m_word.formField(document, name);
        if (!lines.isEmpty()) {
            m_word.insertBefore(field, QStringLiteral("Comments:"));
            m_word.insertParagraphAfter(field);
            // Every line goes in at the same place, in front of the ones already there: last line first.
            const office::TextPosition end = m_word.bookmarkEnd(document, name);
            for (qsizetype i = lines.size() - 1; i >= 0; --i) {
                try {
                    const office::TextRange at = m_word.range(document, end, end);
                    m_word.insertAfter(at, lines.at(i));
                    m_word.insertParagraphAfter(at);
                } catch (const std::exception &) {
                    // The other lines still go in.
                }
            }
        }
        m_word.deleteField(field);
    } catch (const std::exception &) {
    }
}

void InvoiceBuilder::pasteReport(office::Document document, const InvoiceInput &input)
{
    try {
        if (input.clearReportSelection)
            input.clearReportSelection();
        m_word.paste(m_word.formField(document, QStringLiteral("MatchReport")), reportPasteData(input.report));
        // The template holds one table before the report, so the report is the second one.
        const office::Table report = m_word.table(document, 2);
        m_word.setFontSize(report, 10.0);
        m_word.autoFitColumns(report);
    } catch (const std::exception &) {
        // The invoice stays usable without the report's formatting, or without the report.
    }
}

Outcome InvoiceBuilder::printAndClose(office::Document document)
{
    Outcome outcome = Outcome::done();
    try {
        m_word.showPrintDialog(document);
    } catch (const std::exception &e) {
        outcome = Outcome::failed(office::failureText(e));
    }
    // A printed invoice is never kept, also when the dialog failed.
    try {
        m_word.closeWithoutSaving(document);
    } catch (const std::exception &e) {
        if (outcome.status == Outcome::Status::Done)
            outcome = Outcome::failed(office::failureText(e));
    }
    return outcome;
}

void InvoiceBuilder::quitQuietly()
{
    try {
        m_word.quit();
    } catch (const std::exception &) {
        // The invoice is done; an office that will not quit is left as it is.
    }
}

} // namespace quotaly

#pragma once

#include "ReportText.h"
#include "office/WordProcessor.h"

#include <array>
#include <functional>

#include <QString>
#include <QStringList>

namespace quotaly {
class Dataset;

/// The user's or the client's details as their record holds them.
struct InvoiceParty
{
    QString fullName;
    QString vatNo;
    QString addressLine1;
    QString addressLine2;
    QString addressLine3;
    QString tel;
    QString fax;
    QString eMail;
    QString www;
    QString additional1;
    QString additional2;
};

/// Everything an invoice is filled from.
struct InvoiceInput
{
    InvoiceParty personal;
    std::array<QString, 6> bankData; ///< the user's bank data lines 1 to 6
    InvoiceParty client;

    QString invoiceNo;
    QString invoiceDate;       ///< as displayed, in the short date format
    QString paymentDueCaption; ///< the payment-due label in the interface language
    QString paymentDue;
    QString jobDescription;
    QString purchaseOrderNo;
    QString projectManager;
    QStringList comments; ///< the lines in the order typed; see invoiceCommentLines()
    QString unit;
    QString baseRate;

    /// The whole report as displayed; it replaces the MatchReport field as a table.
    ReportTable report;
    /// Clears the report grid's selection. May be empty.
    std::function<void()> clearReportSelection;

    QString templateFile;   ///< full path of the template document
    bool printMode = false; ///< print and discard; otherwise leave the filled document open

    /// Keep-open mode: called with the filled document while the connection still holds it (a batch run saves
    /// it here). A failure it throws ends the invoice as Failed. May be empty.
    std::function<void(office::Document)> whenFilled;
};

/// The current row of the user's or a client's record as an invoice party. A closed or empty dataset, or a
/// field it lacks, gives empty texts.
InvoiceParty invoiceParty(const Dataset &record);

/// The user's bank data lines 1 to 6 from the current row of the personal record, empty where there are none.
std::array<QString, 6> invoiceBankData(const Dataset &personal);

/// The lines of a multi-line text as a memo holds them: split at CR LF, LF or CR; a line break at the very end
/// starts no further line; an empty text has no lines.
QStringList invoiceCommentLines(const QString &text);

/// The invoice number to propose after an invoice went out: the last run of digits counted up by one, keeping
/// its width ("2026-017" gives "2026-018", "A-99" gives "A-100"). A number without digits stays as it is.
QString nextInvoiceNumber(const QString &number);

/// Fills an invoice template in the word processor. The template's text form fields, found by name, are
/// replaced by the user's and the client's details, the invoice data and the report table; fields the
/// template lacks are skipped. The template file itself is never changed: the invoice is a new untitled
/// document, printed and discarded in print mode, otherwise left open for the user to save.
class InvoiceBuilder
{
public:
    explicit InvoiceBuilder(office::WordProcessor &wordProcessor);

    /// Failed, with the word processor's message, when it cannot be reached or the template cannot be opened.
    office::Outcome BuildInvoice(const InvoiceInput &input);

private:
    void replaceField(office::Document document, const QString &name, const QString &text, bool insert);
    void fillComments(office::Document document, const QStringList &lines);
    void pasteReport(office::Document document, const InvoiceInput &input);
    office::Outcome printAndClose(office::Document document);
    void quitQuietly();

    office::WordProcessor &m_word;
};

} // namespace quotaly

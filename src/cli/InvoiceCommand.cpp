#include "InvoiceCommand.h"

#include "JobPricing.h"
#include "dataset/Error.h"
#include "reports/InvoiceBuilder.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>

namespace quotaly::cli {

namespace {

const char kUsage[] =
    "Usage: quotaly-cli invoice LOG --client NAME --out FILE [options]\n"
    "       quotaly-cli invoice --words W2,W3,W4,W5,W6,W7,W8 --total T --client NAME --out FILE [options]\n"
    "       quotaly-cli invoice --percent P2,P3,P4,P5,P6,P7,P8 --total T --client NAME --out FILE [options]\n"
    "Prices a job for a client as Quotaly's Calculate does, fills an invoice template with your details, the\n"
    "client's, the invoice data and the report through a headless LibreOffice, and saves the invoice.\n" QUOTALY_JOB_OPTIONS_USAGE
    "  --out FILE          the invoice to write: .pdf, .odt, .docx or .rtf (an older file is replaced)\n"
    "  --template NAME     the template DATA/NAME.rtf of the data folder (default: English)\n"
    "  --invoice-no N      the invoice number\n"
    "  --date YYYY-MM-DD   the invoice date (default: today), written in the locale's short date format\n"
    "  --payment-due TEXT  the payment terms\n"
    "  --job TEXT          the job description\n"
    "  --po TEXT           the purchase order number\n"
    "  --manager TEXT      the project manager\n"
    "  --comments TEXT     comments; \\n in TEXT starts a new line\n"
    "Your details come from the personal record and the client's from the client list of the data folder.\n";

struct Options
{
    JobOptions job;
    QString out;
    QString templateName = QStringLiteral("English");
    QString invoiceNo;
    QString date;
    QString paymentDue;
    QString jobDescription;
    QString purchaseOrderNo;
    QString projectManager;
    QString comments;
};

bool isInvoiceFile(const QString &file)
{
    static const QStringList suffixes{QStringLiteral("pdf"), QStringLiteral("odt"), QStringLiteral("docx"),
                                      QStringLiteral("rtf")};
    return suffixes.contains(QFileInfo(file).suffix().toLower());
}

QString parseOptions(const QStringList &args, Options &o)
{
    const QString problem = readJobCommandLine(args, o.job, [&o](const QString &a, const OptionValue &value) {
        if (a == u"--out")
            value(o.out);
        else if (a == u"--template")
            value(o.templateName);
        else if (a == u"--invoice-no")
            value(o.invoiceNo);
        else if (a == u"--date")
            value(o.date);
        else if (a == u"--payment-due")
            value(o.paymentDue);
        else if (a == u"--job")
            value(o.jobDescription);
        else if (a == u"--po")
            value(o.purchaseOrderNo);
        else if (a == u"--manager")
            value(o.projectManager);
        else if (a == u"--comments")
            value(o.comments);
        else
            return false;
        return true;
    });
    if (!problem.isEmpty())
        return problem;
    if (o.out.isEmpty())
        return QStringLiteral("--out FILE is required");
    if (!isInvoiceFile(o.out))
        return QStringLiteral("--out needs a file ending in .pdf, .odt, .docx or .rtf, not \"%1\"").arg(o.out);
    if (!o.date.isEmpty() && !QDate::fromString(o.date, Qt::ISODate).isValid())
        return QStringLiteral("--date needs a date written YYYY-MM-DD, not \"%1\"").arg(o.date);
    if (o.templateName.isEmpty() || o.templateName.contains(u'/') || o.templateName.contains(u'\\'))
        return QStringLiteral("--template needs the name of a template in the data folder, such as English");
    return {};
}

int invoice(const Options &o, Streams &io)
{
    const QLocale locale;
    std::optional<PricedJob> job = priceJob(o.job, io, locale);
    if (!job)
        return ExitFailure;
    TDM &dm = *job->dm;
    const QString templateFile = job->dataDir + o.templateName + QStringLiteral(".rtf");
    if (!QFileInfo(templateFile).isFile())
        throw Error(QStringLiteral("there is no invoice template %1").arg(QDir::toNativeSeparators(templateFile)));

    InvoiceInput input;
    input.personal = invoiceParty(*dm.Personal);
    input.bankData = invoiceBankData(*dm.Personal);
    input.client = invoiceParty(*dm.Clients);
    input.invoiceNo = o.invoiceNo;
    const QDate date = o.date.isEmpty() ? QDate::currentDate() : QDate::fromString(o.date, Qt::ISODate);
    // As the invoice window shows it: the system's short date format, which follows LC_TIME.
    input.invoiceDate = QLocale::system().toString(date, QLocale::ShortFormat);
    input.paymentDueCaption = QStringLiteral("Payment Due : ");
    input.paymentDue = o.paymentDue;
    input.jobDescription = o.jobDescription;
    input.purchaseOrderNo = o.purchaseOrderNo;
    input.projectManager = o.projectManager;
    input.comments = invoiceCommentLines(QString(o.comments).replace(QStringLiteral("\\n"), QStringLiteral("\n")));
    input.unit = job->header.units;
    input.baseRate = job->header.baseRate;
    input.report = job->table;
    input.templateFile = templateFile;
    input.printMode = false;

    const QString out = QFileInfo(o.out).absoluteFilePath();
    const std::unique_ptr<office::OfficeSuite> suite = batchOfficeSuite();
    const std::unique_ptr<office::WordProcessor> writer = suite->wordProcessor();
    input.whenFilled = [&](office::Document document) { writer->saveCopyAs(document, out); };
    const office::Outcome outcome = InvoiceBuilder(*writer).BuildInvoice(input);
    if (outcome.status != office::Outcome::Status::Done)
        throw Error(outcome.message);
    io.err << "quotaly-cli: invoice written to " << QDir::toNativeSeparators(out) << '\n';
    return ExitOk;
}

} // namespace

int runInvoice(const QStringList &args, Streams &io)
{
    return runParsed<Options>(args, io, "invoice", kUsage, parseOptions,
                              [&io](const Options &options) { return invoice(options, io); });
}

} // namespace quotaly::cli

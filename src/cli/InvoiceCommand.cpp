#include "InvoiceCommand.h"

#include "InvoiceBatch.h"
#include "JobPricing.h"
#include "dataset/Error.h"
#include "reports/InvoiceBuilder.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTextStream>

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
    "  --verbose           say on the error output which LibreOffice the run uses\n"
    QUOTALY_RESIDENT_OFFICE_USAGE
    "Your details come from the personal record and the client's from the client list of the data folder.\n"
    "The first run starts a headless LibreOffice that stays for the next runs of this user (profile\n"
    "~/.cache/quotaly/office-resident) and ends by itself after 10 minutes unused (QUOTALY_RESIDENT_OFFICE_IDLE\n"
    "sets the seconds); one that crashed or does not answer is replaced. A run that finds it in use, or with it\n"
    "turned off, starts one of its own, in the profile ~/.cache/quotaly/office-profile or, while another run\n"
    "uses that, in a temporary one.\n"
    "\n"
    "Usage: quotaly-cli invoice --batch JOBS.csv [--data DIR] [--merge] [--template NAME] [--verbose]\n"
    "                           [--no-resident-office]\n"
    "Writes one invoice for every line of JOBS.csv with one LibreOffice start. JOBS.csv is comma-separated, with\n"
    "quotes as spreadsheets write them, UTF-8 or Windows-1252; its first line names the columns, in any order:\n"
    "  log                 the analysis log (or give the counts in words or percent, with total)\n"
    "  words, percent      seven counts separated by commas (quote the cell), as --words and --percent\n"
    "  total               the job's total, as --total\n"
    "  client              the client, exactly as named in the client list (required)\n"
    "  invoice-no, date, payment-due, job, po, manager, comments, template\n"
    "                      the invoice fields, as the options of the same name (an empty cell: none)\n"
    "  out                 the invoice file to write (required)\n"
    "Relative paths in JOBS.csv are read from the folder of JOBS.csv. A line that is wrong is reported with its\n"
    "line number and skipped; the others are written. The summary on the output says how many were written;\n"
    "the exit status is 0 only when every line was written.\n";

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
    QString batch;
    bool verbose = false;
    bool noResidentOffice = false;
};

bool isInvoiceFile(const QString &file)
{
    static const QStringList suffixes{QStringLiteral("pdf"), QStringLiteral("odt"), QStringLiteral("docx"),
                                      QStringLiteral("rtf")};
    return suffixes.contains(QFileInfo(file).suffix().toLower());
}

// With --batch the invoices come from the file; the command line holds only what every line shares.
QString parseBatchOptions(QStringList args, Options &o)
{
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        const bool takesValue = a == u"--batch" || a == u"--data" || a == u"--template";
        if (takesValue && args.isEmpty())
            return QStringLiteral("%1 needs a value").arg(a);
        if (a == u"--batch")
            o.batch = args.takeFirst();
        else if (a == u"--data")
            o.job.data = args.takeFirst();
        else if (a == u"--template")
            o.templateName = args.takeFirst();
        else if (a == u"--merge")
            o.job.merge = true;
        else if (a == u"--verbose")
            o.verbose = true;
        else if (a == u"--no-resident-office")
            o.noResidentOffice = true;
        else
            return QStringLiteral("%1 cannot be used with --batch: each line of the file gives its own invoice").arg(a);
    }
    if (o.batch.isEmpty())
        return QStringLiteral("--batch needs a file");
    if (o.templateName.isEmpty() || o.templateName.contains(u'/') || o.templateName.contains(u'\\'))
        return QStringLiteral("--template needs the name of a template in the data folder, such as English");
    return {};
}

QString parseInvoiceOptions(const QStringList &args, Options &o)
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
        else if (a == u"--verbose")
            o.verbose = true;
        else if (a == u"--no-resident-office")
            o.noResidentOffice = true;
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

// The invoice's fields for a priced job; throws Error when the template is missing.
InvoiceInput invoiceInput(const Options &o, const PricedJob &job)
{
    const TDM &dm = *job.dm;
    const QString templateFile = job.dataDir + o.templateName + QStringLiteral(".rtf");
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
    input.unit = job.header.units;
    input.baseRate = job.header.baseRate;
    input.report = job.table;
    input.templateFile = templateFile;
    input.printMode = false;
    return input;
}

std::unique_ptr<office::OfficeSuite> officeFor(const Options &o, Streams &io)
{
    QString note;
    std::unique_ptr<office::OfficeSuite> suite = batchOfficeSuite(&note, !o.noResidentOffice);
    if (o.verbose)
        io.err << "quotaly-cli: " << note << '\n';
    return suite;
}

QString parseOptions(const QStringList &args, Options &o)
{
    return args.contains(QStringLiteral("--batch")) ? parseBatchOptions(args, o) : parseInvoiceOptions(args, o);
}

int invoice(const Options &o, Streams &io)
{
    const QLocale locale;
    std::optional<PricedJob> job = priceJob(o.job, io, locale);
    if (!job)
        return ExitFailure;
    InvoiceInput input = invoiceInput(o, *job);

    const QString out = QFileInfo(o.out).absoluteFilePath();
    const std::unique_ptr<office::OfficeSuite> suite = officeFor(o, io);
    const std::unique_ptr<office::WordProcessor> writer = suite->wordProcessor();
    input.whenFilled = [&](office::Document document) { writer->saveCopyAs(document, out); };
    const office::Outcome outcome = InvoiceBuilder(*writer).BuildInvoice(input);
    if (outcome.status != office::Outcome::Status::Done)
        throw Error(outcome.message);
    io.err << "quotaly-cli: invoice written to " << QDir::toNativeSeparators(out) << '\n';
    return ExitOk;
}

// --- Batch -------------------------------------------------------------------------------------------------------

struct BatchInvoice
{
    int lineNumber = 0;
    QString out;
    InvoiceInput input;
};

// Reads a line's arguments as a single invoice's command line and prices its job into `invoice`. Returns what is
// wrong with the line, empty when it can be written. Notes of the log reader go to io.err under the line's number.
QString prepareLine(const Options &o, const InvoiceBatchLine &line, BatchInvoice &invoice, Streams &io,
                    LoadedDataFolders &folders)
{
    if (!line.problem.isEmpty())
        return line.problem;
    QStringList arguments = line.arguments;
    if (!o.job.data.isEmpty())
        arguments << QStringLiteral("--data") << o.job.data;
    if (o.job.merge)
        arguments << QStringLiteral("--merge");
    if (!arguments.contains(QStringLiteral("--template")))
        arguments << QStringLiteral("--template") << o.templateName;
    Options lineOptions;
    if (const QString problem = parseInvoiceOptions(arguments, lineOptions); !problem.isEmpty())
        return problem;

    QString said;
    QTextStream sink(&said);
    Streams lineIo{io.out, sink};
    try {
        std::optional<PricedJob> job = priceJob(lineOptions.job, lineIo, QLocale(), &folders);
        sink.flush();
        said = said.trimmed().remove(QStringLiteral("quotaly-cli: "));
        if (!job)
            return said;
        if (!said.isEmpty())
            io.err << "quotaly-cli: " << QDir::toNativeSeparators(o.batch) << " line " << line.lineNumber << ": "
                   << said << '\n';
        invoice.input = invoiceInput(lineOptions, *job);
        invoice.out = QFileInfo(lineOptions.out).absoluteFilePath();
    } catch (const Error &e) {
        return e.text();
    }
    return {};
}

// Reads, prices and checks every line before the office starts; the lines that cannot be written are reported
// on io.err, counted in `skipped` and left out.
QList<BatchInvoice> preparedInvoices(const Options &o, const QList<InvoiceBatchLine> &lines, Streams &io, int &skipped)
{
    QList<BatchInvoice> invoices;
    QHash<QString, int> outputs; // file -> the line that writes it
    LoadedDataFolders folders;   // each data folder is read once, however many lines use it
    for (const InvoiceBatchLine &line : lines) {
        BatchInvoice invoice{line.lineNumber, {}, {}};
        QString problem = prepareLine(o, line, invoice, io, folders);
        if (problem.isEmpty() && outputs.contains(invoice.out)) {
            problem = QStringLiteral("line %1 writes %2 already")
                          .arg(outputs.value(invoice.out))
                          .arg(QDir::toNativeSeparators(invoice.out));
        }
        if (!problem.isEmpty()) {
            io.err << "quotaly-cli: " << QDir::toNativeSeparators(o.batch) << " line " << line.lineNumber << ": "
                   << problem.simplified() << "; skipped\n";
            ++skipped;
            continue;
        }
        outputs.insert(invoice.out, line.lineNumber);
        invoices << invoice;
    }
    return invoices;
}

int invoiceBatch(const Options &o, Streams &io)
{
    const QList<InvoiceBatchLine> lines = readInvoiceBatch(o.batch);
    int failed = 0;
    QList<BatchInvoice> invoices = preparedInvoices(o, lines, io, failed);
    int written = 0;
    if (!invoices.isEmpty()) {
        const QString file = QDir::toNativeSeparators(o.batch);
        const std::unique_ptr<office::OfficeSuite> suite = officeFor(o, io);
        const std::unique_ptr<office::WordProcessor> writer = suite->wordProcessor();
        for (BatchInvoice &invoice : invoices) {
            // One office for every invoice: each filled document is closed once saved.
            invoice.input.whenFilled = [&](office::Document document) {
                const auto close = [&] {
                    try {
                        writer->closeWithoutSaving(document);
                    } catch (const std::exception &) {
                    }
                };
                try {
                    writer->saveCopyAs(document, invoice.out);
                } catch (...) {
                    close();
                    throw;
                }
                close();
            };
            const office::Outcome outcome = InvoiceBuilder(*writer).BuildInvoice(invoice.input);
            if (outcome.status == office::Outcome::Status::Done) {
                ++written;
                io.err << "quotaly-cli: invoice written to " << QDir::toNativeSeparators(invoice.out) << '\n';
            } else {
                ++failed;
                io.err << "quotaly-cli: " << file << " line " << invoice.lineNumber << ": "
                       << outcome.message.simplified() << '\n';
            }
        }
    }
    io.out << written << " of " << lines.size() << (lines.size() == 1 ? " invoice" : " invoices") << " written";
    if (failed > 0)
        io.out << "; " << failed << (failed == 1 ? " line was" : " lines were") << " not (see the messages above)";
    io.out << ".\n";
    return failed == 0 && written > 0 ? ExitOk : ExitFailure;
}

} // namespace

int runInvoice(const QStringList &args, Streams &io)
{
    return runParsed<Options>(args, io, "invoice", kUsage, parseOptions, [&io](const Options &options) {
        return options.batch.isEmpty() ? invoice(options, io) : invoiceBatch(options, io);
    });
}

} // namespace quotaly::cli

#include "QuoteCommand.h"

#include "JobPricing.h"
#include "dataset/Error.h"
#include "reports/ReportRichText.h"
#include "reports/TdsExcelExport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace quotaly::cli {

namespace {

const char kUsage[] =
    "Usage: quotaly-cli quote LOG --client NAME [options]\n"
    "       quotaly-cli quote --words W2,W3,W4,W5,W6,W7,W8 --total T --client NAME [options]\n"
    "       quotaly-cli quote --percent P2,P3,P4,P5,P6,P7,P8 --total T --client NAME [options]\n"
    "Prices a job for a client exactly as Quotaly's Calculate does and prints the report.\n"
    QUOTALY_JOB_OPTIONS_USAGE
    "  --save              store the counts and the report in the data folder, as the program does\n"
    "  --format FORMAT     plain (default), csv, rtf or html: the report exactly as Quotaly's Copy puts that\n"
    "                      flavour on the clipboard after Select all (plain and csv start with the header lines)\n"
    "  --csv               the same as --format csv\n"
    "  --json              print the report as JSON\n"
    "  --export FILE       write the report into a new workbook FILE (.xlsx or .ods) through a headless\n"
    "                      LibreOffice and save it\n"
    "  --existing          with --export: put the report below the contents of the existing workbook FILE\n"
    QUOTALY_RESIDENT_OFFICE_USAGE
    "Numbers on the command line use a point as decimal separator; the report shows the locale's.\n";

struct Options
{
    JobOptions job;
    bool save = false;
    bool json = false;
    QString format = QStringLiteral("plain");
    QString exportFile;
    bool existing = false;
    bool noResidentOffice = false;
};

bool isSpreadsheetFile(const QString &file)
{
    const QString suffix = QFileInfo(file).suffix().toLower();
    return suffix == u"xlsx" || suffix == u"ods";
}

// Parses the arguments; returns an error text, empty when they are fine.
QString parseOptions(const QStringList &args, Options &o)
{
    const QString problem = readJobCommandLine(args, o.job, [&o](const QString &a, const OptionValue &value) {
        if (a == u"--save")
            o.save = true;
        else if (a == u"--json")
            o.json = true;
        else if (a == u"--csv")
            o.format = QStringLiteral("csv");
        else if (a == u"--format")
            value(o.format);
        else if (a == u"--export")
            value(o.exportFile);
        else if (a == u"--existing")
            o.existing = true;
        else if (a == u"--no-resident-office")
            o.noResidentOffice = true;
        else
            return false;
        return true;
    });
    if (!problem.isEmpty())
        return problem;
    if (!QStringList{"plain", "csv", "rtf", "html"}.contains(o.format))
        return QStringLiteral("unknown format \"%1\" (plain, csv, rtf or html)").arg(o.format);
    if (o.existing && o.exportFile.isEmpty())
        return QStringLiteral("--existing needs --export FILE");
    if (!o.exportFile.isEmpty() && !isSpreadsheetFile(o.exportFile))
        return QStringLiteral("--export needs a file ending in .xlsx or .ods, not \"%1\"").arg(o.exportFile);
    return {};
}

QJsonObject jsonReport(const JobOptions &o, const PricedJob &job)
{
    const MatchInputs &in = job.inputs;
    const MatchResult &r = job.result;
    const ReportHeader &h = job.header;
    QJsonArray rows;
    double units = 0;
    double amount = 0;
    for (const MatchRow &row : r.rows) {
        rows.append(QJsonObject{{QStringLiteral("matchTypes"), row.matchTypes},
                                {QStringLiteral("matchValue"), row.matchValue},
                                {QStringLiteral("discount"), row.discount},
                                {QStringLiteral("units"), row.units},
                                {QStringLiteral("rate"), row.rate},
                                {QStringLiteral("currency"), row.currency},
                                {QStringLiteral("amount"), row.amount}});
        units += row.units;
        amount += row.amount;
    }
    QJsonArray files;
    for (const AnalysisFile &file : job.files) {
        files.append(QJsonObject{{QStringLiteral("name"), file.name},
                                 {QStringLiteral("words"), file.rows[kTotalRow].words},
                                 {QStringLiteral("characters"), file.rows[kTotalRow].characters}});
    }
    return QJsonObject{{QStringLiteral("client"), o.client},
                       {QStringLiteral("format"), job.reportFormat},
                       {QStringLiteral("loaded"), job.characters ? QStringLiteral("characters") : QStringLiteral("words")},
                       {QStringLiteral("files"), files},
                       {QStringLiteral("mode"), in.wordsMode ? QStringLiteral("words") : QStringLiteral("percent")},
                       {QStringLiteral("total"), h.statTotal},
                       {QStringLiteral("units"), h.units},
                       {QStringLiteral("baseRate"), h.baseRate},
                       {QStringLiteral("currency"), h.currency},
                       {QStringLiteral("rows"), rows},
                       {QStringLiteral("totalUnits"), units},
                       {QStringLiteral("totalAmount"), amount},
                       {QStringLiteral("unpricedWords"), job.unpricedWords}};
}

// Writes the report into a new workbook, or below the contents of an existing one, and saves the workbook.
int exportReport(const Options &o, const PricedJob &job, Streams &io, const QLocale &locale)
{
    const QString file = QFileInfo(o.exportFile).absoluteFilePath();
    if (o.existing && !QFileInfo(file).isFile())
        throw Error(QStringLiteral("there is no workbook %1 to add the report to").arg(QDir::toNativeSeparators(file)));
    if (!o.existing && QFileInfo::exists(file))
        throw Error(QStringLiteral("%1 exists already; add --existing to put the report below its contents, or "
                                   "choose another name")
                        .arg(QDir::toNativeSeparators(file)));

    const std::unique_ptr<office::OfficeSuite> suite = batchOfficeSuite(nullptr, !o.noResidentOffice);
    const std::unique_ptr<office::Spreadsheet> calc = suite->spreadsheet();
    TdsExcelExport exporter(*calc, locale);
    exporter.whenWritten = [&](office::Workbook book) { calc->saveCopyAs(book, file); };
    const QString colon = QStringLiteral(" : ");
    const office::Outcome outcome = exporter.ExportGrid(
        reportGridContent(job), o.existing ? file : QString(), job.header.statTotal,
        job.header.statTotalCaption + colon, job.header.units, job.header.unitsCaption + colon, job.header.baseRate,
        job.header.baseRateCaption + colon, !o.existing);
    if (outcome.status != office::Outcome::Status::Done)
        throw Error(outcome.message);
    io.err << "quotaly-cli: report written to " << QDir::toNativeSeparators(file) << '\n';
    return ExitOk;
}

// Prints or exports the priced job.
int writeQuote(const Options &o, PricedJob &job, Streams &io, const QLocale &locale)
{
    if (!o.exportFile.isEmpty())
        return exportReport(o, job, io, locale);
    if (o.json) {
        io.out << QJsonDocument(jsonReport(o.job, job)).toJson(QJsonDocument::Indented);
        return ExitOk;
    }
    const QString block = reportHeaderBlock(job.header);
    if (o.format == u"csv")
        io.out << reportCsvText(job.table, block);
    else if (o.format == u"rtf")
        io.out << reportRtfTable(job.table);
    else if (o.format == u"html")
        io.out << reportHtmlTable(job.table);
    else
        io.out << reportPlainText(job.table, block);
    return ExitOk;
}

int quote(const Options &o, Streams &io)
{
    const QLocale locale;
    std::optional<PricedJob> job = priceJob(o.job, io, locale);
    if (!job)
        return ExitFailure;
    if (o.save)
        fillReportDataset(*job->dm->tmpMatches, job->result);
    const int status = writeQuote(o, *job, io, locale);
    if (!o.save)
        return status;
    // Saved here rather than when the data module goes, so that a file that cannot be written fails the run.
    QStringList failures;
    job->dm->report = [&failures](const QString &text) { failures << text; };
    job->dm->SaveDataSets();
    job->dm->report = nullptr;
    for (const QString &failure : std::as_const(failures))
        io.err << "quotaly-cli: " << failure << '\n';
    return failures.isEmpty() ? status : ExitFailure;
}

} // namespace

int runQuote(const QStringList &args, Streams &io)
{
    return runParsed<Options>(args, io, "quote", kUsage, parseOptions,
                              [&io](const Options &options) { return quote(options, io); });
}

} // namespace quotaly::cli

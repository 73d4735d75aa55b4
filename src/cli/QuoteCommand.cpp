#include "QuoteCommand.h"

#include "app/AppPaths.h"
#include "app/LogImport.h"
#include "app/MatchCalculation.h"
#include "app/TDM.h"
#include "dataset/DisplayFormat.h"
#include "dataset/Error.h"
#include "reports/ReportRichText.h"
#include "reports/ReportText.h"

#include <cmath>
#include <limits>

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
    "  LOG                 an analysis log (.log, .txt or .csv); its counts and total are used\n"
    "  --words LIST        seven word counts: repetitions, 100%, 95-99%, 85-94%, 75-84%, 50-74%, no match\n"
    "                      (prices the job in words mode)\n"
    "  --percent LIST      seven percentages of the total, same order (prices the job in percent mode)\n"
    "  --total T           the job's total (required with --words and --percent; overrides a log's total)\n"
    "  --client NAME       the client, exactly as named in the client list\n"
    "  --data DIR          the data folder (default: the one Quotaly itself uses)\n"
    "  --merge             merge neighbouring categories that have the same discount\n"
    "  --save              store the counts and the report in the data folder, as the program does\n"
    "  --format FORMAT     plain (default), csv, rtf or html: the report exactly as Quotaly's Copy puts that\n"
    "                      flavour on the clipboard after Select all (plain and csv start with the header lines)\n"
    "  --csv               the same as --format csv\n"
    "  --json              print the report as JSON\n"
    "Numbers on the command line use a point as decimal separator; the report shows the locale's.\n";

struct Options
{
    QString log;
    QString words;
    QString percent;
    QString total;
    bool hasTotal = false;
    QString client;
    QString data;
    bool merge = false;
    bool save = false;
    bool json = false;
    QString format = QStringLiteral("plain");
};

// Parses the arguments; returns an error text, empty when they are fine.
QString parseOptions(QStringList args, Options &o)
{
    const auto value = [&args](const QString &option, QString &target) -> QString {
        if (args.isEmpty())
            return QStringLiteral("%1 needs a value").arg(option);
        target = args.takeFirst();
        return {};
    };
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        QString error;
        if (a == u"--words")
            error = value(a, o.words);
        else if (a == u"--percent")
            error = value(a, o.percent);
        else if (a == u"--total") {
            error = value(a, o.total);
            o.hasTotal = true;
        } else if (a == u"--client")
            error = value(a, o.client);
        else if (a == u"--data")
            error = value(a, o.data);
        else if (a == u"--merge")
            o.merge = true;
        else if (a == u"--save")
            o.save = true;
        else if (a == u"--json")
            o.json = true;
        else if (a == u"--csv")
            o.format = QStringLiteral("csv");
        else if (a == u"--format")
            error = value(a, o.format);
        else if (a.startsWith(u'-'))
            error = QStringLiteral("unknown option %1").arg(a);
        else if (o.log.isEmpty())
            o.log = a;
        else
            error = QStringLiteral("more than one log file given");
        if (!error.isEmpty())
            return error;
    }
    const int sources = int(!o.log.isEmpty()) + int(!o.words.isEmpty()) + int(!o.percent.isEmpty());
    if (sources != 1)
        return QStringLiteral("give exactly one of LOG, --words or --percent");
    if (o.client.isEmpty())
        return QStringLiteral("--client is required");
    if (o.log.isEmpty() && !o.hasTotal)
        return QStringLiteral("--total is required with --words and --percent");
    if (!QStringList{"plain", "csv", "rtf", "html"}.contains(o.format))
        return QStringLiteral("unknown format \"%1\" (plain, csv, rtf or html)").arg(o.format);
    return {};
}

// Seven numbers separated by commas, with a point as decimal separator.
std::array<double, kSlotCount> parseCounts(const QString &list, const QString &option, bool wholeNumbers)
{
    const QStringList parts = list.split(u',');
    if (parts.size() != kSlotCount)
        throw Error(QStringLiteral("%1 needs seven numbers separated by commas, got %2").arg(option).arg(parts.size()));
    std::array<double, kSlotCount> values{};
    for (int i = 0; i < kSlotCount; ++i) {
        bool ok = false;
        const double v = parts[i].trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(v) || v < 0)
            throw Error(QStringLiteral("%1: \"%2\" is not a count").arg(option, parts[i]));
        if (wholeNumbers && (v != std::trunc(v) || v > std::numeric_limits<qint32>::max()))
            throw Error(QStringLiteral("%1: \"%2\" is not a whole number of words Quotaly can store").arg(option, parts[i]));
        values[i] = v;
    }
    return values;
}

// Puts the counts of the command line into the client's match row, as typing them in the main window would.
void applyCounts(Dataset &matches, const Options &o)
{
    const bool words = !o.words.isEmpty();
    const auto values = parseCounts(words ? o.words : o.percent, words ? QStringLiteral("--words") : QStringLiteral("--percent"), words);
    matches.edit();
    matches.setValue(QStringLiteral("bMatchTypeWords"), words);
    matches.setValue(QStringLiteral("bMatchTypePercent"), !words);
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        const QString field = (words ? QStringLiteral("iWord%1") : QStringLiteral("iPercent%1")).arg(slot);
        if (words)
            matches.setValue(field, qint64(values[slot - kFirstSlot]));
        else
            matches.setValue(field, values[slot - kFirstSlot]);
    }
    matches.post();
}

QJsonObject jsonReport(const Options &o, const MatchInputs &in, const MatchResult &r, const ReportHeader &h)
{
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
    return QJsonObject{{QStringLiteral("client"), o.client},
                       {QStringLiteral("mode"), in.wordsMode ? QStringLiteral("words") : QStringLiteral("percent")},
                       {QStringLiteral("total"), h.statTotal},
                       {QStringLiteral("units"), h.units},
                       {QStringLiteral("baseRate"), h.baseRate},
                       {QStringLiteral("currency"), h.currency},
                       {QStringLiteral("rows"), rows},
                       {QStringLiteral("totalUnits"), units},
                       {QStringLiteral("totalAmount"), amount}};
}

int quote(const Options &o, Streams &io)
{
    const QString dataDir = o.data.isEmpty() ? AppPaths::current().dataDir : QDir(o.data).absolutePath() + u'/';
    TDM dm(dataDir);
    dm.saveOnExit = false;
    QStringList loadFailures;
    dm.report = [&loadFailures](const QString &text) { loadFailures << text; };
    dm.LoadDataSets();
    for (Dataset *needed : {dm.Clients, dm.MatchesByClient, dm.OptionsByClient}) {
        if (!needed->isActive())
            throw Error(loadFailures.isEmpty() ? QStringLiteral("cannot read %1").arg(needed->fileName())
                                               : loadFailures.join(u' '));
    }
    if (!dm.Clients->locate(QStringLiteral("FULLNAME"), o.client))
        throw Error(QStringLiteral("no client named \"%1\" in %2").arg(o.client, QDir::toNativeSeparators(dataDir)));

    QString totalText = o.total;
    if (!o.log.isEmpty()) {
        const auto sink = [&io](const QString &text) { io.err << "quotaly-cli: " << text << '\n'; };
        const LogImportResult imported = importAnalysisLog(o.log, *dm.MatchesByClient, sink);
        if (!imported.stored)
            return ExitFailure;
        if (!o.hasTotal)
            totalText = imported.totalText;
    } else {
        applyCounts(*dm.MatchesByClient, o);
    }

    const QLocale locale;
    MatchInputs in = matchInputsFromRow(*dm.MatchesByClient);
    in.totalText = totalText;
    in.baseRateText = dm.OptionsByClient->isNull(QStringLiteral("BaseRate"))
                          ? QString()
                          : formatFloatGeneral(dm.OptionsByClient->asFloat(QStringLiteral("BaseRate")), locale);
    in.currency = dm.OptionsByClient->asString(QStringLiteral("Currency"));
    in.merge = o.merge;
    const std::optional<MatchResult> result = calculateMatches(in, locale);
    if (!result)
        throw Error(QStringLiteral("Please, enter total value"));

    ReportHeader header{totalText, dm.OptionsByClient->asString(QStringLiteral("Units")), in.baseRateText, in.currency};
    if (o.save) {
        fillReportDataset(*dm.tmpMatches, *result);
        dm.saveOnExit = true;
    }
    if (o.json) {
        io.out << QJsonDocument(jsonReport(o, in, *result, header)).toJson(QJsonDocument::Indented);
        return ExitOk;
    }
    const ReportTable table = matchReportTable(*result, in.wordsMode, header.units, locale);
    const QString block = reportHeaderBlock(header);
    if (o.format == u"csv")
        io.out << reportCsvText(table, block);
    else if (o.format == u"rtf")
        io.out << reportRtfTable(table);
    else if (o.format == u"html")
        io.out << reportHtmlTable(table);
    else
        io.out << reportPlainText(table, block);
    return ExitOk;
}

} // namespace

int runQuote(const QStringList &args, Streams &io)
{
    return runParsed<Options>(args, io, "quote", kUsage, parseOptions,
                              [&io](const Options &options) { return quote(options, io); });
}

} // namespace quotaly::cli

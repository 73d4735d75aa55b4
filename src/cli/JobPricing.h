#pragma once

#include "Command.h"
#include "app/MatchCalculation.h"
#include "app/TDM.h"
#include "reports/ReportGridContent.h"
#include "office/OfficeSuite.h"
#include "reports/ReportText.h"

#include <memory>
#include <optional>

#include <QLocale>

namespace quotaly::cli {

/// The options that say which job is priced for which client; shared by the commands that price a job.
struct JobOptions
{
    QString log;
    QString words;
    QString percent;
    QString total;
    bool hasTotal = false;
    QString client;
    QString data;
    bool merge = false;
};

/// The usage lines of the job options, to splice into a command's help text.
#define QUOTALY_JOB_OPTIONS_USAGE \
    "  LOG                 an analysis log (.log, .txt or .csv); its counts and total are used\n" \
    "  --words LIST        seven word counts: repetitions, 100%, 95-99%, 85-94%, 75-84%, 50-74%, no match\n" \
    "                      (prices the job in words mode)\n" \
    "  --percent LIST      seven percentages of the total, same order (prices the job in percent mode)\n" \
    "  --total T           the job's total (required with --words and --percent; overrides a log's total)\n" \
    "  --client NAME       the client, exactly as named in the client list\n" \
    "  --data DIR          the data folder (default: the one Quotaly itself uses)\n" \
    "  --merge             merge neighbouring categories that have the same discount\n"

/// Takes a job option (a, with its value from the front of args) into o. True when a was one; error then says
/// what was wrong with its value, if anything.
bool takeJobOption(const QString &a, QStringList &args, JobOptions &o, QString &error);

/// What is wrong with a complete set of job options, or an empty text.
QString checkJobOptions(const JobOptions &o);

/// A job priced for a client, with the data module it was priced from (its current client is the job's client).
struct PricedJob
{
    QString dataDir; ///< with a trailing separator
    std::unique_ptr<TDM> dm;
    MatchInputs inputs;
    MatchResult result;
    ReportHeader header;
    ReportTable table; ///< the report as the report window shows it
};

/// Loads the data folder, finds the client, reads the counts (from the log or the command line) and prices the
/// job exactly as the main window's Calculate does. nullopt when a log could not be read (its reader has said
/// why on io.err). Throws Error for every other failure. Nothing is saved.
std::optional<PricedJob> priceJob(const JobOptions &o, Streams &io, const QLocale &locale);

/// A headless office of the command's own, ended when the suite is destroyed.
std::unique_ptr<office::OfficeSuite> batchOfficeSuite();

/// The report as the exporters read the report grid: its visible columns, the records' field values (numbers
/// as numbers), the footer as displayed, everything selected.
ReportGridContent reportGridContent(const PricedJob &job);

} // namespace quotaly::cli

#pragma once

#include "Command.h"
#include "app/MatchCalculation.h"
#include "app/TDM.h"
#include "reports/ReportGridContent.h"
#include "office/OfficeSuite.h"
#include "reports/ReportText.h"
#include "trados/AnalysisReport.h"

#include <functional>
#include <map>
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
    "  LOG                 an analysis report (a Trados log, Trados Studio XML, memoQ, Phrase, Wordfast Pro\n" \
    "                      or OmegaT; see \"analyse\"); its counts and total are used (characters when the\n" \
    "                      client prices characters and the report has them, or when it has no words)\n" \
    "  --words LIST        seven word counts: repetitions, 100%, 95-99%, 85-94%, 75-84%, 50-74%, no match\n" \
    "                      (prices the job in words mode)\n" \
    "  --percent LIST      seven percentages of the total, same order (prices the job in percent mode)\n" \
    "  --total T           the job's total (required with --words and --percent; overrides a log's total)\n" \
    "  --client NAME       the client, exactly as named in the client list\n" \
    "  --data DIR          the data folder (default: the one Quotaly itself uses)\n" \
    "  --merge             merge neighbouring categories that have the same discount\n"

/// Reads the option's argument into its target; a missing argument is reported by the command-line reader.
using OptionValue = std::function<void(QString &target)>;

/// Reads a command line of job options and the command's own options: `own` takes an option of the command's
/// (reading its argument through the OptionValue) and returns false for one it does not know. Returns what is
/// wrong with the command line, including with the job options as a whole; empty when it is fine.
QString readJobCommandLine(QStringList args, JobOptions &job,
                           const std::function<bool(const QString &option, const OptionValue &value)> &own);

/// A job priced for a client, with the data module it was priced from (its current client is the job's client).
struct PricedJob
{
    QString dataDir; ///< with a trailing separator
    std::shared_ptr<TDM> dm;
    MatchInputs inputs;
    MatchResult result;
    ReportHeader header;
    ReportTable table; ///< the report as the report window shows it
    double unpricedWords = 0; ///< the log's context-match words, which no category prices
    QString reportFormat;     ///< the detected format of the analysis report; empty for counts typed in
    bool characters = false;  ///< characters were loaded from the report instead of words
    QList<AnalysisFile> files; ///< the report's per-file breakdown
};

/// Data folders read once for many jobs (a batch of invoices): each folder's data module, by folder.
using LoadedDataFolders = std::map<QString, std::shared_ptr<TDM>>;

/// Loads the data folder, finds the client, reads the counts (from the log or the command line) and prices the
/// job exactly as the main window's Calculate does. nullopt when a log could not be read (its reader has said
/// why on io.err). Throws Error for every other failure. Nothing is saved.
/// With `loaded`, a folder read for an earlier job is used again, and the counts this job puts into the client's
/// row are taken back once it is priced, so that each job is priced as if its folder were read for it alone.
std::optional<PricedJob> priceJob(const JobOptions &o, Streams &io, const QLocale &locale,
                                  LoadedDataFolders *loaded = nullptr);

/// The headless office for a command. Unless `resident` is false or QUOTALY_NO_RESIDENT_OFFICE is set, the
/// resident office that the user's command-line runs share: connected if it is there, started otherwise, and left
/// running for the next run without this run's documents. When it cannot be used (another run uses it, or it
/// does not answer or start), an office of the command's own, ended when the suite is destroyed, in the profile
/// kept under the user's cache folder, or in a temporary one while another running program uses that. note, when
/// given, receives a line that says which. The word processors and spreadsheets must go before the suite.
std::unique_ptr<office::OfficeSuite> batchOfficeSuite(QString *note = nullptr, bool resident = true);

/// The help text of --no-resident-office.
#define QUOTALY_RESIDENT_OFFICE_USAGE                                                                            \
    "  --no-resident-office  start a LibreOffice of this run's own and end it afterwards, instead of using (and\n" \
    "                      leaving running) the one that command-line runs share; the same as setting\n"          \
    "                      QUOTALY_NO_RESIDENT_OFFICE=1\n"

/// The report as the exporters read the report grid: its visible columns, the records' field values (numbers
/// as numbers), the footer as displayed, everything selected.
ReportGridContent reportGridContent(const PricedJob &job);

} // namespace quotaly::cli

#include "JobPricing.h"

#include "app/AppPaths.h"
#include "app/LogImport.h"
#include "dataset/DisplayFormat.h"
#include "dataset/Error.h"
#include "office/KeptOfficeProfile.h"
#include "office/ResidentOffice.h"

#include <cmath>
#include <csignal>
#include <limits>

#include <QDir>

namespace quotaly::cli {


namespace {

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
void applyCounts(Dataset &matches, const JobOptions &o)
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

} // namespace

namespace {

// Takes a job option into o; false when a is none. error says what was wrong with its argument.
bool takeJobOption(const QString &a, QStringList &args, JobOptions &o, QString &error)
{
    const auto value = [&](QString &target) {
        if (args.isEmpty())
            error = QStringLiteral("%1 needs a value").arg(a);
        else
            target = args.takeFirst();
    };
    if (a == u"--words")
        value(o.words);
    else if (a == u"--percent")
        value(o.percent);
    else if (a == u"--total") {
        value(o.total);
        o.hasTotal = true;
    } else if (a == u"--client")
        value(o.client);
    else if (a == u"--data")
        value(o.data);
    else if (a == u"--merge")
        o.merge = true;
    else if (a.startsWith(u'-'))
        return false;
    else if (o.log.isEmpty())
        o.log = a;
    else
        error = QStringLiteral("more than one log file given");
    return true;
}

} // namespace

QString readJobCommandLine(QStringList args, JobOptions &job,
                           const std::function<bool(const QString &option, const OptionValue &value)> &own)
{
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        QString error;
        const OptionValue value = [&](QString &target) {
            if (args.isEmpty())
                error = QStringLiteral("%1 needs a value").arg(a);
            else
                target = args.takeFirst();
        };
        if (!takeJobOption(a, args, job, error) && !own(a, value))
            error = QStringLiteral("unknown option %1").arg(a);
        if (!error.isEmpty())
            return error;
    }
    const int sources = int(!job.log.isEmpty()) + int(!job.words.isEmpty()) + int(!job.percent.isEmpty());
    if (sources != 1)
        return QStringLiteral("give exactly one of LOG, --words or --percent");
    if (job.client.isEmpty())
        return QStringLiteral("--client is required");
    if (job.log.isEmpty() && !job.hasTotal)
        return QStringLiteral("--total is required with --words and --percent");
    return {};
}

namespace {

// The data module of a folder, with the datasets a job needs; nothing it changes is ever saved.
std::shared_ptr<TDM> loadDataFolder(const QString &dataDir)
{
    auto dm = std::make_shared<TDM>(dataDir);
    dm->saveOnExit = false;
    QStringList loadFailures;
    dm->report = [&loadFailures](const QString &text) { loadFailures << text; };
    dm->LoadDataSets();
    dm->report = nullptr;
    for (Dataset *needed : {dm->Clients, dm->MatchesByClient, dm->OptionsByClient}) {
        if (!needed->isActive())
            throw Error(loadFailures.isEmpty() ? QStringLiteral("cannot read %1").arg(needed->fileName())
                                               : loadFailures.join(u' '));
    }
    return dm;
}

// Puts the client's row of counts back as it was when this was made: the row pricing a job edits (or adds, for a
// client without one).
class CountsRowKept
{
public:
    explicit CountsRowKept(Dataset &matches) : m_matches(matches), m_hadRow(!matches.isEmpty())
    {
        if (m_hadRow) {
            for (int field = 0; field < matches.fieldCount(); ++field)
                m_values << matches.value(field);
        }
    }
    CountsRowKept(const CountsRowKept &) = delete;
    CountsRowKept &operator=(const CountsRowKept &) = delete;

    ~CountsRowKept()
    {
        try {
            m_matches.cancel(); // a row left being edited (a refused post)
            if (!m_hadRow) {
                if (!m_matches.isEmpty())
                    m_matches.deleteRecord();
                return;
            }
            m_matches.edit();
            for (int field = 0; field < m_values.size(); ++field)
                m_matches.setValue(field, m_values.at(field));
            m_matches.post();
        } catch (...) { // nothing may leave a destructor
            try {
                m_matches.cancel();
            } catch (...) {
            }
        }
    }

private:
    Dataset &m_matches;
    const bool m_hadRow;
    RowValues m_values;
};

} // namespace

std::optional<PricedJob> priceJob(const JobOptions &o, Streams &io, const QLocale &locale, LoadedDataFolders *loaded)
{
    PricedJob job;
    const QString dataDir = o.data.isEmpty() ? AppPaths::current().dataDir : QDir(o.data).absolutePath() + u'/';
    job.dataDir = dataDir;
    if (loaded) {
        std::shared_ptr<TDM> &folder = (*loaded)[dataDir];
        if (!folder)
            folder = loadDataFolder(dataDir);
        job.dm = folder;
    } else {
        job.dm = loadDataFolder(dataDir);
    }
    TDM &dm = *job.dm;
    if (!dm.Clients->locate(QStringLiteral("FULLNAME"), o.client))
        throw Error(QStringLiteral("no client named \"%1\" in %2").arg(o.client, QDir::toNativeSeparators(dataDir)));
    std::optional<CountsRowKept> kept;
    if (loaded)
        kept.emplace(*dm.MatchesByClient);

    QString totalText = o.total;
    if (!o.log.isEmpty()) {
        const auto sink = [&io](const QString &text) { io.err << "quotaly-cli: " << text << '\n'; };
        const LogImportResult imported = importAnalysisLog(o.log, *dm.MatchesByClient, sink,
                                                           dm.OptionsByClient->asString(QStringLiteral("Units")));
        if (!imported.stored)
            return std::nullopt;
        job.unpricedWords = imported.unpricedWords;
        job.reportFormat = imported.format;
        job.characters = imported.characters;
        job.files = imported.files;
        io.err << "quotaly-cli: " << loadedReportMessage(imported, o.log) << '\n';
        if (imported.unpricedWords > 0)
            io.err << "quotaly-cli: " << unpricedWordsMessage(imported.unpricedWords, imported.characters) << '\n';
        if (!o.hasTotal)
            totalText = imported.totalText;
    } else {
        applyCounts(*dm.MatchesByClient, o);
    }

    job.inputs = matchInputsFromRow(*dm.MatchesByClient);
    job.inputs.totalText = totalText;
    job.inputs.baseRateText = dm.OptionsByClient->isNull(QStringLiteral("BaseRate"))
                                  ? QString()
                                  : formatFloatGeneral(dm.OptionsByClient->asFloat(QStringLiteral("BaseRate")), locale);
    job.inputs.currency = dm.OptionsByClient->asString(QStringLiteral("Currency"));
    job.inputs.merge = o.merge;
    const std::optional<MatchResult> result = calculateMatches(job.inputs, locale);
    if (!result)
        throw Error(QStringLiteral("Please, enter total value"));
    job.result = *result;
    job.header = ReportHeader{totalText, dm.OptionsByClient->asString(QStringLiteral("Units")),
                              job.inputs.baseRateText, job.inputs.currency};
    job.table = matchReportTable(job.result, job.inputs.wordsMode, job.header.units, locale);
    return job;
}

namespace {

// A headless suite that holds the kept profile's lock until its office has ended: the suite, and with it the
// office, goes first.
class KeptProfileSuite : public office::OfficeSuite
{
public:
    explicit KeptProfileSuite(std::unique_ptr<office::KeptOfficeProfile> profile) : m_profile(std::move(profile))
    {
        office::OfficeOptions options;
        options.headless = true;
        options.profileDir = m_profile->profileDir();
        m_suite = office::createOfficeSuite(options);
    }
    std::unique_ptr<office::WordProcessor> wordProcessor() override { return m_suite->wordProcessor(); }
    std::unique_ptr<office::Spreadsheet> spreadsheet() override { return m_suite->spreadsheet(); }

private:
    std::unique_ptr<office::KeptOfficeProfile> m_profile;
    std::unique_ptr<office::OfficeSuite> m_suite;
};

// The resident office, connected, with this run's claim on it: the suite (which closes this run's documents)
// goes before the claim is let go.
class ResidentSuite : public office::OfficeSuite
{
public:
    ResidentSuite(std::unique_ptr<office::ResidentOffice> claim, std::unique_ptr<office::OfficeSuite> suite)
        : m_claim(std::move(claim)), m_suite(std::move(suite))
    {
    }
    std::unique_ptr<office::WordProcessor> wordProcessor() override { return m_suite->wordProcessor(); }
    std::unique_ptr<office::Spreadsheet> spreadsheet() override { return m_suite->spreadsheet(); }

private:
    std::unique_ptr<office::ResidentOffice> m_claim;
    std::unique_ptr<office::OfficeSuite> m_suite;
};

// A suite connected with these options; null, with the reason in `why`, when it cannot connect.
std::unique_ptr<office::OfficeSuite> connectedSuite(const office::OfficeOptions &options, QString &why)
{
    std::unique_ptr<office::OfficeSuite> suite = office::createOfficeSuite(options);
    try {
        suite->wordProcessor()->connect();
        return suite;
    } catch (const std::exception &e) {
        why = QString::fromLocal8Bit(e.what()).simplified();
        return {};
    }
}

// The resident office for this run: the one that is there, or a new one when there is none or it has crashed or
// hung (it is ended then). Null, with the reason in `note`, when this run cannot use it.
std::unique_ptr<office::OfficeSuite> residentSuite(QString &note)
{
    auto claim = std::make_unique<office::ResidentOffice>();
    if (!claim->available()) {
        note = claim->note();
        return {};
    }
    QString why;
    if (claim->running()) {
        if (auto suite = connectedSuite(claim->officeOptions(true), why)) {
            note = QStringLiteral("LibreOffice: the resident office, already running");
            return std::make_unique<ResidentSuite>(std::move(claim), std::move(suite));
        }
        claim->end();
    }
    if (!claim->takeProfile()) {
        note = claim->note();
        return {};
    }
    if (auto suite = connectedSuite(claim->officeOptions(false), why)) {
        note = QStringLiteral("LibreOffice: the resident office, started now (it ends after %1 s unused)")
                   .arg(office::ResidentOffice::idleSeconds());
        return std::make_unique<ResidentSuite>(std::move(claim), std::move(suite));
    }
    claim->end();
    note = why;
    return {};
}

} // namespace

std::unique_ptr<office::OfficeSuite> batchOfficeSuite(QString *note, bool resident)
{
    // An office that goes away under a connection (one found crashed, or ended) must make the call fail, not end
    // this program with SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    QString residentNote;
    if (resident && !office::ResidentOffice::disabledByEnvironment()) {
        if (auto suite = residentSuite(residentNote)) {
            if (note)
                *note = residentNote;
            return suite;
        }
    }
    auto profile = std::make_unique<office::KeptOfficeProfile>();
    if (note) {
        *note = residentNote.isEmpty()
                    ? profile->note()
                    : QStringLiteral("LibreOffice: not the resident office (%1)\nquotaly-cli: %2").arg(residentNote,
                                                                                                   profile->note());
    }
    return std::make_unique<KeptProfileSuite>(std::move(profile));
}

ReportGridContent reportGridContent(const PricedJob &job)
{
    ReportGridContent grid;
    grid.titles = job.table.titles;
    const bool words = job.inputs.wordsMode;
    for (const MatchRow &row : job.result.rows) {
        QVariantList record{row.matchTypes};
        if (!words)
            record << row.matchValue;
        record << row.discount << row.units << row.rate << row.currency << row.amount;
        grid.records << record;
    }
    grid.footers << job.table.footer;
    grid.allCells = job.table;
    grid.selectedCells = job.table;
    return grid;
}

} // namespace quotaly::cli

#include "LogImport.h"

#include "dataset/Dataset.h"
#include "dataset/Error.h"
#include "trados/AnalysisReader.h"

#include <QFileInfo>

#include <cmath>
#include <limits>

namespace quotaly {

double roundHalfEven(double value)
{
    return std::nearbyint(value); // the default rounding mode sends ties to the even neighbour
}

namespace {

// Rows 1 to 7 of the log are the slots 2 to 8, rounded; a count the integer field cannot hold is refused whole.
std::array<double, 7> slotValues(const AnalysisRows &rows, double AnalysisCounts::*field, bool integerField)
{
    std::array<double, 7> values{};
    for (int i = 0; i < 7; ++i) {
        values[i] = roundHalfEven(rows[i + 1].*field);
        if (integerField && (values[i] > std::numeric_limits<qint32>::max() ||
                             values[i] < std::numeric_limits<qint32>::min()))
            throw Error(QStringLiteral("The log holds a word count of %1, more than Quotaly can store (at most %2).")
                            .arg(QString::number(values[i], 'f', 0))
                            .arg(std::numeric_limits<qint32>::max()));
    }
    return values;
}

} // namespace

LogImportResult importAnalysisLog(const QString &fileName, Dataset &matches, const TTradosReader::MessageSink &sink,
                                  const QString &unit)
{
    // Everything that can go wrong is found out before the row is touched, so a failed import changes nothing.
    if (matches.master() && (!matches.master()->isActive() || matches.master()->isEmpty()))
        throw Error(QStringLiteral("Choose a client first."));
    std::optional<AnalysisReport> report = readAnalysisReport(fileName, sink);
    if (!report)
        return {};
    const bool characters =
        report->hasCharacters && (!report->hasWords || unit.startsWith(QStringLiteral("Characters")));
    if (characters) {
        report->hasPercent = false; // a report's percentages are those of the words
        report->hasWords = false;
        report->finish(true);
    }
    const auto measure = characters ? &AnalysisCounts::characters : &AnalysisCounts::words;
    const auto countValues = slotValues(report->rows, measure, true);
    const auto percentValues = slotValues(report->rows, &AnalysisCounts::percent, false);
    matches.edit();
    for (int slot = 2; slot <= 8; ++slot) {
        matches.setValue(QStringLiteral("iWord%1").arg(slot), qint64(countValues[slot - 2]));
        matches.setValue(QStringLiteral("iPercent%1").arg(slot), percentValues[slot - 2]);
    }
    LogImportResult result{true, QString::number(report->rows[kTotalRow].*measure, 'f', 0),
                           report->rows[kContextRow].*measure, report->format, characters, report->files};
    try {
        matches.post();
    } catch (const Error &) {
        // The row stays in edit state with the counts; the user sees them and can correct the row.
    }
    return result;
}

QString unpricedWordsMessage(double words, bool characters)
{
    if (characters)
        return QStringLiteral("%1 characters of this report are context matches and are not priced in any category.")
            .arg(QString::number(words, 'f', 0));
    return QStringLiteral("%1 words of this log are Context TM matches and are not priced in any category.")
        .arg(QString::number(words, 'f', 0));
}

QString loadedReportMessage(const LogImportResult &result, const QString &fileName)
{
    return (result.characters ? QStringLiteral("Characters loaded from %1 (%2)")
                              : QStringLiteral("Words loaded from %1 (%2)"))
        .arg(QFileInfo(fileName).fileName(), result.format);
}

} // namespace quotaly

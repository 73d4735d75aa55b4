#pragma once

#include "trados/AnalysisReport.h"
#include "trados/TTradosReader.h"

#include <QString>

namespace quotaly {
class Dataset;

/// What reading an analysis log into a client's categories gave.
struct LogImportResult
{
    bool stored = false; ///< false when the file was not found: nothing was stored
    QString totalText;   ///< the job's total words, no decimals, for the total field
    double unpricedWords = 0; ///< words of the log's first category (context matches), which no slot prices
    QString format;           ///< the detected format of the report
    bool characters = false;  ///< characters were loaded instead of words
    QList<AnalysisFile> files; ///< the report's per-file breakdown, where it has one
};

/// Rounds to the nearest whole number, ties to the even one (12.5 -> 12, 13.5 -> 14).
double roundHalfEven(double value);

/// Reads an analysis report of any known format and stores its words and percentages (rounded to whole numbers)
/// into the current row of the match-settings dataset (started when the client has none). Characters are stored
/// instead of words when the report counts characters only, or when the client's `unit` is a character unit and
/// the report has characters; the percentages are then those of the characters. Reader messages go to the sink.
/// Throws Error, changing nothing, when no client is chosen, the report cannot be read, is of no known layout,
/// or holds counts the row cannot take. A failure to post the row is ignored, leaving it in edit state.
LogImportResult importAnalysisLog(const QString &fileName, Dataset &matches, const TTradosReader::MessageSink &sink,
                                  const QString &unit = QString());

/// What the user is told about a log's context-match words (or characters), which no category prices.
QString unpricedWordsMessage(double words, bool characters = false);

/// The status bar's note of what was loaded from which report.
QString loadedReportMessage(const LogImportResult &result, const QString &fileName);

} // namespace quotaly

#pragma once

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
};

/// Rounds to the nearest whole number, ties to the even one (12.5 -> 12, 13.5 -> 14).
double roundHalfEven(double value);

/// Reads an analysis log and stores its words and percentages (rounded to whole numbers) into the current row of
/// the match-settings dataset (started when the client has none). Reader messages go to the sink. Throws Error,
/// changing nothing, when no client is chosen, the log cannot be read, holds no analysis table, or holds counts
/// the row cannot take. A failure to post the row is ignored, leaving it in edit state.
LogImportResult importAnalysisLog(const QString &fileName, Dataset &matches, const TTradosReader::MessageSink &sink);

/// What the user is told about a log's context-match words, which no category prices.
QString unpricedWordsMessage(double words);

} // namespace quotaly

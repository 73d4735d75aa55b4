#pragma once

#include "AnalysisReport.h"

#include <QStringList>

namespace quotaly {

class TextLineReader;

/// memoQ's tab-separated statistics export: "Analysis" blocks, each with a "Scope" line and a table headed
/// "Type, Segments, Source words, Source chars, ...". The first block is the job when later blocks are single
/// documents (their scope is quoted); otherwise every block is a file and the job is their sum.
bool looksLikeMemoqStatistics(const QStringList &firstLines);
AnalysisReport readMemoqStatistics(TextLineReader &lines, const QString &fileName);

/// The "LOG" export of Phrase (Memsource), a look-alike of the Trados log without a Placeables column: one table
/// per file ("File:") and one for the job ("Total:"); without the latter the job is the sum of the files.
bool looksLikePhraseLog(const QStringList &firstLines);
AnalysisReport readPhraseLog(TextLineReader &lines, const QString &fileName);

/// OmegaT's project_stats_match.txt: eight tab-separated rows (repetitions, exact match, 95-100%, 85-94%,
/// 75-84%, 50-74%, no match, total) of segments, words and characters without and with spaces. The labels are
/// in the user's language, so the rows are taken by position; the 95-100% band counts as 95-99%, and characters
/// are those with spaces.
bool looksLikeOmegatStatistics(const QStringList &firstLines);
AnalysisReport readOmegatStatistics(TextLineReader &lines, const QString &fileName);

} // namespace quotaly

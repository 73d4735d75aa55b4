#pragma once

#include <array>
#include <optional>

#include <QList>
#include <QString>
#include <QStringView>

namespace quotaly {

/// The counts of one category of an analysis.
struct AnalysisCounts
{
    double segments = 0;
    double words = 0;
    double characters = 0;
    double placeables = 0;
    double percent = 0;

    AnalysisCounts &operator+=(const AnalysisCounts &other);
};

/// Rows 0 to 8 of an analysis, the same for every format: row 0 the context matches (priced in no category),
/// rows 1 to 7 the priced categories (repetitions, 100%, 95-99%, 85-94%, 75-84%, 50-74%, no match), row 8 the
/// total.
using AnalysisRows = std::array<AnalysisCounts, 9>;

constexpr int kContextRow = 0;
constexpr int kRepetitionsRow = 1;
constexpr int kExactRow = 2;
constexpr int kNoMatchRow = 7;
constexpr int kTotalRow = 8;
/// A category of a report that overlaps the others and is not counted (Wordfast's "Golden", Studio's
/// "newBaseline").
constexpr int kNotCounted = -1;
/// A category label no reader knows.
constexpr int kUnknownCategory = -2;

/// One file of a job, where the report breaks the job down by file.
struct AnalysisFile
{
    QString name;
    AnalysisRows rows{};
};

/// What an analysis report holds, whichever CAT tool wrote it.
struct AnalysisReport
{
    QString format;        ///< the detected format's name, e.g. "Trados Studio XML"
    AnalysisRows rows{};   ///< the job
    QList<AnalysisFile> files; ///< the per-file breakdown; empty when the report has none
    bool hasWords = true;      ///< false for reports that count characters only (Studio, Japanese source)
    bool hasCharacters = false; ///< every category has its characters
    bool hasPercent = false;    ///< the percentages are the report's own, not computed

    /// Sums the files into the job when the report has no job total of its own.
    void sumFiles();
    /// Where the report has no total row, the total is the sum of rows 0 to 7; where it has no percentages, each
    /// row's words (or characters, without words) are computed as a share of the total. Call once at the end.
    void finish(bool hasTotalRow);
};

/// The row a category label stands for, compared without case and spaces ("95% - 99%", "95%-99%" and
/// "95% -99%" are the same): the captions of the Trados-compatible CSVs, memoQ's, Phrase's and Wordfast's.
/// kUnknownCategory for a label none of them uses.
int analysisRowOfLabel(QStringView label);

/// Reads a count of a report: digits with an optional "." or "," decimal separator (memoQ writes "5,82"); blanks
/// around it are ignored and an empty text is 0. nullopt for negative, non-numeric and implausibly large values.
std::optional<double> parseCount(QStringView text);

/// Throws the Error for a text parseCount refused, naming `where` (the file and line).
[[noreturn]] void failCount(QStringView text, const QString &where);

/// parseCount, throwing through failCount.
double readCount(QStringView text, const QString &where);

/// "No analysis table found in FILE." and which formats are read; one message for every file Quotaly cannot read
/// as an analysis.
QString unknownReportMessage(const QString &fileName);

} // namespace quotaly

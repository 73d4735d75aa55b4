#pragma once

#include "AnalysisReport.h"

#include <optional>

#include <QStringList>

namespace quotaly {

class TextLineReader;

/// The tools that write an analysis as a CSV of one row per file, with a line of category captions (each over the
/// first column of its block) and a line of field names: memoQ ("Per-file, Trados-compatible" and "Per-file, all
/// information"), Phrase (Memsource) and Wordfast Pro.
enum class BlockCsvFlavour
{
    MemoqTradosCompatible,
    MemoqAllInformation,
    Phrase,
    Wordfast
};

/// Which of the block CSVs `firstLines` (the file's first lines, decoded) start, and with which separator;
/// nullopt for anything else, including the Trados CSV whose fourth column is the job's characters.
struct BlockCsvKind
{
    BlockCsvFlavour flavour;
    QChar separator;
};
std::optional<BlockCsvKind> detectBlockCsv(const QStringList &firstLines);

/// The format's name as shown to the user.
QString blockCsvFormatName(BlockCsvFlavour flavour);

/// Reads a block CSV in one pass: the columns are found by their captions and field names (Segments, Words,
/// Characters, Placeables; percentages are computed, since the files' own are per file and sometimes truncated).
/// Every data line is a file; the job is their sum. Fractional counts are kept. Wordfast's "Golden" and
/// "Leveraged" overlap the other categories and are not counted. Throws Error naming `fileName` for an unknown
/// category, a category without a Words column, a line with missing cells or a cell that is not a count.
AnalysisReport readBlockCsv(TextLineReader &lines, const BlockCsvKind &kind, const QString &fileName);

/// Splits one line at `separator` outside double quotes; a quoted cell loses its quotes ("" stands for one).
QStringList splitCsvLine(QStringView line, QChar separator);

} // namespace quotaly

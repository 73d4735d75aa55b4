#pragma once

#include "TradosNumbers.h"

namespace quotaly {

class TextLineReader;

/// Reads a semicolon-separated analysis export. The first two lines are headings; every further line that is
/// not blank is one record of 39 columns. Columns 9 to 36 hold, in blocks of four, the segments, words, an
/// unused cell and the percent of rows 1 to 7; columns 37 and 38 the segments and words of the total (row 8).
/// Words and segments are summed over the records, percentages averaged; row 0 and the placeables stay 0.
///
/// Numbers use "." whatever the locale. An empty cell counts as 0; a cell that does not convert is reported and
/// counts as 0. A record with fewer than 39 columns is reported once (its missing cells count as 0); cells after
/// column 39 are ignored, with a message when any of them holds text. A cell may be quoted ("...", with "" for a
/// quote). Throws Error naming `fileName` when there is no record to average.
TradosCounts readTradosCsv(TextLineReader &lines, const TradosNotify &notify, const QString &fileName);

} // namespace quotaly

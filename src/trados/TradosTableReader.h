#pragma once

#include "TradosNumbers.h"

namespace quotaly {

class TextLineReader;

/// The job's table of a ".log": the first five lines are skipped unseen; then the "Analyse Total" table of the
/// run holding the first table when that run has one (a job of several files), otherwise the first table. No
/// table at all gives zeros. Each cell that does not convert is reported and counts as 0.
TradosCounts readTradosLog(TextLineReader &lines, const TradosNumberParser &numbers, const TradosNotify &notify);

/// Every table of a ".txt" summed, leaving out the "Analyse Total" tables (they repeat the tables before them);
/// percentages are averaged over the tables counted. A cell that does not convert is reported and resets the
/// sum of that cell to 0. Throws Error naming `fileName` when there is no table to average.
TradosCounts readTradosTxt(TextLineReader &lines, const TradosNumberParser &numbers, const TradosNotify &notify,
                           const QString &fileName);

} // namespace quotaly

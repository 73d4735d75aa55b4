#pragma once

#include "AnalysisReport.h"

class QIODevice;

namespace quotaly {

/// Reads the analysis JSON of Phrase (Memsource): the bands of every language part (summed when there are
/// several) and the per-file breakdown of its jobs. A band's count is either a number or an object whose "sum"
/// holds it (split by TM, MT and non-translatables). Files above 64 MB are refused. Throws Error naming
/// `fileName` for JSON that is not well-formed or not such an analysis.
AnalysisReport readPhraseJson(QIODevice &device, const QString &fileName);

} // namespace quotaly

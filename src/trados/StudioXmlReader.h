#pragma once

#include "AnalysisReport.h"

class QIODevice;

namespace quotaly {

/// Reads a Trados Studio "Analyze Files" report (root element `<task name="analyse">`) in one streaming pass:
/// the job from `<batchTotal>` (or the sum of the files when it is missing), the breakdown from the `<file>`
/// elements. Context matches (perfect, in-context exact) go to row 0; exact and locked to 100%; repetitions and
/// cross-file repetitions to repetitions; each fuzzy band together with the internal fuzzy band of the same
/// range; new to no match; newBaseline and newLearnings are not counted. A report without any `words`
/// attribute (Japanese sources) counts characters only. Throws Error naming `fileName` for XML that is not
/// well-formed, cut short, or not such a report.
AnalysisReport readStudioXml(QIODevice &device, const QString &fileName);

/// True when `start` (the first bytes of a file) is XML whose root element is Studio's `<task>`.
bool looksLikeStudioXml(QStringView start);

} // namespace quotaly

#pragma once

#include "AnalysisReport.h"
#include "TTradosReader.h"

#include <optional>

namespace quotaly {

/// Reads an analysis report of any CAT tool Quotaly knows, telling the format by the file's content: Trados
/// Studio XML by its root element, Phrase (Memsource) JSON, the CSVs of memoQ, Phrase and Wordfast Pro by their
/// heading lines, memoQ's statistics export, Phrase's LOG and OmegaT's match statistics by their tables. Anything
/// else named ".log", ".txt" or ".csv" is read as a Trados log of that form (TTradosReader), whose messages go to
/// the sink. Returns nullopt when the file does not exist (the sink has been told). Throws Error, naming the file,
/// for a file that cannot be read or is no analysis report Quotaly knows.
std::optional<AnalysisReport> readAnalysisReport(const QString &fileName, const TTradosReader::MessageSink &sink);

} // namespace quotaly

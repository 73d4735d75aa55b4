// Feeds arbitrary bytes to the OmegaT match statistics reader.

#include "FuzzReport.h"
#include "trados/TextReports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace quotaly;
    const QString path = fuzz::writeInput(data, size, "project_stats_match.txt");
    fuzz::readLines(path, [&](TextLineReader &lines) { return readOmegatStatistics(lines, path); });
    return 0;
}

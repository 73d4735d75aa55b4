// Feeds arbitrary bytes to the memoQ readers: both per-file CSVs (with ";" and TAB) and the statistics export.

#include "FuzzReport.h"
#include "trados/BlockCsvReader.h"
#include "trados/TextReports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace quotaly;
    const QString path = fuzz::writeInput(data, size, "input.csv");
    for (const BlockCsvKind kind : {BlockCsvKind{BlockCsvFlavour::MemoqTradosCompatible, u';'},
                                    BlockCsvKind{BlockCsvFlavour::MemoqTradosCompatible, u'\t'},
                                    BlockCsvKind{BlockCsvFlavour::MemoqAllInformation, u';'}})
        fuzz::readLines(path, [&](TextLineReader &lines) { return readBlockCsv(lines, kind, path); });
    fuzz::readLines(path, [&](TextLineReader &lines) { return readMemoqStatistics(lines, path); });
    return 0;
}

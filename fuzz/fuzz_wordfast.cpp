// Feeds arbitrary bytes to the Wordfast Pro CSV reader, directly and through the detection of formats.

#include "FuzzReport.h"
#include "trados/AnalysisReader.h"
#include "trados/BlockCsvReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace quotaly;
    const QString path = fuzz::writeInput(data, size, "input.csv");
    fuzz::readLines(path, [&](TextLineReader &lines) {
        return readBlockCsv(lines, BlockCsvKind{BlockCsvFlavour::Wordfast, u','}, path);
    });
    fuzz::readChecked([&] { return readAnalysisReport(path, {}).value(); });
    return 0;
}

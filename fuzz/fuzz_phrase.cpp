// Feeds arbitrary bytes to the Phrase (Memsource) readers: the analysis CSV, JSON and LOG.

#include "FuzzReport.h"
#include "trados/BlockCsvReader.h"
#include "trados/PhraseJsonReader.h"
#include "trados/TextReports.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace quotaly;
    const QString path = fuzz::writeInput(data, size, "input.phrase");
    fuzz::readLines(path, [&](TextLineReader &lines) {
        return readBlockCsv(lines, BlockCsvKind{BlockCsvFlavour::Phrase, u';'}, path);
    });
    fuzz::readLines(path, [&](TextLineReader &lines) { return readPhraseLog(lines, path); });
    fuzz::readChecked([&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            std::abort();
        return readPhraseJson(file, path);
    });
    return 0;
}

// Feeds arbitrary bytes to the Trados Studio analysis reader, directly and through the detection of formats.

#include "FuzzReport.h"
#include "trados/AnalysisReader.h"
#include "trados/StudioXmlReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = fuzz::writeInput(data, size, "input.xml");
    fuzz::readChecked([&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            std::abort();
        return quotaly::readStudioXml(file, path);
    });
    fuzz::readChecked([&] { return quotaly::readAnalysisReport(path, {}).value(); });
    return 0;
}

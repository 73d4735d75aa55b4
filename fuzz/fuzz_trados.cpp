// Feeds arbitrary bytes to the analysis-log reader as a .log, a .txt and a .csv file. A read either fails with a
// message or yields finite numbers, never leaves "imp.csv" behind, and never sends more than the capped number
// of messages; anything else is a crash for the fuzzer to report.

#include "dataset/Error.h"
#include "trados/TTradosReader.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The current folder stays as it is: libFuzzer writes its corpus and crash files relative to it.
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();

    for (const char *name : {"input.log", "input.txt", "input.csv"}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                std::abort();
            file.write(reinterpret_cast<const char *>(data), qint64(size));
        }
        int messages = 0;
        quotaly::TTradosReader reader([&messages](const QString &) { ++messages; });
        reader.FileName = path;
        try {
            reader.Load();
        } catch (const quotaly::Error &) {
            if (reader.Loaded())
                std::abort(); // a failed read must not count as read
        }
        if (messages > quotaly::TTradosReader::kMessageLimit + 1)
            std::abort();
        for (const auto *rows : {&reader.segments(), &reader.words(), &reader.percent(), &reader.placeables()}) {
            for (const double value : *rows) {
                if (!std::isfinite(value))
                    std::abort();
            }
        }
        if (QFile::exists(dir.filePath(QStringLiteral("imp.csv"))) || QFile::exists(QStringLiteral("imp.csv")))
            std::abort();
    }
    return 0;
}

// Feeds arbitrary bytes to the client import as a file, with the delimiter detected and with a given one. A read
// either fails with a message or yields rows of exactly eleven values of at most 100 characters, at most one row
// per line; anything else is a crash for the fuzzer to report.

#include "clients/ClientImportParser.h"
#include "dataset/Error.h"

#include <cstdint>
#include <cstdlib>

#include <QFile>
#include <QTemporaryDir>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    const QString path = dir.filePath(QStringLiteral("clients.csv"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    QStringList lines;
    try {
        lines = quotaly::readImportFileLines(path);
    } catch (const quotaly::Error &) {
        return 0;
    }
    for (const std::optional<QChar> delimiter : {std::optional<QChar>(), std::optional<QChar>(QLatin1Char(' '))}) {
        const quotaly::ClientImportText text = quotaly::parseClientImport(lines, delimiter);
        // A quoted value may span lines, so there are at most as many rows as lines.
        if (text.rows.size() > lines.size())
            std::abort();
        for (const QStringList &row : text.rows) {
            if (row.size() != 11)
                std::abort();
            for (const QString &value : row) {
                if (value.size() > 100)
                    std::abort();
            }
        }
    }
    return 0;
}

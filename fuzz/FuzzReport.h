#pragma once

// Shared by the fuzz targets of the analysis-report readers: the bytes go to a file (the readers read files), and a
// read either fails with quotaly::Error or gives finite, non-negative counts; anything else aborts for the fuzzer.

#include "dataset/Error.h"
#include "trados/AnalysisReport.h"
#include "trados/TextLineReader.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <QFile>
#include <QTemporaryDir>

namespace fuzz {

inline QString writeInput(const uint8_t *data, size_t size, const char *name)
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    return path;
}

inline void checkRows(const quotaly::AnalysisRows &rows)
{
    for (const quotaly::AnalysisCounts &c : rows) {
        for (const double value : {c.segments, c.words, c.characters, c.placeables, c.percent}) {
            if (!std::isfinite(value) || value < 0)
                std::abort();
        }
    }
}

inline void checkReport(const quotaly::AnalysisReport &report)
{
    if (report.format.isEmpty())
        std::abort();
    checkRows(report.rows);
    for (const quotaly::AnalysisFile &file : report.files)
        checkRows(file.rows);
}

/// Runs `read` on the file; an Error is a refusal, which is fine.
template <typename Read>
void readChecked(Read read)
{
    try {
        checkReport(read());
    } catch (const quotaly::Error &) {
    }
}

/// The same through a line reader over the file at `path`.
template <typename Read>
void readLines(const QString &path, Read read)
{
    readChecked([&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            std::abort();
        quotaly::TextLineReader lines(file);
        return read(lines);
    });
}

} // namespace fuzz

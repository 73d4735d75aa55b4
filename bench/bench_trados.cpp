// Times the analysis-log reader on generated logs: a .txt log of many runs and tables (every table summed), the same
// text read as .log (the first run's job total), and a .csv export with as many records.
// Run: build/bench/bench_trados [megabytes (10)] [repetitions (15)] [large megabytes (0: skip)]
// The large log is read once, with the peak memory of the process reported after it.

#include "MedianTimer.h"
#include "dataset/Error.h"
#include "trados/TTradosReader.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

using namespace quotaly;

namespace {

const char *const kLabels[] = {"Context TM", "Repetitions", "100%",     "95% - 99%", "85% - 94%",
                               "75% - 84%",  "50% - 74%",   "No Match", "Total"};

QByteArray grouped(long long value)
{
    QByteArray digits = QByteArray::number(value);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, ',');
    return digits;
}

/// One run analysing `files` files, each with its table, then the job total, as the tool writes it.
QByteArray run(std::mt19937 &random, int files)
{
    QByteArray out = "Start Analyse: Thu Feb 04 11:00:12 2010\n\nTranslation Memory: C:\\TM\\de-en.tmw\n\n";
    long long total[9][3] = {};
    for (int f = 0; f <= files; ++f) {
        const bool jobTotal = f == files;
        out += jobTotal ? "Analyse Total (" + QByteArray::number(files) + " files):\n\n"
                        : "C:\\Jobs\\Contract\\part" + QByteArray::number(f) + ".doc\n\n";
        out += " Match Types  Segments        Words Percent Placeables\n";
        long long rows[9][3] = {};
        for (int r = 0; r < 8; ++r) {
            for (int k = 0; k < 3; ++k) {
                rows[r][k] = jobTotal ? total[r][k] : long(random() % (k == 1 ? 3000 : 200));
                rows[8][k] += rows[r][k];
                total[r][k] += jobTotal ? 0 : rows[r][k];
            }
        }
        for (int r = 0; r < 9; ++r) {
            const long long percent = rows[8][1] ? rows[r][1] * 100 / rows[8][1] : 0;
            out += ' ' + QByteArray(kLabels[r]).leftJustified(13) + grouped(rows[r][0]).rightJustified(8) +
                   grouped(rows[r][1]).rightJustified(13) + QByteArray::number(percent).rightJustified(8) +
                   grouped(rows[r][2]).rightJustified(11) + '\n';
        }
        out += " Chars/Word       5.12\n Chars Total    " + grouped(rows[8][1] * 5).rightJustified(7) + "\n\n\n";
    }
    return out + "Analyse finished successfully without errors!\nThu Feb 04 11:01:30 2010\n" + QByteArray(80, '=') +
           '\n';
}

QByteArray csvRecord(std::mt19937 &random, int index)
{
    QByteArray out = "C:\\Jobs\\file" + QByteArray::number(index) + ".doc;0;5.12;4464";
    for (int cell = 5; cell <= 39; ++cell)
        out += ';' + QByteArray::number(random() % 3000) + (cell % 4 == 0 ? ".25" : "");
    return out + '\n';
}

void writeFile(const QString &path, qint64 megabytes, const std::function<QByteArray(int)> &piece,
               int *pieces = nullptr)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    int count = 0;
    while (file.size() < megabytes << 20)
        file.write(piece(count++));
    if (pieces)
        *pieces = count;
}


double read(const QString &path)
{
    int messages = 0;
    TTradosReader reader([&messages](const QString &) { ++messages; });
    reader.FileName = path;
    reader.Load();
    if (!reader.Loaded() || messages > 0)
        qFatal("%s: not read cleanly (%d messages)", qPrintable(path), messages);
    return reader.words()[8];
}

long peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int megabytes = args.size() > 1 ? args.at(1).toInt() : 10;
    const int repetitions = args.size() > 2 ? args.at(2).toInt() : 15;
    const int large = args.size() > 3 ? args.at(3).toInt() : 0;

    QTemporaryDir dir;
    std::mt19937 random(20240229);
    int runs = 0;
    int records = 0;
    const QString txt = dir.filePath(QStringLiteral("job.txt"));
    const QString log = dir.filePath(QStringLiteral("job.log"));
    const QString csv = dir.filePath(QStringLiteral("job.csv"));
    writeFile(
        txt, megabytes, [&random](int) { return run(random, 3); }, &runs);
    QFile::copy(txt, log);
    writeFile(
        csv, megabytes, [&random](int i) { return i < 2 ? QByteArray("heading\n") : csvRecord(random, i); }, &records);

    try {
        double words = 0;
        const double txtMs = medianMs(repetitions, [&] { words = read(txt); });
        std::printf(".txt %d MB, %d tables (%d counted): median %.1f ms over %d reads (%.0f words)\n", megabytes,
                    runs * 4, runs * 3, txtMs, repetitions, words);
        const double logMs = medianMs(repetitions, [&] { words = read(log); });
        std::printf(".log same text (first run's job total): median %.3f ms (%.0f words)\n", logMs, words);
        const double csvMs = medianMs(repetitions, [&] { words = read(csv); });
        std::printf(".csv %d MB, %d records: median %.1f ms (%.0f words)\n", megabytes, records - 2, csvMs, words);

        if (large > 0) {
            const QString big = dir.filePath(QStringLiteral("large.txt"));
            writeFile(big, large, [&random](int) { return run(random, 3); });
            const long before = peakKilobytes();
            const double bigMs = medianMs(1, [&] { words = read(big); });
            std::printf(".txt %d MB: %.0f ms; peak memory %ld KB before, %ld KB after\n", large, bigMs, before,
                        peakKilobytes());
        }
    } catch (const Error &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.text()));
        return 1;
    }
    return 0;
}

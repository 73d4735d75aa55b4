// Times the analysis-report reader on generated reports: a Trados Studio XML with many <file> elements and a memoQ
// per-file CSV (UTF-16, ";"), each about 10 MB, read through the detection of formats as the program reads them.
// Run: build/bench/bench_analysis_reports [megabytes (10)] [repetitions (15)]
// Aim: at most 100 ms for each 10 MB report.

#include "MedianTimer.h"
#include "dataset/Error.h"
#include "trados/AnalysisReader.h"

#include <cstdio>
#include <random>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

using namespace quotaly;

namespace {

QByteArray studioBand(const char *element, std::mt19937 &random, const char *range = "")
{
    const unsigned words = random() % 3000;
    return QByteArray("<") + element + range + " segments=\"" + QByteArray::number(words / 9) + "\" words=\"" +
           QByteArray::number(words) + "\" characters=\"" + QByteArray::number(words * 6) +
           "\" placeables=\"3\" tags=\"1\" repairWords=\"0\" fullRecallWords=\"0\"/>";
}

QByteArray studioAnalyse(std::mt19937 &random)
{
    QByteArray out = "<analyse>";
    for (const char *element : {"perfect", "inContextExact", "exact", "locked", "crossFileRepeated", "repeated",
                                "total", "new", "newBaseline", "newLearnings"})
        out += studioBand(element, random);
    for (const char *range : {" min=\"50\" max=\"74\"", " min=\"75\" max=\"84\"", " min=\"85\" max=\"94\"",
                              " min=\"95\" max=\"99\""})
        out += studioBand("fuzzy", random, range) + studioBand("internalFuzzy", random, range);
    return out + "</analyse>";
}

QByteArray studioXml(qsizetype bytes)
{
    std::mt19937 random(7);
    QByteArray out = "<task name=\"analyse\"><taskInfo taskId=\"x\" runAt=\"3/13/2020 12:56:13 PM\" runTime=\"1 s\">"
                     "<project name=\"Bench\" number=\"1\"/><language lcid=\"2057\" name=\"English\"/></taskInfo>";
    for (int f = 0; out.size() < bytes; ++f)
        out += "<file name=\"chapter" + QByteArray::number(f) + ".docx.sdlxliff\" guid=\"g\">" + studioAnalyse(random) +
               "</file>";
    return out + "<batchTotal>" + studioAnalyse(random) + "</batchTotal></task>";
}

QByteArray memoqCsv(qsizetype bytes)
{
    std::mt19937 random(11);
    QString text = QStringLiteral(";;;Context TM;;;;Repetitions;;;;100% Matches;;;;95% - 99%;;;;85% - 94%;;;;75% - 84%;;;;"
                                  "50% - 74%;;;;No Match;;;;Total\r\nFile;Tagging Errors;Chars/Word");
    for (int c = 0; c < 8; ++c)
        text += QStringLiteral(";Segments; Words;Placeables;Percent");
    text += QStringLiteral(";Segments; Words;Placeables;Characters\r\n");
    for (int f = 0; text.size() * 2 < bytes; ++f) {
        text += QStringLiteral("\"C:\\Jobs\\Manual\\chapter %1.docx\";0;5.82").arg(f);
        unsigned total = 0;
        for (int c = 0; c < 8; ++c) {
            const unsigned words = random() % 2000;
            total += words;
            text += QStringLiteral(";%1;%2;0;%3").arg(words / 9).arg(words).arg(words % 100);
        }
        text += QStringLiteral(";%1;%2;0;%3;\r\n").arg(total / 9).arg(total).arg(total * 6);
    }
    QByteArray out("\xFF\xFE");
    out.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const qsizetype megabytes = args.size() > 1 ? args[1].toLongLong() : 10;
    const int repetitions = args.size() > 2 ? args[2].toInt() : 15;
    QTemporaryDir dir;
    const std::pair<const char *, QByteArray> reports[] = {
        {"studio.xml", studioXml(megabytes * 1024 * 1024)},
        {"memoq.csv", memoqCsv(megabytes * 1024 * 1024)},
    };
    for (const auto &[name, bytes] : reports) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return 1;
        file.close();
        qsizetype files = 0;
        try {
            const double ms = medianMs(repetitions, [&] { files = readAnalysisReport(path, {})->files.size(); });
            std::printf("%-11s %6.1f MB  %7lld files  median %7.1f ms\n", name, double(bytes.size()) / (1024 * 1024),
                        static_cast<long long>(files), ms);
        } catch (const Error &e) {
            std::printf("%s: %s\n", name, qPrintable(e.text()));
            return 1;
        }
    }
    return 0;
}

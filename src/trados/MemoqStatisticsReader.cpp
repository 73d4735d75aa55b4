#include "TextLineReader.h"
#include "TextReports.h"
#include "dataset/Error.h"

#include <QDir>

namespace quotaly {

namespace {

struct StatisticsBlock
{
    QString scope;
    AnalysisRows rows{};
    int segments = -1, words = -1, characters = -1, percent = -1; // columns of the table heading
};

const QString kHeading = QStringLiteral("Type\tSegments\tSource words");

} // namespace

bool looksLikeMemoqStatistics(const QStringList &firstLines)
{
    for (const QString &line : firstLines) {
        if (line.startsWith(kHeading))
            return true;
    }
    return false;
}

AnalysisReport readMemoqStatistics(TextLineReader &lines, const QString &fileName)
{
    const QString shownName = QDir::toNativeSeparators(fileName);
    QList<StatisticsBlock> blocks;
    bool inTable = false;
    QString line;
    qsizetype lineNumber = 0;
    while (lines.readLine(line)) {
        ++lineNumber;
        const QStringList cells = line.split(u'\t');
        const QString first = cells.first().trimmed();
        if (first.isEmpty() || first.startsWith(u"---")) {
            inTable = false;
        } else if (first == u"Analysis") {
            blocks.append(StatisticsBlock{});
            inTable = false;
        } else if (!blocks.isEmpty() && !inTable && first == u"Scope") {
            blocks.last().scope = cells.value(1).trimmed();
        } else if (!blocks.isEmpty() && line.startsWith(kHeading)) {
            StatisticsBlock &b = blocks.last();
            b.segments = int(cells.indexOf(QStringLiteral("Segments")));
            b.words = int(cells.indexOf(QStringLiteral("Source words")));
            b.characters = int(cells.indexOf(QStringLiteral("Source chars")));
            b.percent = int(cells.indexOf(QStringLiteral("Percent")));
            inTable = true;
        } else if (inTable) {
            const int row = analysisRowOfLabel(first);
            const QString where = QStringLiteral("Line %1 of %2").arg(lineNumber).arg(shownName);
            if (row == kUnknownCategory)
                throw Error(QStringLiteral("%1 has the category \"%2\", which Quotaly does not know.").arg(where, first));
            StatisticsBlock &b = blocks.last();
            if (row < 0)
                continue;
            const auto cell = [&](int column) { return column < 0 ? 0.0 : readCount(cells.value(column), where); };
            AnalysisCounts counts{cell(b.segments), cell(b.words), cell(b.characters), 0, cell(b.percent)};
            b.rows[row] += counts;
        }
    }
    if (blocks.isEmpty() || blocks.first().words < 0)
        throw Error(QStringLiteral("Cannot read %1 as a memoQ statistics export: it holds no analysis table.").arg(shownName));

    AnalysisReport report;
    report.format = QStringLiteral("memoQ statistics");
    report.hasCharacters = blocks.first().characters >= 0;
    const bool firstIsJob = blocks.size() > 1 && !blocks.first().scope.startsWith(u'"');
    for (qsizetype i = firstIsJob ? 1 : 0; i < blocks.size(); ++i) {
        QString name = blocks[i].scope;
        if (name.startsWith(u'"')) // "name.docx" ("C:\path\name.docx")
            name = name.section(u'"', 1, 1);
        report.files.append(AnalysisFile{name, blocks[i].rows});
    }
    if (firstIsJob)
        report.rows = blocks.first().rows;
    else
        report.sumFiles();
    report.hasPercent = firstIsJob || blocks.size() == 1;
    report.finish(true);
    return report;
}

} // namespace quotaly

#include "TextLineReader.h"
#include "TextReports.h"
#include "dataset/Error.h"

#include <QDir>

namespace quotaly {

namespace {

constexpr int kRows = 8;
constexpr int kCounts = 4; // segments, words, characters without and with spaces

// The cells of a line, trimmed, without the empty cell after the line's closing tab.
QStringList cellsOf(const QString &line)
{
    QStringList cells = line.split(u'\t');
    for (QString &cell : cells)
        cell = cell.trimmed();
    if (cells.size() > 1 && cells.last().isEmpty())
        cells.removeLast();
    return cells;
}

bool isHeading(const QStringList &cells)
{
    return cells.size() == kCounts + 1 && cells.first().isEmpty() && !cells[1].isEmpty() && !cells[1][0].isDigit();
}

bool isDataRow(const QStringList &cells)
{
    return cells.size() == kCounts + 1 && cells.first().endsWith(u':') && !cells[1].isEmpty() && cells[1][0].isDigit();
}

} // namespace

bool looksLikeOmegatStatistics(const QStringList &firstLines)
{
    for (qsizetype i = 0; i + 1 < firstLines.size(); ++i) {
        if (isHeading(cellsOf(firstLines[i])))
            return isDataRow(cellsOf(firstLines[i + 1]));
    }
    return false;
}

AnalysisReport readOmegatStatistics(TextLineReader &lines, const QString &fileName)
{
    const QString shownName = QDir::toNativeSeparators(fileName);
    AnalysisReport report;
    report.format = QStringLiteral("OmegaT match statistics");
    report.hasCharacters = true;
    int row = 0;
    QString line;
    qsizetype lineNumber = 0;
    while (lines.readLine(line)) {
        ++lineNumber;
        const QStringList cells = cellsOf(line);
        if (!isDataRow(cells))
            continue;
        if (row == kRows)
            throw Error(QStringLiteral("%1 has more than %2 rows of counts; Quotaly reads OmegaT's match statistics of "
                                       "one project.")
                            .arg(shownName)
                            .arg(kRows));
        const QString where = QStringLiteral("Line %1 of %2").arg(lineNumber).arg(shownName);
        report.rows[row + 1] = {readCount(cells[1], where), readCount(cells[2], where), readCount(cells[4], where), 0, 0};
        ++row;
    }
    if (row != kRows)
        throw Error(QStringLiteral("Cannot read %1 as OmegaT match statistics: it has %2 of its %3 rows.")
                        .arg(shownName)
                        .arg(row)
                        .arg(kRows));
    report.finish(true);
    return report;
}

} // namespace quotaly

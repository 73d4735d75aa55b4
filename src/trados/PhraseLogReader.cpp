#include "TextLineReader.h"
#include "TextReports.h"
#include "dataset/Error.h"

#include <QDir>
#include <QRegularExpression>

namespace quotaly {

namespace {

const QRegularExpression &heading()
{
    static const QRegularExpression re(QStringLiteral("^\\s*Match Types\\s+Segments\\s+Words\\s+Percent\\s*$"));
    return re;
}

} // namespace

bool looksLikePhraseLog(const QStringList &firstLines)
{
    for (const QString &line : firstLines) {
        if (heading().match(line).hasMatch())
            return true;
    }
    return false;
}

AnalysisReport readPhraseLog(TextLineReader &lines, const QString &fileName)
{
    static const QRegularExpression gap(QStringLiteral("\\s{2,}"));
    const QString shownName = QDir::toNativeSeparators(fileName);
    AnalysisReport report;
    report.format = QStringLiteral("Phrase (Memsource) LOG");
    QString name;
    bool isJob = false;
    bool hasJob = false;
    AnalysisRows *table = nullptr;
    QString line;
    qsizetype lineNumber = 0;
    while (lines.readLine(line)) {
        ++lineNumber;
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(u"File:") || trimmed.startsWith(u"Total:")) {
            isJob = trimmed.startsWith(u"Total:");
            name = trimmed.section(u':', 1).trimmed();
            table = nullptr;
        } else if (heading().match(line).hasMatch()) {
            if (isJob) {
                hasJob = true;
                report.rows = {};
                table = &report.rows;
            } else {
                report.files.append(AnalysisFile{name, {}});
                table = &report.files.last().rows;
            }
        } else if (table && !trimmed.isEmpty()) {
            const QStringList cells = trimmed.split(gap);
            const int row = analysisRowOfLabel(cells.first());
            if (row == kUnknownCategory) {
                if (cells.first().startsWith(u"Chars/word", Qt::CaseInsensitive))
                    continue;
                throw Error(QStringLiteral("Line %1 of %2 has the category \"%3\", which Quotaly does not know.")
                                .arg(lineNumber)
                                .arg(shownName, cells.first()));
            }
            const QString where = QStringLiteral("Line %1 of %2").arg(lineNumber).arg(shownName);
            if (cells.size() < 4)
                throw Error(QStringLiteral("%1 has %2 of its 4 columns.").arg(where).arg(cells.size()));
            const auto cell = [&](int i) { return readCount(QString(cells[i]).remove(u','), where); };
            (*table)[row] += AnalysisCounts{cell(1), cell(2), 0, 0, cell(3)};
        } else if (trimmed.isEmpty()) {
            table = nullptr;
        }
    }
    if (!hasJob && report.files.isEmpty())
        throw Error(QStringLiteral("Cannot read %1 as a Phrase (Memsource) LOG: it holds no table.").arg(shownName));
    if (!hasJob)
        report.sumFiles();
    report.hasPercent = hasJob;
    report.finish(true);
    return report;
}

} // namespace quotaly

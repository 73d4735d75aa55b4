#include "AnalysisReport.h"

#include "TTradosReader.h"
#include "dataset/Error.h"

#include <cmath>

#include <QHash>

namespace quotaly {

namespace {

// Counts above this are no analysis of a translation job, but a broken or hostile file.
constexpr double kLargestCount = 1e12;

QString labelKey(QStringView label)
{
    QString key;
    key.reserve(label.size());
    for (const QChar c : label) {
        if (!c.isSpace())
            key.append(c.toLower());
    }
    return key;
}

const QHash<QString, int> &rowsByLabel()
{
    static const QHash<QString, int> rows = {
        {QStringLiteral("contexttm"), kContextRow},      {QStringLiteral("contextmatch"), kContextRow},
        {QStringLiteral("x-translated"), kContextRow},   {QStringLiteral("101%"), kContextRow},
        {QStringLiteral("repetitions"), kRepetitionsRow}, {QStringLiteral("repetition"), kRepetitionsRow},
        {QStringLiteral("100%matches"), kExactRow},      {QStringLiteral("100%"), kExactRow},
        {QStringLiteral("translated"), kExactRow},       {QStringLiteral("formatchange"), kExactRow},
        {QStringLiteral("95%-99%"), 3},                  {QStringLiteral("85%-94%"), 4},
        {QStringLiteral("75%-84%"), 5},                  {QStringLiteral("50%-74%"), 6},
        {QStringLiteral("nomatch"), kNoMatchRow},        {QStringLiteral("fragments"), kNoMatchRow},
        {QStringLiteral("total"), kTotalRow},            {QStringLiteral("all"), kTotalRow},
        {QStringLiteral("golden"), kNotCounted},         {QStringLiteral("leveraged"), kNotCounted},
    };
    return rows;
}

} // namespace

AnalysisCounts &AnalysisCounts::operator+=(const AnalysisCounts &other)
{
    segments += other.segments;
    words += other.words;
    characters += other.characters;
    placeables += other.placeables;
    percent += other.percent;
    return *this;
}

void AnalysisReport::sumFiles()
{
    rows = {};
    for (const AnalysisFile &file : std::as_const(files)) {
        for (int r = 0; r < 9; ++r)
            rows[r] += file.rows[r];
    }
}

namespace {

void finishRows(AnalysisRows &rows, bool hasTotalRow, bool hasWords, bool hasPercent)
{
    if (!hasTotalRow) {
        rows[kTotalRow] = {};
        for (int r = 0; r < kTotalRow; ++r)
            rows[kTotalRow] += rows[r];
    }
    if (hasPercent)
        return;
    const auto measure = [hasWords](const AnalysisCounts &c) { return hasWords ? c.words : c.characters; };
    const double total = measure(rows[kTotalRow]);
    for (AnalysisCounts &row : rows)
        row.percent = total > 0 ? measure(row) / total * 100 : 0;
}

} // namespace

void AnalysisReport::finish(bool hasTotalRow)
{
    finishRows(rows, hasTotalRow, hasWords, hasPercent);
    for (AnalysisFile &file : files)
        finishRows(file.rows, hasTotalRow, hasWords, hasPercent);
}

int analysisRowOfLabel(QStringView label)
{
    return rowsByLabel().value(labelKey(label), kUnknownCategory);
}

double readCount(QStringView text, const QString &where)
{
    const QStringView trimmed = text.trimmed();
    QString number = trimmed.toString();
    if (!number.contains(u'.') && number.count(u',') == 1)
        number.replace(u',', u'.');
    bool ok = false;
    const double value = trimmed.isEmpty() ? 0 : number.toDouble(&ok);
    if (!trimmed.isEmpty() && (!ok || !std::isfinite(value)))
        throw Error(QStringLiteral("%1 holds \"%2\" where a number belongs.").arg(where, trimmed.left(40).toString()));
    if (value < 0 || value > kLargestCount)
        throw Error(QStringLiteral("%1 holds the count %2, which no analysis of a job has.")
                        .arg(where, trimmed.left(40).toString()));
    return value;
}

QString unknownReportMessage(const QString &fileName)
{
    return TTradosReader::noTableMessage(fileName);
}

} // namespace quotaly

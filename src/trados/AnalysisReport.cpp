#include "AnalysisReport.h"

#include "TTradosReader.h"
#include "dataset/Error.h"

#include <charconv>
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

std::optional<double> parseCount(QStringView text)
{
    const QStringView trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return 0.0;
    // Most counts are whole numbers: up to 12 digits give the value exactly, and within the largest count.
    if (trimmed.size() <= 12) {
        qint64 whole = 0;
        qsizetype i = 0;
        for (; i < trimmed.size() && trimmed[i] >= u'0' && trimmed[i] <= u'9'; ++i)
            whole = whole * 10 + (trimmed[i].unicode() - u'0');
        if (i == trimmed.size())
            return double(whole);
    }
    // Counts are short: digits, one decimal separator, perhaps an exponent. Longer text is no count.
    constexpr qsizetype kLongest = 32;
    if (trimmed.size() > kLongest)
        return std::nullopt;
    char ascii[kLongest];
    bool separatorSeen = false;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const char16_t c = trimmed[i].unicode();
        if ((c == u',' || c == u'.') && !separatorSeen) {
            separatorSeen = true;
            ascii[i] = '.';
        } else if ((c >= u'0' && c <= u'9') || c == u'e' || c == u'E' || c == u'+' || c == u'-') {
            ascii[i] = char(c);
        } else {
            return std::nullopt;
        }
    }
    double value = 0;
    const auto [end, error] = std::from_chars(ascii, ascii + trimmed.size(), value);
    if (error != std::errc() || end != ascii + trimmed.size() || !std::isfinite(value) || value < 0 ||
        value > kLargestCount)
        return std::nullopt;
    return value;
}

void failCount(QStringView text, const QString &where)
{
    const QString shown = text.trimmed().left(40).toString();
    bool isNumber = false;
    shown.toDouble(&isNumber);
    if (isNumber)
        throw Error(QStringLiteral("%1 holds the count %2, which no analysis of a job has.").arg(where, shown));
    throw Error(QStringLiteral("%1 holds \"%2\" where a number belongs.").arg(where, shown));
}

double readCount(QStringView text, const QString &where)
{
    if (const std::optional<double> value = parseCount(text))
        return *value;
    failCount(text, where);
}

QString unknownReportMessage(const QString &fileName)
{
    return TTradosReader::noTableMessage(fileName);
}

} // namespace quotaly

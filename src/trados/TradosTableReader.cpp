#include "TradosTableReader.h"

#include "TextLineReader.h"
#include "dataset/Error.h"

#include <QDir>

namespace quotaly {

namespace {

constexpr QStringView kHeading = u"Match Types  Segments        Words Percent Placeables";
constexpr QStringView kSegments = u"Segments";
constexpr QStringView kJobTotal = u"Analyse Total";
constexpr int kRows = 9;
constexpr int kSkippedLines = 5;
constexpr qsizetype kMinRunEnd = 20; // the tool ends each run with a line of 80 "="

/// Whether `line` holds `text`. Looks for the first character first: most lines of a log do not hold it
/// at all, and a search for one character is much faster than a search for text.
bool holds(QStringView line, QStringView text)
{
    for (qsizetype at = line.indexOf(text.front()); at >= 0 && line.size() - at >= text.size();
         at = line.indexOf(text.front(), at + 1)) {
        if (line.sliced(at).startsWith(text))
            return true;
    }
    return false;
}

bool isRunEnd(QStringView line)
{
    const QStringView text = line.trimmed();
    if (text.size() < kMinRunEnd)
        return false;
    for (const QChar c : text) {
        if (c != u'=')
            return false;
    }
    return true;
}

/// Finds the tables of a log: a heading line and the nine lines after it. Knows which run a table belongs to
/// (runs end at a line of "=") and whether an "Analyse Total" line announced it as the job's total.
class TableScanner
{
public:
    explicit TableScanner(TextLineReader &lines) : m_lines(lines)
    {
        for (int i = 0; i < kSkippedLines && m_lines.readLine(m_line); ++i) {
        }
    }

    /// Moves past the next heading line; false at the end of the file.
    bool nextHeading()
    {
        while (m_lines.readLine(m_line)) {
            if (holds(m_line, kHeading)) {
                m_column = m_line.indexOf(kSegments) + 1;
                m_jobTotal = m_pendingTotal;
                m_pendingTotal = false;
                return true;
            }
            if (holds(m_line, kJobTotal)) {
                m_pendingTotal = true;
            } else if (isRunEnd(m_line)) {
                ++m_run;
                m_pendingTotal = false;
            }
        }
        return false;
    }

    /// The next row of the current table; an empty one past the end of the file.
    void readRow(QString &row)
    {
        if (!m_lines.readLine(row))
            row.clear();
    }

    /// 1-based position of "Segments" in the current heading.
    qsizetype column() const { return m_column; }
    bool isJobTotal() const { return m_jobTotal; }
    int run() const { return m_run; }

private:
    TextLineReader &m_lines;
    QString m_line;
    qsizetype m_column = 0;
    int m_run = 0;
    bool m_pendingTotal = false;
    bool m_jobTotal = false;
};

/// Cuts a data row into its four number cells, as the heading lays the table out: the first `column`
/// characters (the category label) go, runs of spaces count as one space, the first character goes (normally the
/// space in front of the first number; when a number is wider than its heading, its first digit), one space is
/// appended, and the cells are the texts before each of the next four spaces. Cells past the end are empty. No
/// cell holds a space, so each is a piece of the line itself.
std::array<QStringView, 4> splitRow(QStringView line, qsizetype column)
{
    std::array<QStringView, 4> cells;
    const QStringView rest = column < line.size() ? line.sliced(column) : QStringView();
    const qsizetype size = rest.size();
    if (size == 0)
        return cells;
    const auto skipSpaces = [&rest, size](qsizetype i) {
        while (i < size && rest[i] == u' ')
            ++i;
        return i;
    };
    qsizetype i = rest[0] == u' ' ? skipSpaces(0) : 1;
    for (QStringView &cell : cells) {
        if (i >= size)
            break; // only the appended space (or nothing) is left: this and the later cells are empty
        qsizetype end = i;
        while (end < size && rest[end] != u' ')
            ++end;
        cell = rest.sliced(i, end - i);
        i = end < size ? skipSpaces(end) : size + 1;
    }
    return cells;
}

} // namespace

TradosCounts readTradosLog(TextLineReader &lines, const TradosNumberParser &numbers, const TradosNotify &notify)
{
    TradosCounts counts;
    TableScanner scan(lines);
    if (!scan.nextHeading())
        return counts;
    counts.tableFound = true;

    std::array<QString, kRows> rows;
    for (QString &row : rows)
        scan.readRow(row);
    qsizetype column = scan.column();
    const int run = scan.run();
    if (!scan.isJobTotal()) {
        std::array<QString, kRows> next;
        while (scan.nextHeading() && scan.run() == run) {
            for (QString &row : next)
                scan.readRow(row);
            if (scan.isJobTotal()) {
                rows.swap(next);
                column = scan.column();
                break;
            }
        }
    }

    for (int r = 0; r < kRows; ++r) {
        const auto cells = splitRow(rows[r], column);
        for (int k = 0; k < 4; ++k) {
            const std::optional<double> value = numbers.parseWithoutCommas(cells[k]);
            if (!value)
                notify(cantConvertMessage(withoutCommas(cells[k])));
            counts.column(k)[r] = value.value_or(0.0);
        }
    }
    return counts;
}

TradosCounts readTradosTxt(TextLineReader &lines, const TradosNumberParser &numbers, const TradosNotify &notify,
                           const QString &fileName)
{
    TradosCounts counts;
    TableScanner scan(lines);
    QString row;
    int tables = 0;
    while (scan.nextHeading()) {
        const bool counted = !scan.isJobTotal();
        tables += counted ? 1 : 0;
        for (int r = 0; r < kRows; ++r) {
            scan.readRow(row);
            if (!counted)
                continue;
            const auto cells = splitRow(row, scan.column());
            for (int k = 0; k < 4; ++k) {
                double &cell = counts.column(k)[r];
                const std::optional<double> value = numbers.parseWithoutCommas(cells[k]);
                if (!value || !addFinite(cell, *value)) {
                    notify(cantConvertMessage(withoutCommas(cells[k])));
                    cell = 0;
                }
            }
        }
    }
    if (tables == 0) {
        throw Error(QStringLiteral("Cannot read %1: it holds no analysis table, so there is nothing to average")
                        .arg(QDir::toNativeSeparators(fileName)));
    }
    for (double &percent : counts.percent)
        percent /= tables;
    counts.tableFound = true;
    return counts;
}

} // namespace quotaly

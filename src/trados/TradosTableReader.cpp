#include "TradosTableReader.h"

#include "TextLineReader.h"
#include "dataset/Error.h"

#include <QDir>
#include <QVarLengthArray>

namespace quotaly {

namespace {

constexpr QStringView kHeading = u"Match Types  Segments        Words Percent Placeables";
constexpr QStringView kSegments = u"Segments";
constexpr QStringView kJobTotal = u"Analyse Total";
constexpr int kRows = 9;
constexpr int kSkippedLines = 5;
constexpr qsizetype kMinRunEnd = 20; // the tool ends each run with a line of 80 "="

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
            if (m_line.contains(kHeading)) {
                m_column = m_line.indexOf(kSegments) + 1;
                m_jobTotal = m_pendingTotal;
                m_pendingTotal = false;
                return true;
            }
            if (m_line.contains(kJobTotal)) {
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
/// characters (the category label) go, runs of spaces become one space, the first character goes (normally the
/// space in front of the first number; when a number is wider than its heading, its first digit), and the cells
/// follow, one space apart. Cells past the end of the row are empty.
class RowSplitter
{
public:
    std::array<QStringView, 4> split(QStringView line, qsizetype column)
    {
        m_text.clear();
        bool afterSpace = false;
        for (const QChar c : column < line.size() ? line.sliced(column) : QStringView()) {
            const bool space = c == u' ';
            if (!(space && afterSpace))
                m_text.append(c);
            afterSpace = space;
        }
        qsizetype pos = m_text.isEmpty() ? 0 : 1;
        m_text.append(u' ');
        const QStringView text(m_text.constData(), m_text.size());
        std::array<QStringView, 4> cells;
        for (QStringView &cell : cells) {
            const qsizetype space = text.indexOf(u' ', pos);
            if (space < 0)
                break; // the row has run out: this and the later cells stay empty
            cell = text.sliced(pos, space - pos);
            pos = space + 1;
        }
        return cells;
    }

private:
    QVarLengthArray<QChar, 128> m_text;
};

} // namespace

TradosCounts readTradosLog(TextLineReader &lines, const TradosNumberParser &numbers, const TradosNotify &notify)
{
    TradosCounts counts;
    TableScanner scan(lines);
    if (!scan.nextHeading())
        return counts;

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

    RowSplitter splitter;
    for (int r = 0; r < kRows; ++r) {
        const auto cells = splitter.split(rows[r], column);
        for (int k = 0; k < 4; ++k) {
            const std::optional<double> value = numbers.parseWithoutCommas(cells[k]);
            if (!value)
                notify(cantConvertMessage(cells[k]));
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
    RowSplitter splitter;
    QString row;
    int tables = 0;
    while (scan.nextHeading()) {
        const bool counted = !scan.isJobTotal();
        tables += counted ? 1 : 0;
        for (int r = 0; r < kRows; ++r) {
            scan.readRow(row);
            if (!counted)
                continue;
            const auto cells = splitter.split(row, scan.column());
            for (int k = 0; k < 4; ++k) {
                double &cell = counts.column(k)[r];
                const std::optional<double> value = numbers.parseWithoutCommas(cells[k]);
                if (!value || !addFinite(cell, *value)) {
                    notify(cantConvertMessage(cells[k]));
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
    return counts;
}

} // namespace quotaly

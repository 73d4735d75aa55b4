#include "TradosCsvReader.h"

#include "TextLineReader.h"
#include "dataset/Error.h"

#include <algorithm>

#include <QDir>
#include <QVarLengthArray>

namespace quotaly {

namespace {

constexpr int kColumns = 39;
constexpr int kFirstUsedColumn = 9;
constexpr int kHeadingLines = 2;

/// Splits one line at ";" outside quotes. Quoted cells lose their quotes; the cells are views into `storage`
/// when a cell needed unquoting, else into the line.
class CsvSplitter
{
public:
    const QVarLengthArray<QStringView, 48> &split(QStringView line)
    {
        m_cells.clear();
        m_storage.clear();
        m_storage.reserve(line.size());
        qsizetype pos = 0;
        for (;;) {
            const qsizetype start = skipBlanks(line, pos);
            if (start < line.size() && line[start] == u'"') {
                pos = unquote(line, start + 1);
            } else {
                const qsizetype end = line.indexOf(u';', pos);
                m_cells.append(line.sliced(pos, (end < 0 ? line.size() : end) - pos));
                pos = end < 0 ? line.size() : end;
            }
            if (pos >= line.size())
                break;
            ++pos; // the ";"
        }
        return m_cells;
    }

private:
    static qsizetype skipBlanks(QStringView line, qsizetype pos)
    {
        while (pos < line.size() && (line[pos] == u' ' || line[pos] == u'\t'))
            ++pos;
        return pos;
    }

    /// Reads a quoted cell starting after its opening quote; returns the position of the ";" after it (or the
    /// line's end). Text between the closing quote and the ";" is kept.
    qsizetype unquote(QStringView line, qsizetype pos)
    {
        const qsizetype begin = m_storage.size();
        while (pos < line.size()) {
            const QChar c = line[pos++];
            if (c != u'"') {
                m_storage.append(c);
            } else if (pos < line.size() && line[pos] == u'"') {
                m_storage.append(c);
                ++pos;
            } else {
                break;
            }
        }
        while (pos < line.size() && line[pos] != u';')
            m_storage.append(line[pos++]);
        // m_storage was reserved for the whole line, so the views into it stay valid.
        m_cells.append(QStringView(m_storage.constData() + begin, m_storage.size() - begin));
        return pos;
    }

    QVarLengthArray<QStringView, 48> m_cells;
    QVarLengthArray<QChar, 512> m_storage;
};

void addRecord(const QVarLengthArray<QStringView, 48> &cells, const TradosNumberParser &numbers,
               const TradosNotify &notify, TradosCounts &counts)
{
    const int available = int(std::min<qsizetype>(cells.size(), kColumns));
    for (int n = kFirstUsedColumn; n <= available; ++n) {
        const int row = (n - 1) / 4 - 1;
        const int k = (n - 1) % 4;
        if (k == 2)
            continue; // placeables: not read
        const QStringView cell = cells[n - 1].trimmed();
        if (cell.isEmpty())
            continue;
        double &sum = (k == 0 ? counts.segments : k == 1 ? counts.words : counts.percent)[row];
        const std::optional<double> value = numbers.parse(cell);
        if (!value || !addFinite(sum, *value))
            notify(cantConvertMessage(cell));
    }
}

} // namespace

TradosCounts readTradosCsv(TextLineReader &lines, const TradosNotify &notify, const QString &fileName)
{
    const TradosNumberParser numbers(QLocale::c());
    TradosCounts counts;
    CsvSplitter splitter;
    QString line;
    qsizetype lineNumber = 0;
    int records = 0;
    while (lines.readLine(line)) {
        if (++lineNumber <= kHeadingLines || line.trimmed().isEmpty())
            continue;
        ++records;
        const auto &cells = splitter.split(line);
        if (cells.size() < kColumns) {
            notify(QStringLiteral("Line %1 has %2 of %3 columns; the missing cells count as 0.")
                       .arg(lineNumber)
                       .arg(cells.size())
                       .arg(kColumns));
        } else if (std::any_of(cells.begin() + kColumns, cells.end(),
                               [](QStringView cell) { return !cell.trimmed().isEmpty(); })) {
            notify(QStringLiteral("Line %1 has %2 columns; the cells after column %3 are ignored.")
                       .arg(lineNumber)
                       .arg(cells.size())
                       .arg(kColumns));
        }
        addRecord(cells, numbers, notify, counts);
        // A line with cells beyond the eight leading text columns holds counts; a stray text file has none.
        counts.tableFound = counts.tableFound || cells.size() >= kFirstUsedColumn;
    }
    if (records == 0) {
        throw Error(QStringLiteral("Cannot read %1: it holds no data line after the two heading lines, so there is "
                                   "nothing to average")
                        .arg(QDir::toNativeSeparators(fileName)));
    }
    for (double &percent : counts.percent)
        percent /= records;
    return counts;
}

} // namespace quotaly

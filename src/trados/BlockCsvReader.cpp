#include "BlockCsvReader.h"

#include "TextLineReader.h"
#include "dataset/Error.h"

#include <list>

#include <QDir>

namespace quotaly {

namespace {

enum class Field
{
    Ignored,
    Segments,
    Words,
    Characters,
    Placeables
};

struct Column
{
    int row = kNotCounted;
    Field field = Field::Ignored;
};

Field fieldOfName(const QString &name)
{
    const QString key = name.trimmed().toLower();
    if (key == u"segments")
        return Field::Segments;
    if (key == u"words")
        return Field::Words;
    if (key == u"characters")
        return Field::Characters;
    if (key == u"placeables")
        return Field::Placeables;
    return Field::Ignored;
}

QChar likelySeparator(QStringView fieldLine)
{
    const qsizetype semicolons = fieldLine.count(u';');
    const qsizetype tabs = fieldLine.count(u'\t');
    const qsizetype commas = fieldLine.count(u',');
    if (tabs > semicolons && tabs > commas)
        return u'\t';
    return commas > semicolons ? QChar(u',') : QChar(u';');
}

QString withoutBom(const QString &line)
{
    return line.startsWith(QChar(0xFEFF)) ? line.sliced(1) : line;
}

/// Splits lines into views of their cells; only a quoted cell holding a doubled quote is copied (into storage kept
/// for the line).
class CsvCells
{
public:
    const QList<QStringView> &split(QStringView line, QChar separator)
    {
        m_views.clear();
        m_copies.clear();
        if (!line.contains(u'"')) {
            for (const QStringView cell : line.tokenize(separator))
                m_views.append(cell);
            return m_views;
        }
        qsizetype pos = 0;
        for (;;) {
            qsizetype end = line.indexOf(separator, pos);
            const QStringView raw = line.sliced(pos, (end < 0 ? line.size() : end) - pos);
            if (raw.trimmed().startsWith(u'"')) {
                // The cell runs to the separator after its closing quote, wherever that is.
                const qsizetype open = line.indexOf(u'"', pos);
                qsizetype close = open + 1;
                bool doubled = false;
                while ((close = line.indexOf(u'"', close)) >= 0 && close + 1 < line.size() && line[close + 1] == u'"') {
                    doubled = true;
                    close += 2;
                }
                if (close < 0)
                    close = line.size();
                end = line.indexOf(separator, close);
                if (doubled) {
                    m_copies.push_back(splitCsvLine(line.sliced(pos, (end < 0 ? line.size() : end) - pos), separator).first());
                    m_views.append(m_copies.back());
                } else {
                    m_views.append(line.sliced(open + 1, close - open - 1));
                }
            } else {
                m_views.append(raw);
            }
            if (end < 0)
                return m_views;
            pos = end + 1;
        }
    }

private:
    QList<QStringView> m_views;
    std::list<QString> m_copies; // views into them stay valid while more are added
};

class BlockCsvParser
{
public:
    BlockCsvParser(const BlockCsvKind &kind, const QString &fileName) : m_kind(kind), m_fileName(fileName) {}

    AnalysisReport read(TextLineReader &lines)
    {
        QString captions;
        QString fields;
        if (!lines.readLine(captions) || !lines.readLine(fields))
            fail(QStringLiteral("its heading lines are missing"));
        mapColumns(splitCsvLine(withoutBom(captions), m_kind.separator), splitCsvLine(fields, m_kind.separator));
        AnalysisReport report;
        report.format = blockCsvFormatName(m_kind.flavour);
        report.hasCharacters = m_charactersInEveryCategory;
        QString line;
        qsizetype lineNumber = 2;
        CsvCells cells;
        while (lines.readLine(line)) {
            ++lineNumber;
            if (QStringView(line).trimmed().isEmpty())
                continue;
            report.files.append(readFile(cells.split(line, m_kind.separator), lineNumber));
        }
        if (report.files.isEmpty())
            fail(QStringLiteral("it holds no line of counts"));
        report.sumFiles();
        report.finish(m_hasTotal);
        return report;
    }

private:
    [[noreturn]] void fail(const QString &why) const
    {
        throw Error(QStringLiteral("Cannot read %1 as a %2: %3.")
                        .arg(QDir::toNativeSeparators(m_fileName), blockCsvFormatName(m_kind.flavour), why));
    }

    void mapColumns(const QStringList &captions, const QStringList &fields)
    {
        m_columns.resize(fields.size());
        int row = kNotCounted;
        std::array<bool, 9> hasWords{};
        std::array<bool, 9> hasCharacters{};
        std::array<bool, 9> present{};
        std::array<QString, 9> names;
        for (qsizetype i = 0; i < fields.size(); ++i) {
            const QString caption = i < captions.size() ? captions[i].trimmed() : QString();
            if (!caption.isEmpty()) {
                row = analysisRowOfLabel(caption);
                if (row == kUnknownCategory)
                    fail(QStringLiteral("it has the category \"%1\", which Quotaly does not know").arg(caption));
                if (row >= 0) {
                    present[row] = true;
                    names[row] = caption;
                }
            }
            if (row < 0)
                continue;
            m_columns[i] = {row, fieldOfName(fields[i])};
            hasWords[row] = hasWords[row] || m_columns[i].field == Field::Words;
            hasCharacters[row] = hasCharacters[row] || m_columns[i].field == Field::Characters;
            m_usedColumns = int(i) + 1;
        }
        m_charactersInEveryCategory = true;
        for (int r = 0; r <= kTotalRow; ++r) {
            if (present[r] && !hasWords[r])
                fail(QStringLiteral("the category \"%1\" has no Words column").arg(names[r]));
            if (present[r] && r != kTotalRow && !hasCharacters[r])
                m_charactersInEveryCategory = false;
        }
        m_hasTotal = present[kTotalRow];
        if (m_usedColumns == 0)
            fail(QStringLiteral("its heading names no category"));
    }

    AnalysisFile readFile(const QList<QStringView> &cells, qsizetype lineNumber) const
    {
        if (cells.size() < m_usedColumns)
            fail(QStringLiteral("line %1 has %2 of its %3 columns").arg(lineNumber).arg(cells.size()).arg(m_usedColumns));
        AnalysisFile file{cells.first().trimmed().toString(), {}};
        for (int i = 0; i < m_usedColumns; ++i) {
            const Column &column = m_columns[i];
            if (column.field == Field::Ignored)
                continue;
            const std::optional<double> parsed = parseCount(cells[i]);
            if (!parsed)
                failCount(cells[i], QStringLiteral("Line %1 of %2").arg(lineNumber).arg(QDir::toNativeSeparators(m_fileName)));
            const double value = *parsed;
            AnalysisCounts &counts = file.rows[column.row];
            switch (column.field) {
            case Field::Segments:
                counts.segments += value;
                break;
            case Field::Words:
                counts.words += value;
                break;
            case Field::Characters:
                counts.characters += value;
                break;
            case Field::Placeables:
                counts.placeables += value;
                break;
            case Field::Ignored:
                break;
            }
        }
        return file;
    }

    const BlockCsvKind &m_kind;
    const QString &m_fileName;
    QList<Column> m_columns;
    int m_usedColumns = 0;
    bool m_hasTotal = false;
    bool m_charactersInEveryCategory = false;
};

} // namespace

std::optional<BlockCsvKind> detectBlockCsv(const QStringList &firstLines)
{
    if (firstLines.size() < 2)
        return std::nullopt;
    const QString captionLine = withoutBom(firstLines[0]);
    const QChar separator = likelySeparator(firstLines[1]);
    const QStringList fields = splitCsvLine(firstLines[1], separator);
    if (fields.size() < 4 || fields[0].trimmed() != u"File")
        return std::nullopt;
    const auto isRate = [](const QString &field) { return field == u"Chars/Word" || field == u"Char/Word"; };
    if (!isRate(fields[1].trimmed()) && !isRate(fields[2].trimmed()))
        return std::nullopt;
    if (fields[3].trimmed() == u"Characters")
        return std::nullopt; // the Trados CSV: the job's characters stand before the first category
    if (captionLine.contains(QStringLiteral("Golden")))
        return BlockCsvKind{BlockCsvFlavour::Wordfast, separator};
    if (fields.contains(QStringLiteral("Asian characters")))
        return BlockCsvKind{BlockCsvFlavour::MemoqAllInformation, separator};
    if (fields.contains(QStringLiteral(" Words")))
        return BlockCsvKind{BlockCsvFlavour::MemoqTradosCompatible, separator};
    return BlockCsvKind{BlockCsvFlavour::Phrase, separator};
}

QString blockCsvFormatName(BlockCsvFlavour flavour)
{
    switch (flavour) {
    case BlockCsvFlavour::MemoqTradosCompatible:
        return QStringLiteral("memoQ CSV (Trados-compatible)");
    case BlockCsvFlavour::MemoqAllInformation:
        return QStringLiteral("memoQ CSV (all information)");
    case BlockCsvFlavour::Phrase:
        return QStringLiteral("Phrase (Memsource) CSV");
    case BlockCsvFlavour::Wordfast:
        break;
    }
    return QStringLiteral("Wordfast Pro CSV");
}

AnalysisReport readBlockCsv(TextLineReader &lines, const BlockCsvKind &kind, const QString &fileName)
{
    return BlockCsvParser(kind, fileName).read(lines);
}

QStringList splitCsvLine(QStringView line, QChar separator)
{
    QStringList cells;
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c != u'"')
                cell.append(c);
            else if (i + 1 < line.size() && line[i + 1] == u'"')
                cell.append(line[++i]);
            else
                quoted = false;
        } else if (c == separator) {
            cells.append(cell);
            cell.clear();
        } else if (c == u'"' && cell.trimmed().isEmpty()) {
            quoted = true;
            cell.clear();
        } else {
            cell.append(c);
        }
    }
    cells.append(cell);
    return cells;
}

} // namespace quotaly

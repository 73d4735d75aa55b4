#include "ClientImportParser.h"

#include "DelimitedTextWriter.h"
#include "dataset/Dataset.h"
#include "dataset/Error.h"
#include "trados/TextLineReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace quotaly {

namespace {

constexpr int kValueCount = 11;
constexpr int kMaxCutFields = 10; // fields taken with their delimiter from the start of a long line
constexpr int kValueSize = 100;
constexpr qint64 kSniffSize = 64 * 1024;

const QStringList &importFieldNames()
{
    static const QStringList names{
        QStringLiteral("FullName"),     QStringLiteral("VATNo"),        QStringLiteral("AddressLine1"),
        QStringLiteral("AddressLine2"), QStringLiteral("AddressLine3"), QStringLiteral("Tel"),
        QStringLiteral("Fax"),          QStringLiteral("EMail"),        QStringLiteral("url"),
        QStringLiteral("Additional1"),  QStringLiteral("Additional2")};
    return names;
}

// One field of a record: its value, and whether it was written in double quotes.
struct Field
{
    QString value;
    bool quoted = false;
};

// Splits one line at every delimiter, quotes and all.
QList<Field> plainFields(const QString &line, QChar delimiter)
{
    QList<Field> fields;
    for (const QString &value : line.split(delimiter))
        fields.append({value, false});
    return fields;
}

// Reads the record that starts at lines[next]: a field that begins with a double quote runs to the matching
// closing quote ("" inside it is one quote), delimiters and line breaks inside it included; any other field
// runs to the next delimiter, quote characters and all. Characters after a closing quote up to the delimiter
// are kept. A quote that never closes would swallow the rest of the file, so that line is read plainly.
// Advances `next` past the lines the record used.
QList<Field> readRecord(const QStringList &lines, qsizetype &next, QChar delimiter)
{
    const qsizetype first = next;
    QString line = lines.at(next++);
    QList<Field> fields;
    qsizetype pos = 0;
    while (true) {
        Field field;
        if (pos < line.size() && line.at(pos) == u'"') {
            field.quoted = true;
            ++pos;
            while (true) {
                const qsizetype quote = line.indexOf(u'"', pos);
                if (quote < 0) {
                    if (next >= lines.size()) {
                        next = first + 1;
                        return plainFields(lines.at(first), delimiter);
                    }
                    field.value += QStringView(line).mid(pos);
                    field.value += u'\n';
                    line = lines.at(next++);
                    pos = 0;
                    continue;
                }
                field.value += QStringView(line).mid(pos, quote - pos);
                pos = quote + 1;
                if (pos < line.size() && line.at(pos) == u'"') {
                    field.value += u'"';
                    ++pos;
                    continue;
                }
                break;
            }
        }
        qsizetype end = line.indexOf(delimiter, pos);
        if (end < 0)
            end = line.size();
        field.value += QStringView(line).mid(pos, end - pos);
        fields.append(field);
        if (end >= line.size())
            return fields;
        pos = end + 1;
    }
}

// The fields of a record that are imported: a record of more than eleven fields keeps its first ten, a shorter
// one keeps all; an empty unquoted last field (the line ended with a delimiter) is dropped.
QList<Field> keptFields(QList<Field> fields)
{
    if (fields.size() > kValueCount)
        fields.resize(kMaxCutFields);
    else if (fields.size() > 1 && fields.last().value.isEmpty() && !fields.last().quoted)
        fields.removeLast();
    return fields;
}

QStringList rowValues(const QList<Field> &kept)
{
    QStringList values;
    values.reserve(kValueCount);
    for (int i = 0; i < kValueCount; ++i)
        values << (i < kept.size() ? kept.at(i).value.left(kValueSize) : QString());
    return values;
}

QString intermediateLine(const QList<Field> &kept, QChar delimiter)
{
    QStringList parts;
    parts.reserve(kept.size());
    for (const Field &field : kept)
        parts << delimitedField(field.value, delimiter);
    return parts.join(delimiter);
}

// A line with no quote character and no line break character (most lines of most files) needs none of
// readRecord()'s work: its fields are slices of the line, and its kept part is already the intermediate text.
bool isPlainLine(const QString &line)
{
    for (const QChar c : line) {
        if (c == u'"' || c == u'\r' || c == u'\n')
            return false;
    }
    return true;
}

// The record of a plain line, as readRecord() and keptFields() would make it, into `text`.
void appendPlainRecord(const QString &line, QChar delimiter, ClientImportText &text, bool intermediateKept)
{
    QStringView fields[kValueCount + 1];
    qsizetype count = 0;
    qsizetype keptEnd = line.size();
    qsizetype start = 0;
    while (true) {
        qsizetype end = line.indexOf(delimiter, start);
        if (end < 0)
            end = line.size();
        if (count == kMaxCutFields)
            keptEnd = start - 1; // where a record cut to ten fields ends, should it turn out longer than eleven
        if (count <= kValueCount)
            fields[count] = QStringView(line).mid(start, end - start);
        ++count;
        if (end >= line.size())
            break;
        start = end + 1;
    }
    if (count > kValueCount) {
        count = kMaxCutFields;
    } else {
        keptEnd = line.size();
        if (count > 1 && fields[count - 1].isEmpty()) {
            --count;
            --keptEnd;
        }
    }
    if (intermediateKept)
        text.intermediate += QStringView(line).left(keptEnd);
    QStringList values;
    values.reserve(kValueCount);
    for (qsizetype i = 0; i < kValueCount; ++i)
        values << (i < count ? fields[i].left(kValueSize).toString() : QString());
    text.rows << values;
}

[[noreturn]] void cannotRead(const QString &fileName, const QString &why)
{
    throw Error(QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(fileName), why));
}

// A file with NUL bytes near its start is binary unless it is marked as UTF-16.
bool looksBinary(const QByteArray &head)
{
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF"))
        return false;
    return head.contains('\0');
}

} // namespace

QChar detectImportDelimiter(qsizetype tabs, qsizetype commas, qsizetype semicolons)
{
    if (tabs >= semicolons && tabs >= commas)
        return QChar(u'\t');
    if (semicolons >= commas)
        return QChar(u';');
    return QChar(u',');
}

ClientImportSplitter::ClientImportSplitter(const QStringList &lines, std::optional<QChar> userDelimiter)
    : m_lines(lines)
{
    if (userDelimiter) {
        m_delimiter = *userDelimiter;
        return;
    }
    qsizetype tabs = 0;
    qsizetype commas = 0;
    qsizetype semicolons = 0;
    for (const QString &line : lines) {
        for (QChar c : line) {
            if (c == u'\t')
                ++tabs;
            else if (c == u',')
                ++commas;
            else if (c == u';')
                ++semicolons;
        }
    }
    m_delimiter = detectImportDelimiter(tabs, commas, semicolons);
}

void ClientImportSplitter::read(qsizetype records, ClientImportText &text)
{
    const QString lineEnd = QStringLiteral("\r\n");
    for (qsizetype done = 0; done < records && m_next < m_lines.size(); ++done) {
        if (m_intermediateKept)
            text.intermediate += lineEnd;
        if (isPlainLine(m_lines.at(m_next))) {
            appendPlainRecord(m_lines.at(m_next++), m_delimiter, text, m_intermediateKept);
            continue;
        }
        const QList<Field> kept = keptFields(readRecord(m_lines, m_next, m_delimiter));
        if (m_intermediateKept)
            text.intermediate += intermediateLine(kept, m_delimiter);
        text.rows << rowValues(kept);
    }
}

ClientImportText parseClientImport(const QStringList &lines, std::optional<QChar> userDelimiter)
{
    ClientImportSplitter splitter(lines, userDelimiter);
    ClientImportText text;
    text.delimiter = splitter.delimiter();
    text.intermediate = importFieldNames().join(text.delimiter);
    text.rows.reserve(lines.size());
    splitter.read(lines.size(), text);
    return text;
}

QStringList readImportFileLines(const QString &fileName)
{
    if (QFileInfo(fileName).isDir())
        cannotRead(fileName, QStringLiteral("it is a folder, not a file"));
    QFile opened(fileName);
    if (!opened.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open %1: %2").arg(QDir::toNativeSeparators(fileName), opened.errorString()));
    // A pipe (/dev/stdin, a shell's <(...)) can be read only once and has no size: what comes through it is kept
    // in a temporary file, and read from there.
    QTemporaryFile copy;
    QFile *source = &opened;
    if (opened.isSequential()) {
        const QByteArray bytes = opened.readAll();
        if (!copy.open() || copy.write(bytes) != bytes.size() || !copy.flush() || !copy.seek(0))
            cannotRead(fileName,
                       QStringLiteral("its contents cannot be kept in a temporary file (%1)").arg(copy.errorString()));
        source = &copy;
    }
    QFile &file = *source;
    const QByteArray head = file.peek(kSniffSize);
    if (looksBinary(head))
        throw Error(QStringLiteral("%1 is not a text file").arg(QDir::toNativeSeparators(fileName)));

    TextLineReader reader(file);
    QStringList lines;
    QString line;
    while (reader.readLine(line))
        lines << line;
    return lines;
}

void fillImportData(Dataset &dxImportData, const ClientImportText &text)
{
    dxImportData.close();
    dxImportData.createDataSet();
    const int fieldCount = std::min(dxImportData.fieldCount(), kValueCount);
    // Bound views learn about the rows once, when the filling is over.
    dxImportData.disableControls();
    try {
        for (const QStringList &row : text.rows) {
            RowValues values;
            values.reserve(fieldCount);
            for (int i = 0; i < fieldCount; ++i)
                values << row.value(i);
            dxImportData.appendRecord(values);
        }
    } catch (...) {
        dxImportData.enableControls();
        throw;
    }
    dxImportData.enableControls();
    dxImportData.first();
}

} // namespace quotaly

#include "ClientImportParser.h"

#include "dataset/Dataset.h"
#include "dataset/Error.h"
#include "trados/TextLineReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

// The part of a line that is imported: up to ten fields with their delimiters, plus the rest of the line when
// no delimiter is left in it; a single delimiter at the end is dropped.
QString keptPart(const QString &line, QChar delimiter)
{
    qsizetype end = 0;
    for (int field = 0; field < kMaxCutFields; ++field) {
        const qsizetype hit = line.indexOf(delimiter, end);
        if (hit < 0)
            break;
        end = hit + 1;
    }
    QString kept = line.indexOf(delimiter, end) < 0 ? line : line.left(end);
    if (kept.endsWith(delimiter))
        kept.chop(1);
    return kept;
}

QStringList rowValues(const QString &kept, QChar delimiter)
{
    const QStringList fields = kept.split(delimiter);
    QStringList values;
    values.reserve(kValueCount);
    for (int i = 0; i < kValueCount; ++i)
        values << fields.value(i).left(kValueSize);
    return values;
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

ClientImportText parseClientImport(const QStringList &lines, std::optional<QChar> userDelimiter)
{
    ClientImportText text;
    if (userDelimiter) {
        text.delimiter = *userDelimiter;
    } else {
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
        text.delimiter = detectImportDelimiter(tabs, commas, semicolons);
    }

    const QString lineEnd = QStringLiteral("\r\n");
    text.intermediate = importFieldNames().join(text.delimiter);
    text.rows.reserve(lines.size());
    for (const QString &line : lines) {
        const QString kept = keptPart(line, text.delimiter);
        text.intermediate += lineEnd;
        text.intermediate += kept;
        text.rows << rowValues(kept, text.delimiter);
    }
    return text;
}

QStringList readImportFileLines(const QString &fileName)
{
    if (QFileInfo(fileName).isDir())
        cannotRead(fileName, QStringLiteral("it is a folder, not a file"));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open %1: %2").arg(QDir::toNativeSeparators(fileName), file.errorString()));
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

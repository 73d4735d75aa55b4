#include "InvoiceBatch.h"

#include "dataset/Error.h"
#include "dataset/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace quotaly::cli {

namespace {

struct Record
{
    int lineNumber = 0;
    QStringList cells;
    bool unterminatedQuote = false;
};

QString decoded(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = decodeWindows1252(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

// Splits the text into records of cells; a line break inside quotes belongs to the cell.
QList<Record> records(const QString &text)
{
    QList<Record> result;
    int line = 1;
    qsizetype i = 0;
    while (i < text.size()) {
        Record record;
        record.lineNumber = line;
        QString cell;
        bool quoted = false;
        bool endOfRecord = false;
        while (i < text.size() && !endOfRecord) {
            const QChar c = text.at(i++);
            if (quoted) {
                if (c == u'"' && i < text.size() && text.at(i) == u'"') {
                    cell += u'"';
                    ++i;
                } else if (c == u'"') {
                    quoted = false;
                } else {
                    if (c == u'\n')
                        ++line;
                    cell += c;
                }
            } else if (c == u'"') {
                quoted = true;
            } else if (c == u',') {
                record.cells << cell;
                cell.clear();
            } else if (c == u'\n' || c == u'\r') {
                if (c == u'\r' && i < text.size() && text.at(i) == u'\n')
                    ++i;
                ++line;
                endOfRecord = true;
            } else {
                cell += c;
            }
        }
        record.cells << cell;
        record.unterminatedQuote = quoted;
        const bool blank = record.cells.size() == 1 && record.cells.first().trimmed().isEmpty() && !quoted;
        if (!blank)
            result << record;
    }
    return result;
}

QString absoluteIn(const QDir &base, const QString &path)
{
    return QDir::cleanPath(base.absoluteFilePath(path));
}

} // namespace

QStringList invoiceBatchColumns()
{
    return {QStringLiteral("log"),      QStringLiteral("words"),       QStringLiteral("percent"),
            QStringLiteral("total"),    QStringLiteral("client"),      QStringLiteral("invoice-no"),
            QStringLiteral("date"),     QStringLiteral("payment-due"), QStringLiteral("job"),
            QStringLiteral("po"),       QStringLiteral("manager"),     QStringLiteral("comments"),
            QStringLiteral("template"), QStringLiteral("out")};
}

QList<InvoiceBatchLine> readInvoiceBatch(const QString &file)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("cannot read %1: %2").arg(QDir::toNativeSeparators(file), in.errorString()));
    const QList<Record> all = records(decoded(in.readAll()));
    if (all.isEmpty())
        throw Error(
            QStringLiteral("%1 is empty; its first line names the columns").arg(QDir::toNativeSeparators(file)));

    const QStringList known = invoiceBatchColumns();
    QStringList columns;
    for (const QString &name : all.first().cells) {
        const QString column = name.trimmed().toLower();
        if (!known.contains(column)) {
            throw Error(QStringLiteral("%1 line %2: unknown column \"%3\"; the columns are %4")
                            .arg(QDir::toNativeSeparators(file))
                            .arg(all.first().lineNumber)
                            .arg(name.trimmed(), known.join(QStringLiteral(", "))));
        }
        if (columns.contains(column)) {
            throw Error(QStringLiteral("%1 line %2: the column \"%3\" is named twice")
                            .arg(QDir::toNativeSeparators(file))
                            .arg(all.first().lineNumber)
                            .arg(column));
        }
        columns << column;
    }
    for (const char *needed : {"client", "out"}) {
        if (!columns.contains(QLatin1String(needed))) {
            throw Error(QStringLiteral("%1 has no column \"%2\"; its first line names the columns")
                            .arg(QDir::toNativeSeparators(file), QLatin1String(needed)));
        }
    }

    const QDir base = QFileInfo(file).absoluteDir();
    QList<InvoiceBatchLine> lines;
    for (qsizetype r = 1; r < all.size(); ++r) {
        const Record &record = all.at(r);
        InvoiceBatchLine line;
        line.lineNumber = record.lineNumber;
        if (record.unterminatedQuote) {
            line.problem = QStringLiteral("a quote is not closed");
        } else if (record.cells.size() > columns.size()) {
            line.problem = QStringLiteral("%1 cells, but the first line names %2 columns")
                               .arg(record.cells.size())
                               .arg(columns.size());
        }
        for (qsizetype c = 0; c < record.cells.size() && line.problem.isEmpty(); ++c) {
            const QString value = record.cells.at(c).trimmed();
            if (value.isEmpty())
                continue;
            const QString &column = columns.at(c);
            if (column == u"log")
                line.arguments << absoluteIn(base, value);
            else if (column == u"out")
                line.arguments << QStringLiteral("--out") << absoluteIn(base, value);
            else
                line.arguments << QStringLiteral("--") + column << value;
        }
        lines << line;
    }
    return lines;
}

} // namespace quotaly::cli

#include "DelimitedTextWriter.h"

#include <algorithm>

namespace quotaly {

namespace {

bool needsQuotes(const QString &value, QChar separator)
{
    for (const QChar c : value) {
        if (c == separator || c == u'"' || c == u'\r' || c == u'\n')
            return true;
    }
    return false;
}

void appendField(QString &out, const QString &value, QChar separator)
{
    if (!needsQuotes(value, separator)) {
        out += value;
        return;
    }
    out += u'"';
    for (const QChar c : value) {
        if (c == u'"')
            out += u'"';
        out += c;
    }
    out += u'"';
}

void appendLine(QString &out, const QStringList &values, QChar separator)
{
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += separator;
        appendField(out, values.at(i), separator);
    }
    out += QLatin1String("\r\n");
}

} // namespace

QString delimitedField(const QString &value, QChar separator)
{
    QString out;
    appendField(out, value, separator);
    return out;
}

QByteArray delimitedText(const ExportTable &table, QChar separator)
{
    QString out;
    out.reserve(64 + table.lines.size() * 16 * std::max<qsizetype>(1, table.captions.size()));
    appendLine(out, table.captions, separator);
    out += QLatin1String("\r\n");
    for (const ExportTable::Line &line : table.lines) {
        if (line.isGroupHeading)
            appendLine(out, {line.heading}, separator);
        else
            appendLine(out, line.cells, separator);
    }
    return out.toUtf8();
}

} // namespace quotaly

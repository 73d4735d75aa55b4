#include "Html32Writer.h"

#include <algorithm>
#include <initializer_list>

namespace quotaly {

namespace {

const QLatin1String kCrLf("\r\n");

int columnCount(const ExportTable &table)
{
    qsizetype n = table.captions.size();
    for (const ExportTable::Line &line : table.lines)
        n = std::max(n, line.cells.size());
    return int(n);
}

bool isNumeric(const ExportTable &table, int column)
{
    return column < table.numeric.size() && table.numeric.at(column);
}

QLatin1String entityFor(QChar c)
{
    switch (c.unicode()) {
    case u'&':
        return QLatin1String("&amp;");
    case u'<':
        return QLatin1String("&lt;");
    case u'>':
        return QLatin1String("&gt;");
    case u'"':
        return QLatin1String("&quot;");
    case u'\r':
    case u'\n':
        return QLatin1String("<BR>");
    default:
        return QLatin1String();
    }
}

// Copies runs of ordinary characters whole; only the few special ones are replaced.
void appendEscaped(QString &out, const QString &text)
{
    const QStringView view(text);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < view.size(); ++i) {
        const QLatin1String entity = entityFor(view.at(i));
        if (entity.isNull())
            continue;
        out += view.sliced(runStart, i - runStart);
        out += entity;
        if (view.at(i) == u'\r' && i + 1 < view.size() && view.at(i + 1) == u'\n')
            ++i; // CR LF is one line break
        runStart = i + 1;
    }
    out += view.sliced(runStart);
}

// An empty cell holds &nbsp; so that browsers still draw its border.
void appendCellContent(QString &out, const QString &text)
{
    if (text.isEmpty())
        out += QLatin1String("&nbsp;");
    else
        appendEscaped(out, text);
}

void appendCell(QString &out, QLatin1String tag, const QString &text, bool right)
{
    out += u'<';
    out += tag;
    out += right ? QLatin1String(" ALIGN=\"right\" VALIGN=\"top\">") : QLatin1String(" VALIGN=\"top\">");
    appendCellContent(out, text);
    out += QLatin1String("</");
    out += tag;
    out += u'>';
}

void appendLines(QString &out, std::initializer_list<QLatin1String> lines)
{
    for (const QLatin1String line : lines) {
        out += line;
        out += kCrLf;
    }
}

void appendHeaderRow(QString &out, const ExportTable &table)
{
    out += QLatin1String("<TR>");
    for (int c = 0; c < table.captions.size(); ++c)
        appendCell(out, QLatin1String("TH"), table.captions.at(c), isNumeric(table, c));
    appendLines(out, {QLatin1String("</TR>")});
}

void appendLine(QString &out, const ExportTable &table, const ExportTable::Line &line, int columns)
{
    out += QLatin1String("<TR>");
    if (line.isGroupHeading) {
        out += QStringLiteral("<TD COLSPAN=\"%1\" VALIGN=\"top\"><B>").arg(std::max(columns, 1));
        appendCellContent(out, line.heading);
        out += QLatin1String("</B></TD>");
    } else {
        for (int c = 0; c < line.cells.size(); ++c)
            appendCell(out, QLatin1String("TD"), line.cells.at(c), isNumeric(table, c));
    }
    appendLines(out, {QLatin1String("</TR>")});
}

} // namespace

QString html32Escaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    appendEscaped(out, text);
    return out;
}

QByteArray html32Document(const ExportTable &table)
{
    const int columns = columnCount(table);
    const QString title = table.title.isEmpty() ? QStringLiteral("Export") : table.title;
    QString out;
    out.reserve(512 + table.lines.size() * 32 * std::max(columns, 1));
    appendLines(out, {QLatin1String("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">"), QLatin1String("<HTML>"),
                      QLatin1String("<HEAD>"),
                      QLatin1String("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">")});
    out += QLatin1String("<TITLE>") + html32Escaped(title) + QLatin1String("</TITLE>");
    out += kCrLf;
    appendLines(out, {QLatin1String("</HEAD>"), QLatin1String("<BODY BGCOLOR=\"#FFFFFF\">"),
                      QLatin1String("<TABLE BORDER=\"1\" CELLSPACING=\"0\" CELLPADDING=\"2\">")});
    appendHeaderRow(out, table);
    for (const ExportTable::Line &line : table.lines)
        appendLine(out, table, line, columns);
    appendLines(out, {QLatin1String("</TABLE>"), QLatin1String("</BODY>"), QLatin1String("</HTML>")});
    return out.toUtf8();
}

} // namespace quotaly

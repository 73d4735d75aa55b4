#include "ReportRichText.h"

#include <algorithm>

#include <QRegularExpression>

namespace quotaly {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Widths in twips (1/1440 inch). Text at 10 pt needs up to 130 twips per character (bold 155) in the
// sans-serif fonts word processors use for Arial; the table must fit between the margins of an A4 or Letter
// page.
constexpr int kTwipsPerChar = 130;
constexpr int kTwipsPerBoldChar = 155;
constexpr int kCellGap = 108; // \trgaph: half the space between two cells' texts
constexpr int kMinCellWidth = 500;
constexpr int kPageWidth = 9000;

enum class Align
{
    Left,
    Right
};

int columnCount(const ReportTable &t)
{
    qsizetype n = std::max(t.titles.size(), t.footer.size());
    for (const QStringList &row : t.rows)
        n = std::max(n, row.size());
    return int(n);
}

QString cellAt(const QStringList &cells, int column)
{
    return column < cells.size() ? cells.at(column) : QString();
}

bool looksNumeric(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*[-+\x{2212}]?\d[\d\s.,'\x{00A0}\x{202F}]*(\s*%)?\s*$)"));
    return number.match(text).hasMatch();
}

// A column is right-aligned when every record holding text in it holds a number.
QList<Align> columnAlignments(const ReportTable &t, int columns)
{
    QList<Align> align(columns, Align::Left);
    for (int c = 0; c < columns; ++c) {
        bool any = false;
        bool numeric = true;
        for (const QStringList &row : t.rows) {
            const QString cell = cellAt(row, c);
            if (cell.trimmed().isEmpty())
                continue;
            any = true;
            numeric = numeric && looksNumeric(cell);
        }
        if (any && numeric)
            align[c] = Align::Right;
    }
    return align;
}

bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x20000;
}

// Width of the longest line (or, with words, the longest word) of a cell in average characters; East Asian
// characters count twice.
int textWidth(const QString &text, bool words = false)
{
    int longest = 0;
    int current = 0;
    for (const char32_t c : text.toUcs4()) {
        if (c == u'\n' || c == u'\r' || (words && (c == u' ' || c == u'\t'))) {
            current = 0;
            continue;
        }
        current += isWide(c) ? 2 : 1;
        longest = std::max(longest, current);
    }
    return longest;
}

int twips(int chars, bool bold)
{
    return std::max(kMinCellWidth, chars * (bold ? kTwipsPerBoldChar : kTwipsPerChar) + 2 * kCellGap);
}

// Every column is as wide as its records and footer, and as its title's longest word, so that only titles
// wrap; room left on the page goes to titles that need more. A table that is still too wide for the page
// cuts its widest columns down to a common limit (their texts wrap), so narrow ones such as numbers keep
// their width.
QList<int> cellWidths(const ReportTable &t, int columns)
{
    QList<int> widths(columns, 0);
    QList<int> wanted(columns, 0);
    int total = 0;
    for (int c = 0; c < columns; ++c) {
        int data = 0;
        for (const QStringList &row : t.rows)
            data = std::max(data, twips(textWidth(cellAt(row, c)), false));
        data = std::max(data, twips(textWidth(cellAt(t.footer, c)), true));
        const QString title = cellAt(t.titles, c);
        widths[c] = std::max(data, twips(textWidth(title, true), true));
        wanted[c] = std::max(data, twips(textWidth(title), true));
        total += widths[c];
    }
    if (total <= kPageWidth) {
        int room = kPageWidth - total;
        for (int c = 0; c < columns && room > 0; ++c) {
            const int more = std::min(room, wanted.at(c) - widths.at(c));
            widths[c] += more;
            room -= more;
        }
        return widths;
    }
    QList<int> sorted = widths;
    std::sort(sorted.begin(), sorted.end());
    int room = kPageWidth;
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        const int left = int(sorted.size() - i);
        if (qint64(sorted.at(i)) * left > room) {
            const int limit = std::max(kMinCellWidth, room / left);
            for (int &w : widths)
                w = std::min(w, limit);
            break;
        }
        room -= sorted.at(i);
    }
    return widths;
}

QString rtfRow(const QStringList &cells, const QList<int> &widths, const QList<Align> &align, bool bold, bool header)
{
    static const QString border = QStringLiteral("\\brdrs\\brdrw10");
    QString out = QStringLiteral("\\trowd\\trgaph%1\\trleft0").arg(kCellGap);
    if (header)
        out += QStringLiteral("\\trhdr");
    out += kCrLf;
    int right = 0;
    for (const int w : widths) {
        right += w;
        out += QStringLiteral("\\clbrdrt") + border + QStringLiteral("\\clbrdrl") + border +
               QStringLiteral("\\clbrdrb") + border + QStringLiteral("\\clbrdrr") + border +
               QStringLiteral("\\cellx%1").arg(right) + kCrLf;
    }
    for (int c = 0; c < widths.size(); ++c) {
        out += QStringLiteral("\\pard\\intbl\\plain\\f0\\fs20");
        out += align.at(c) == Align::Right ? QStringLiteral("\\qr") : QStringLiteral("\\ql");
        if (bold)
            out += QStringLiteral("\\b");
        out += u' ' + rtfEscaped(cellAt(cells, c)) + QStringLiteral("\\cell") + kCrLf;
    }
    return out + QStringLiteral("\\row") + kCrLf;
}

QString htmlRow(const QStringList &cells, int columns, const QList<Align> &align, const QString &tag, bool bold)
{
    QString out = QStringLiteral("<tr>");
    for (int c = 0; c < columns; ++c) {
        const QString text = cellAt(cells, c);
        out += u'<' + tag +
               (align.at(c) == Align::Right ? QStringLiteral(" align=\"right\"") : QStringLiteral(" align=\"left\"")) +
               u'>';
        if (bold && !text.isEmpty())
            out += QStringLiteral("<b>") + htmlEscaped(text) + QStringLiteral("</b>");
        else
            out += htmlEscaped(text);
        out += QStringLiteral("</") + tag + u'>';
    }
    return out + QStringLiteral("</tr>\n");
}

} // namespace

QString rtfEscaped(const QString &text)
{
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        switch (c) {
        case u'\\':
        case u'{':
        case u'}':
            out += u'\\';
            out += QChar(c);
            break;
        case u'\t':
            out += QStringLiteral("\\tab ");
            break;
        case u'\r':
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            out += QStringLiteral("\\line ");
            break;
        case u'\n':
            out += QStringLiteral("\\line ");
            break;
        default:
            if (c >= 0x20 && c < 0x7F)
                out += QChar(c);
            else // a 16-bit unit written as a signed number; surrogate halves one by one
                out += QStringLiteral("\\u%1?").arg(int(qint16(c)));
        }
    }
    return out;
}

QString htmlEscaped(const QString &text)
{
    QString out = text.toHtmlEscaped(); // & < > "
    out.replace(QStringLiteral("\r\n"), QStringLiteral("<br />"));
    out.replace(u'\n', QStringLiteral("<br />"));
    out.replace(u'\r', QStringLiteral("<br />"));
    return out;
}

QString reportRtfTable(const ReportTable &table)
{
    const int columns = columnCount(table);
    QString out = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1") + kCrLf +
                  QStringLiteral("{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}") + kCrLf;
    if (columns > 0) {
        const QList<int> widths = cellWidths(table, columns);
        const QList<Align> align = columnAlignments(table, columns);
        out += rtfRow(table.titles, widths, align, true, true);
        for (const QStringList &row : table.rows)
            out += rtfRow(row, widths, align, false, false);
        if (!table.footer.isEmpty())
            out += rtfRow(table.footer, widths, align, true, false);
    }
    return out + QStringLiteral("\\pard\\plain\\f0\\fs20") + kCrLf + u'}';
}

QString reportHtmlTable(const ReportTable &table)
{
    const int columns = columnCount(table);
    const QList<Align> align = columnAlignments(table, columns);
    QString out = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n"
                                 "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n"
                                 "</head>\n<body>\n<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">\n");
    out += htmlRow(table.titles, columns, align, QStringLiteral("th"), false);
    for (const QStringList &row : table.rows)
        out += htmlRow(row, columns, align, QStringLiteral("td"), false);
    if (!table.footer.isEmpty())
        out += htmlRow(table.footer, columns, align, QStringLiteral("td"), true);
    return out + QStringLiteral("</table>\n</body>\n</html>\n");
}

} // namespace quotaly

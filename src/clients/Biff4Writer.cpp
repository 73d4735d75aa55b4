#include "Biff4Writer.h"

#include "dataset/Error.h"
#include "dataset/Windows1252.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QLocale>

namespace quotaly {

namespace {

enum RecordId : quint16
{
    kBof = 0x0409,
    kCodePage = 0x0042,
    kFont = 0x0231,
    kFormat = 0x041E,
    kXf = 0x0443,
    kStyle = 0x0293,
    kColInfo = 0x007D,
    kDimensions = 0x0200,
    kLabel = 0x0204,
    kNumber = 0x0203,
    kWindow2 = 0x023E,
    kEof = 0x000A,
};

// Cell XF indexes; XF 0 is the "Normal" style every cell XF derives from.
enum Xf : quint16
{
    kXfPlain = 1,
    kXfWrap = 2,
    kXfBold = 3,
    kXfBoldRight = 4,
};

constexpr int kMaxLabelBytes = 255;

/// One record appended to a stream: id and size, then the little-endian body; finish() fills in the size.
class Record
{
public:
    Record(QByteArray &out, quint16 id) : m_out(out), m_start(out.size()) { u16(id).u16(0); }

    Record &u8(quint8 v)
    {
        m_out.append(char(v));
        return *this;
    }
    Record &u16(quint16 v) { return u8(quint8(v & 0xFF)).u8(quint8(v >> 8)); }
    Record &u32(quint32 v) { return u16(quint16(v & 0xFFFF)).u16(quint16(v >> 16)); }
    Record &f64(double v)
    {
        quint64 bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        return u32(quint32(bits & 0xFFFFFFFFu)).u32(quint32(bits >> 32));
    }
    Record &bytes(const QByteArray &b)
    {
        m_out.append(b);
        return *this;
    }
    /// A byte string with an 8-bit length (font and format names: short ASCII).
    Record &shortString(const char *text)
    {
        const QByteArray b(text);
        return u8(quint8(b.size())).bytes(b);
    }
    void finish()
    {
        const qsizetype size = m_out.size() - m_start - 4;
        m_out[m_start + 2] = char(size & 0xFF);
        m_out[m_start + 3] = char(size >> 8);
    }

private:
    QByteArray &m_out;
    qsizetype m_start;
};

int columnCount(const ExportTable &table)
{
    qsizetype n = table.captions.size();
    for (const ExportTable::Line &line : table.lines)
        n = std::max(n, line.isGroupHeading ? qsizetype(1) : line.cells.size());
    return int(n);
}

void checkLimits(const ExportTable &table, int columns)
{
    const QLocale english(QLocale::English);
    const qsizetype rows = table.lines.size() + 1;
    if (rows > kBiff4MaxRows)
        throw Error(QStringLiteral("The worksheet can hold at most %1 rows; this list has %2 (with the captions row).")
                        .arg(english.toString(kBiff4MaxRows), english.toString(rows)));
    if (columns > kBiff4MaxColumns)
        throw Error(QStringLiteral("The worksheet can hold at most %1 columns; this list has %2.")
                        .arg(english.toString(kBiff4MaxColumns), english.toString(columns)));
}

bool hasLineBreak(const QString &text)
{
    return text.contains(u'\n') || text.contains(u'\r');
}

// Excel breaks lines inside a cell at LF.
QByteArray labelBytes(const QString &text)
{
    QString t = text;
    if (hasLineBreak(t)) {
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        t.replace(u'\r', u'\n');
    }
    QByteArray bytes = encodeWindows1252(t);
    if (bytes.size() > kMaxLabelBytes)
        bytes.truncate(kMaxLabelBytes);
    return bytes;
}

void label(QByteArray &out, int row, int column, quint16 xf, const QString &text)
{
    const QByteArray bytes = labelBytes(text);
    Record(out, kLabel).u16(quint16(row)).u16(quint16(column)).u16(xf).u16(quint16(bytes.size())).bytes(bytes).finish();
}

void number(QByteArray &out, int row, int column, quint16 xf, double value)
{
    Record(out, kNumber).u16(quint16(row)).u16(quint16(column)).u16(xf).f64(value).finish();
}

void font(QByteArray &out, bool bold)
{
    Record(out, kFont).u16(200).u16(bold ? 0x0001 : 0x0000).u16(0x7FFF).shortString("Arial").finish();
}

// A cell XF (BIFF4 layout): font, format 0 ("General"), locked, parent style XF 0, every attribute its own.
void cellXf(QByteArray &out, quint8 fontIndex, quint8 alignment)
{
    Record(out, kXf).u8(fontIndex).u8(0).u16(0x0001).u8(alignment).u8(0xFC).u16(0xCE00).u32(0).finish();
}

void formatRecords(QByteArray &out)
{
    font(out, false); // 0
    font(out, true);  // 1
    Record(out, kFormat).u16(0).shortString("General").finish();
    // Alignment byte: bits 0-2 horizontal (0 general, 3 right), bit 3 wrap, bits 4-5 vertical (2 bottom).
    Record(out, kXf).u8(0).u8(0).u16(0xFFF5).u8(0x20).u8(0x00).u16(0xCE00).u32(0).finish(); // style "Normal"
    cellXf(out, 0, 0x20);                                                                   // kXfPlain
    cellXf(out, 0, 0x28);                                                                   // kXfWrap
    cellXf(out, 1, 0x20);                                                                   // kXfBold
    cellXf(out, 1, 0x23);                                                                   // kXfBoldRight
    Record(out, kStyle).u16(0x8000).u8(0).u8(0xFF).finish();
}

// Width in characters of the longest line of a text.
int textWidth(const QString &text)
{
    if (!hasLineBreak(text))
        return int(text.size());
    int widest = 0;
    for (const QStringView line : QStringView(text).split(u'\n'))
        widest = std::max(widest, int(line.size()));
    return widest;
}

void columnWidths(QByteArray &out, const ExportTable &table, int columns)
{
    for (int c = 0; c < columns; ++c) {
        int chars = c < table.captions.size() ? textWidth(table.captions.at(c)) + 1 : 0;
        for (const ExportTable::Line &line : table.lines) {
            if (c < line.cells.size())
                chars = std::max(chars, textWidth(line.cells.at(c)));
        }
        const int width = (std::clamp(chars, 8, 60) + 1) * 256;
        Record(out, kColInfo).u16(quint16(c)).u16(quint16(c)).u16(quint16(width)).u16(kXfPlain).u16(0).u16(0).finish();
    }
}

bool isNumeric(const ExportTable &table, int column)
{
    return column < table.numeric.size() && table.numeric.at(column);
}

void rowCells(QByteArray &out, const ExportTable &table, int row, const QStringList &cells)
{
    for (int c = 0; c < cells.size(); ++c) {
        const QString &text = cells.at(c);
        if (text.isEmpty())
            continue;
        if (isNumeric(table, c)) {
            if (const std::optional<double> value = biff4Number(text)) {
                number(out, row, c, kXfPlain, *value);
                continue;
            }
        }
        label(out, row, c, hasLineBreak(text) ? kXfWrap : kXfPlain, text);
    }
}

void cells(QByteArray &out, const ExportTable &table)
{
    for (int c = 0; c < table.captions.size(); ++c) {
        if (!table.captions.at(c).isEmpty())
            label(out, 0, c, isNumeric(table, c) ? kXfBoldRight : kXfBold, table.captions.at(c));
    }
    int row = 1;
    for (const ExportTable::Line &line : table.lines) {
        if (line.isGroupHeading) {
            if (!line.heading.isEmpty())
                label(out, row, 0, kXfBold, line.heading);
        } else {
            rowCells(out, table, row, line.cells);
        }
        ++row;
    }
}

} // namespace

std::optional<double> biff4Number(const QString &text)
{
    static const QLocale c = [] {
        QLocale l = QLocale::c();
        l.setNumberOptions(QLocale::RejectGroupSeparator);
        return l;
    }();
    static const QLocale comma = [] {
        QLocale l(QLocale::German);
        l.setNumberOptions(QLocale::RejectGroupSeparator);
        return l;
    }();
    bool ok = false;
    double value = c.toDouble(text, &ok);
    if (!ok && !text.contains(u'.'))
        value = comma.toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

int biff4UnkeptValues(const ExportTable &table)
{
    auto unkept = [](const QString &text) {
        bool lossless = true;
        encodeWindows1252(text, &lossless);
        return lossless ? 0 : 1;
    };
    int count = 0;
    for (const QString &caption : table.captions)
        count += unkept(caption);
    for (const ExportTable::Line &line : table.lines) {
        if (line.isGroupHeading) {
            count += unkept(line.heading);
            continue;
        }
        for (const QString &cell : line.cells)
            count += unkept(cell);
    }
    return count;
}

QByteArray biff4Worksheet(const ExportTable &table)
{
    const int columns = columnCount(table);
    checkLimits(table, columns);
    const int rows = int(table.lines.size()) + 1;

    QByteArray out;
    out.reserve(512 + rows * std::max(columns, 1) * 24);
    Record(out, kBof).u16(0x0000).u16(0x0010).u16(0x0000).finish();
    Record(out, kCodePage).u16(1252).finish();
    formatRecords(out);
    columnWidths(out, table, columns);
    // Readers finish the cell formats when they meet DIMENSIONS, so it comes after every FONT, FORMAT and XF.
    Record(out, kDimensions).u16(0).u16(quint16(columns > 0 ? rows : 0)).u16(0).u16(quint16(columns)).u16(0).finish();
    cells(out, table);
    Record(out, kWindow2).u16(0x00B6).u16(0).u16(0).u32(0).finish();
    Record(out, kEof).finish();
    return out;
}

} // namespace quotaly

#include "Windows1252.h"

#include <array>

namespace quotaly {

namespace {

// Code points of the bytes 0x80..0x9F; the rest of the code page is identical to Latin-1.
constexpr std::array<char16_t, 32> kHighTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

int byteForCodePoint(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (size_t i = 0; i < kHighTable.size(); ++i) {
        if (kHighTable[i] == c)
            return int(0x80 + i);
    }
    return -1;
}

} // namespace

QString decodeWindows1252(const QByteArray &bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar *dst = out.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *dst++ = QChar(b >= 0x80 && b <= 0x9F ? kHighTable[b - 0x80] : char16_t(b));
    }
    return out;
}

QByteArray encodeWindows1252(const QString &text, bool *lossless)
{
    QByteArray out;
    out.reserve(text.size());
    bool allKept = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const int b = byteForCodePoint(c);
        if (b >= 0) {
            out.append(char(b));
            continue;
        }
        allKept = false;
        out.append('?');
        // A character outside the Basic Multilingual Plane is one "?", not two.
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
    }
    if (lossless)
        *lossless = allKept;
    return out;
}

} // namespace quotaly

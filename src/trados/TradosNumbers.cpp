#include "TradosNumbers.h"

#include <charconv>
#include <cmath>

namespace quotaly {

TradosCounts::Rows &TradosCounts::column(int k)
{
    switch (k) {
    case 0:
        return segments;
    case 1:
        return words;
    case 2:
        return percent;
    default:
        return placeables;
    }
}

TradosNumberParser::TradosNumberParser(const QLocale &locale) : m_locale(locale)
{
    m_locale.setNumberOptions(m_locale.numberOptions() | QLocale::RejectGroupSeparator);
    const QString point = m_locale.decimalPoint();
    if (point.size() == 1)
        m_decimalPoint = point.at(0).unicode();
    m_asciiDigits = m_locale.zeroDigit() == u"0";
}

std::optional<double> TradosNumberParser::parse(QStringView token) const
{
    return convert(token, false);
}

std::optional<double> TradosNumberParser::parseWithoutCommas(QStringView token) const
{
    return convert(token, true);
}

std::optional<double> TradosNumberParser::convert(QStringView token, bool dropCommas) const
{
    // Fast path for what table cells hold: [sign] digits [point digits].
    constexpr qsizetype kFastLength = 40;
    if (m_decimalPoint != 0 && m_asciiDigits && !token.isEmpty() && token.size() <= kFastLength) {
        char text[kFastLength];
        qsizetype length = 0;
        qsizetype i = 0;
        const bool negative = token.front() == u'-';
        if (negative || token.front() == u'+')
            ++i;
        qsizetype intDigits = 0;
        qsizetype fracDigits = -1; // -1: no decimal point seen
        for (; i < token.size(); ++i) {
            const char16_t c = token[i].unicode();
            if (c >= u'0' && c <= u'9') {
                text[length++] = char(c);
                (fracDigits < 0 ? intDigits : fracDigits) += 1;
            } else if (c == u',' && dropCommas) {
                continue; // before the decimal point test: where "," is the decimal point, it goes too
            } else if (c == m_decimalPoint && fracDigits < 0) {
                text[length++] = '.';
                fracDigits = 0;
            } else {
                break;
            }
        }
        if (i == token.size() && intDigits > 0 && fracDigits < 0 && intDigits <= 15) {
            // Whole numbers of up to 15 digits are exact in a double: no conversion routine needed.
            qint64 whole = 0;
            for (qsizetype d = 0; d < length; ++d)
                whole = whole * 10 + (text[d] - '0');
            return double(negative ? -whole : whole) + 0.0; // + 0.0 turns -0 into 0
        }
        if (i == token.size() && intDigits > 0 && fracDigits != 0) {
            double value = 0;
            const auto [end, error] = std::from_chars(text, text + length, value);
            if (error == std::errc() && end == text + length && std::isfinite(value))
                return (negative ? -value : value) + 0.0;
        }
    }
    bool ok = false;
    const double value = dropCommas && token.contains(u',') ? m_locale.toDouble(withoutCommas(token), &ok)
                                                            : m_locale.toDouble(token, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value + 0.0;
}

QString withoutCommas(QStringView token)
{
    QString text = token.toString();
    text.remove(u',');
    return text;
}

QString cantConvertMessage(QStringView token)
{
    // A cell of a damaged file can be a whole megabyte long; the message shows its start.
    constexpr qsizetype kShown = 60;
    QString text = QStringLiteral("Error: can't convert ");
    if (token.size() > kShown) {
        text += token.first(kShown - 3);
        text += QLatin1String("...");
    } else {
        text += token;
    }
    text += QLatin1String(" to number value");
    return text;
}

bool addFinite(double &cell, double value)
{
    const double sum = cell + value;
    if (!std::isfinite(sum))
        return false;
    cell = sum;
    return true;
}

} // namespace quotaly

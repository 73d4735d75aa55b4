#pragma once

#include <array>
#include <functional>
#include <optional>

#include <QLocale>
#include <QString>
#include <QStringView>

namespace quotaly {

/// The four columns of an analysis, rows 0 to 8 (first category line, the seven priced categories, total).
struct TradosCounts
{
    using Rows = std::array<double, 9>;

    Rows segments{};
    Rows words{};
    Rows percent{};
    Rows placeables{};
    /// False when the file held nothing that reads as an analysis table (no heading, no data line with counts).
    bool tableFound = false;

    /// Column k of a table row: 0 segments, 1 words, 2 percent, 3 placeables.
    Rows &column(int k);
};

/// Receives a message meant for the user.
using TradosNotify = std::function<void(const QString &)>;

/// Converts numbers the way the log reader needs: an optional sign, digits and the locale's decimal point take a
/// fast path; other text goes through the locale. Group separators of the locale are refused, and so is anything
/// that is not a finite number (nan, inf, values out of range).
class TradosNumberParser
{
public:
    explicit TradosNumberParser(const QLocale &locale);

    std::optional<double> parse(QStringView token) const;

    /// The same, with every comma removed first (commas separate thousands in the log tables).
    std::optional<double> parseWithoutCommas(QStringView token) const;

private:
    std::optional<double> convert(QStringView token, bool dropCommas) const;

    QLocale m_locale;
    char16_t m_decimalPoint = 0; // 0 when the locale's decimal point is not a single character
    bool m_asciiDigits = true;
};

/// The token without its commas.
QString withoutCommas(QStringView token);

/// "Error: can't convert <token> to number value"; a token of more than 60 characters is shown by its start.
QString cantConvertMessage(QStringView token);

/// Adds `value` to `cell` unless the sum leaves the range of finite numbers; returns whether it did.
bool addFinite(double &cell, double value);

} // namespace quotaly

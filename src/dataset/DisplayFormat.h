#pragma once

#include <optional>

#include <QLocale>
#include <QString>

namespace quotaly {

/// Formats a number with a display format of the form "0", "0.00", "0.000" or "#,##0.00", followed by an
/// optional literal suffix (" %" is a literal: 80 shows as "80.00 %"). The locale gives the decimal and
/// group separators. An empty format gives the shortest general form.
QString formatFloat(double value, const QString &format, const QLocale &locale);

/// The shortest general form of a number, up to 15 significant digits, with the locale's decimal separator
/// and no group separators: 0.1, 12, 0.125, 1E20.
QString formatFloatGeneral(double value, const QLocale &locale);

/// Reads a number typed by the user: the first "." is taken as the locale's decimal separator, then the
/// text is converted with the locale (no group separators). nullopt when it does not convert.
std::optional<double> parseUserFloat(const QString &text, const QLocale &locale);

/// Reads a whole number typed by the user (optional sign, digits, surrounding blanks). nullopt otherwise.
std::optional<qint64> parseUserInteger(const QString &text);

/// Why a number typed by the user cannot be read exactly (letters, a thousands separator, a second decimal
/// point, a decimal part in a whole number), as a message for the user; empty when it reads or is blank.
QString typedNumberProblem(const QString &text, bool wholeNumber, const QLocale &locale);

/// The list separator of the regional settings: ";" where the decimal separator is ",", else ",".
QChar listSeparator(const QLocale &locale);

/// Replaces the first "%;%" of a dialog filter text by the list separator; the rest stays as it is.
QString substituteListSeparator(const QString &filter, QChar separator);

} // namespace quotaly

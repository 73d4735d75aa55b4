#include "DisplayFormat.h"

#include <cmath>

namespace quotaly {

namespace {

struct ParsedFormat
{
    int decimals = 0;
    bool grouping = false;
    QString prefix;
    QString suffix;
};

// Splits "#,##0.00 %" into its numeric picture and the literal text around it.
ParsedFormat parseFormat(const QString &format)
{
    ParsedFormat f;
    int i = 0;
    while (i < format.size() && !QStringLiteral("#0.,").contains(format.at(i)))
        f.prefix += format.at(i++);
    bool afterPoint = false;
    for (; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'.' && !afterPoint)
            afterPoint = true;
        else if (c == u',')
            f.grouping = true;
        else if (c == u'0' || c == u'#')
            f.decimals += afterPoint ? 1 : 0;
        else
            break;
    }
    f.suffix = format.mid(i);
    return f;
}

} // namespace

QString formatFloat(double value, const QString &format, const QLocale &locale)
{
    if (format.isEmpty())
        return formatFloatGeneral(value, locale);
    const ParsedFormat f = parseFormat(format);
    QLocale l = locale;
    l.setNumberOptions(f.grouping ? QLocale::DefaultNumberOptions : QLocale::OmitGroupSeparator);
    QString number = l.toString(value, 'f', f.decimals);
    // "-0.00" reads oddly in a report; a value that rounds to zero shows as zero.
    if (number.startsWith(l.negativeSign()) && std::fabs(value) < 0.5 * std::pow(10.0, -f.decimals))
        number.remove(0, l.negativeSign().size());
    return f.prefix + number + f.suffix;
}

QString formatFloatGeneral(double value, const QLocale &locale)
{
    QString text = QString::number(value, 'g', 15);
    text.replace(QStringLiteral("e+"), QStringLiteral("E"));
    text.replace(u'e', u'E');
    const QString point = locale.decimalPoint();
    if (point != QStringLiteral("."))
        text.replace(u'.', point);
    return text;
}

std::optional<double> parseUserFloat(const QString &text, const QLocale &locale)
{
    QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const qsizetype dot = t.indexOf(u'.');
    if (dot >= 0)
        t.replace(dot, 1, locale.decimalPoint());
    QLocale l = locale;
    l.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double v = l.toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<qint64> parseUserInteger(const QString &text)
{
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

QString typedNumberProblem(const QString &text, bool wholeNumber, const QLocale &locale)
{
    if (text.trimmed().isEmpty())
        return {};
    const QString quoted = u'"' + text.trimmed() + u'"';
    if (wholeNumber) {
        if (parseUserInteger(text))
            return {};
        return QStringLiteral("%1 is not a whole number. Type digits only, for example 90. The previous value is "
                              "kept.")
            .arg(quoted);
    }
    if (parseUserFloat(text, locale))
        return {};
    const QString point = locale.decimalPoint();
    const QString points = point == u"." ? QStringLiteral("\".\"") : QStringLiteral("\"%1\" or \".\"").arg(point);
    return QStringLiteral("%1 is not a number. Type it with %2 as the decimal point and no thousands separators, "
                          "for example %3. The previous value is kept.")
        .arg(quoted, points, QStringLiteral("1234") + point + u'5');
}

} // namespace quotaly

namespace quotaly {

QChar listSeparator(const QLocale &locale)
{
    return locale.decimalPoint() == QStringLiteral(",") ? QLatin1Char(';') : QLatin1Char(',');
}

QString substituteListSeparator(const QString &filter, QChar separator)
{
    QString result = filter;
    const qsizetype at = result.indexOf(QStringLiteral("%;%"));
    if (at >= 0)
        result.replace(at, 3, QString(separator));
    return result;
}

} // namespace quotaly

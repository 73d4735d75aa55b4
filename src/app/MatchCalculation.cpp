#include "MatchCalculation.h"

#include "dataset/Dataset.h"
#include "dataset/DisplayFormat.h"

#include <cmath>

namespace quotaly {

namespace {

constexpr int kLabelWidth = 25;
constexpr int kCurrencyWidth = 3;

QString intText(const Dataset &matches, int slotField)
{
    const QVariant v = matches.value(matches.fieldIndex(QStringLiteral("iName%1").arg(slotField)));
    return v.isNull() ? QString() : QString::number(v.toLongLong());
}

QString textOf(const Dataset &matches, const char *field)
{
    return matches.value(matches.fieldIndex(QString::fromLatin1(field))).toString();
}

double numberOf(const Dataset &matches, const QString &field)
{
    const QVariant v = matches.value(matches.fieldIndex(field));
    return v.isNull() ? 0.0 : v.toDouble();
}

// The report label of each slot, upper bound first.
std::array<QString, kSlotCount> slotLabels(const Dataset &m)
{
    std::array<QString, kSlotCount> labels = {
        textOf(m, "sName2") + QStringLiteral(" - "),
        intText(m, 3) + QStringLiteral("% - "),
        intText(m, 5) + QStringLiteral("%- ") + intText(m, 4) + QStringLiteral("%"),
        intText(m, 7) + QStringLiteral("% - ") + intText(m, 6) + QStringLiteral("%"),
        intText(m, 9) + QStringLiteral("% - ") + intText(m, 8) + QStringLiteral("%"),
        intText(m, 11) + QStringLiteral("% - ") + intText(m, 10) + QStringLiteral("%"),
        QStringLiteral(" - ") + textOf(m, "sName12"),
    };
    for (QString &label : labels)
        label.truncate(kLabelWidth);
    return labels;
}

} // namespace

double readTypedNumber(const QString &text, const QLocale &locale)
{
    return parseUserFloat(text, locale).value_or(0.0);
}

QString rateDisplayFormat(double baseRate)
{
    // Decimals of the fractional part written in its shortest form with up to 15 significant digits.
    const double fraction = std::fabs(baseRate - std::trunc(baseRate));
    int decimals = 0;
    if (fraction > 0 && std::isfinite(fraction)) {
        QString text = QString::number(fraction, 'g', 15);
        const qsizetype e = text.indexOf(u'e');
        int exponent = 0;
        if (e >= 0) {
            exponent = text.mid(e + 1).toInt();
            text.truncate(e);
        }
        const qsizetype point = text.indexOf(u'.');
        const int mantissaDecimals = point < 0 ? 0 : int(text.size() - point - 1);
        decimals = std::max(0, mantissaDecimals - exponent);
    }
    return QStringLiteral("0.") + QString(std::max(decimals, 2), u'0');
}

QString mergeLabels(const QString &rowLabel, const QString &slotLabel)
{
    QString s = rowLabel + slotLabel;
    const qsizetype first = s.indexOf(u'-');
    const qsizetype last = s.lastIndexOf(u'-');
    if (first >= 0)
        s.replace(first, last - first + 1, QStringLiteral("-"));
    s.truncate(kLabelWidth);
    return s;
}

MatchInputs matchInputsFromRow(const Dataset &matches)
{
    MatchInputs in;
    in.wordsMode = matches.value(matches.fieldIndex(QStringLiteral("bMatchTypeWords"))).toBool();
    in.labels = slotLabels(matches);
    for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) {
        const int i = slot - kFirstSlot;
        in.words[i] = numberOf(matches, QStringLiteral("iWord%1").arg(slot));
        in.percents[i] = numberOf(matches, QStringLiteral("iPercent%1").arg(slot));
        in.prices[i] = numberOf(matches, QStringLiteral("fDiscount%1").arg(slot));
    }
    return in;
}

std::optional<MatchResult> calculateMatches(const MatchInputs &in, const QLocale &locale)
{
    if (in.totalText.isEmpty())
        return std::nullopt;
    MatchResult r;
    r.total = readTypedNumber(in.totalText, locale);
    r.baseRate = readTypedNumber(in.baseRateText, locale);
    r.rateFormat = rateDisplayFormat(r.baseRate);
    const QString currency = in.currency.left(kCurrencyWidth);

    for (int i = 0; i < kSlotCount; ++i) {
        MatchRow &row = r.slotRows[i];
        row.matchTypes = in.labels[i];
        row.matchValue = in.wordsMode ? in.words[i] : in.percents[i];
        row.discount = in.prices[i];
        row.units = in.wordsMode ? in.words[i] : in.percents[i] * r.total / 100.0;
        row.rate = in.prices[i] * r.baseRate / 100.0;
        row.currency = currency;
        row.amount = row.units * row.rate;
    }

    std::optional<double> openPrice;
    for (int i = 0; i < kSlotCount; ++i) {
        const MatchRow &row = r.slotRows[i];
        if (row.matchValue == 0)
            continue; // an empty category neither starts nor breaks a run
        if (in.merge && openPrice && *openPrice == row.discount && !r.rows.isEmpty()) {
            MatchRow &last = r.rows.last();
            last.matchTypes = mergeLabels(last.matchTypes, row.matchTypes);
            last.matchValue += row.matchValue;
            last.units += row.units;
            last.amount += row.amount;
            last.discount = row.discount;
            last.rate = row.rate;
            last.currency = row.currency;
            continue;
        }
        r.rows.append(row);
        openPrice = row.discount;
    }
    return r;
}

void fillReportDataset(Dataset &report, const MatchResult &result)
{
    report.setDisplayFormat(QStringLiteral("Rate"), result.rateFormat);
    report.setDisplayFormat(QStringLiteral("Amount"), result.rateFormat);
    report.emptyDataSet();
    report.saveToFile();
    report.close();
    report.open();
    for (const MatchRow &row : result.rows)
        report.appendRecord({row.matchTypes, row.matchValue, row.discount, row.units, row.rate, row.currency, row.amount});
    report.saveToFile();
    report.close();
    report.open();
}

} // namespace quotaly

#include "ReportText.h"

#include "app/MatchCalculation.h"
#include "dataset/DisplayFormat.h"

#include <functional>

namespace quotaly {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString quoted(const QString &cell)
{
    QString q = cell;
    q.replace(u'"', QStringLiteral("\"\""));
    return u'"' + q + u'"';
}

QString joinLines(const ReportTable &table, const QString &headerBlock, const std::function<QString(const QStringList &)> &line)
{
    QStringList lines;
    lines << line(table.titles);
    for (const QStringList &row : table.rows)
        lines << line(row);
    if (!table.footer.isEmpty())
        lines << line(table.footer);
    const QString body = lines.join(kCrLf);
    return headerBlock.isEmpty() ? body : headerBlock + kCrLf + body;
}

} // namespace

QString reportHeaderBlock(const ReportHeader &h)
{
    return h.statTotalCaption.trimmed() + QStringLiteral(": ") + h.statTotal + kCrLf + h.unitsCaption.trimmed() +
           QStringLiteral(": ") + h.units + kCrLf + h.baseRateCaption.trimmed() + QStringLiteral(": ") + h.baseRate +
           u' ' + h.currency + kCrLf;
}

QString reportPlainText(const ReportTable &table, const QString &headerBlock)
{
    return joinLines(table, headerBlock, [](const QStringList &cells) { return cells.join(u'\t'); });
}

QString reportCsvText(const ReportTable &table, const QString &headerBlock)
{
    return joinLines(table, headerBlock, [](const QStringList &cells) {
        QStringList q;
        for (const QString &c : cells)
            q << quoted(c);
        return q.join(u';');
    });
}

ReportTable matchReportTable(const MatchResult &result, bool wordsMode, const QString &unitName, const QLocale &locale)
{
    const QString percentFormat = QStringLiteral("0.00 %");
    const QString unitsFormat = QStringLiteral("0.00");
    ReportTable t;
    t.titles << QStringLiteral("Match types");
    if (!wordsMode)
        t.titles << QStringLiteral("Percent");
    t.titles << QStringLiteral("Discount (% of base rate)") << (wordsMode ? QStringLiteral("Words") : unitName)
             << QStringLiteral("Rate") << QStringLiteral("Currency") << QStringLiteral("Amount");

    double units = 0;
    double amount = 0;
    for (const MatchRow &r : result.rows) {
        QStringList cells{r.matchTypes};
        if (!wordsMode)
            cells << formatFloat(r.matchValue, percentFormat, locale);
        cells << formatFloat(r.discount, percentFormat, locale) << formatFloat(r.units, unitsFormat, locale)
              << formatFloat(r.rate, result.rateFormat, locale) << r.currency
              << formatFloat(r.amount, result.rateFormat, locale);
        t.rows << cells;
        units += r.units;
        amount += r.amount;
    }
    t.footer << QStringLiteral("Total :");
    if (!wordsMode)
        t.footer << QString();
    t.footer << QString() << formatFloat(units, unitsFormat, locale) << QString()
             << (result.rows.isEmpty() ? QString() : result.rows.first().currency)
             << formatFloat(amount, result.rateFormat, locale);
    return t;
}

} // namespace quotaly

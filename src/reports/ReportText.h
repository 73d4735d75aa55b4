#pragma once

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace quotaly {
struct MatchResult;

/// The four values above a report, as the main window shows them (not parsed).
struct ReportHeader
{
    QString statTotal; ///< the job's total
    QString units;     ///< the pricing unit, e.g. "Words"
    QString baseRate;
    QString currency;
    QString statTotalCaption = QStringLiteral("Statistics (Total)");
    QString unitsCaption = QStringLiteral("Units");
    QString baseRateCaption = QStringLiteral("Base rate");
};

/// A report as text cells: titles, records and footer, each cell as displayed.
struct ReportTable
{
    QStringList titles;
    QList<QStringList> rows;
    QStringList footer;
};

/// "Statistics (Total): 1250", "Units: Words", "Base rate: 0.12 EUR", each line ended by CR LF.
QString reportHeaderBlock(const ReportHeader &header);

/// The plain-text layout: the header block (when not empty), an empty line, then the title line, one line per
/// record and the footer line; cells separated by TAB, lines by CR LF, no line break after the last line.
QString reportPlainText(const ReportTable &table, const QString &headerBlock);

/// The same lines with every cell in double quotes (quotes doubled) and ";" between cells.
QString reportCsvText(const ReportTable &table, const QString &headerBlock);

/// The cells of a priced job as the report shows them: the match-value column only in percent mode (titled
/// "Percent"), the units column titled "Words" in words mode or with the unit's name, and the footer with
/// "Total :", the sums and the currency.
ReportTable matchReportTable(const MatchResult &result, bool wordsMode, const QString &unitName,
                             const QLocale &locale);

} // namespace quotaly

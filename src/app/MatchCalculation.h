#pragma once

#include <array>
#include <optional>

#include <QList>
#include <QLocale>
#include <QString>

namespace quotaly {
class Dataset;

/// The seven priced match categories are the slots 2 to 8; arrays below are indexed by slot - 2.
constexpr int kFirstSlot = 2;
constexpr int kLastSlot = 8;
constexpr int kSlotCount = 7;

/// One report row: the values of a tmpMatches row, in its field order.
struct MatchRow
{
    QString matchTypes;
    double matchValue = 0;
    double discount = 0;
    double units = 0;
    double rate = 0;
    QString currency;
    double amount = 0;
};

/// What a calculation reads: the client's categories (from its match-settings row) and the main window's texts.
struct MatchInputs
{
    bool wordsMode = false;                   ///< counts entered as words, otherwise as percentages of the total
    std::array<QString, kSlotCount> labels;   ///< the report label of each slot
    std::array<double, kSlotCount> words{};    ///< iWord2..iWord8
    std::array<double, kSlotCount> percents{}; ///< iPercent2..iPercent8
    std::array<double, kSlotCount> prices{};   ///< fDiscount2..fDiscount8, % of the base rate
    QString totalText;                        ///< as typed
    QString baseRateText;                     ///< as typed
    QString currency;                         ///< the currency code shown
    bool merge = false;                       ///< merge neighbouring categories priced alike
};

/// The priced job.
struct MatchResult
{
    double total = 0;
    double baseRate = 0;
    QString rateFormat;                       ///< display format of Rate and Amount, e.g. "0.00", "0.000"
    std::array<MatchRow, kSlotCount> slotRows; ///< the row of every slot, before skipping and merging
    QList<MatchRow> rows;                     ///< the report rows in slot order
};

/// Reads a number typed by the user: the first "." counts as the locale's decimal separator; 0 when the text
/// does not convert.
double readTypedNumber(const QString &text, const QLocale &locale);

/// The display format for rates and amounts: as many decimals as the base rate's fractional part needs in its
/// shortest form (up to 15 significant digits), at least two.
QString rateDisplayFormat(double baseRate);

/// Joins a label to the report row it is merged into: the text from the first to the last "-" of both becomes
/// a single "-"; the result is cut to 25 characters.
QString mergeLabels(const QString &rowLabel, const QString &slotLabel);

/// Reads the slots' labels, counts, prices and the entry mode from the current row of a match-settings dataset.
MatchInputs matchInputsFromRow(const Dataset &matches);

/// Prices a job. nullopt when the total text is empty (the user must enter a total first).
std::optional<MatchResult> calculateMatches(const MatchInputs &inputs, const QLocale &locale);

/// Replaces the rows of a report dataset (tmpMatches) with the result's rows and sets the Rate and Amount
/// display formats. Throws Error when the dataset refuses.
void fillReportDataset(Dataset &report, const MatchResult &result);

} // namespace quotaly

#pragma once

#include <QCollator>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace quotaly {

/// One key of a sort by several columns.
struct SortKey
{
    int column = 0;
    bool ascending = true;
};

/// Orders texts the way people of a locale expect (accents, letter case and digits as the locale sorts
/// them), not by character codes. Texts that the locale ranks equal but that are not the same string are
/// ordered by their characters, so only identical texts compare equal and identical rows end up together.
class RowCollator
{
public:
    explicit RowCollator(const QLocale &locale = QLocale());

    /// <0, 0 or >0 as `a` sorts before, with or after `b`.
    int compareText(const QString &a, const QString &b) const;

    /// The locale's key for a text: keys compare as compareText does, except that texts the locale ranks
    /// equal have equal keys (compare the texts themselves then).
    QCollatorSortKey sortKey(const QString &text) const { return m_collator.sortKey(text); }

    /// Compares two rows by the keys in turn; a column beyond a row's end reads as an empty text.
    int compareRows(const QStringList &a, const QStringList &b, const QList<SortKey> &keys) const;

    /// Positions 0..rows.size()-1 in the order of the rows by the keys; a stable sort, so rows that are
    /// equal by every key keep their order.
    QList<int> sortedOrder(const QList<QStringList> &rows, const QList<SortKey> &keys) const;

private:
    QCollator m_collator;
};

} // namespace quotaly

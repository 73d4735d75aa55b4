#pragma once

#include <QCollator>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

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

    /// Ranks of texts in this collator's order (see collationRanks); only identical texts share a rank.
    std::vector<int> ranks(const QList<QString> &texts, std::vector<std::optional<QCollatorSortKey>> &keys) const;

private:
    QCollator m_collator;
};

/// Ranks many texts at once: ranks[i] < ranks[j] when texts[i] sorts before texts[j] by the collator; texts it
/// ranks equal share a rank, unless `identicalOnlyEqual`, when they are ordered by their characters as
/// RowCollator::compareText does. `keys` holds the texts' collation keys: the missing ones are made (and kept
/// for the caller), those present are taken as they are. Large lists are keyed and sorted on two threads, each
/// with a collator of its own.
std::vector<int> collationRanks(const QCollator &collator, const QList<QString> &texts,
                                std::vector<std::optional<QCollatorSortKey>> &keys, bool identicalOnlyEqual);

} // namespace quotaly

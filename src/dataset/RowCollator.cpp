#include "RowCollator.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace quotaly {

RowCollator::RowCollator(const QLocale &locale) : m_collator(locale)
{
    m_collator.setCaseSensitivity(Qt::CaseSensitive);
    m_collator.setNumericMode(false);
}

int RowCollator::compareText(const QString &a, const QString &b) const
{
    if (a == b)
        return 0;
    const int byLocale = m_collator.compare(a, b);
    if (byLocale != 0)
        return byLocale;
    return a.compare(b) < 0 ? -1 : 1;
}

int RowCollator::compareRows(const QStringList &a, const QStringList &b, const QList<SortKey> &keys) const
{
    for (const SortKey &key : keys) {
        const int c = compareText(a.value(key.column), b.value(key.column));
        if (c != 0)
            return key.ascending ? c : -c;
    }
    return 0;
}

QList<int> RowCollator::sortedOrder(const QList<QStringList> &rows, const QList<SortKey> &keys) const
{
    QList<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    if (keys.isEmpty() || rows.size() < 2)
        return order;

    // Keys of the first sort column up front; later columns are only compared on ties, which are rare.
    const int first = keys.first().column;
    std::vector<QCollatorSortKey> firstKeys;
    firstKeys.reserve(size_t(rows.size()));
    for (const QStringList &row : rows)
        firstKeys.push_back(sortKey(row.value(first)));
    const QList<SortKey> rest = keys.mid(1);
    const bool ascending = keys.first().ascending;

    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
        int c = firstKeys[size_t(x)].compare(firstKeys[size_t(y)]);
        if (c == 0)
            c = rows.at(x).value(first).compare(rows.at(y).value(first));
        if (c != 0)
            return ascending ? c < 0 : c > 0;
        return compareRows(rows.at(x), rows.at(y), rest) < 0;
    });
    return order;
}

} // namespace quotaly

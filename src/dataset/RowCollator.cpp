#include "RowCollator.h"

#include "SideBySide.h"

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

std::vector<int> RowCollator::ranks(const QList<QString> &texts,
                                    std::vector<std::optional<QCollatorSortKey>> &keys) const
{
    return collationRanks(m_collator, texts, keys, true);
}

namespace {

// Below this many texts a second thread costs more than it saves.
constexpr qsizetype ParallelFrom = 8192;

bool worthASecondThread(qsizetype count)
{
    return count >= ParallelFrom && secondCoreAvailable();
}

// A collator of its own for another thread, set as `collator` is.
QCollator copyOf(const QCollator &collator)
{
    QCollator copy(collator.locale());
    copy.setCaseSensitivity(collator.caseSensitivity());
    copy.setNumericMode(collator.numericMode());
    copy.setIgnorePunctuation(collator.ignorePunctuation());
    return copy;
}

void makeKeys(const QCollator &collator, const QList<QString> &texts,
              std::vector<std::optional<QCollatorSortKey>> &keys, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i) {
        if (!keys[i])
            keys[i].emplace(collator.sortKey(texts.at(qsizetype(i))));
    }
}

} // namespace

std::vector<int> collationRanks(const QCollator &collator, const QList<QString> &texts,
                                std::vector<std::optional<QCollatorSortKey>> &keys, bool identicalOnlyEqual)
{
    const size_t count = size_t(texts.size());
    keys.resize(count);
    const bool parallel = worthASecondThread(texts.size());
    const size_t half = count / 2;
    if (parallel) {
        runSideBySide([&] { makeKeys(collator, texts, keys, 0, half); },
                      [&] { makeKeys(copyOf(collator), texts, keys, half, count); });
    } else {
        makeKeys(collator, texts, keys, 0, count);
    }

    // <0, 0 or >0 as text a sorts before, with or after text b.
    auto compare = [&](int a, int b) {
        const int byKey = keys[size_t(a)]->compare(*keys[size_t(b)]);
        if (byKey != 0 || !identicalOnlyEqual)
            return byKey;
        return texts.at(a).compare(texts.at(b));
    };
    auto before = [&](int a, int b) {
        const int c = compare(a, b);
        return c != 0 ? c < 0 : a < b;
    };
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    if (parallel) {
        const auto middle = order.begin() + std::ptrdiff_t(half);
        runSideBySide([&] { std::sort(order.begin(), middle, before); },
                      [&] { std::sort(middle, order.end(), before); });
        std::inplace_merge(order.begin(), middle, order.end(), before);
    } else {
        std::sort(order.begin(), order.end(), before);
    }

    std::vector<int> ranks(count);
    int rank = 0;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0 && compare(order[i - 1], order[i]) != 0)
            ++rank;
        ranks[size_t(order[i])] = rank;
    }
    return ranks;
}

} // namespace quotaly

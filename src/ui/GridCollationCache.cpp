#include "GridCollationCache.h"

#include <algorithm>
#include <numeric>

namespace quotaly::ui {

namespace {

// The same settings as RowCollator's, so that keys and RowCollator agree.
QCollator makeCollator(const QLocale &locale)
{
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseSensitive);
    collator.setNumericMode(false);
    return collator;
}

template <typename T> void grow(std::vector<T> &cells, int row)
{
    if (cells.size() <= size_t(row))
        cells.resize(std::max(size_t(row) + 1, cells.size() * 3 / 2));
}

} // namespace

GridCollationCache::GridCollationCache(TextSource texts)
    : m_texts(std::move(texts)), m_locale(QLocale()), m_collator(makeCollator(m_locale)), m_rows(m_locale)
{
}

void GridCollationCache::setLocale(const QLocale &locale)
{
    if (locale == m_locale)
        return;
    m_locale = locale;
    m_collator = makeCollator(locale);
    m_rows = RowCollator(locale);
    clear();
}

GridCollationCache::Column &GridCollationCache::column(int index)
{
    if (m_columns.size() <= size_t(index))
        m_columns.resize(size_t(index) + 1);
    return m_columns[size_t(index)];
}

const QString &GridCollationCache::text(Column &column, int row, int index)
{
    grow(column.texts, row);
    std::optional<QString> &slot = column.texts[size_t(row)];
    if (!slot)
        slot = m_texts(row, index);
    return *slot;
}

int GridCollationCache::compareCells(Column &column, int rowA, int rowB, int index)
{
    grow(column.keys, std::max(rowA, rowB));
    std::optional<QCollatorSortKey> &keyA = column.keys[size_t(rowA)];
    std::optional<QCollatorSortKey> &keyB = column.keys[size_t(rowB)];
    grow(column.texts, std::max(rowA, rowB)); // no growing between taking the two texts
    if (!keyA || !keyB) {
        // Identical texts need no key.
        const QString &a = text(column, rowA, index);
        const QString &b = text(column, rowB, index);
        if (a == b)
            return 0;
        if (!keyA)
            keyA.emplace(m_collator.sortKey(a));
        if (!keyB)
            keyB.emplace(m_collator.sortKey(b));
    }
    const int byKey = keyA->compare(*keyB);
    if (byKey != 0)
        return byKey;
    // Equal keys: identical texts, or texts the locale ranks equal, which RowCollator still tells apart.
    return m_rows.compareText(text(column, rowA, index), text(column, rowB, index));
}

int GridCollationCache::compare(int rowA, int rowB, int index)
{
    if (rowA == rowB)
        return 0;
    Column &c = column(index);
    if (size_t(std::max(rowA, rowB)) < c.ranks.size())
        return c.ranks[size_t(rowA)] - c.ranks[size_t(rowB)];
    return compareCells(c, rowA, rowB, index);
}

void GridCollationCache::rankColumn(int index, int rowCount)
{
    Column &c = column(index);
    if (rowCount <= 0 || c.ranks.size() == size_t(rowCount))
        return;
    // Keys in row order first, so that they lie in memory the way the rows do.
    c.texts.resize(std::max(c.texts.size(), size_t(rowCount)));
    c.keys.resize(std::max(c.keys.size(), size_t(rowCount)));
    for (int row = 0; row < rowCount; ++row) {
        if (!c.keys[size_t(row)])
            c.keys[size_t(row)].emplace(m_collator.sortKey(text(c, row, index)));
    }
    std::vector<int> order(static_cast<size_t>(rowCount));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const int r = compareCells(c, a, b, index);
        return r != 0 ? r < 0 : a < b;
    });
    std::vector<int> ranks(static_cast<size_t>(rowCount));
    int rank = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && compareCells(c, order[i - 1], order[i], index) != 0)
            ++rank;
        ranks[size_t(order[i])] = rank;
    }
    c.ranks = std::move(ranks);
}

void GridCollationCache::clear()
{
    m_columns.clear();
}

void GridCollationCache::rowsInserted(int first, int count)
{
    for (Column &c : m_columns) {
        if (size_t(first) < c.texts.size())
            c.texts.insert(c.texts.begin() + first, size_t(count), std::nullopt);
        if (size_t(first) < c.keys.size())
            c.keys.insert(c.keys.begin() + first, size_t(count), std::nullopt);
        c.ranks.clear();
    }
}

void GridCollationCache::rowsRemoved(int first, int count)
{
    for (Column &c : m_columns) {
        if (size_t(first) < c.texts.size())
            c.texts.erase(c.texts.begin() + first, c.texts.begin() + std::min(size_t(first + count), c.texts.size()));
        if (size_t(first) < c.keys.size())
            c.keys.erase(c.keys.begin() + first, c.keys.begin() + std::min(size_t(first + count), c.keys.size()));
        c.ranks.clear();
    }
}

void GridCollationCache::rowsChanged(int first, int last)
{
    first = std::max(first, 0);
    if (last < first)
        return;
    for (Column &c : m_columns) {
        for (size_t row = size_t(first); row <= size_t(last) && row < c.texts.size(); ++row)
            c.texts[row].reset();
        for (size_t row = size_t(first); row <= size_t(last) && row < c.keys.size(); ++row)
            c.keys[row].reset();
        c.ranks.clear();
    }
}

} // namespace quotaly::ui

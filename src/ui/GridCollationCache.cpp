#include "GridCollationCache.h"

#include <algorithm>

namespace quotaly::ui {

GridCollationCache::GridCollationCache(TextSource texts, std::function<int()> rowCount)
    : m_texts(std::move(texts)), m_rowCount(std::move(rowCount)), m_locale(QLocale()),
      m_rows(m_locale)
{
}

void GridCollationCache::setLocale(const QLocale &locale)
{
    if (locale == m_locale)
        return;
    m_locale = locale;
    m_rows = RowCollator(locale);
    clear();
}

GridCollationCache::Column &GridCollationCache::column(int index)
{
    if (m_columns.size() <= size_t(index))
        m_columns.resize(size_t(index) + 1);
    return m_columns[size_t(index)];
}

int GridCollationCache::compare(int rowA, int rowB, int index)
{
    if (rowA == rowB)
        return 0;
    Column &c = column(index);
    if (size_t(std::max(rowA, rowB)) < c.ranks.size())
        return c.ranks[size_t(rowA)] - c.ranks[size_t(rowB)];
    if (!c.keys.empty())
        return compareKeyed(c, rowA, rowB, index);
    // A column that turns out to decide many comparisons is worth ranking.
    const int rows = m_rowCount();
    if (++c.comparisons > 2 * qint64(rows) + 64) {
        rankColumn(index);
        if (size_t(std::max(rowA, rowB)) < c.ranks.size())
            return c.ranks[size_t(rowA)] - c.ranks[size_t(rowB)];
    }
    return m_rows.compareText(m_texts(rowA, index), m_texts(rowB, index));
}

const QCollatorSortKey &GridCollationCache::key(Column &column, int row, int index)
{
    if (column.keys.size() <= size_t(row))
        column.keys.resize(size_t(row) + 1);
    std::optional<QCollatorSortKey> &slot = column.keys[size_t(row)];
    if (!slot)
        slot.emplace(m_rows.sortKey(m_texts(row, index)));
    return *slot;
}

int GridCollationCache::compareKeyed(Column &column, int rowA, int rowB, int index)
{
    const int byKey = key(column, std::max(rowA, rowB), index).compare(key(column, std::min(rowA, rowB), index));
    if (byKey != 0)
        return rowA > rowB ? byKey : -byKey;
    // Equal keys: identical texts, or texts the locale ranks equal, which RowCollator still tells apart.
    return m_rows.compareText(m_texts(rowA, index), m_texts(rowB, index));
}

void GridCollationCache::rankColumn(int index)
{
    const int rows = m_rowCount();
    Column &c = column(index);
    if (rows <= 0 || c.ranks.size() == size_t(rows))
        return;
    QList<QString> texts;
    texts.reserve(rows);
    for (int row = 0; row < rows; ++row)
        texts.append(m_texts(row, index));
    c.ranks = m_rows.ranks(texts, c.keys);
}

void GridCollationCache::clear()
{
    m_columns.clear();
}

void GridCollationCache::rowsInserted(int first, int count)
{
    for (Column &c : m_columns) {
        if (size_t(first) < c.keys.size())
            c.keys.insert(c.keys.begin() + first, size_t(count), std::nullopt);
        c.ranks.clear();
    }
}

void GridCollationCache::rowsRemoved(int first, int count)
{
    for (Column &c : m_columns) {
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
        for (size_t row = size_t(first); row <= size_t(last) && row < c.keys.size(); ++row)
            c.keys[row].reset();
        c.ranks.clear();
    }
}

} // namespace quotaly::ui

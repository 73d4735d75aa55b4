#include "GridCollationCache.h"

#include <algorithm>

namespace quotaly::ui {

namespace {

// The same settings as RowCollator's, so that a key comparison and RowCollator agree.
QCollator makeCollator(const QLocale &locale)
{
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseSensitive);
    collator.setNumericMode(false);
    return collator;
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

int GridCollationCache::compare(int rowA, int rowB, int column)
{
    if (rowA == rowB)
        return 0;
    const int byKey = key(rowA, column).compare(key(rowB, column));
    if (byKey != 0)
        return byKey;
    // Equal keys: identical texts, or texts the locale ranks equal, which RowCollator still tells apart.
    return m_rows.compareText(m_texts(rowA, column), m_texts(rowB, column));
}

const QCollatorSortKey &GridCollationCache::key(int row, int column)
{
    if (m_keys.size() <= size_t(column))
        m_keys.resize(size_t(column) + 1);
    auto &keys = m_keys[size_t(column)];
    if (keys.size() <= size_t(row))
        keys.resize(size_t(row) + 1);
    std::optional<QCollatorSortKey> &slot = keys[size_t(row)];
    if (!slot)
        slot.emplace(m_collator.sortKey(m_texts(row, column)));
    return *slot;
}

void GridCollationCache::clear()
{
    m_keys.clear();
}

void GridCollationCache::rowsInserted(int first, int count)
{
    for (auto &keys : m_keys) {
        if (size_t(first) < keys.size())
            keys.insert(keys.begin() + first, size_t(count), std::nullopt);
    }
}

void GridCollationCache::rowsRemoved(int first, int count)
{
    for (auto &keys : m_keys) {
        if (size_t(first) < keys.size())
            keys.erase(keys.begin() + first, keys.begin() + std::min(size_t(first + count), keys.size()));
    }
}

void GridCollationCache::rowsChanged(int first, int last)
{
    for (auto &keys : m_keys) {
        for (size_t row = size_t(std::max(first, 0)); row <= size_t(last) && row < keys.size(); ++row)
            keys[row].reset();
    }
}

} // namespace quotaly::ui

#pragma once

#include "dataset/RowCollator.h"

#include <functional>
#include <optional>
#include <vector>

#include <QCollator>
#include <QLocale>
#include <QString>

namespace quotaly::ui {

/// Compares the texts of a grid's cells the way RowCollator does (by the locale, only identical texts equal),
/// keeping each cell's collation key once it has been worked out. Keys are made the first time a comparison
/// needs them, so a sort by many columns only pays for the columns that break ties, and comparing two keys
/// is a byte comparison. The owner reports row changes so that no stale key is used.
class GridCollationCache
{
public:
    /// The text of a model row in a column.
    using TextSource = std::function<QString(int row, int column)>;

    explicit GridCollationCache(TextSource texts);

    /// Starts afresh with another locale; nothing happens when it is the one in use.
    void setLocale(const QLocale &locale);
    /// <0, 0 or >0 as row a's text in the column sorts before, with or after row b's.
    int compare(int rowA, int rowB, int column);

    void clear();
    void rowsInserted(int first, int count);
    void rowsRemoved(int first, int count);
    void rowsChanged(int first, int last);

private:
    const QCollatorSortKey &key(int row, int column);

    TextSource m_texts;
    QLocale m_locale;
    QCollator m_collator;
    RowCollator m_rows;
    std::vector<std::vector<std::optional<QCollatorSortKey>>> m_keys; // [column][row], grown on demand
};

} // namespace quotaly::ui

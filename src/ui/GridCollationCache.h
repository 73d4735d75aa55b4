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
/// fast enough to sort a hundred thousand rows by many columns again and again.
///
/// A column that a sort runs through as a whole (the first sort key, or a later one with many ties) is
/// ranked: each row's collation key is made once and kept, and the rows' ranks worked out from them, so that
/// comparing two rows there costs an integer comparison. A column compared only now and then (a later key
/// that breaks a few ties) keeps nothing: its texts go to RowCollator, identical ones costing no collation.
/// The owner reports row changes: a changed row loses its key, and a column's ranks go with any change
/// (they come back with the next sort, remaking only the keys that went).
class GridCollationCache
{
public:
    /// The text of a model row in a column.
    using TextSource = std::function<QString(int row, int column)>;

    GridCollationCache(TextSource texts, std::function<int()> rowCount);

    /// Starts afresh with another locale; nothing happens when it is the one in use.
    void setLocale(const QLocale &locale);
    /// <0, 0 or >0 as row a's text in the column sorts before, with or after row b's.
    int compare(int rowA, int rowB, int column);
    /// Ranks every row in a column (see above).
    void rankColumn(int column);

    void clear();
    void rowsInserted(int first, int count);
    void rowsRemoved(int first, int count);
    void rowsChanged(int first, int last);

private:
    struct Column
    {
        std::vector<std::optional<QCollatorSortKey>> keys; // empty until the column is ranked
        std::vector<int> ranks;                            // empty unless ranked since the last change
        qint64 comparisons = 0;                            // by text, while not ranked
    };

    Column &column(int index);
    const QCollatorSortKey &key(Column &column, int row, int index);
    int compareKeyed(Column &column, int rowA, int rowB, int index);

    TextSource m_texts;
    std::function<int()> m_rowCount;
    QLocale m_locale;
    RowCollator m_rows;
    std::vector<Column> m_columns; // grown on demand
};

} // namespace quotaly::ui

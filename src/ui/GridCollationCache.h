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
/// keeping what it works out per row and column: the text, its collation key, and for a column that a whole
/// sort runs by, each row's rank in that column.
///
/// Texts and keys are made the first time a comparison needs them, so a sort by many columns only pays for
/// the columns that break ties, and identical texts never need a key. Comparing two keys is a byte comparison;
/// comparing two ranks is an integer comparison. The owner reports row changes, so nothing stale is used:
/// a changed row loses its texts and keys, and every rank goes (ranks hold only while no row changes).
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
    /// Works out the rank of each of `rowCount` rows in a column, so that comparisons in that column cost an
    /// integer comparison until a row changes.
    void rankColumn(int column, int rowCount);

    void clear();
    void rowsInserted(int first, int count);
    void rowsRemoved(int first, int count);
    void rowsChanged(int first, int last);

private:
    struct Column
    {
        std::vector<std::optional<QString>> texts;
        std::vector<std::optional<QCollatorSortKey>> keys;
        std::vector<int> ranks; // empty unless ranked since the last change
    };

    Column &column(int index);
    const QString &text(Column &column, int row, int index);
    int compareCells(Column &column, int rowA, int rowB, int index);

    TextSource m_texts;
    QLocale m_locale;
    QCollator m_collator;
    RowCollator m_rows;
    std::vector<Column> m_columns; // grown on demand, as are their rows
};

} // namespace quotaly::ui

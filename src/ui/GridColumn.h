#pragma once

#include <optional>

#include <QString>
#include <Qt>

namespace quotaly::ui {

/// What the footer cell under a grid column shows.
struct ColumnFooter
{
    enum class Kind
    {
        None,         ///< an empty cell
        Sum,          ///< the sum of the column over every row the grid shows, in the column's display format
        Count,        ///< the number of rows, formatted with `text` as a display format ("0 Clients")
        Text,         ///< `text` as it is ("Total :")
        CurrentValue, ///< the current row's value as the column displays it
    };

    Kind kind = Kind::None;
    QString text;
    Qt::Alignment alignment = {}; ///< empty: the column's own alignment
    bool bold = true;
};

/// A filter on the texts a column shows, compared without regard to case.
struct ColumnFilter
{
    QString text;
    bool exactValue = false; ///< the whole text equals `text`; otherwise it contains `text`

    bool operator==(const ColumnFilter &) const = default;
};

/// Roles a grid's models answer besides Qt's own.
enum GridRole
{
    SortRankRole = Qt::UserRole + 100, ///< header: 1-based place of the column in the sort, 0 when not sorted by it
    SortOrderRole,                     ///< header: the column's sort direction (Qt::SortOrder)
    FilterActiveRole,                  ///< header: true when the column has a filter
    GroupHeadingRole,                  ///< cell of a group heading row: the heading's text ("FULLNAME : Acme (3)")
    GroupLevelRole,                    ///< cell of a group heading row: its level, 0 for the outermost
    GroupExpandedRole,                 ///< cell of a group heading row: true when its rows show
};

/// How a grid shows one dataset field. Kept by field name, so it survives reloads of the dataset.
struct GridColumn
{
    QString title;                        ///< empty: the field's display label
    int width = -1;                       ///< in pixels; -1: from the field's display width and title
    Qt::Alignment alignment = {};         ///< empty: numbers right, everything else left
    std::optional<QString> displayFormat; ///< unset: the field's display format, as the dataset has it now
    bool hidden = false;
    bool readOnly = false;
    ColumnFooter footer;
    std::optional<ColumnFilter> filter; ///< unset: every row passes
};

} // namespace quotaly::ui

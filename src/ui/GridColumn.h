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
};

} // namespace quotaly::ui

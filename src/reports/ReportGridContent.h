#pragma once

#include "ReportText.h"

#include <functional>

#include <QList>
#include <QStringList>
#include <QVariant>

namespace quotaly {

/// The report grid as the exporters read it: its visible columns in display order, its records and footer, what
/// the user has selected, and the grid command an export ends with.
struct ReportGridContent
{
    /// The titles of the visible columns, in display order.
    QStringList titles;
    /// Every record from the first to the last: the field value of each visible column (a double where the
    /// field is numeric, else the text).
    QList<QVariantList> records;
    /// Each footer row: the footer text of each visible column, as displayed.
    QList<QStringList> footers;
    /// Every visible cell as displayed: what "Select all" followed by "Copy" takes.
    ReportTable allCells;
    /// The selected cells as displayed; no titles when nothing is selected.
    ReportTable selectedCells;

    /// Clears the grid's selection. May be empty.
    std::function<void()> clearSelection;

    bool hasSelection() const { return !selectedCells.titles.isEmpty(); }
};

} // namespace quotaly

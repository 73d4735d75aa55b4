#pragma once

#include "ReportGridContent.h"
#include "ReportText.h"

namespace quotaly {
class Dataset;
namespace ui {
class DataGrid;
}

/// Shows the report rows in a grid the way every report grid shows them: the column widths, the centred
/// currency and the footer with "Total :", the sums of units and amount and the current row's currency.
void configureReportGrid(ui::DataGrid &grid, Dataset *reportRows);

/// Sizes the report's columns to the font in use: each at least its usual width, wider where a word of its
/// title (also in bold, as printed), a value or a footer text needs more room.
void fitReportColumns(ui::DataGrid &grid);

/// Every visible cell of the grid as displayed, the titles, the records in display order and the footer.
ReportTable displayedReport(const ui::DataGrid &grid);

/// The grid as the exporters read it; clearSelection clears the grid's own selection.
ReportGridContent reportGridContent(ui::DataGrid &grid);

} // namespace quotaly

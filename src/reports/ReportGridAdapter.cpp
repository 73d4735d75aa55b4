#include "ReportGridAdapter.h"

#include "dataset/Dataset.h"
#include "ui/DataGrid.h"
#include "ui/GridProxyModel.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTableView>

#include <algorithm>

namespace quotaly {

namespace {

// The report's columns with their narrowest width in pixels; discount and units start at a grid's usual 64.
const std::pair<const char *, int> kColumnWidths[] = {{"MatchTypes", 152}, {"MatchValue", 72}, {"Discount", 64},
                                                      {"Units", 64},       {"Rate", 57},       {"Currency", 50},
                                                      {"Amount", 69}};

// The model columns the user sees, in the order they appear.
QList<int> shownColumns(const ui::DataGrid &grid)
{
    QList<int> columns;
    const QHeaderView *header = grid.view()->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (!header->isSectionHidden(column))
            columns << column;
    }
    return columns;
}

QVariant recordValue(const Dataset &rows, int row, int field)
{
    if (field < 0)
        return QString();
    const QVariant value = rows.valueAt(row, field);
    switch (rows.field(field).kind()) {
    case FieldKind::Float:
    case FieldKind::Integer:
        return value.isNull() ? QVariant(0.0) : QVariant(value.toDouble());
    default:
        return value.toString();
    }
}

} // namespace

void configureReportGrid(ui::DataGrid &grid, Dataset *reportRows)
{
    grid.setDataset(reportRows);
    grid.setReadOnly(true);
    grid.setColumnAlignment(QStringLiteral("Currency"), Qt::AlignCenter);
    grid.setFooterText(QStringLiteral("MatchTypes"), QStringLiteral("Total :"), Qt::AlignRight);
    grid.setFooterSum(QStringLiteral("Units"));
    grid.setFooterCurrentValue(QStringLiteral("Currency"), Qt::AlignCenter);
    grid.setFooterSum(QStringLiteral("Amount"));
    fitReportColumns(grid);
}

void fitReportColumns(ui::DataGrid &grid)
{
    const QTableView *view = grid.view();
    const QHeaderView *header = view->horizontalHeader();
    // Titles are measured in bold, as the printed page shows them; footers are bold on screen too.
    QFont boldTitle = header->font();
    boldTitle.setBold(true);
    QFont boldCell = view->font();
    boldCell.setBold(true);
    const QFontMetrics title(boldTitle), cell(view->font()), footer(boldCell);
    const int padding = 2 * view->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 8;
    const QList<int> rows = grid.displayedDatasetRows();

    for (const auto &[name, pixels] : kColumnWidths) {
        const QString field = QString::fromLatin1(name);
        int needed = 0;
        for (const QString &word : grid.columnTitle(field).split(u' '))
            needed = std::max(needed, title.horizontalAdvance(word));
        for (const int row : rows)
            needed = std::max(needed, cell.horizontalAdvance(grid.displayTexts(row, {field}).value(0)));
        needed = std::max(needed, footer.horizontalAdvance(grid.footerText(field)));
        grid.setColumnWidth(field, std::max(pixels, needed + padding));
    }
}

ReportTable displayedReport(const ui::DataGrid &grid)
{
    const ui::GridProxyModel *proxy = grid.proxyModel();
    const QList<int> columns = shownColumns(grid);
    ReportTable table;
    for (const int c : columns)
        table.titles << proxy->headerData(c, Qt::Horizontal).toString();
    const Dataset *rows = grid.dataset();
    if (!rows || !rows->isActive())
        return table;
    for (const int row : grid.displayedDatasetRows()) {
        QStringList cells;
        for (const int c : columns)
            cells << proxy->displayText(row, c);
        table.rows << cells;
    }
    if (grid.hasFooter()) {
        for (const int c : columns)
            table.footer << grid.footerText(proxy->fieldName(c));
    }
    return table;
}

ReportGridContent reportGridContent(ui::DataGrid &grid)
{
    ReportGridContent content;
    content.allCells = displayedReport(grid);
    content.titles = content.allCells.titles;
    if (!content.allCells.footer.isEmpty())
        content.footers << content.allCells.footer;
    if (grid.hasSelection())
        content.selectedCells = grid.selectionTable();

    const Dataset *rows = grid.dataset();
    if (rows && rows->isActive()) {
        const ui::GridProxyModel *proxy = grid.proxyModel();
        const QList<int> columns = shownColumns(grid);
        for (const int row : grid.displayedDatasetRows()) {
            QVariantList values;
            for (const int c : columns)
                values << recordValue(*rows, row, proxy->fieldIndex(c));
            content.records << values;
        }
    }

    content.clearSelection = [&grid] { grid.clearSelection(); };
    return content;
}

} // namespace quotaly

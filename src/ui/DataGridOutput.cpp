// DataGrid: what the grid hands out — footer texts, the selection, the clipboard and printed pages.
#include "DataGrid.h"

#include "DatasetTableModel.h"
#include "Dialogs.h"
#include "GridPrinter.h"
#include "GridProxyModel.h"
#include "dataset/Dataset.h"
#include "dataset/DisplayFormat.h"
#include "reports/ReportGridData.h"
#include "reports/ReportRichText.h"

#include <algorithm>

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSet>
#include <QTableView>

namespace quotaly::ui {

// --- Footer -------------------------------------------------------------------------------------------------

void DataGrid::setFooter(const QString &field, const ColumnFooter &footer)
{
    settings(field).footer = footer;
    settingsChanged();
}

void DataGrid::setFooterSum(const QString &field, Qt::Alignment alignment, bool bold)
{
    setFooter(field, {ColumnFooter::Kind::Sum, {}, alignment, bold});
}

void DataGrid::setFooterCount(const QString &field, const QString &format, Qt::Alignment alignment, bool bold)
{
    setFooter(field, {ColumnFooter::Kind::Count, format, alignment, bold});
}

void DataGrid::setFooterText(const QString &field, const QString &text, Qt::Alignment alignment, bool bold)
{
    setFooter(field, {ColumnFooter::Kind::Text, text, alignment, bold});
}

void DataGrid::setFooterCurrentValue(const QString &field, Qt::Alignment alignment, bool bold)
{
    setFooter(field, {ColumnFooter::Kind::CurrentValue, {}, alignment, bold});
}

bool DataGrid::hasFooter() const
{
    for (int c = 0; c < m_proxy->columnCount(); ++c) {
        const GridColumn &column = m_proxy->columnSettings(c);
        if (!column.hidden && column.footer.kind != ColumnFooter::Kind::None)
            return true;
    }
    return false;
}

QString DataGrid::footerText(const QString &field) const
{
    const int column = columnOf(field);
    return column < 0 ? QString() : footerCell(column).text;
}

void DataGrid::invalidateFooter()
{
    m_footerValid = false;
    m_footer->update();
}

FooterCell DataGrid::footerCell(int column) const
{
    if (!m_footerValid) {
        m_footerCells.clear();
        for (int c = 0; c < m_proxy->columnCount(); ++c) {
            const ColumnFooter &footer = m_proxy->columnSettings(c).footer;
            const Qt::Alignment own = footer.alignment & Qt::AlignHorizontal_Mask;
            m_footerCells << FooterCell{footerValue(c), own ? own : m_proxy->columnAlignment(c), footer.bold};
        }
        m_footerValid = true;
    }
    return m_footerCells.value(column);
}

QString DataGrid::footerValue(int column) const
{
    const ColumnFooter &footer = m_proxy->columnSettings(column).footer;
    if (footer.kind == ColumnFooter::Kind::Text)
        return footer.text;
    if (!m_dataset || !m_dataset->isActive())
        return {};
    switch (footer.kind) {
    case ColumnFooter::Kind::Sum: {
        const int field = m_proxy->fieldIndex(column);
        const FieldKind kind = field >= 0 ? m_dataset->field(field).kind() : FieldKind::Text;
        if (kind != FieldKind::Float && kind != FieldKind::Integer)
            return {};
        double sum = 0;
        for (int r = 0; r < m_proxy->rowCount(); ++r)
            sum += m_proxy->data(m_proxy->index(r, column), Qt::EditRole).toDouble();
        return formatFloat(sum, m_proxy->displayFormat(column), QLocale());
    }
    case ColumnFooter::Kind::Count:
        return formatFloat(m_proxy->rowCount(), footer.text, QLocale());
    case ColumnFooter::Kind::CurrentValue: {
        const int row = m_dataset->recNo();
        if (!m_model || row < 0 || row >= m_model->rowCount())
            return {};
        return m_proxy->data(m_proxy->mapFromSource(m_model->index(row, column))).toString();
    }
    default:
        return {};
    }
}

// --- Selection ----------------------------------------------------------------------------------------------

QList<int> DataGrid::visibleColumns() const
{
    QList<int> columns;
    const QHeaderView *header = m_view->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (!header->isSectionHidden(column))
            columns << column;
    }
    return columns;
}

void DataGrid::selectAll()
{
    if (!m_dataset || !m_dataset->isActive() || m_proxy->rowCount() == 0 || m_proxy->columnCount() == 0)
        return;
    m_view->selectAll(); // group headings cannot be selected
}

void DataGrid::clearSelection()
{
    m_view->clearSelection();
}

bool DataGrid::hasSelection() const
{
    for (const QItemSelectionRange &range : m_view->selectionModel()->selection()) {
        for (int c = range.left(); c <= range.right(); ++c) {
            if (!m_view->isColumnHidden(c) && !range.isEmpty())
                return true;
        }
    }
    return false;
}

ReportTable DataGrid::selectionTable() const
{
    const QItemSelectionModel *selection = m_view->selectionModel();
    const QAbstractItemModel *model = m_view->model();
    QSet<int> selectedRows;
    QSet<int> selectedColumns;
    for (const QModelIndex &index : selection->selectedIndexes()) {
        if (m_view->isColumnHidden(index.column()) || index.data(GroupLevelRole).isValid())
            continue;
        selectedRows << index.row();
        selectedColumns << index.column();
    }
    QList<int> rows(selectedRows.cbegin(), selectedRows.cend());
    std::sort(rows.begin(), rows.end());
    QList<int> columns = visibleColumns(); // in the order the user sees them
    columns.removeIf([&](int c) { return !selectedColumns.contains(c); });

    ReportTable table;
    for (const int c : std::as_const(columns))
        table.titles << m_proxy->headerData(c, Qt::Horizontal).toString();
    for (const int r : std::as_const(rows)) {
        QStringList cells;
        for (const int c : std::as_const(columns)) {
            const QModelIndex index = model->index(r, c);
            cells << (selection->isSelected(index) ? model->data(index).toString() : QString());
        }
        table.rows << cells;
    }
    if (hasFooter() && !columns.isEmpty()) {
        for (const int c : std::as_const(columns))
            table.footer << footerCell(c).text;
    }
    return table;
}

bool DataGrid::copySelection(const QString &headerBlock)
{
    if (!m_dataset || !m_dataset->isActive() || !hasSelection())
        return false;
    const ReportTable table = selectionTable();
    auto *mime = new QMimeData;
    mime->setText(reportPlainText(table, headerBlock));
    mime->setData(QStringLiteral("text/csv"), reportCsvText(table, headerBlock).toUtf8());
    const QByteArray rtf = reportRtfTable(table).toUtf8(); // plain ASCII
    mime->setData(QStringLiteral("text/rtf"), rtf);
    mime->setData(QStringLiteral("application/rtf"), rtf);
    mime->setHtml(reportHtmlTable(table));
    mime->setData(kGridDataMimeType, reportGridData(table));
    QGuiApplication::clipboard()->setMimeData(mime);
    return true;
}

// --- Printing -----------------------------------------------------------------------------------------------

bool DataGrid::print(QPrinter *printer)
{
    const QList<int> columns = visibleColumns();
    QList<GridPrinter::Column> printed;
    for (const int c : columns) {
        const FooterCell footer = footerCell(c);
        printed << GridPrinter::Column{m_proxy->headerData(c, Qt::Horizontal).toString(), m_view->columnWidth(c),
                                       m_proxy->columnAlignment(c), footer.alignment, footer.bold};
    }
    QList<QStringList> rows;
    for (int r = 0; r < m_proxy->rowCount(); ++r) {
        QStringList cells;
        for (const int c : columns)
            cells << m_proxy->data(m_proxy->index(r, c)).toString();
        rows << cells;
    }
    QStringList footer;
    if (hasFooter()) {
        for (const int c : columns)
            footer << footerCell(c).text;
    }

    GridPrinter pages(printed, rows, footer);
    pages.setPageHeader(m_pageHeader);
    pages.setFont(font());
    pages.setScreenDpi(logicalDpiX());
    if (pages.print(printer))
        return true;
    const QString file = printer->outputFileName();
    dialogs().message(this,
                      file.isEmpty() ? QStringLiteral("The printer could not be started.")
                                     : QStringLiteral("Cannot print to the file %1: it cannot be written.").arg(file),
                      Dialogs::Kind::Error);
    return false;
}

void DataGrid::printPreview(QWidget *parent)
{
    QPrintPreviewDialog preview(parent ? parent : this);
    preview.setObjectName(QStringLiteral("PrintPreview"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *printer) { print(printer); });
    preview.exec();
}

} // namespace quotaly::ui

#include "LibreOfficeSpreadsheet.h"

#include "StoreCopy.h"

#include <com/sun/star/awt/FontWeight.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/lang/IndexOutOfBoundsException.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/BorderLineStyle.hpp>
#include <com/sun/star/table/CellHoriJustify.hpp>
#include <com/sun/star/table/CellVertJustify2.hpp>
#include <com/sun/star/table/TableBorder2.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <algorithm>
#include <optional>

#include <QDir>
#include <QFileInfo>

namespace quotaly::office::lo {

using css::uno::Any;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

// The filter that writes a workbook in the format of the file name's extension.
OUString filterFor(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("xlsx"))
        return OUString("Calc MS Excel 2007 XML");
    if (suffix == QLatin1String("ods"))
        return OUString("calc8");
    if (suffix == QLatin1String("xls"))
        return OUString("MS Excel 97");
    if (suffix == QLatin1String("csv"))
        return OUString("Text - txt - csv (StarCalc)");
    throw Error(QStringLiteral("Cannot save “%1”: workbooks are saved as .xlsx, .ods, .xls or .csv files.")
                    .arg(fileName));
}

// The last row (from 1) holding a value, text or formula; 0 when there is none. (The sheet's "used area" is
// A1 on an empty sheet, so it cannot tell an empty sheet from one with something in A1.)
int lastContentRow(const Reference<css::sheet::XSpreadsheet> &sheet, int *lastColumn = nullptr)
{
    using namespace css::sheet::CellFlags;
    const Reference<css::sheet::XCellRangesQuery> query(sheet, UNO_QUERY_THROW);
    const Reference<css::sheet::XSheetCellRanges> ranges = query->queryContentCells(VALUE | DATETIME | STRING | FORMULA);
    int row = 0;
    int column = 0;
    for (const auto &address : ranges->getRangeAddresses()) {
        row = std::max(row, int(address.EndRow) + 1);
        column = std::max(column, int(address.EndColumn) + 1);
    }
    if (lastColumn)
        *lastColumn = column;
    return row;
}

css::table::BorderLine2 borderLine(LineStyle style)
{
    css::table::BorderLine2 line;
    if (style == LineStyle::Continuous) {
        // Excel's "thin".
        line.Color = 0;
        line.LineStyle = css::table::BorderLineStyle::SOLID;
        line.LineWidth = 26;
        line.OuterLineWidth = 26;
    }
    return line;
}

} // namespace

LibreOfficeSpreadsheet::LibreOfficeSpreadsheet(std::shared_ptr<OfficeSession> session) : m_session(std::move(session))
{
}

LibreOfficeSpreadsheet::~LibreOfficeSpreadsheet()
{
    try {
        m_session->run([this] { releaseHandles(); }, 5000);
    } catch (...) {
        // The office is gone; the references die with the bridge.
    }
}

void LibreOfficeSpreadsheet::releaseHandles()
{
    m_ranges.clear();
    m_sheets.clear();
    m_books.clear();
}

// --- Handles -----------------------------------------------------------------------------------------------------

Workbook LibreOfficeSpreadsheet::handleFor(const Document &document)
{
    const Reference<css::uno::XInterface> wanted(document, UNO_QUERY);
    for (const auto &[id, book] : m_books) {
        if (Reference<css::uno::XInterface>(book, UNO_QUERY) == wanted)
            return Workbook{id};
    }
    const int id = m_nextId++;
    m_books.emplace(id, document);
    return Workbook{id};
}

const LibreOfficeSpreadsheet::Document &LibreOfficeSpreadsheet::document(Workbook workbook) const
{
    const auto it = m_books.find(workbook.id);
    if (it == m_books.end())
        throw Error(QStringLiteral("The workbook is not open."));
    return it->second;
}

const LibreOfficeSpreadsheet::SheetEntry &LibreOfficeSpreadsheet::sheetEntry(Worksheet sheet) const
{
    const auto it = m_sheets.find(sheet.id);
    if (it == m_sheets.end())
        throw Error(QStringLiteral("The worksheet is not open."));
    return it->second;
}

const LibreOfficeSpreadsheet::RangeEntry &LibreOfficeSpreadsheet::rangeEntry(CellRange range) const
{
    const auto it = m_ranges.find(range.id);
    if (it == m_ranges.end())
        throw Error(QStringLiteral("The range handle is not valid."));
    return it->second;
}

Reference<css::table::XCell> LibreOfficeSpreadsheet::cell(Worksheet sheet, int row, int column) const
{
    const SheetEntry &entry = sheetEntry(sheet);
    if (row < 1 || column < 1)
        throw Error(QStringLiteral("There is no cell at row %1, column %2.").arg(row).arg(column));
    try {
        return entry.sheet->getCellByPosition(column - 1, row - 1);
    } catch (const css::lang::IndexOutOfBoundsException &) {
        throw Error(QStringLiteral("Row %1, column %2 lies outside the worksheet.").arg(row).arg(column));
    }
}

Reference<css::table::XCellRange> LibreOfficeSpreadsheet::block(Worksheet sheet, int row, int column, int lastRow,
                                                                int lastColumn) const
{
    const SheetEntry &entry = sheetEntry(sheet);
    if (row < 1 || column < 1)
        throw Error(QStringLiteral("There is no cell at row %1, column %2.").arg(row).arg(column));
    try {
        return entry.sheet->getCellRangeByPosition(column - 1, row - 1, lastColumn - 1, lastRow - 1);
    } catch (const css::lang::IndexOutOfBoundsException &) {
        throw Error(QStringLiteral("Row %1, column %2 lies outside the worksheet.").arg(lastRow).arg(lastColumn));
    }
}

std::vector<LibreOfficeSpreadsheet::Document> LibreOfficeSpreadsheet::openDocuments() const
{
    std::vector<Document> documents;
    const Reference<css::container::XEnumeration> components =
        m_session->desktop()->getComponents()->createEnumeration();
    while (components->hasMoreElements()) {
        Document document(components->nextElement(), UNO_QUERY);
        if (document.is())
            documents.push_back(document);
    }
    return documents;
}

// --- Connection and workbooks ------------------------------------------------------------------------------------

void LibreOfficeSpreadsheet::connect()
{
    m_session->connect();
}

void LibreOfficeSpreadsheet::setVisible(bool visible)
{
    if (m_session->headless())
        return;
    m_session->run([&] {
        for (const auto &[id, book] : m_books) {
            const Reference<css::lang::XComponent> component(book, UNO_QUERY);
            if (visible) {
                m_session->show(component);
                continue;
            }
            const Reference<css::frame::XModel> model(book, UNO_QUERY);
            if (const auto controller = model.is() ? model->getCurrentController() : nullptr; controller.is())
                controller->getFrame()->getContainerWindow()->setVisible(false);
        }
    });
}

void LibreOfficeSpreadsheet::disconnect()
{
    try {
        m_session->run([this] { releaseHandles(); });
    } catch (...) {
        releaseHandles();
        throw;
    }
}

Workbook LibreOfficeSpreadsheet::addWorkbook()
{
    return m_session->run([this] {
        const Reference<css::lang::XComponent> component =
            m_session->load(OUString("private:factory/scalc"), css::uno::Sequence<css::beans::PropertyValue>());
        return handleFor(Document(component, UNO_QUERY_THROW));
    });
}

int LibreOfficeSpreadsheet::workbookCount()
{
    return m_session->run([this] { return int(openDocuments().size()); });
}

Workbook LibreOfficeSpreadsheet::workbook(int index)
{
    return m_session->run([this, index] {
        const std::vector<Document> documents = openDocuments();
        if (index < 1 || index > int(documents.size()))
            throw Error(QStringLiteral("There is no workbook number %1; %2 are open.").arg(index).arg(documents.size()));
        return handleFor(documents.at(std::size_t(index - 1)));
    });
}

QString LibreOfficeSpreadsheet::fullName(Workbook workbook)
{
    return m_session->run([this, workbook] {
        const Reference<css::frame::XModel> model(document(workbook), UNO_QUERY_THROW);
        const QString path = pathFromUrl(model->getURL());
        if (!path.isEmpty())
            return path;
        const Reference<css::frame::XTitle> title(model, UNO_QUERY_THROW);
        return toQString(title->getTitle());
    });
}

Workbook LibreOfficeSpreadsheet::openWorkbook(const OpenWorkbookArgs &args)
{
    const QFileInfo file(QDir::current().absoluteFilePath(args.fileName));
    const QString path = file.absoluteFilePath();
    if (!file.exists())
        throw Error(QStringLiteral("The workbook “%1” cannot be opened: the file does not exist.").arg(path));
    if (!file.isFile() || !file.isReadable())
        throw Error(QStringLiteral("The workbook “%1” cannot be opened: the file cannot be read.").arg(path));
    const QString canonical = file.canonicalFilePath();

    return m_session->run([&] {
        // A workbook that is open already is used as it is, with its unsaved changes.
        for (const Document &open : openDocuments()) {
            const QString openPath = pathFromUrl(Reference<css::frame::XModel>(open, UNO_QUERY_THROW)->getURL());
            if (!openPath.isEmpty() && QFileInfo(openPath).canonicalFilePath() == canonical)
                return handleFor(open);
        }

        // No interaction handler: a password-protected file fails instead of asking the user in the office.
        auto properties = lo::properties({{"ReadOnly", Any(args.readOnly)}});
        if (!args.password.isEmpty()) {
            properties.realloc(properties.getLength() + 1);
            properties.getArray()[properties.getLength() - 1] =
                lo::properties({{"Password", Any(toOUString(args.password))}})[0];
        }
        Reference<css::lang::XComponent> component;
        try {
            component = m_session->load(fileUrl(canonical), properties);
        } catch (const Error &) {
            // The office gives no reason without an interaction handler.
            throw Error(QStringLiteral("The workbook “%1” cannot be opened. It may be protected by a password, "
                                       "damaged, or in a format LibreOffice does not read.")
                            .arg(path));
        }
        Document document(component, UNO_QUERY);
        if (!document.is()) {
            // The office opened it as something else (random bytes become a text document): close that again.
            try {
                Reference<css::util::XCloseable>(component, UNO_QUERY_THROW)->close(true);
            } catch (const css::uno::Exception &) {
                component->dispose();
            }
            throw Error(QStringLiteral("“%1” is not a spreadsheet, so the report cannot be added to it.").arg(path));
        }
        return handleFor(document);
    });
}

Worksheet LibreOfficeSpreadsheet::firstWorksheet(Workbook workbook)
{
    return m_session->run([this, workbook] {
        const Reference<css::container::XIndexAccess> sheets(document(workbook)->getSheets(), UNO_QUERY_THROW);
        if (sheets->getCount() == 0)
            throw Error(QStringLiteral("The workbook has no worksheet."));
        SheetEntry entry{Reference<css::sheet::XSpreadsheet>(sheets->getByIndex(0), UNO_QUERY_THROW), workbook.id};
        const int id = m_nextId++;
        m_sheets.emplace(id, std::move(entry));
        return Worksheet{id};
    });
}

// --- Cells -------------------------------------------------------------------------------------------------------

int LibreOfficeSpreadsheet::usedRowCount(Worksheet sheet)
{
    return m_session->run([this, sheet] { return lastContentRow(sheetEntry(sheet).sheet); });
}

void LibreOfficeSpreadsheet::setCell(Worksheet sheet, int row, int column, const CellValue &value)
{
    m_session->run([&] {
        const Reference<css::table::XCell> target = cell(sheet, row, column);
        if (const double *number = std::get_if<double>(&value))
            target->setValue(*number);
        else
            Reference<css::text::XText>(target, UNO_QUERY_THROW)->setString(toOUString(std::get<QString>(value)));
    });
}

void LibreOfficeSpreadsheet::setCells(Worksheet sheet, int row, int column, const QList<QList<CellValue>> &rows)
{
    m_session->run([&] {
        // One data array per run of rows of the same length. Texts in a data array are taken as they are, never
        // as formulas, and an empty text leaves its cell empty, as setCell does.
        qsizetype first = 0;
        while (first < rows.size()) {
            const qsizetype width = rows.at(first).size();
            qsizetype end = first + 1;
            while (end < rows.size() && rows.at(end).size() == width)
                ++end;
            if (width > 0) {
                css::uno::Sequence<css::uno::Sequence<Any>> data(sal_Int32(end - first));
                auto *out = data.getArray();
                for (qsizetype r = first; r < end; ++r, ++out) {
                    out->realloc(sal_Int32(width));
                    Any *cells = out->getArray();
                    for (const CellValue &value : rows.at(r)) {
                        if (const double *number = std::get_if<double>(&value))
                            *cells++ <<= *number;
                        else
                            *cells++ <<= toOUString(std::get<QString>(value));
                    }
                }
                const Reference<css::sheet::XCellRangeData> target(
                    block(sheet, row + int(first), column, row + int(end) - 1, column + int(width) - 1),
                    UNO_QUERY_THROW);
                target->setDataArray(data);
            }
            first = end;
        }
    });
}

void LibreOfficeSpreadsheet::setCellsBold(Worksheet sheet, int row, int column, int lastColumn)
{
    if (lastColumn < column)
        return;
    m_session->run([&] {
        Reference<css::beans::XPropertySet>(block(sheet, row, column, row, lastColumn), UNO_QUERY_THROW)
            ->setPropertyValue(OUString("CharWeight"), Any(css::awt::FontWeight::BOLD));
    });
}

void LibreOfficeSpreadsheet::setCellBold(Worksheet sheet, int row, int column)
{
    m_session->run([&] {
        Reference<css::beans::XPropertySet>(cell(sheet, row, column), UNO_QUERY_THROW)
            ->setPropertyValue(OUString("CharWeight"), Any(css::awt::FontWeight::BOLD));
    });
}

CellRange LibreOfficeSpreadsheet::range(Worksheet sheet, const QString &cell1, const QString &cell2)
{
    const std::optional<CellAddress> a = parseCellAddress(cell1);
    const std::optional<CellAddress> b = parseCellAddress(cell2);
    if (!a || !b)
        throw Error(QStringLiteral("“%1” is not a cell address such as A1.").arg(a ? cell2 : cell1));
    return m_session->run([&] {
        const SheetEntry &entry = sheetEntry(sheet);
        RangeEntry range;
        try {
            range.range = entry.sheet->getCellRangeByPosition(
                std::min(a->column, b->column) - 1, std::min(a->row, b->row) - 1, std::max(a->column, b->column) - 1,
                std::max(a->row, b->row) - 1);
        } catch (const css::lang::IndexOutOfBoundsException &) {
            throw Error(QStringLiteral("%1:%2 lies outside the worksheet.").arg(cell1, cell2));
        }
        range.book = entry.book;
        const int id = m_nextId++;
        m_ranges.emplace(id, std::move(range));
        return CellRange{id};
    });
}

// --- Formats -----------------------------------------------------------------------------------------------------

void LibreOfficeSpreadsheet::setRangeProperty(CellRange range, const char *name, const Any &value)
{
    m_session->run([&] {
        Reference<css::beans::XPropertySet>(rangeEntry(range).range, UNO_QUERY_THROW)
            ->setPropertyValue(OUString::createFromAscii(name), value);
    });
}

void LibreOfficeSpreadsheet::setHorizontalAlignment(CellRange range, HorizontalAlignment alignment)
{
    css::table::CellHoriJustify justify = css::table::CellHoriJustify_STANDARD;
    switch (alignment) {
    case HorizontalAlignment::General:
        break;
    case HorizontalAlignment::Left:
        justify = css::table::CellHoriJustify_LEFT;
        break;
    case HorizontalAlignment::Centre:
        justify = css::table::CellHoriJustify_CENTER;
        break;
    case HorizontalAlignment::Right:
        justify = css::table::CellHoriJustify_RIGHT;
        break;
    }
    setRangeProperty(range, "HoriJustify", Any(justify));
}

void LibreOfficeSpreadsheet::setVerticalAlignment(CellRange range, VerticalAlignment alignment)
{
    sal_Int32 justify = css::table::CellVertJustify2::BOTTOM;
    if (alignment == VerticalAlignment::Top)
        justify = css::table::CellVertJustify2::TOP;
    else if (alignment == VerticalAlignment::Centre)
        justify = css::table::CellVertJustify2::CENTER;
    setRangeProperty(range, "VertJustify", Any(justify));
}

void LibreOfficeSpreadsheet::setBold(CellRange range)
{
    setRangeProperty(range, "CharWeight", Any(css::awt::FontWeight::BOLD));
}

void LibreOfficeSpreadsheet::setWrapText(CellRange range)
{
    setRangeProperty(range, "IsTextWrapped", Any(true));
}

void LibreOfficeSpreadsheet::setBorder(CellRange range, BorderEdge edge, LineStyle style)
{
    // One edge of every cell: the range's outer line on that side and the inner lines parallel to it. The other
    // lines stay as they are (not valid in the set).
    css::table::TableBorder2 border;
    const css::table::BorderLine2 line = borderLine(style);
    switch (edge) {
    case BorderEdge::Left:
        border.LeftLine = line;
        border.IsLeftLineValid = true;
        break;
    case BorderEdge::Right:
        border.RightLine = line;
        border.IsRightLineValid = true;
        break;
    case BorderEdge::Top:
        border.TopLine = line;
        border.IsTopLineValid = true;
        break;
    case BorderEdge::Bottom:
        border.BottomLine = line;
        border.IsBottomLineValid = true;
        break;
    }
    if (edge == BorderEdge::Left || edge == BorderEdge::Right) {
        border.VerticalLine = line;
        border.IsVerticalLineValid = true;
    } else {
        border.HorizontalLine = line;
        border.IsHorizontalLineValid = true;
    }
    setRangeProperty(range, "TableBorder2", Any(border));
}

void LibreOfficeSpreadsheet::fit(Worksheet sheet, bool columns)
{
    m_session->run([&] {
        const SheetEntry &entry = sheetEntry(sheet);
        int lastColumn = 0;
        const int lastRow = lastContentRow(entry.sheet, &lastColumn);
        if (lastRow == 0)
            return;
        const Reference<css::table::XColumnRowRange> used(
            entry.sheet->getCellRangeByPosition(0, 0, lastColumn - 1, lastRow - 1), UNO_QUERY_THROW);
        if (columns) {
            Reference<css::beans::XPropertySet>(used->getColumns(), UNO_QUERY_THROW)
                ->setPropertyValue(OUString("OptimalWidth"), Any(true));
        } else {
            Reference<css::beans::XPropertySet>(used->getRows(), UNO_QUERY_THROW)
                ->setPropertyValue(OUString("OptimalHeight"), Any(true));
        }
    });
}

void LibreOfficeSpreadsheet::autoFitColumns(Worksheet sheet)
{
    fit(sheet, true);
}

void LibreOfficeSpreadsheet::autoFitRows(Worksheet sheet)
{
    fit(sheet, false);
}

void LibreOfficeSpreadsheet::select(CellRange range)
{
    m_session->run([&] {
        const RangeEntry &entry = rangeEntry(range);
        const Reference<css::frame::XModel> model(document(Workbook{entry.book}), UNO_QUERY_THROW);
        const Reference<css::view::XSelectionSupplier> selection(model->getCurrentController(), UNO_QUERY);
        if (selection.is())
            selection->select(Any(entry.range));
    });
}

void LibreOfficeSpreadsheet::saveCopyAs(Workbook workbook, const QString &fileName)
{
    const OUString filter = filterFor(fileName);
    storeCopy(*m_session, fileName, [&](const OUString &url) {
        Reference<css::frame::XStorable>(document(workbook), UNO_QUERY_THROW)
            ->storeToURL(url, properties({{"FilterName", Any(filter)}, {"Overwrite", Any(true)}}));
    });
}

} // namespace quotaly::office::lo

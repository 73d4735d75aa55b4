#include "RecordingSpreadsheet.h"

#include <algorithm>

namespace quotaly::office {

using namespace Qt::StringLiterals;

namespace {

QString call(const QString &function, const QStringList &arguments)
{
    return function + u'(' + arguments.join(QStringLiteral(", ")) + u')';
}

QString bookName(int id)
{
    return QStringLiteral("book%1").arg(id);
}

QString sheetName(int id)
{
    return QStringLiteral("sheet%1").arg(id);
}

QString alignmentName(HorizontalAlignment a)
{
    switch (a) {
    case HorizontalAlignment::General:
        return QStringLiteral("general");
    case HorizontalAlignment::Left:
        return QStringLiteral("left");
    case HorizontalAlignment::Centre:
        return QStringLiteral("centre");
    case HorizontalAlignment::Right:
        return QStringLiteral("right");
    }
    return {};
}

QString alignmentName(VerticalAlignment a)
{
    switch (a) {
    case VerticalAlignment::Top:
        return QStringLiteral("top");
    case VerticalAlignment::Centre:
        return QStringLiteral("centre");
    case VerticalAlignment::Bottom:
        return QStringLiteral("bottom");
    }
    return {};
}

QString edgeName(BorderEdge e)
{
    switch (e) {
    case BorderEdge::Left:
        return QStringLiteral("left");
    case BorderEdge::Right:
        return QStringLiteral("right");
    case BorderEdge::Top:
        return QStringLiteral("top");
    case BorderEdge::Bottom:
        return QStringLiteral("bottom");
    }
    return {};
}

QString lineStyleName(LineStyle s)
{
    return s == LineStyle::Continuous ? QStringLiteral("continuous") : QStringLiteral("none");
}

} // namespace

// --- Script and inspection -----------------------------------------------------------------------------------

void RecordingSpreadsheet::addFile(const QString &fileName, int usedRows)
{
    m_files.insert(fileName, usedRows);
}

Workbook RecordingSpreadsheet::addOpenWorkbook(const QString &fullName, int usedRows)
{
    return Workbook{newBook(fullName, usedRows)};
}

void RecordingSpreadsheet::failOn(const QString &pattern, const QString &message, int times)
{
    m_calls.failOn(pattern, message, times);
}

std::optional<CellValue> RecordingSpreadsheet::cell(Worksheet sheet, int row, int column) const
{
    const auto book = m_books.constFind(sheet.id);
    if (book == m_books.cend() || !book->cells.contains({row, column}))
        return std::nullopt;
    return book->cells.value({row, column});
}

bool RecordingSpreadsheet::isBold(Worksheet sheet, int row, int column) const
{
    return m_books.value(sheet.id).bold.contains({row, column});
}

int RecordingSpreadsheet::newBook(const QString &fullName, int usedRows)
{
    const int id = m_nextBook++;
    BookState book;
    book.fullName = fullName;
    book.usedRows = usedRows;
    m_books.insert(id, book);
    m_openOrder.append(id);
    m_lastBook = id;
    return id;
}

QString RecordingSpreadsheet::text(const CellValue &value)
{
    if (const double *number = std::get_if<double>(&value))
        return CallRecorder::number(*number);
    return CallRecorder::quoted(std::get<QString>(value));
}

QString RecordingSpreadsheet::name(CellRange range) const
{
    return m_ranges.contains(range.id) ? m_ranges.value(range.id).text : QStringLiteral("range%1").arg(range.id);
}

std::optional<RecordingSpreadsheet::Cell> RecordingSpreadsheet::parseCell(const QString &address)
{
    const std::optional<CellAddress> cell = parseCellAddress(address);
    if (!cell)
        return std::nullopt;
    return Cell{cell->row, cell->column};
}

// --- Checks shared by the calls ------------------------------------------------------------------------------

void RecordingSpreadsheet::begin(const QString &line)
{
    m_calls.check(line);
    if (!m_connected)
        m_calls.fail(line, QStringLiteral("The spreadsheet is not connected."));
}

RecordingSpreadsheet::BookState &RecordingSpreadsheet::bookFor(int id, const QString &line, bool sheet)
{
    begin(line);
    auto it = m_books.find(id);
    if (it == m_books.end() || !it->open)
        m_calls.fail(line, sheet ? QStringLiteral("The worksheet is not open.")
                                 : QStringLiteral("The workbook is not open."));
    return *it;
}

const RecordingSpreadsheet::RangeRef &RecordingSpreadsheet::rangeFor(CellRange range, const QString &line)
{
    begin(line);
    const auto it = m_ranges.constFind(range.id);
    if (it == m_ranges.cend())
        m_calls.fail(line, QStringLiteral("The range handle is not valid."));
    return *it;
}

void RecordingSpreadsheet::formatRange(CellRange range, const QString &function, const QString &argument)
{
    QStringList arguments{name(range)};
    if (!argument.isEmpty())
        arguments << argument;
    const QString line = call(function, arguments);
    rangeFor(range, line);
    m_calls.done(line);
}

// --- Connection and workbooks --------------------------------------------------------------------------------

void RecordingSpreadsheet::connect()
{
    const QString line = QStringLiteral("connect()");
    m_calls.check(line);
    m_connected = true;
    m_calls.done(line);
}

void RecordingSpreadsheet::setVisible(bool visible)
{
    const QString line = call(QStringLiteral("setVisible"), {CallRecorder::boolean(visible)});
    begin(line);
    m_visible = visible;
    m_calls.done(line);
}

void RecordingSpreadsheet::disconnect()
{
    const QString line = QStringLiteral("disconnect()");
    m_calls.check(line);
    m_connected = false;
    m_ranges.clear();
    m_calls.done(line);
}

Workbook RecordingSpreadsheet::addWorkbook()
{
    const QString line = QStringLiteral("addWorkbook()");
    begin(line);
    const Workbook book{newBook(QStringLiteral("Untitled %1").arg(++m_untitled), 0)};
    m_calls.returned(line, bookName(book.id));
    return book;
}

int RecordingSpreadsheet::workbookCount()
{
    const QString line = QStringLiteral("workbookCount()");
    begin(line);
    m_calls.returned(line, QString::number(m_openOrder.size()));
    return int(m_openOrder.size());
}

Workbook RecordingSpreadsheet::workbook(int index)
{
    const QString line = call(QStringLiteral("workbook"), {QString::number(index)});
    begin(line);
    if (index < 1 || index > m_openOrder.size())
        m_calls.fail(line, QStringLiteral("Subscript out of range."));
    const Workbook book{m_openOrder.at(index - 1)};
    m_calls.returned(line, bookName(book.id));
    return book;
}

QString RecordingSpreadsheet::fullName(Workbook workbook)
{
    const QString line = call(QStringLiteral("fullName"), {bookName(workbook.id)});
    const QString result = bookFor(workbook.id, line, false).fullName;
    m_calls.returned(line, CallRecorder::quoted(result));
    return result;
}

Workbook RecordingSpreadsheet::openWorkbook(const OpenWorkbookArgs &a)
{
    using R = CallRecorder;
    const QString line =
        call(QStringLiteral("openWorkbook"),
             {R::quoted(a.fileName), u"updateLinks="_s + QString::number(a.updateLinks),
              u"readOnly="_s + R::boolean(a.readOnly), u"format="_s + QString::number(a.format),
              u"password="_s + R::quoted(a.password), u"writeResPassword="_s + R::quoted(a.writeResPassword),
              u"ignoreReadOnlyRecommended="_s + R::boolean(a.ignoreReadOnlyRecommended),
              u"origin="_s + QString::number(a.origin), u"delimiter="_s + R::quoted(a.delimiter),
              u"editable="_s + R::boolean(a.editable), u"notify="_s + R::boolean(a.notify),
              u"converter="_s + QString::number(a.converter), u"addToMru="_s + R::boolean(a.addToMru)});
    begin(line);
    if (!m_files.contains(a.fileName))
        m_calls.fail(line, QStringLiteral("'%1' could not be found.").arg(a.fileName));
    int id = 0;
    for (int open : std::as_const(m_openOrder)) {
        if (m_books.value(open).fullName == a.fileName)
            id = open;
    }
    if (id == 0)
        id = newBook(a.fileName, m_files.value(a.fileName));
    m_calls.returned(line, bookName(id));
    return Workbook{id};
}

Worksheet RecordingSpreadsheet::firstWorksheet(Workbook workbook)
{
    const QString line = call(QStringLiteral("firstWorksheet"), {bookName(workbook.id)});
    bookFor(workbook.id, line, false);
    m_lastBook = workbook.id;
    m_calls.returned(line, sheetName(workbook.id));
    return Worksheet{workbook.id};
}

// --- Cells ---------------------------------------------------------------------------------------------------

int RecordingSpreadsheet::usedRowCount(Worksheet sheet)
{
    const QString line = call(QStringLiteral("usedRowCount"), {sheetName(sheet.id)});
    const BookState &book = bookFor(sheet.id, line, true);
    int used = book.usedRows;
    for (auto it = book.cells.cbegin(); it != book.cells.cend(); ++it) {
        const QString *s = std::get_if<QString>(&it.value());
        if (!s || !s->isEmpty())
            used = std::max(used, it.key().first);
    }
    m_calls.returned(line, QString::number(used));
    return used;
}

void RecordingSpreadsheet::setCell(Worksheet sheet, int row, int column, const CellValue &value)
{
    const QString line = call(QStringLiteral("setCell"),
                              {sheetName(sheet.id), QString::number(row), QString::number(column), text(value)});
    BookState &book = bookFor(sheet.id, line, true);
    if (row < 1 || column < 1)
        m_calls.fail(line, QStringLiteral("Application-defined or object-defined error."));
    book.cells.insert({row, column}, value);
    m_calls.done(line);
}

void RecordingSpreadsheet::setCellBold(Worksheet sheet, int row, int column)
{
    const QString line =
        call(QStringLiteral("setCellBold"), {sheetName(sheet.id), QString::number(row), QString::number(column)});
    BookState &book = bookFor(sheet.id, line, true);
    if (row < 1 || column < 1)
        m_calls.fail(line, QStringLiteral("Application-defined or object-defined error."));
    book.bold.insert({row, column});
    m_calls.done(line);
}

CellRange RecordingSpreadsheet::range(Worksheet sheet, const QString &cell1, const QString &cell2)
{
    const QString line =
        call(QStringLiteral("range"), {sheetName(sheet.id), CallRecorder::quoted(cell1), CallRecorder::quoted(cell2)});
    bookFor(sheet.id, line, true);
    const std::optional<Cell> a = parseCell(cell1);
    const std::optional<Cell> b = parseCell(cell2);
    if (!a || !b)
        m_calls.fail(line, QStringLiteral("Method 'Range' of object '_Worksheet' failed."));
    const Cell topLeft{std::min(a->first, b->first), std::min(a->second, b->second)};
    const Cell bottomRight{std::max(a->first, b->first), std::max(a->second, b->second)};
    const CellRange r{m_nextRange++};
    m_ranges.insert(r.id, RangeRef{sheet.id, topLeft, bottomRight, sheetName(sheet.id) + u'!' + cell1 + u':' + cell2});
    m_calls.returned(line, name(r));
    return r;
}

// --- Formats -------------------------------------------------------------------------------------------------

void RecordingSpreadsheet::setHorizontalAlignment(CellRange range, HorizontalAlignment alignment)
{
    formatRange(range, QStringLiteral("setHorizontalAlignment"), alignmentName(alignment));
}

void RecordingSpreadsheet::setVerticalAlignment(CellRange range, VerticalAlignment alignment)
{
    formatRange(range, QStringLiteral("setVerticalAlignment"), alignmentName(alignment));
}

void RecordingSpreadsheet::setBold(CellRange range)
{
    const QString line = call(QStringLiteral("setBold"), {name(range)});
    const RangeRef r = rangeFor(range, line);
    BookState &book = m_books[r.sheet];
    for (int row = r.topLeft.first; row <= r.bottomRight.first; ++row) {
        for (int column = r.topLeft.second; column <= r.bottomRight.second; ++column)
            book.bold.insert({row, column});
    }
    m_calls.done(line);
}

void RecordingSpreadsheet::setWrapText(CellRange range)
{
    formatRange(range, QStringLiteral("setWrapText"), {});
}

void RecordingSpreadsheet::setBorder(CellRange range, BorderEdge edge, LineStyle style)
{
    formatRange(range, QStringLiteral("setBorder"), edgeName(edge) + QStringLiteral(", ") + lineStyleName(style));
}

void RecordingSpreadsheet::autoFitColumns(Worksheet sheet)
{
    const QString line = call(QStringLiteral("autoFitColumns"), {sheetName(sheet.id)});
    bookFor(sheet.id, line, true);
    m_calls.done(line);
}

void RecordingSpreadsheet::autoFitRows(Worksheet sheet)
{
    const QString line = call(QStringLiteral("autoFitRows"), {sheetName(sheet.id)});
    bookFor(sheet.id, line, true);
    m_calls.done(line);
}

void RecordingSpreadsheet::select(CellRange range)
{
    formatRange(range, QStringLiteral("select"), {});
}

void RecordingSpreadsheet::saveCopyAs(Workbook workbook, const QString &fileName)
{
    const QString line = call(QStringLiteral("saveCopyAs"), {bookName(workbook.id), CallRecorder::quoted(fileName)});
    bookFor(workbook.id, line, false);
    m_calls.done(line);
}

} // namespace quotaly::office

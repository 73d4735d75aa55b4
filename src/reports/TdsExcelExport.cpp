#include "TdsExcelExport.h"

#include <cmath>
#include <limits>
#include <optional>

#include <QFileInfo>

namespace quotaly {

using office::CellValue;
using office::Outcome;

namespace {

// Thousandths, exact halves to the even neighbour (the default rounding mode).
double roundedToThousandths(double value)
{
    return std::nearbyint(value * 1000.0) / 1000.0;
}

std::optional<double> numberIn(const QString &text, QLocale locale)
{
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool isNumeric(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return std::isfinite(value.toDouble());
    default:
        return false;
    }
}

CellValue recordCell(const QVariant &value, const QLocale &locale)
{
    if (isNumeric(value))
        return roundedToThousandths(value.toDouble());
    const QString text = value.toString();
    if (const std::optional<double> number = numberIn(text, locale))
        return roundedToThousandths(*number);
    return text;
}

// A footer total only counts as a number while its thousandths fit a signed 32-bit integer; a larger total is
// written as the text the grid shows.
CellValue footerCell(const QString &text, const QLocale &locale)
{
    if (const std::optional<double> number = numberIn(text, locale)) {
        const double thousandths = std::nearbyint(*number * 1000.0);
        if (thousandths >= double(std::numeric_limits<qint32>::min()) &&
            thousandths <= double(std::numeric_limits<qint32>::max()))
            return thousandths / 1000.0;
    }
    return text;
}

// 1 -> "A", 26 -> "Z", 27 -> "AA".
QString columnLetters(int column)
{
    QString letters;
    while (column > 0) {
        --column;
        letters.prepend(QChar(u'A' + column % 26));
        column /= 26;
    }
    return letters;
}

QString cellName(const QString &column, int row)
{
    return column + QString::number(row);
}

} // namespace

TdsExcelExport::TdsExcelExport(office::Spreadsheet &spreadsheet, const QLocale &locale)
    : m_spreadsheet(spreadsheet), m_locale(locale)
{
}

Outcome TdsExcelExport::ExportGrid(const ReportGridContent &grid, const QString &fileName, const QString &statTotal,
                                   const QString &statTotalCaption, const QString &units, const QString &unitsCaption,
                                   const QString &baseRate, const QString &baseRateCaption, bool newFile)
{
    if (grid.titles.isEmpty())
        return Outcome::failed(QStringLiteral("The report has no columns to export."));

    QString file = fileName;
    if (!newFile && file.isEmpty()) {
        if (chooseFile)
            file = chooseFile();
        if (file.isEmpty())
            return Outcome::cancelled();
    }
    // The office runs in a folder of its own.
    if (!newFile)
        file = QFileInfo(file).absoluteFilePath();

    office::ConnectionScope connection(m_spreadsheet);
    try {
        m_spreadsheet.connect();
        m_spreadsheet.setVisible(true);
    } catch (const std::exception &e) {
        return Outcome::failed(office::failureText(e));
    }

    office::Workbook book;
    if (newFile) {
        book = m_spreadsheet.addWorkbook();
    } else {
        book = findOpenWorkbook(file);
        if (book.isNull()) {
            office::OpenWorkbookArgs args;
            args.fileName = file;
            args.delimiter = m_locale.decimalPoint();
            try {
                book = m_spreadsheet.openWorkbook(args);
            } catch (const std::exception &e) {
                return Outcome::failed(office::failureText(e));
            }
        }
    }

    office::Worksheet sheet;
    try {
        sheet = m_spreadsheet.firstWorksheet(book);
    } catch (const std::exception &e) {
        return Outcome::failed(office::failureText(e));
    }

    // An empty sheet takes the report from row 1; below existing contents one row stays empty.
    const int usedBefore = m_spreadsheet.usedRowCount(sheet);
    const int firstRow = usedBefore == 0 ? 1 : usedBefore + 2;

    const QString captions[] = {statTotalCaption, unitsCaption, baseRateCaption};
    const QString values[] = {statTotal, units, baseRate};
    QList<CellValue> captionCells;
    QList<CellValue> valueCells;
    for (int column = 0; column < 3; ++column) {
        captionCells << captions[column];
        valueCells << values[column];
    }
    m_spreadsheet.setCells(sheet, firstRow, 1, {captionCells, valueCells});
    writeReport(sheet, grid, firstRow + 3);

    const int lastRow = m_spreadsheet.usedRowCount(sheet);
    format(sheet, firstRow, lastRow, columnLetters(int(grid.titles.size())), newFile);

    if (grid.clearSelection)
        grid.clearSelection();
    m_spreadsheet.setVisible(true);
    if (whenWritten) {
        try {
            whenWritten(book);
        } catch (const std::exception &e) {
            return Outcome::failed(office::failureText(e));
        }
    }
    return Outcome::done();
}

office::Workbook TdsExcelExport::findOpenWorkbook(const QString &fileName)
{
    const int count = m_spreadsheet.workbookCount();
    for (int i = 1; i <= count; ++i) {
        const office::Workbook book = m_spreadsheet.workbook(i);
        if (office::sameFile(m_spreadsheet.fullName(book), fileName))
            return book;
    }
    return {};
}

void TdsExcelExport::writeReport(office::Worksheet sheet, const ReportGridContent &grid, int titleRow) const
{
    // Blocks of cells, not single ones: every call is a round trip to the office.
    const int columns = int(grid.titles.size());
    m_spreadsheet.setCells(sheet, titleRow, 1, {QList<CellValue>(grid.titles.cbegin(), grid.titles.cend())});
    m_spreadsheet.setCellsBold(sheet, titleRow, 1, columns);

    QList<QList<CellValue>> rows;
    rows.reserve(grid.records.size() + grid.footers.size());
    for (const QVariantList &record : grid.records) {
        QList<CellValue> cells;
        cells.reserve(record.size());
        for (const QVariant &value : record)
            cells << recordCell(value, m_locale);
        rows.append(std::move(cells));
    }
    for (const QStringList &footer : grid.footers) {
        QList<CellValue> cells;
        cells.reserve(footer.size());
        for (const QString &text : footer)
            cells << footerCell(text, m_locale);
        rows.append(std::move(cells));
    }
    m_spreadsheet.setCells(sheet, titleRow + 1, 1, rows);
}

void TdsExcelExport::format(office::Worksheet sheet, int firstRow, int lastRow, const QString &lastColumn,
                            bool newFile) const
{
    const office::CellRange captions =
        m_spreadsheet.range(sheet, cellName(QStringLiteral("A"), firstRow), cellName(lastColumn, firstRow));
    m_spreadsheet.setHorizontalAlignment(captions, office::HorizontalAlignment::Centre);
    m_spreadsheet.setVerticalAlignment(captions, office::VerticalAlignment::Top);
    m_spreadsheet.setBold(captions);
    // Columns fitted to wrapped captions would only be as wide as their longest word; a new sheet wraps its
    // captions after fitting the columns to the unwrapped texts.
    if (!newFile)
        m_spreadsheet.setWrapText(captions);

    const office::CellRange totals =
        m_spreadsheet.range(sheet, cellName(QStringLiteral("A"), lastRow), cellName(lastColumn, lastRow));
    m_spreadsheet.setBold(totals);

    if (newFile) {
        m_spreadsheet.autoFitColumns(sheet);
        m_spreadsheet.setWrapText(captions);
        m_spreadsheet.autoFitRows(sheet);
    }

    const office::CellRange report =
        m_spreadsheet.range(sheet, cellName(QStringLiteral("A"), firstRow), cellName(lastColumn, lastRow));
    for (const office::BorderEdge edge :
         {office::BorderEdge::Left, office::BorderEdge::Right, office::BorderEdge::Top, office::BorderEdge::Bottom})
        m_spreadsheet.setBorder(report, edge, office::LineStyle::Continuous);

    m_spreadsheet.select(m_spreadsheet.range(sheet, QStringLiteral("A1"), QStringLiteral("A1")));
}

} // namespace quotaly

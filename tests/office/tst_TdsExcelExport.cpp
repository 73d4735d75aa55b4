#include "dataset/Error.h"
#include "common/RecordingSpreadsheet.h"
#include "reports/TdsExcelExport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace quotaly;
using namespace quotaly::office;
using namespace Qt::StringLiterals;

namespace {

ReportGridContent reportGrid(bool percentColumn, int records)
{
    ReportGridContent g;
    g.titles = QStringList{u"Match types"_s, u"Percent"_s, u"Discount (% of base rate)"_s, u"Words"_s, u"Rate"_s,
                           u"Currency"_s,    u"Amount"_s};
    QStringList footer{u"Total :"_s, {}, {}, u"100.00"_s, {}, u"EUR"_s, u"3.60"_s};
    if (!percentColumn) {
        g.titles.removeAt(1);
        footer.removeAt(1);
    }
    for (int i = 0; i < records; ++i) {
        QVariantList record{u"No match"_s, 12.5, 100.0, 100.0 / (i + 1), 0.036, u"EUR"_s, 3.6};
        if (!percentColumn)
            record.removeAt(1);
        g.records << record;
    }
    g.footers << footer;
    return g;
}

Outcome exportTo(RecordingSpreadsheet &sheet, const ReportGridContent &grid, bool newFile, const QString &file = {},
                 const QLocale &locale = QLocale::c())
{
    TdsExcelExport exporter(sheet, locale);
    return exporter.ExportGrid(grid, file, u"1250"_s, u"Statistics (Total) : "_s, u"Words"_s, u"Units : "_s, u"0.12"_s,
                               u"Base rate : "_s, newFile);
}

// A cell as the tests write it: a text in quotes, a number as a number, "-" when never written.
QString show(const std::optional<CellValue> &value)
{
    if (!value)
        return u"-"_s;
    if (const double *d = std::get_if<double>(&*value))
        return CallRecorder::number(*d);
    return CallRecorder::quoted(std::get<QString>(*value));
}

// The sheet as lines "row: cell | cell ...", cells never written empty.
QStringList rendered(const RecordingSpreadsheet &fake, Worksheet sheet, int rows, int columns)
{
    QStringList lines;
    for (int r = 1; r <= rows; ++r) {
        QStringList cells;
        for (int c = 1; c <= columns; ++c) {
            const std::optional<CellValue> v = fake.cell(sheet, r, c);
            cells << (v ? show(v) : QString());
        }
        while (!cells.isEmpty() && cells.last().isEmpty())
            cells.removeLast();
        lines << QString::number(r) + u": "_s + cells.join(u" | "_s);
    }
    return lines;
}

// The log without the cell writes, which rendered() shows instead.
QStringList withoutCellWrites(const QStringList &log)
{
    QStringList rest;
    for (const QString &line : log) {
        if (!line.startsWith(u"setCell"_s))
            rest << line;
    }
    return rest;
}

// The formatting calls in order, grouped by the range they apply to:
// "A1:G1 centre,top,bold | A7:G7 bold | fit columns | ...".
QString formatSummary(const QStringList &log)
{
    static const QRegularExpression call(u"^(\\w+)\\((?:sheet\\d+(?:!([A-Z0-9:]+))?)?(?:, ([^)]*))?\\)"_s);
    QStringList groups;
    QString groupRange;
    for (const QString &line : log) {
        const QRegularExpressionMatch m = call.match(line);
        const QString name = m.captured(1);
        if (name.startsWith(u"autoFit"_s)) {
            groups << (name == u"autoFitColumns"_s ? u"fit columns"_s : u"fit rows"_s);
            groupRange.clear();
            continue;
        }
        QString item;
        if (name == u"setHorizontalAlignment"_s || name == u"setVerticalAlignment"_s || name == u"setBorder"_s)
            item = m.captured(3).section(u',', 0, 0);
        else if (name == u"setBold"_s || name == u"setWrapText"_s || name == u"select"_s)
            item = name == u"setBold"_s ? u"bold"_s : name == u"select"_s ? u"select"_s : u"wrap"_s;
        else
            continue;
        if (m.captured(2) == groupRange) {
            groups.last() += u',' + item;
        } else {
            groupRange = m.captured(2);
            groups << groupRange + u' ' + item;
        }
    }
    return groups.join(u" | "_s);
}

QString exportedCell(const QVariant &record, const QString &footer, const QLocale &locale, int row)
{
    ReportGridContent grid;
    grid.titles = QStringList{u"Value"_s};
    grid.records << QVariantList{record};
    grid.footers << QStringList{footer};
    RecordingSpreadsheet fake;
    exportTo(fake, grid, true, {}, locale);
    return show(fake.cell(fake.lastWorksheet(), row, 1));
}

} // namespace

class TestTdsExcelExport : public QObject
{
    Q_OBJECT

private slots:
    void newWorkbook()
    {
        RecordingSpreadsheet fake;
        int clearedAfter = -1;
        ReportGridContent grid = reportGrid(true, 2);
        grid.clearSelection = [&] { clearedAfter = int(fake.log().size()); };

        QCOMPARE(exportTo(fake, grid, true).status, Outcome::Status::Done);
        const QStringList expected{
            u"connect()"_s,
            u"setVisible(true)"_s,
            u"addWorkbook() -> book1"_s,
            u"firstWorksheet(book1) -> sheet1"_s,
            u"usedRowCount(sheet1) -> 0"_s,
            u"usedRowCount(sheet1) -> 7"_s,
            u"range(sheet1, \"A1\", \"G1\") -> sheet1!A1:G1"_s,
            u"setHorizontalAlignment(sheet1!A1:G1, centre)"_s,
            u"setVerticalAlignment(sheet1!A1:G1, top)"_s,
            u"setBold(sheet1!A1:G1)"_s,
            u"range(sheet1, \"A7\", \"G7\") -> sheet1!A7:G7"_s,
            u"setBold(sheet1!A7:G7)"_s,
            u"autoFitColumns(sheet1)"_s,
            u"setWrapText(sheet1!A1:G1)"_s,
            u"autoFitRows(sheet1)"_s,
            u"range(sheet1, \"A1\", \"G7\") -> sheet1!A1:G7"_s,
            u"setBorder(sheet1!A1:G7, left, continuous)"_s,
            u"setBorder(sheet1!A1:G7, right, continuous)"_s,
            u"setBorder(sheet1!A1:G7, top, continuous)"_s,
            u"setBorder(sheet1!A1:G7, bottom, continuous)"_s,
            u"range(sheet1, \"A1\", \"A1\") -> sheet1!A1:A1"_s,
            u"select(sheet1!A1:A1)"_s,
            u"setVisible(true)"_s,
            u"disconnect()"_s,
        };
        QCOMPARE(withoutCellWrites(fake.log()), expected);
        QCOMPARE(clearedAfter, int(fake.log().size()) - 2); // after the selection, before showing the sheet

        const Worksheet sheet = fake.lastWorksheet();
        const QStringList rows{
            u"1: \"Statistics (Total) : \" | \"Units : \" | \"Base rate : \""_s,
            u"2: \"1250\" | \"Words\" | \"0.12\""_s,
            u"3: "_s,
            u"4: \"Match types\" | \"Percent\" | \"Discount (% of base rate)\" | \"Words\" | \"Rate\" | \"Currency\" | "
            u"\"Amount\""_s,
            u"5: \"No match\" | 12.5 | 100 | 100 | 0.036 | \"EUR\" | 3.6"_s,
            u"6: \"No match\" | 12.5 | 100 | 50 | 0.036 | \"EUR\" | 3.6"_s,
            u"7: \"Total :\" | \"\" | \"\" | 100 | \"\" | \"EUR\" | 3.6"_s,
        };
        QCOMPARE(rendered(fake, sheet, 7, 8), rows);
        for (int c = 1; c <= 7; ++c)
            QVERIFY(fake.isBold(sheet, 4, c));
        QVERIFY(!fake.isBold(sheet, 5, 1));
    }

    void placement_data()
    {
        QTest::addColumn<bool>("newFile");
        QTest::addColumn<int>("usedRows");
        QTest::addColumn<bool>("percentColumn");
        QTest::addColumn<int>("firstRow");
        QTest::addColumn<QString>("formatting");

        QTest::newRow("new, six columns")
            << true << 0 << false << 1
            << u"A1:F1 centre,top,bold | A6:F6 bold | fit columns | A1:F1 wrap | fit rows | "
               u"A1:F6 left,right,top,bottom | A1:A1 select"_s;
        QTest::newRow("existing, empty sheet")
            << false << 0 << true << 1
            << u"A1:G1 centre,top,bold,wrap | A6:G6 bold | A1:G6 left,right,top,bottom | A1:A1 select"_s;
        // One used row is kept: the report starts below it like below any other contents.
        QTest::newRow("existing, one row")
            << false << 1 << true << 3
            << u"A3:G3 centre,top,bold,wrap | A8:G8 bold | A3:G8 left,right,top,bottom | A1:A1 select"_s;
        QTest::newRow("existing, two rows")
            << false << 2 << false << 4
            << u"A4:F4 centre,top,bold,wrap | A9:F9 bold | A4:F9 left,right,top,bottom | A1:A1 select"_s;
        QTest::newRow("existing, 40 rows")
            << false << 40 << true << 42
            << u"A42:G42 centre,top,bold,wrap | A47:G47 bold | A42:G47 left,right,top,bottom | A1:A1 select"_s;
    }

    // Where the report goes and which ranges are formatted, for new and existing sheets of any length.
    void placement()
    {
        QFETCH(bool, newFile);
        QFETCH(int, usedRows);
        QFETCH(bool, percentColumn);
        QFETCH(int, firstRow);
        QFETCH(QString, formatting);

        RecordingSpreadsheet fake;
        fake.addFile(u"/data/jobs.xlsx"_s, usedRows);
        QCOMPARE(exportTo(fake, reportGrid(percentColumn, 1), newFile, u"/data/jobs.xlsx"_s).status,
                 Outcome::Status::Done);

        QCOMPARE(formatSummary(fake.log()), formatting);

        const Worksheet sheet = fake.lastWorksheet();
        QCOMPARE(show(fake.cell(sheet, firstRow, 1)), u"\"Statistics (Total) : \""_s);
        QCOMPARE(show(fake.cell(sheet, firstRow + 1, 3)), u"\"0.12\""_s);
        QCOMPARE(show(fake.cell(sheet, firstRow + 3, 1)), u"\"Match types\""_s);
        QCOMPARE(show(fake.cell(sheet, firstRow + 4, 1)), u"\"No match\""_s);
        QCOMPARE(show(fake.cell(sheet, firstRow + 5, 1)), u"\"Total :\""_s);
        QCOMPARE(show(fake.cell(sheet, firstRow - 1, 1)), u"-"_s); // nothing above the report is touched
    }

    void secondExportGoesTwoRowsBelowTheFirst()
    {
        RecordingSpreadsheet fake;
        fake.addFile(u"/data/jobs.xlsx"_s, 0);
        exportTo(fake, reportGrid(true, 2), false, u"/data/jobs.xlsx"_s);
        exportTo(fake, reportGrid(true, 2), false, u"/data/jobs.xlsx"_s);
        const Worksheet sheet = fake.lastWorksheet();
        QCOMPARE(show(fake.cell(sheet, 7, 1)), u"\"Total :\""_s);
        QCOMPARE(show(fake.cell(sheet, 8, 1)), u"-"_s);
        QCOMPARE(show(fake.cell(sheet, 9, 1)), u"\"Statistics (Total) : \""_s);
        QCOMPARE(show(fake.cell(sheet, 15, 1)), u"\"Total :\""_s);
    }

    void values_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QVariant>("record");
        QTest::addColumn<QString>("footer");
        QTest::addColumn<QString>("recordCell");
        QTest::addColumn<QString>("footerCell");

        const QString c = u"C"_s;
        const QString de = u"de_DE"_s;
        // Halves are exact in binary here, so they show the rounding to the even neighbour.
        QTest::newRow("half down to even") << c << QVariant(1.0625) << u"1.0625"_s << u"1.062"_s << u"1.062"_s;
        QTest::newRow("half up to even") << c << QVariant(1.1875) << u"-1.1875"_s << u"1.188"_s << u"-1.188"_s;
        QTest::newRow("thousandths") << c << QVariant(0.03649) << u"12.3456"_s << u"0.036"_s << u"12.346"_s;
        QTest::newRow("integer") << c << QVariant(7) << u"7"_s << u"7"_s << u"7"_s;
        QTest::newRow("number as text") << c << QVariant(u"12.3456"_s) << u" 3.60 "_s << u"12.346"_s << u"3.6"_s;
        QTest::newRow("comma decimal") << de << QVariant(u"12,3456"_s) << u"3,60"_s << u"12.346"_s << u"3.6"_s;
        QTest::newRow("comma in a point locale")
            << c << QVariant(u"12,5"_s) << u"3,60"_s << u"\"12,5\""_s << u"\"3,60\""_s;
        QTest::newRow("group separators are text")
            << c << QVariant(u"1,234.5"_s) << u"1,234.50"_s << u"\"1,234.5\""_s << u"\"1,234.50\""_s;
        QTest::newRow("texts") << c << QVariant(u"Repetitions"_s) << u"Total :"_s << u"\"Repetitions\""_s
                               << u"\"Total :\""_s;
        QTest::newRow("empty") << c << QVariant() << QString() << u"\"\""_s << u"\"\""_s;
        // Thousandths of a footer total must fit a signed 32-bit integer; records have no such limit.
        QTest::newRow("32-bit top") << c << QVariant(2147483.647) << u"2147483.647"_s << u"2147483.647"_s
                                    << u"2147483.647"_s;
        QTest::newRow("beyond 32-bit top")
            << c << QVariant(2147483.648) << u"2147483.648"_s << u"2147483.648"_s << u"\"2147483.648\""_s;
        QTest::newRow("half beyond 32-bit top")
            << c << QVariant(2147483.6475) << u"2147483.6475"_s << u"2147483.648"_s << u"\"2147483.6475\""_s;
        QTest::newRow("32-bit bottom") << c << QVariant(-2147483.648) << u"-2147483.648"_s << u"-2147483.648"_s
                                       << u"-2147483.648"_s;
        QTest::newRow("beyond 32-bit bottom")
            << c << QVariant(-2147483.649) << u"-2147483.649"_s << u"-2147483.649"_s << u"\"-2147483.649\""_s;
        QTest::newRow("large comma total")
            << de << QVariant(12345678.9) << u"12345678,90"_s << u"12345678.9"_s << u"\"12345678,90\""_s;
    }

    void values()
    {
        QFETCH(QString, localeName);
        QFETCH(QVariant, record);
        QFETCH(QString, footer);
        QFETCH(QString, recordCell);
        QFETCH(QString, footerCell);
        const QLocale locale(localeName);
        QCOMPARE(exportedCell(record, footer, locale, 5), recordCell);
        QCOMPARE(exportedCell(record, footer, locale, 6), footerCell);
    }

    void openWorkbook_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::addColumn<QString>("delimiter");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("opened"); // the office runs elsewhere: it gets an absolute path
        QTest::newRow("point") << u"en_US"_s << u"."_s << u"/data/jobs.xlsx"_s << u"/data/jobs.xlsx"_s;
        QTest::newRow("comma, relative") << u"fr_FR"_s << u","_s << u"jobs.xlsx"_s
                                         << QDir::current().absoluteFilePath(u"jobs.xlsx"_s);
    }

    void openWorkbook()
    {
        QFETCH(QString, localeName);
        QFETCH(QString, delimiter);
        QFETCH(QString, chosen);
        QFETCH(QString, opened);
        RecordingSpreadsheet fake;
        fake.addOpenWorkbook(u"Untitled 1"_s, 3);
        fake.addFile(opened, 3);
        int asked = 0;
        TdsExcelExport exporter(fake, QLocale(localeName));
        exporter.chooseFile = [&] {
            ++asked;
            return chosen;
        };
        const Outcome outcome = exporter.ExportGrid(reportGrid(false, 1), {}, u"1"_s, u"T : "_s, u"Words"_s, u"U : "_s,
                                                    u"1"_s, u"B : "_s, false);
        QCOMPARE(outcome.status, Outcome::Status::Done);
        QCOMPARE(asked, 1);
        const QStringList expected{
            u"connect()"_s,
            u"setVisible(true)"_s,
            u"workbookCount() -> 1"_s,
            u"workbook(1) -> book1"_s,
            u"fullName(book1) -> \"Untitled 1\""_s,
            u"openWorkbook(\""_s + opened +
                u"\", updateLinks=0, readOnly=false, format=5, password=\"\", "
                u"writeResPassword=\"\", ignoreReadOnlyRecommended=false, origin=2, delimiter=\""_s +
                delimiter + u"\", editable=true, notify=true, converter=0, addToMru=true) -> book2"_s,
            u"firstWorksheet(book2) -> sheet2"_s,
            u"usedRowCount(sheet2) -> 3"_s,
        };
        QCOMPARE(fake.log().mid(0, expected.size()), expected);
    }

    void alreadyOpenWorkbook_data()
    {
        QTest::addColumn<QString>("openAs");
        QTest::newRow("same path") << u"jobs.xlsx"_s;
        QTest::newRow("path through ..") << u"sub/../jobs.xlsx"_s;
        QTest::newRow("symbolic link") << u"link.xlsx"_s;
    }

    // A workbook that is open already is written as it is, with its unsaved changes, however its path is spelt.
    void alreadyOpenWorkbook()
    {
        QFETCH(QString, openAs);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
        QFile file(dir.filePath(u"jobs.xlsx"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(QFile::link(file.fileName(), dir.filePath(u"link.xlsx"_s)));

        RecordingSpreadsheet fake;
        fake.addOpenWorkbook(dir.filePath(u"other.xlsx"_s), 9);
        const Workbook open = fake.addOpenWorkbook(dir.filePath(openAs), 4);
        fake.addFile(file.fileName(), 0);
        QCOMPARE(exportTo(fake, reportGrid(true, 1), false, file.fileName()).status, Outcome::Status::Done);
        QVERIFY(!fake.log().join(u'\n').contains(u"openWorkbook"_s));
        QCOMPARE(fake.lastWorksheet().id, open.id);
        QCOMPARE(show(fake.cell(fake.lastWorksheet(), 6, 1)), u"\"Statistics (Total) : \""_s);
    }

    void failures_data()
    {
        QTest::addColumn<bool>("newFile");
        QTest::addColumn<QString>("failingCall");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("log");

        const int failed = int(Outcome::Status::Failed);
        const QString boom = u" -> throws \"Office gone\""_s;
        QTest::newRow("connect") << true << u"connect"_s << failed
                                 << QStringList{u"connect()"_s + boom, u"disconnect()"_s};
        QTest::newRow("visible") << true << u"setVisible"_s << failed
                                 << QStringList{u"connect()"_s, u"setVisible(true)"_s + boom, u"disconnect()"_s};
        QTest::newRow("open") << false << u"openWorkbook"_s << failed
                              << QStringList{u"connect()"_s, u"setVisible(true)"_s, u"workbookCount() -> 0"_s,
                                             u"openWorkbook(\"/data/jobs.xlsx\""_s, u"disconnect()"_s};
        QTest::newRow("first worksheet") << true << u"firstWorksheet"_s << failed
                                         << QStringList{u"connect()"_s, u"setVisible(true)"_s,
                                                        u"addWorkbook() -> book1"_s, u"firstWorksheet(book1)"_s + boom,
                                                        u"disconnect()"_s};
    }

    // Failures the user reads: the message comes back, the export stops and the connection ends.
    void failures()
    {
        QFETCH(bool, newFile);
        QFETCH(QString, failingCall);
        QFETCH(int, status);
        QFETCH(QStringList, log);
        RecordingSpreadsheet fake;
        fake.addFile(u"/data/jobs.xlsx"_s, 0);
        fake.failOn(failingCall + u'(', u"Office gone"_s);
        const Outcome outcome = exportTo(fake, reportGrid(true, 1), newFile, u"/data/jobs.xlsx"_s);
        QCOMPARE(int(outcome.status), status);
        QCOMPARE(outcome.message, u"Office gone"_s);
        QCOMPARE(fake.log().size(), log.size());
        for (int i = 0; i < log.size(); ++i)
            QVERIFY2(fake.log().at(i).startsWith(log.at(i)), qPrintable(fake.log().at(i)));
        QVERIFY(!fake.isConnected());
    }

    void thrownFailuresStillDisconnect_data()
    {
        QTest::addColumn<QString>("failingCall");
        QTest::newRow("add workbook") << u"addWorkbook("_s;
        QTest::newRow("cell") << u"setCell(sheet1, 5"_s;
        QTest::newRow("border") << u"setBorder("_s;
    }

    void thrownFailuresStillDisconnect()
    {
        QFETCH(QString, failingCall);
        RecordingSpreadsheet fake;
        fake.failOn(failingCall, u"Office gone"_s);
        QVERIFY_THROWS_EXCEPTION(Error, exportTo(fake, reportGrid(true, 1), true));
        QCOMPARE(fake.log().last(), u"disconnect()"_s);
    }

    void nothingStartsWithoutAFileOrColumns()
    {
        RecordingSpreadsheet fake;
        TdsExcelExport exporter(fake);
        exporter.chooseFile = [] { return QString(); };
        QCOMPARE(exporter.ExportGrid(reportGrid(true, 1), {}, {}, {}, {}, {}, {}, {}, false).status,
                 Outcome::Status::Cancelled);
        const Outcome noColumns = exporter.ExportGrid(ReportGridContent{}, {}, {}, {}, {}, {}, {}, {}, true);
        QCOMPARE(noColumns.status, Outcome::Status::Failed);
        QVERIFY(!noColumns.message.isEmpty());
        QVERIFY(fake.log().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTdsExcelExport)
#include "tst_TdsExcelExport.moc"

#include "LoFixture.h"
#include "XlsxSheet.h"

#include "dataset/Error.h"
#include "reports/TdsExcelExport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace quotaly;
using namespace quotaly::office;
using namespace quotaly::test;
using namespace Qt::StringLiterals;

namespace {

ReportGridContent reportGrid(bool percentColumn)
{
    ReportGridContent g;
    g.titles = QStringList{u"Match types"_s, u"Percent"_s, u"Discount (% of base rate)"_s, u"Words"_s, u"Rate"_s,
                           u"Currency"_s,    u"Amount"_s};
    QStringList footer{u"Total :"_s, {}, {}, u"150.00"_s, {}, u"EUR"_s, u"5.40"_s};
    QList<QVariantList> records{{u"No match"_s, 12.5, 100.0, 100.0, 0.036, u"EUR"_s, 3.6},
                                {u"=1+1"_s, u"95"_s, 60.0, 50.0, 0.0216, u"EUR"_s, 1.8}};
    if (!percentColumn) {
        g.titles.removeAt(1);
        footer.removeAt(1);
        for (QVariantList &record : records)
            record.removeAt(1);
    }
    g.records = records;
    g.footers << footer;
    return g;
}

QString columnLetter(int column)
{
    return QString(QChar(u'A' + column - 1));
}

// The sheet's rows as "row: cell | cell ...", as XlsxSheet::shown() gives them.
QStringList rendered(const XlsxSheet &sheet, int firstRow, int lastRow, int columns)
{
    QStringList lines;
    for (int r = firstRow; r <= lastRow; ++r) {
        QStringList cells;
        for (int c = 1; c <= columns; ++c)
            cells << sheet.shown(columnLetter(c) + QString::number(r));
        while (!cells.isEmpty() && cells.last().isEmpty())
            cells.removeLast();
        lines << QString::number(r) + u": "_s + cells.join(u" | "_s);
    }
    return lines;
}

} // namespace

class TestLoSpreadsheet : public QObject
{
    Q_OBJECT

    LoFixture m_office;

    // Runs the program's export; whenWritten saves the workbook to savedAs (when given).
    Outcome exportReport(bool percentColumn, bool newFile, const QString &file, const QString &savedAs)
    {
        const std::unique_ptr<Spreadsheet> spreadsheet = m_office.suite().spreadsheet();
        TdsExcelExport exporter(*spreadsheet, QLocale::c());
        if (!savedAs.isEmpty())
            exporter.whenWritten = [&](Workbook book) { spreadsheet->saveCopyAs(book, savedAs); };
        return exporter.ExportGrid(reportGrid(percentColumn), file, u"1250"_s, u"Statistics (Total) : "_s,
                                   u"=1+1"_s, u"Units : "_s, u"0.12"_s, u"Base rate : "_s, newFile);
    }

    // A workbook file whose first sheet holds text in A1..A<rows>.
    QString workbookWithRows(const QString &name, int rows)
    {
        const std::unique_ptr<Spreadsheet> spreadsheet = m_office.suite().spreadsheet();
        ConnectionScope scope(*spreadsheet);
        spreadsheet->connect();
        const Workbook book = spreadsheet->addWorkbook();
        const Worksheet sheet = spreadsheet->firstWorksheet(book);
        for (int r = 1; r <= rows; ++r)
            spreadsheet->setCell(sheet, r, 1, u"Earlier job %1"_s.arg(r));
        const QString path = m_office.path(name);
        spreadsheet->saveCopyAs(book, path);
        return path;
    }

    static QByteArray bytesOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase() { QUOTALY_START_OFFICE(m_office); }

    void newWorkbook_data()
    {
        QTest::addColumn<bool>("percentColumn");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("seven columns")
            << true
            << QStringList{u"1: \"Statistics (Total) : \" | \"Units : \" | \"Base rate : \""_s,
                           u"2: \"1250\" | \"=1+1\" | \"0.12\""_s,
                           u"3: "_s,
                           u"4: \"Match types\" | \"Percent\" | \"Discount (% of base rate)\" | \"Words\" | \"Rate\" | "
                           u"\"Currency\" | \"Amount\""_s,
                           u"5: \"No match\" | 12.5 | 100 | 100 | 0.036 | \"EUR\" | 3.6"_s,
                           u"6: \"=1+1\" | 95 | 60 | 50 | 0.022 | \"EUR\" | 1.8"_s,
                           u"7: \"Total :\" |  |  | 150 |  | \"EUR\" | 5.4"_s,
                           u"8: "_s};
        QTest::newRow("six columns")
            << false
            << QStringList{u"1: \"Statistics (Total) : \" | \"Units : \" | \"Base rate : \""_s,
                           u"2: \"1250\" | \"=1+1\" | \"0.12\""_s,
                           u"3: "_s,
                           u"4: \"Match types\" | \"Discount (% of base rate)\" | \"Words\" | \"Rate\" | \"Currency\" | "
                           u"\"Amount\""_s,
                           u"5: \"No match\" | 100 | 100 | 0.036 | \"EUR\" | 3.6"_s,
                           u"6: \"=1+1\" | 60 | 50 | 0.022 | \"EUR\" | 1.8"_s,
                           u"7: \"Total :\" |  | 150 |  | \"EUR\" | 5.4"_s,
                           u"8: "_s};
    }

    // The whole export into a new workbook, read back from the .xlsx the office wrote.
    void newWorkbook()
    {
        QFETCH(bool, percentColumn);
        QFETCH(QStringList, rows);
        const int columns = percentColumn ? 7 : 6;
        const QString saved = m_office.path(u"new-%1.xlsx"_s.arg(columns));
        const Outcome outcome = exportReport(percentColumn, true, {}, saved);
        QCOMPARE(outcome.message, QString());
        QCOMPARE(outcome.status, Outcome::Status::Done);

        const XlsxSheet sheet(saved);
        QVERIFY2(sheet.error().isEmpty(), qPrintable(sheet.error()));
        QCOMPARE(rendered(sheet, 1, 8, columns + 1), rows);

        const QString last = columnLetter(columns);
        for (int c = 1; c <= columns; ++c) {
            const QString letter = columnLetter(c);
            const XlsxCell caption = sheet.cell(letter + u"1"_s);
            QVERIFY2(caption.bold && caption.wrap, qPrintable(letter));
            QCOMPARE(caption.horizontal, u"center"_s);
            QCOMPARE(caption.vertical, u"top"_s);
            QVERIFY2(sheet.cell(letter + u"4"_s).bold, qPrintable(letter)); // column titles
            QVERIFY2(sheet.cell(letter + u"7"_s).bold, qPrintable(letter)); // totals
            QVERIFY2(!sheet.cell(letter + u"5"_s).bold && !sheet.cell(letter + u"4"_s).wrap, qPrintable(letter));
            for (int r = 1; r <= 7; ++r) // every cell of the report, the empty row too
                QCOMPARE(sheet.cell(letter + QString::number(r)).borders, u"LRTB"_s);
            QCOMPARE(sheet.cell(letter + u"8"_s).borders, QString());
            // Fitted to the unwrapped texts: never narrower than the longest text of the column would need.
            int longest = 0;
            for (int r = 1; r <= 7; ++r)
                longest = std::max(longest, int(sheet.cell(letter + QString::number(r)).text.size()));
            QVERIFY2(sheet.columnWidth(c) >= 0.75 * longest,
                     qPrintable(u"%1: width %2 for %3 characters"_s.arg(letter).arg(sheet.columnWidth(c)).arg(longest)));
        }
        QCOMPARE(sheet.cell(u"%1%2"_s.arg(QChar(u'A' + columns)).arg(1)).borders, QString());
        QVERIFY(sheet.cell(last + u"1"_s).bold);
        // Columns fitted before the captions wrap: the caption row stays one line high.
        QVERIFY(sheet.rowHeight(1) > 0);
        QCOMPARE(sheet.rowHeight(1), sheet.rowHeight(2));
    }

    void append_data()
    {
        QTest::addColumn<int>("usedRows");
        QTest::addColumn<int>("firstRow");
        QTest::newRow("empty sheet") << 0 << 1;
        QTest::newRow("one row") << 1 << 3;
        QTest::newRow("four rows") << 4 << 6;
    }

    // Two exports into one existing file: the first below what the file holds, the second two rows below the
    // first (the workbook is still open from the first, and is written as it is).
    void append()
    {
        QFETCH(int, usedRows);
        QFETCH(int, firstRow);
        const QString file = workbookWithRows(u"existing-%1.xlsx"_s.arg(usedRows), usedRows);
        const QByteArray original = bytesOf(file);
        const QString saved = m_office.path(u"appended-%1.xlsx"_s.arg(usedRows));
        QCOMPARE(exportReport(true, false, file, {}).status, Outcome::Status::Done);
        QCOMPARE(exportReport(false, false, file, saved).status, Outcome::Status::Done);
        QCOMPARE(bytesOf(file), original); // the user saves the workbook; the export never does

        const XlsxSheet sheet(saved);
        QVERIFY2(sheet.error().isEmpty(), qPrintable(sheet.error()));
        for (int r = 1; r <= usedRows; ++r)
            QCOMPARE(sheet.shown(u"A%1"_s.arg(r)), u"\"Earlier job %1\""_s.arg(r));
        const int second = firstRow + 8;
        QCOMPARE(sheet.shown(u"A%1"_s.arg(firstRow - 1)), QString());
        for (const int start : {firstRow, second}) {
            QCOMPARE(sheet.shown(u"A%1"_s.arg(start)), u"\"Statistics (Total) : \""_s);
            QCOMPARE(sheet.shown(u"A%1"_s.arg(start + 3)), u"\"Match types\""_s);
            QCOMPARE(sheet.shown(u"A%1"_s.arg(start + 6)), u"\"Total :\""_s);
            QVERIFY(sheet.cell(u"A%1"_s.arg(start)).wrap);
            QVERIFY(sheet.cell(u"B%1"_s.arg(start + 6)).bold);
            QCOMPARE(sheet.cell(u"A%1"_s.arg(start)).borders, u"LRTB"_s);
        }
        QCOMPARE(sheet.shown(u"G%1"_s.arg(firstRow + 6)), u"5.4"_s);     // seven columns first
        QCOMPARE(sheet.shown(u"F%1"_s.arg(second + 6)), u"5.4"_s);       // then six
        QCOMPARE(sheet.shown(u"A%1"_s.arg(second - 1)), QString());      // one empty row between the reports
        QCOMPARE(sheet.cell(u"A%1"_s.arg(second - 1)).borders, QString());
        QCOMPARE(sheet.lastRow(), second + 6);
    }

    // The user has the file open with an edit not saved yet: the export writes into that copy, never reloads it.
    void openWorkbookIsUsedAsItIs()
    {
        const QString file = workbookWithRows(u"open.xlsx"_s, 1);
        const std::unique_ptr<Spreadsheet> user = m_office.suite().spreadsheet();
        user->connect();
        OpenWorkbookArgs args;
        args.fileName = QDir(m_office.outputDir()).filePath(u"./open.xlsx"_s);
        const Workbook book = user->openWorkbook(args);
        user->setCell(user->firstWorksheet(book), 2, 1, u"Unsaved edit"_s);
        const int open = user->workbookCount();
        QCOMPARE(user->openWorkbook(args), book); // a second open finds the same workbook
        user->disconnect();

        const QString saved = m_office.path(u"open-saved.xlsx"_s);
        QCOMPARE(exportReport(true, false, file, saved).status, Outcome::Status::Done);
        const XlsxSheet sheet(saved);
        QCOMPARE(sheet.shown(u"A2"_s), u"\"Unsaved edit\""_s);
        QCOMPARE(sheet.shown(u"A4"_s), u"\"Statistics (Total) : \""_s);
        user->connect();
        QCOMPARE(user->workbookCount(), open);
        user->disconnect();
    }

    void badFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind"); // how the test makes the file
        QTest::newRow("random bytes") << u"noise.xlsx"_s << u"random"_s;
        QTest::newRow("text document") << u"letter.xlsx"_s << u"text"_s;
        QTest::newRow("missing") << u"missing.xlsx"_s << u"none"_s;
        QTest::newRow("password ods") << u"locked.ods"_s << u"calc8"_s;
        QTest::newRow("password xls") << u"locked.xls"_s << u"MS Excel 97"_s;
    }

    // A file the report cannot go into ends the export with a message naming it; nothing is written anywhere.
    void badFiles()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        const QString file = m_office.path(name);
        if (kind == u"random") {
            QByteArray noise(4096, '\0');
            for (char &c : noise)
                c = char(QRandomGenerator::global()->bounded(256));
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write(noise) == noise.size());
        } else if (kind == u"text") {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly) && out.write("Dear client,\nplease find the quote below.\n") > 0);
        } else if (kind != u"none") {
            const QString python = LoFixture::python();
            if (python.isEmpty())
                QSKIP("python3-uno is needed to make a password-protected file");
            const QString script = QStringLiteral(R"(
import sys, uno
from com.sun.star.beans import PropertyValue
def prop(name, value):
    p = PropertyValue(); p.Name = name; p.Value = value; return p
local = uno.getComponentContext()
resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
ctx = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % sys.argv[1])
desktop = ctx.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", ctx)
doc = desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0, (prop("Hidden", True),))
doc.Sheets.getByIndex(0).getCellByPosition(0, 0).setString("secret")
doc.storeToURL(uno.systemPathToFileUrl(sys.argv[2]), (prop("FilterName", sys.argv[3]), prop("Password", "pw")))
doc.close(True)
)");
            // The python bridge that makes the fixture crashes now and then on a loaded machine: try again then.
            int made = -1;
            for (int attempt = 0; attempt < 3 && made != 0; ++attempt)
                made = QProcess::execute(python, {u"-c"_s, script, m_office.pipeName(), file, kind});
            QCOMPARE(made, 0);
        }
        const QByteArray before = bytesOf(file);
        const QStringList filesBefore = QDir(m_office.outputDir()).entryList(QDir::Files | QDir::Hidden);

        const QString saved = m_office.path(u"never.xlsx"_s);
        const Outcome outcome = exportReport(true, false, file, saved);
        QCOMPARE(outcome.status, Outcome::Status::Failed);
        QVERIFY2(outcome.message.contains(name), qPrintable(outcome.message));
        QVERIFY2(!outcome.message.contains(u"LibreOffice was closed"_s), qPrintable(outcome.message));
        QCOMPARE(bytesOf(file), before);
        QCOMPARE(QDir(m_office.outputDir()).entryList(QDir::Files | QDir::Hidden), filesBefore);
        QVERIFY(!QFile::exists(saved));
    }

    void saveCopyAs_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("start"); // the file's first bytes
        QTest::newRow("xlsx") << u"copy.xlsx"_s << QByteArray("PK");
        QTest::newRow("ods") << u"copy.ods"_s << QByteArray("PK");
        QTest::newRow("xls") << u"copy.xls"_s << QByteArray("\xD0\xCF\x11\xE0");
        QTest::newRow("csv") << u"copy.csv"_s << QByteArray("Saved copy,42");
        QTest::newRow("upper-case extension") << u"COPY2.XLSX"_s << QByteArray("PK");
    }

    // Saving replaces an older file in one step, in the format of the extension; the workbook keeps its name.
    void saveCopyAs()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, start);
        const QString file = m_office.path(u"saves/"_s + name);
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        QFile older(file);
        QVERIFY(older.open(QIODevice::WriteOnly) && older.write("older") == 5);
        older.close();

        const std::unique_ptr<Spreadsheet> spreadsheet = m_office.suite().spreadsheet();
        ConnectionScope scope(*spreadsheet);
        spreadsheet->connect();
        const Workbook book = spreadsheet->addWorkbook();
        const Worksheet sheet = spreadsheet->firstWorksheet(book);
        spreadsheet->setCell(sheet, 1, 1, u"Saved copy"_s);
        spreadsheet->setCell(sheet, 1, 2, 42.0);
        const QString title = spreadsheet->fullName(book);
        spreadsheet->saveCopyAs(book, file);

        QVERIFY2(bytesOf(file).startsWith(start), bytesOf(file).left(16).toHex().constData());
        QCOMPARE(QDir(QFileInfo(file).absolutePath()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
        QCOMPARE(spreadsheet->fullName(book), title);
        QVERIFY(!QFileInfo(title).isAbsolute());
        QVERIFY(QFile::remove(file));
    }

    void saveFailures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("says");
        QTest::newRow("unknown format") << u"report.pdf"_s << u".xlsx"_s;
        QTest::newRow("missing folder") << u"nowhere/report.xlsx"_s << u"report.xlsx"_s;
    }

    // A save that cannot be made says why and leaves the folder as it was.
    void saveFailures()
    {
        QFETCH(QString, name);
        QFETCH(QString, says);
        const std::unique_ptr<Spreadsheet> spreadsheet = m_office.suite().spreadsheet();
        ConnectionScope scope(*spreadsheet);
        spreadsheet->connect();
        const Workbook book = spreadsheet->addWorkbook();
        const QStringList before = QDir(m_office.outputDir()).entryList(QDir::AllEntries | QDir::Hidden);
        try {
            spreadsheet->saveCopyAs(book, m_office.path(name));
            QFAIL("saved");
        } catch (const Error &e) {
            QVERIFY2(e.text().contains(says), qPrintable(e.text()));
        }
        QCOMPARE(QDir(m_office.outputDir()).entryList(QDir::AllEntries | QDir::Hidden), before);
    }

    void usedRows_data()
    {
        QTest::addColumn<QList<int>>("rows"); // rows written in column C; 0: an empty text in C9
        QTest::addColumn<int>("used");
        QTest::newRow("empty") << QList<int>{} << 0;
        QTest::newRow("A1 only") << QList<int>{1} << 1;
        QTest::newRow("gap above") << QList<int>{7} << 7;
        QTest::newRow("empty text counts as nothing") << QList<int>{2, 0} << 2;
    }

    void usedRows()
    {
        QFETCH(QList<int>, rows);
        QFETCH(int, used);
        const std::unique_ptr<Spreadsheet> spreadsheet = m_office.suite().spreadsheet();
        ConnectionScope scope(*spreadsheet);
        spreadsheet->connect();
        const Worksheet sheet = spreadsheet->firstWorksheet(spreadsheet->addWorkbook());
        for (const int row : rows) {
            if (row == 0)
                spreadsheet->setCell(sheet, 9, 3, QString());
            else
                spreadsheet->setCell(sheet, row, row == 1 ? 1 : 3, 1.5);
        }
        spreadsheet->setCellBold(sheet, 20, 2); // formatting alone uses no row
        QCOMPARE(spreadsheet->usedRowCount(sheet), used);
    }

    void handlesEndWithTheConnection()
    {
        const std::unique_ptr<Spreadsheet> spreadsheet = m_office.suite().spreadsheet();
        spreadsheet->connect();
        const Worksheet sheet = spreadsheet->firstWorksheet(spreadsheet->addWorkbook());
        const CellRange range = spreadsheet->range(sheet, u"C3"_s, u"A1"_s);
        QVERIFY_THROWS_EXCEPTION(Error, spreadsheet->range(sheet, u"A0"_s, u"B2"_s));
        QVERIFY_THROWS_EXCEPTION(Error, spreadsheet->setCell(sheet, 0, 1, 1.0));
        spreadsheet->disconnect();
        QVERIFY_THROWS_EXCEPTION(Error, spreadsheet->setBold(range));
        QVERIFY_THROWS_EXCEPTION(Error, spreadsheet->usedRowCount(sheet));
    }
};

QTEST_GUILESS_MAIN(TestLoSpreadsheet)
#include "tst_LoSpreadsheet.moc"

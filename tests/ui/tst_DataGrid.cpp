#include "common/ScriptedDialogs.h"
#include "dataset/Dataset.h"
#include "reports/ReportGridData.h"
#include "reports/ReportRichText.h"
#include "ui/DataGrid.h"

#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace quotaly;
using namespace quotaly::ui;

namespace {

const QString kHeaderBlock = u"Statistics (Total): 1250\r\nUnits: Words\r\nBase rate: 0.12 EUR\r\n"_s;

// A priced job as the report grid shows it, with the current row on the first record.
struct Report
{
    Dataset ds{u"tmpMatches"_s};
    DataGrid grid;

    Report()
    {
        ds.setFields({FieldDef::text(u"MatchTypes"_s, 25), FieldDef::floating(u"MatchValue"_s),
                      FieldDef::floating(u"Discount"_s), FieldDef::floating(u"Units"_s), FieldDef::floating(u"Rate"_s),
                      FieldDef::text(u"Currency"_s, 3), FieldDef::floating(u"Amount"_s)});
        ds.setFieldDisplay(u"MatchTypes"_s, u"Match types"_s, 25);
        ds.setFieldDisplay(u"MatchValue"_s, u"Match value"_s, 12, u"0.00 %"_s);
        ds.setFieldDisplay(u"Discount"_s, u"Discount (% of base rate)"_s, 9, u"0.00 %"_s);
        ds.setFieldDisplay(u"Units"_s, u"Units"_s, 10, u"0.00"_s);
        ds.setFieldDisplay(u"Rate"_s, u"Rate"_s, 10, u"0.00"_s);
        ds.setFieldDisplay(u"Amount"_s, u"Amount"_s, 10, u"0.00"_s);
        ds.createDataSet();
        ds.appendRecord({u"Repetitions - 95%"_s, 95.0, 30.0, 250.0, 0.036, u"EUR"_s, 9.0});
        ds.appendRecord({u"94% - 50%"_s, 50.0, 80.0, 400.0, 0.096, u"EUR"_s, 40.0});
        ds.appendRecord({u"Say \"hi\"; <b>&{x}\\y"_s, 0.0, 100.0, 600.0, 0.12, u"CHF"_s, 72.0});
        ds.first();

        grid.setDataset(&ds);
        grid.setReadOnly(true);
        grid.setColumnTitle(u"Units"_s, u"Words"_s);
        grid.setFooterText(u"MatchTypes"_s, u"Total :"_s, Qt::AlignRight);
        grid.setFooterCount(u"Discount"_s, u"0 Rows"_s);
        grid.setFooterSum(u"Units"_s);
        grid.setFooterCurrentValue(u"Currency"_s, Qt::AlignCenter);
        grid.setFooterSum(u"Amount"_s);
        grid.resize(600, 300);
        grid.show();
    }
};

// Splits "a"; "b""c" lines into cells.
QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> rows;
    for (const QString &line : text.split(u"\r\n"_s)) {
        QStringList cells;
        QString cell;
        bool quoted = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line.at(i);
            if (c == u'"' && quoted && i + 1 < line.size() && line.at(i + 1) == u'"')
                cell += line.at(++i);
            else if (c == u'"')
                quoted = !quoted;
            else if (c == u';' && !quoted)
                cells << std::exchange(cell, {});
            else
                cell += c;
        }
        rows << (cells << cell);
    }
    return rows;
}

QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
    p.waitForFinished();
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class tst_DataGrid : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QLocale::setDefault(QLocale::c());
        QGuiApplication::clipboard()->setText(u"before"_s);
    }

    void footer_data();
    void footer();
    void copy_data();
    void copy();
    void copyLeavesClipboard_data();
    void copyLeavesClipboard();
    void rectangleSkipsHiddenColumns();
    void printsHeaderAndPages();
    void previewAndPrintFailure();
};

void tst_DataGrid::footer_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");

    QTest::newRow("fixed text") << ""
                                << "MatchTypes"
                                << "Total :";
    QTest::newRow("count") << ""
                           << "Discount"
                           << "3 Rows";
    QTest::newRow("sum in the field's format") << ""
                                               << "Amount"
                                               << "121.00";
    QTest::newRow("current value") << ""
                                   << "Currency"
                                   << "EUR";
    QTest::newRow("no footer") << ""
                               << "Rate"
                               << "";
    QTest::newRow("new field format") << "format"
                                      << "Amount"
                                      << "121.000";
    QTest::newRow("column format wins") << "override"
                                        << "Amount"
                                        << "121.0";
    QTest::newRow("comma locale") << "locale"
                                  << "Units"
                                  << "1250,00";
    QTest::newRow("row appended") << "append"
                                  << "Units"
                                  << "1260.00";
    QTest::newRow("row deleted") << "delete"
                                 << "Amount"
                                 << "112.00";
    QTest::newRow("clicked row") << "click"
                                 << "Currency"
                                 << "CHF";
    QTest::newRow("dataset closed") << "close"
                                    << "Units"
                                    << "";
    QTest::newRow("text stays when closed") << "close"
                                            << "MatchTypes"
                                            << "Total :";
}

void tst_DataGrid::footer()
{
    QFETCH(QString, change);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    Report r;
    if (change == u"format") {
        r.ds.setDisplayFormat(u"Amount"_s, u"0.000"_s); // what a new calculation does
    } else if (change == u"override") {
        r.grid.setColumnDisplayFormat(u"Amount"_s, u"0.0"_s);
    } else if (change == u"locale") {
        QLocale::setDefault(QLocale(QLocale::German));
        r.ds.setDisplayFormat(u"Units"_s, u"0.00"_s);
    } else if (change == u"append") {
        r.ds.appendRecord({u"New"_s, 0.0, 0.0, 10.0, 0.0, u"EUR"_s, 0.0});
    } else if (change == u"delete") {
        r.ds.first();
        r.ds.deleteRecord();
    } else if (change == u"click") {
        QTableView *view = r.grid.view();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(2, 0)).center());
        QCOMPARE(r.ds.recNo(), 2);
    } else if (change == u"close") {
        r.ds.close();
    }
    QCOMPARE(r.grid.footerText(field), expected);
    if (change == u"format" || change == u"override") // the cells follow the same format
        QCOMPARE(r.grid.view()->model()->index(0, 6).data().toString(), change == u"format" ? u"9.000"_s : u"9.0"_s);
}

void tst_DataGrid::copy_data()
{
    QTest::addColumn<bool>("percentMode");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("expected"); // the plain text

    const QString wordsTable = u"Match types\tDiscount (% of base rate)\tWords\tRate\tCurrency\tAmount\r\n"
                               "Repetitions - 95%\t30.00 %\t250.00\t0.04\tEUR\t9.00\r\n"
                               "94% - 50%\t80.00 %\t400.00\t0.10\tEUR\t40.00\r\n"
                               "Say \"hi\"; <b>&{x}\\y\t100.00 %\t600.00\t0.12\tCHF\t72.00\r\n"
                               "Total :\t3 Rows\t1250.00\t\tEUR\t121.00"_s;
    QTest::newRow("Copy, words mode") << false << "copy" << kHeaderBlock + u"\r\n"_s + wordsTable;
    QTest::newRow("Ctrl+Insert, no header") << false << "ctrl+insert" << wordsTable;
    QTest::newRow("Ctrl+C, percent mode")
        << true << "ctrl+c"
        << u"Match types\tPercent\tDiscount (% of base rate)\tWords\tRate\tCurrency\tAmount\r\n"
           "Repetitions - 95%\t95.00 %\t30.00 %\t250.00\t0.04\tEUR\t9.00\r\n"
           "94% - 50%\t50.00 %\t80.00 %\t400.00\t0.10\tEUR\t40.00\r\n"
           "Say \"hi\"; <b>&{x}\\y\t0.00 %\t100.00 %\t600.00\t0.12\tCHF\t72.00\r\n"
           "Total :\t\t3 Rows\t1250.00\t\tEUR\t121.00"_s;
}

void tst_DataGrid::copy()
{
    QFETCH(bool, percentMode);
    QFETCH(QString, how);
    QFETCH(QString, expected);
    Report r;
    r.grid.setColumnVisible(u"MatchValue"_s, percentMode);
    r.grid.setColumnTitle(u"MatchValue"_s, u"Percent"_s);

    QTest::keyClick(r.grid.view(), Qt::Key_A, Qt::ControlModifier);
    if (how == u"copy")
        QVERIFY(r.grid.copySelection(kHeaderBlock));
    else
        QTest::keyClick(r.grid.view(), how == u"ctrl+c" ? Qt::Key_C : Qt::Key_Insert, Qt::ControlModifier);

    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    QCOMPARE(mime->text(), expected);

    // Every flavour holds the same table: titles, records, footer.
    QList<QStringList> lines;
    for (const QString &line : expected.split(u"\r\n"_s).mid(how == u"copy" ? 4 : 0))
        lines << line.split(u'\t');
    const ReportTable table{lines.first(), lines.mid(1, 3), lines.last()};
    QCOMPARE(parseCsv(QString::fromUtf8(mime->data(u"text/csv"_s))).mid(how == u"copy" ? 4 : 0), lines);
    QCOMPARE(mime->data(u"text/rtf"_s), reportRtfTable(table).toUtf8());
    QCOMPARE(mime->data(u"application/rtf"_s), mime->data(u"text/rtf"_s));
    QCOMPARE(mime->html(), reportHtmlTable(table));
    const std::optional<ReportTable> grid = readReportGridData(mime->data(kGridDataMimeType));
    QVERIFY(grid);
    QCOMPARE(QList<QStringList>({grid->titles}) + grid->rows + QList<QStringList>({grid->footer}), lines);
}

void tst_DataGrid::copyLeavesClipboard_data()
{
    QTest::addColumn<QString>("situation");
    QTest::newRow("nothing selected") << "none";
    QTest::newRow("dataset closed") << "closed";
    QTest::newRow("empty report, select all") << "empty";
}

void tst_DataGrid::copyLeavesClipboard()
{
    QFETCH(QString, situation);
    Report r;
    if (situation == u"closed") {
        r.grid.selectAll();
        r.ds.close();
    } else if (situation == u"empty") {
        r.ds.emptyDataSet();
        r.grid.selectAll();
        QVERIFY(!r.grid.hasSelection());
    }
    QVERIFY(!r.grid.copySelection(kHeaderBlock));
    QTest::keyClick(r.grid.view(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), u"before"_s);
}

void tst_DataGrid::rectangleSkipsHiddenColumns()
{
    Report r;
    r.grid.setColumnVisible(u"MatchValue"_s, false);
    QAbstractItemModel *m = r.grid.view()->model();
    // Rows 2-3 from the hidden match value to Words, plus one Rate cell on row 1 (Ctrl+click).
    r.grid.view()->selectionModel()->select(QItemSelection(m->index(1, 1), m->index(2, 3)),
                                            QItemSelectionModel::Select);
    r.grid.view()->selectionModel()->select(m->index(0, 4), QItemSelectionModel::Select);

    const ReportTable t = r.grid.selectionTable();
    QCOMPARE(t.titles, (QStringList{"Discount (% of base rate)", "Words", "Rate"}));
    QCOMPARE(t.rows, (QList<QStringList>{{"", "", "0.04"}, {"80.00 %", "400.00", ""}, {"100.00 %", "600.00", ""}}));
    QCOMPARE(t.footer, (QStringList{"3 Rows", "1250.00", ""}));
}

void tst_DataGrid::printsHeaderAndPages()
{
    if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed; cannot read the printed PDF back");
    Report r;
    r.grid.setColumnVisible(u"MatchValue"_s, false);
    for (int i = 0; i < 120; ++i)
        r.ds.appendRecord({u"Row %1"_s.arg(i), 0.0, 0.0, 1.0, 0.0, u"EUR"_s, 1.0});
    const QStringList header{u"Statistics (Total): 1250"_s, u"Units: Words"_s, u"Base rate: 0.12 EUR"_s};
    r.grid.setPageHeader(header);

    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(u"report.pdf"_s));
    QVERIFY(r.grid.print(&printer));

    const QStringList pages = pdfText(printer.outputFileName()).split(u'\f', Qt::SkipEmptyParts);
    QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
    for (const QString &page : pages) { // header lines and titles on every page, hidden column never
        for (const QString &line : header)
            QVERIFY2(page.contains(line), qPrintable(line));
        QVERIFY(page.contains(u"Words"_s) && !page.contains(u"Match value"_s));
    }
    QVERIFY(pages.first().contains(u"Repetitions - 95%"_s));
    QVERIFY(pages.last().contains(u"Row 119"_s));
    QVERIFY(pages.last().contains(u"Total :"_s) && pages.last().contains(u"1370.00"_s));
    QVERIFY(pages.last().contains(u"Page %1 of %1"_s.arg(pages.size())));
}

void tst_DataGrid::previewAndPrintFailure()
{
    test::ScriptedDialogs dialogs;
    Report r;
    for (int i = 0; i < 120; ++i)
        r.ds.appendRecord({u"Row %1"_s.arg(i), 0.0, 0.0, 1.0, 0.0, u"EUR"_s, 1.0});
    int previewPages = 0;
    QTimer poll;
    connect(&poll, &QTimer::timeout, this, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            if (auto *preview = modal->findChild<QPrintPreviewWidget *>(); preview && preview->pageCount() > 0) {
                previewPages = preview->pageCount();
                modal->close();
            }
        }
    });
    poll.start(20);
    r.grid.printPreview(&r.grid);
    QVERIFY(previewPages >= 3);

    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(u"/nonexistent-folder/report.pdf"_s);
    QVERIFY(!r.grid.print(&printer));
    QCOMPARE(dialogs.messages,
             QStringList{u"Cannot print to the file /nonexistent-folder/report.pdf: it cannot be written."_s});
}

QTEST_MAIN(tst_DataGrid)
#include "tst_DataGrid.moc"

#include "ReportFixture.h"
#include "ui/DataGrid.h"
#include "ui/GridProxyModel.h"

#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace quotaly;
using namespace quotaly::test;

class TestMatchResults : public QObject
{
    Q_OBJECT
    QTemporaryDir m_icons;

private slots:
    // A desktop icon theme that holds every icon the report asks for.
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        QDir(m_icons.path()).mkpath(QStringLiteral("probe/16"));
        QFile index(m_icons.filePath(QStringLiteral("probe/index.theme")));
        QVERIFY(index.open(QIODevice::WriteOnly) && index.write("[Icon Theme]\nDirectories=16\n[16]\nSize=16\n") > 0);
        index.close();
        QImage square(16, 16, QImage::Format_ARGB32);
        square.fill(Qt::darkGreen);
        for (const char *icon :
             {"edit-select-all", "edit-copy", "x-office-spreadsheet", "x-office-document", "document-print"})
            QVERIFY(square.save(m_icons.filePath(QStringLiteral("probe/16/%1.png").arg(QLatin1String(icon)))));
        QIcon::setThemeSearchPaths({m_icons.path()});
        QIcon::setThemeName(QStringLiteral("probe"));
    }

    // Each glyph button runs the popup menu's item of that name (language files reach it by the name), with
    // the theme's icon, and an icon of our own for themes that lack it.
    void commands_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("icon");
        QTest::newRow("select all") << "btnSelectAll"
                                    << "Selectall1"
                                    << "edit-select-all";
        QTest::newRow("copy") << "btnCopy"
                              << "Copy1"
                              << "edit-copy";
        QTest::newRow("spreadsheet") << "btnExportExcel"
                                     << "ExportreporttoExcel1"
                                     << "x-office-spreadsheet";
        QTest::newRow("word processor") << "btnExportWord"
                                        << "Exportreporttoword1"
                                        << "x-office-document";
        QTest::newRow("print") << "btnPrint"
                               << "Printreport1"
                               << "document-print";
    }

    void commands()
    {
        QFETCH(QString, button);
        QFETCH(QString, icon);
        ReportFixture f;
        const QAction *action = f.report.findChild<QToolButton *>(button)->defaultAction();
        QTEST(action->objectName(), "item");
        QVERIFY(f.report.findChild<QMenu *>(QStringLiteral("PopupMenu1"))->actions().contains(action));
        QCOMPARE(action->icon().name(), icon);
        QVERIFY(!QIcon(QStringLiteral(":/quotaly/reports/icons/%1.svg").arg(icon)).pixmap(16).isNull());
    }

    // Every word of a title (bold, as printed), every value and the totals fit their column, all columns fit
    // the window, and the window keeps its size, centred on the screen.
    void everyTextFits()
    {
        ReportFixture f;
        f.dm.tmpMatches->appendRecord(
            {QStringLiteral("Context match"), 0.0, 100.0, 9.0e6, 0.1234, QStringLiteral("EUR"), 1234567.89});
        f.report.setReportColumns(false, QStringLiteral("Words"));
        f.report.show();

        const ui::DataGrid *grid = f.report.dbgResults();
        const QTableView *view = grid->view();
        QFont bold = view->font();
        bold.setBold(true);
        const QFontMetrics boldText(bold), plainText(view->font());
        const int margins = 2 * view->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, view->horizontalHeader());
        for (int c = 0; c < grid->proxyModel()->columnCount(); ++c) {
            const QString field = grid->proxyModel()->fieldName(c);
            QList<int> widths{boldText.horizontalAdvance(grid->footerText(field))};
            for (const QString &word : grid->columnTitle(field).split(u' '))
                widths << boldText.horizontalAdvance(word);
            for (const int row : grid->displayedDatasetRows())
                widths << plainText.horizontalAdvance(grid->displayTexts(row, {field}).value(0));
            QVERIFY2(*std::max_element(widths.begin(), widths.end()) + margins <= view->columnWidth(c),
                     qPrintable(field));
        }
        QVERIFY(view->horizontalHeader()->length() <= view->viewport()->width());
        QCOMPARE(f.report.minimumSize(), f.report.maximumSize());
        QCOMPARE(f.report.height(), 312);
        const QPoint offCentre = f.report.frameGeometry().center() - f.report.screen()->availableGeometry().center();
        QVERIFY(offCentre.manhattanLength() <= 4);
    }
};

QTEST_MAIN(TestMatchResults)
#include "tst_TfMatchResults.moc"

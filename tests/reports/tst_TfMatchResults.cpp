#include "ReportFixture.h"
#include "ui/DataGrid.h"
#include "ui/GridProxyModel.h"

#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
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
        const QString theme = m_icons.filePath(QStringLiteral("probe"));
        QDir().mkpath(theme + QStringLiteral("/16"));
        QFile index(theme + QStringLiteral("/index.theme"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=probe\nDirectories=16\n\n[16]\nSize=16\n");
        index.close();
        QImage square(16, 16, QImage::Format_ARGB32);
        square.fill(Qt::darkGreen);
        for (const char *name :
             {"edit-select-all", "edit-copy", "x-office-spreadsheet", "x-office-document", "document-print"})
            QVERIFY(square.save(theme + QStringLiteral("/16/%1.png").arg(QLatin1String(name))));
        QIcon::setThemeSearchPaths({m_icons.path()});
        QIcon::setThemeName(QStringLiteral("probe"));
    }

    // Each command is a glyph button and an item of the grid's popup menu, both named so that language files
    // reach them, with the desktop theme's icon and one shipped with the program for desktops without it.
    void commands_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("icon");
        QTest::newRow("select all") << 0 << "btnSelectAll"
                                    << "Selectall1"
                                    << "edit-select-all";
        QTest::newRow("copy") << 1 << "btnCopy"
                              << "Copy1"
                              << "edit-copy";
        QTest::newRow("spreadsheet") << 2 << "btnExportExcel"
                                     << "ExportreporttoExcel1"
                                     << "x-office-spreadsheet";
        QTest::newRow("word processor") << 3 << "btnExportWord"
                                        << "Exportreporttoword1"
                                        << "x-office-document";
        QTest::newRow("print") << 4 << "btnPrint"
                               << "Printreport1"
                               << "document-print";
    }

    void commands()
    {
        QFETCH(int, position);
        QFETCH(QString, button);
        QFETCH(QString, item);
        QFETCH(QString, icon);
        ReportFixture f;
        const auto *menu = f.report.findChild<QMenu *>(QStringLiteral("PopupMenu1"));
        QVERIFY(menu);
        QAction *action = menu->actions().value(position);
        QVERIFY(action);
        QCOMPARE(action->objectName(), item);
        QCOMPARE(f.report.findChild<QToolButton *>(button)->defaultAction(), action);
        QCOMPARE(action->icon().name(), icon);
        QVERIFY(!QIcon(QStringLiteral(":/quotaly/reports/icons/%1.svg").arg(icon)).pixmap(16).isNull());
    }

    // Every title word (bold, as printed), value and footer fits its column, the columns fit the window, and
    // the window keeps its size, centred on the screen.
    void everyTitleAndAmountFits_data()
    {
        QTest::addColumn<QString>("field");
        for (const char *field : {"MatchTypes", "MatchValue", "Discount", "Units", "Rate", "Currency", "Amount"})
            QTest::newRow(field) << QString::fromLatin1(field);
    }

    void everyTitleAndAmountFits()
    {
        QFETCH(QString, field);
        ReportFixture f;
        f.dm.tmpMatches->appendRecord(
            {QStringLiteral("Context match"), 0.0, 100.0, 9.0e6, 0.1234, QStringLiteral("EUR"), 1234567.89});
        f.report.setReportColumns(false, QStringLiteral("Words"));
        f.report.show();

        const ui::DataGrid *grid = f.report.dbgResults();
        const QTableView *view = grid->view();
        QFont bold = view->horizontalHeader()->font();
        bold.setBold(true);
        const QFontMetrics title(bold);
        const int margins = 2 * view->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, view->horizontalHeader());
        int widest = 0;
        for (const QString &word : grid->columnTitle(field).split(u' '))
            widest = std::max(widest, title.horizontalAdvance(word));
        for (const int row : grid->displayedDatasetRows())
            widest = std::max(widest, view->fontMetrics().horizontalAdvance(grid->displayTexts(row, {field}).value(0)));
        widest = std::max(widest, title.horizontalAdvance(grid->footerText(field)));
        int width = -1;
        for (int c = 0; c < grid->proxyModel()->columnCount(); ++c) {
            if (grid->proxyModel()->fieldName(c) == field)
                width = view->columnWidth(c);
        }
        QVERIFY2(width >= widest + margins, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(widest + margins)));

        QVERIFY(view->horizontalHeader()->length() <= view->viewport()->width());
        QCOMPARE(f.report.minimumSize(), f.report.maximumSize());
        QCOMPARE(f.report.height(), 312);
        QVERIFY(f.report.width() >= 581);
        const QPoint offCentre = f.report.frameGeometry().center() - f.report.screen()->availableGeometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
    }
};

QTEST_MAIN(TestMatchResults)
#include "tst_TfMatchResults.moc"

#include "ReportFixture.h"

#include <QMenu>
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
};

QTEST_MAIN(TestMatchResults)
#include "tst_TfMatchResults.moc"

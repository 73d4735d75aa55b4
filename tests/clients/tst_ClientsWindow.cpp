#include "app/TDM.h"
#include "clients/ClientList.h"
#include "clients/TfClients.h"
#include "clients/TfImport.h"
#include "common/ScriptedDialogs.h"
#include "common/TestEnv.h"
#include "ui/DataGrid.h"

#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace quotaly;
using namespace quotaly::test;

namespace {

const QStringList kFields{"FULLNAME", "VATNo",    "AddressLine1", "AddressLine2", "AddressLine3", "Tel",
                          "Fax",      "EMail",    "www",          "Additional1",  "Additional2"};

// Appends clients given as name plus optional further fields in list order.
void addClients(TDM &dm, const QList<QStringList> &clients)
{
    for (const QStringList &values : clients) {
        dm.Clients->append();
        for (int i = 0; i < values.size(); ++i)
            dm.Clients->setValue(kFields.at(i), values.at(i));
        dm.Clients->post();
    }
}

QStringList clientNames(const Dataset &clients)
{
    QStringList names;
    const int field = clients.fieldIndex(QStringLiteral("FULLNAME"));
    for (int row = 0; row < clients.recordCount(); ++row)
        names << clients.valueAt(row, field).toString();
    names.sort();
    return names;
}

// Rows of a detail dataset over every client, not just the current one.
int allRows(const Dataset &d)
{
    return int(d.toPacket().rows.size());
}

struct Fixture
{
    TestEnv env;
    ScriptedDialogs dialogs;
    QString dir = env.shippedDataDir();
    TDM dm{dir};
    std::unique_ptr<TfClients> w;

    Fixture()
    {
        dm.LoadDataSets();
        w = std::make_unique<TfClients>(&dm);
    }
    void click(const char *button) { w->findChild<QPushButton *>(QString::fromLatin1(button))->click(); }
};

} // namespace

class TestClientsWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void duplicateCheck_data()
    {
        QTest::addColumn<QList<QStringList>>("clients");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("left");

        const QStringList acme{"Acme", "DE1", "Street 1"};
        QTest::newRow("three identical and one other, Yes")
            << QList<QStringList>{acme, {"Beta"}, acme, acme} << true
            << "2 duplicate entries are found.\r\nThey are now highlighted. Delete them?" << 2;
        QTest::newRow("three identical and one other, No")
            << QList<QStringList>{acme, {"Beta"}, acme, acme} << false
            << "2 duplicate entries are found.\r\nThey are now highlighted. Delete them?" << 4;
        QTest::newRow("letter case differs")
            << QList<QStringList>{{"Acme", "x"}, {"ACME", "x"}, {"Acme", "X"}} << true
            << "Operation completed successfully.\r\nDuplicate entries are not found" << 3;
        QTest::newRow("trailing blank differs")
            << QList<QStringList>{{"Acme"}, {"Acme "}} << true
            << "Operation completed successfully.\r\nDuplicate entries are not found" << 2;
        QTest::newRow("two runs") << QList<QStringList>{{"b"}, {"a"}, {"b"}, {"a"}, {"a"}} << true
                                  << "3 duplicate entries are found.\r\nThey are now highlighted. Delete them?" << 2;
    }

    void duplicateCheck()
    {
        QFETCH(QList<QStringList>, clients);
        QFETCH(bool, answer);
        QFETCH(QString, shown);
        QFETCH(int, left);
        Fixture f;
        addClients(f.dm, clients);
        f.dialogs.answers << answer;
        f.click("btnCheckDupl");
        QCOMPARE(f.dialogs.messages + f.dialogs.questions, QStringList{shown});
        QCOMPARE(f.dm.Clients->recordCount(), left);
        QCOMPARE(allRows(*f.dm.MatchesByClient), int(clients.size())); // per-client rows are kept
        if (!answer) // the duplicates stay selected
            QCOMPARE(f.w->grid()->selectedDatasetRows().size(), 2);
        // one client of each run is left
        QList<QStringList> rows = clientDisplayRows(*f.dm.Clients);
        std::sort(rows.begin(), rows.end());
        const bool hadDuplicates = shown.contains(QStringLiteral("found."));
        QCOMPARE(std::adjacent_find(rows.begin(), rows.end()) == rows.end(), answer || !hadDuplicates);
    }

    void emptyListChecksNothingAndDeletesNothing()
    {
        Fixture f;
        f.click("btnCheckDupl");
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(f.dialogs.questions.isEmpty());
        f.dialogs.answers << true;
        f.click("tnDelete");
        QCOMPARE(f.dialogs.questions, QStringList{"0 entries will be deleted. Proceed?"});
        QCOMPARE(f.dm.Clients->recordCount(), 0);
    }

    void deleteRemovesOnlyVisibleSelectedRows()
    {
        Fixture f;
        addClients(f.dm, {{"Alpha"}, {"Beta"}, {"Gamma"}, {"Alpine"}});
        f.w->grid()->setColumnFilter(QStringLiteral("FULLNAME"), QStringLiteral("AL"), false);
        QCOMPARE(f.w->grid()->displayRowCount(), 2);
        f.w->grid()->selectAll();
        f.dialogs.answers << true;
        f.click("tnDelete");
        QCOMPARE(f.dialogs.questions, QStringList{"2 entries will be deleted. Proceed?"});
        QCOMPARE(clientNames(*f.dm.Clients), (QStringList{"Beta", "Gamma"}));
    }

    void clearAllAsksFirst_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("left");
        QTest::newRow("Yes") << true << 0;
        QTest::newRow("No") << false << 2;
    }

    void clearAllAsksFirst()
    {
        QFETCH(bool, answer);
        QFETCH(int, left);
        Fixture f;
        addClients(f.dm, {{"A"}, {"B"}});
        f.dialogs.answers << answer;
        f.click("btnClearAll");
        QCOMPARE(f.dialogs.questions, QStringList{"All entries will be deleted. Proceed?"});
        QCOMPARE(f.dm.Clients->recordCount(), left);
    }

    void footerCountsRows()
    {
        Fixture f;
        QCOMPARE(f.w->grid()->footerText(QStringLiteral("FULLNAME")), QStringLiteral("0 Clients"));
        addClients(f.dm, {{"A"}, {"B"}, {"C"}});
        QCOMPARE(f.w->grid()->footerText(QStringLiteral("FULLNAME")), QStringLiteral("3 Clients"));
    }

    void exportWritesTheChosenFormat_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("start");
        const QByteArray header = "FULLNAME,VATNo,AddressLine1,AddressLine2,AddressLine3,Tel,Fax,EMail,www,"
                                  "Additional1,Additional2\r\n\r\nAlpha,";
        QTest::newRow("csv gets its extension") << 0 << "list" << "list.csv" << header;
        QTest::newRow("tab gets .txt") << 1 << "list" << "list.txt" << QByteArray("FULLNAME\tVATNo\t");
        QTest::newRow("html gets four letters") << 2 << "list" << "list.html"
                                                << QByteArray("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">");
        QTest::newRow("excel gets .xls") << 3 << "list" << "list.xls" << QByteArray("\x09\x04\x06\x00\x00\x00\x10\x00", 8);
        QTest::newRow("other extension is kept") << 0 << "list.dat" << "list.dat" << header;
    }

    void exportWritesTheChosenFormat()
    {
        QFETCH(int, entry);
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(QByteArray, start);
        Fixture f;
        addClients(f.dm, {{"Beta", "", "Main St, 2"}, {"Alpha"}});
        f.dialogs.fileNames << f.env.path(typed);
        f.dialogs.filterIndexes << entry;
        f.click("btnExport");
        QVERIFY2(f.dialogs.messages.isEmpty(), qPrintable(f.dialogs.messages.join(QLatin1Char('|'))));
        const QByteArray bytes = TestEnv::read(f.env.path(written));
        QVERIFY2(bytes.startsWith(start), bytes.left(120).constData());
        QCOMPARE(f.dialogs.filters.value(0), f.w->exportFilter());
        if (entry == 0) // the value with a comma keeps the row's field count
            QVERIFY(bytes.endsWith("\r\nBeta,,\"Main St, 2\",,,,,,,,\r\n"));
    }

    void exportAsksBeforeLosingData_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("question"); // empty: none; the file is written when none is asked or on Yes
        const QString replace = QStringLiteral("%1 already exists.\r\nDo you want to replace it?");
        const QString excel = excelUnkeptValuesQuestion(2);
        QTest::newRow("extension added onto an existing file, No") << 0 << "old"
                                                                   << "Alpha" << false << replace;
        QTest::newRow("extension added onto an existing file, Yes") << 0 << "old"
                                                                    << "Alpha" << true << replace;
        QTest::newRow("typed name was asked about by the dialog") << 0 << "old.csv"
                                                                  << "Alpha" << false << "";
        QTest::newRow("Japanese name in Excel, No") << 3 << "list" << QStringLiteral("東京翻訳") << false << excel;
        QTest::newRow("Polish name in Excel, Yes")
            << 3 << "list" << QStringLiteral("Łódź Tłumaczenia") << true << excel;
        QTest::newRow("Windows-1252 text in Excel") << 3 << "list" << QStringLiteral("Café Noël") << false << "";
    }

    // The file really written is the one asked about, and an Excel file that would lose text is written only
    // when the user agrees.
    void exportAsksBeforeLosingData()
    {
        QFETCH(int, entry);
        QFETCH(QString, typed);
        QFETCH(QString, name);
        QFETCH(bool, answer);
        QFETCH(QString, question);
        Fixture f;
        addClients(f.dm, {{name, "", QStringLiteral("Zürich")}, {name + " 2"}});
        const QString target = f.env.path(entry == 0 ? QStringLiteral("old.csv") : QStringLiteral("list.xls"));
        f.env.write(QStringLiteral("old.csv"), "kept");
        f.dialogs.fileNames << f.env.path(typed);
        f.dialogs.filterIndexes << entry;
        f.dialogs.answers << answer;
        f.click("btnExport");
        const QString asked =
            question == u"%1 already exists.\r\nDo you want to replace it?" ? question.arg(target) : question;
        QCOMPARE(f.dialogs.questions, asked.isEmpty() ? QStringList() : QStringList{asked});
        const QByteArray bytes = TestEnv::read(target);
        QCOMPARE(!bytes.isEmpty() && bytes != "kept", question.isEmpty() || answer);
    }

    void exportToReadOnlyFolderShowsErrorAndWritesNothing()
    {
        Fixture f;
        addClients(f.dm, {{"Alpha"}});
        const QString folder = f.env.path(QStringLiteral("locked"));
        QDir().mkpath(folder);
        openToEveryone(f.env.dir());
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther);
        f.dialogs.fileNames << folder + "/list.csv";
        {
            const Unprivileged user; // root would not be stopped by the folder's permissions
            if (!user.ok())
                QSKIP("cannot give up root's rights here, and root ignores folder permissions");
            if (QFile file(folder + "/probe"); file.open(QIODevice::WriteOnly))
                QFAIL("the folder's permissions do not apply");
            f.click("btnExport");
        }
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.messages.first().contains(QStringLiteral("list.csv")));
        QVERIFY(!QFile::exists(folder + "/list.csv"));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    void closeSavesAndEscapeDoesNot_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("closed");
        QTest::newRow("Delete in the grid saves and closes") << int(Qt::Key_Delete) << false << true << true;
        QTest::newRow("Esc, Yes closes unsaved") << int(Qt::Key_Escape) << true << false << true;
        QTest::newRow("Esc, No stays") << int(Qt::Key_Escape) << false << false << false;
    }

    void closeSavesAndEscapeDoesNot()
    {
        QFETCH(int, key);
        QFETCH(bool, answer);
        QFETCH(bool, saved);
        QFETCH(bool, closed);
        Fixture f;
        addClients(f.dm, {{"Alpha"}});
        f.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
        f.dialogs.answers << answer;
        QTest::keyClick(f.w->grid()->view(), Qt::Key(key));
        QCOMPARE(!f.w->isVisible(), closed);
        Dataset onDisk(QStringLiteral("Clients"));
        onDisk.loadFromFile(f.dir + "Clients.xml");
        QCOMPARE(onDisk.recordCount(), saved ? 1 : 0);
        if (key == Qt::Key_Escape)
            QCOMPARE(f.dialogs.questions, QStringList{"Close window ?"});
        QCOMPARE(f.dm.Clients->recordCount(), 1); // nothing deleted
    }

    void closeButtonWritesTheFile()
    {
        Fixture f;
        addClients(f.dm, {{"Alpha"}, {"Beta"}});
        f.w->show();
        f.click("btnClose");
        QVERIFY(!f.w->isVisible());
        Dataset onDisk(QStringLiteral("Clients"));
        onDisk.loadFromFile(f.dir + "Clients.xml");
        QCOMPARE(clientNames(onDisk), (QStringList{"Alpha", "Beta"}));
    }

    void closeKeepsAnUnreadableFile()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        const QString dir = env.shippedDataDir();
        env.write(QStringLiteral("Data/Clients.xml"), "<DATAPACKET Version=\"2.0\"><METADATA>broken");
        const QByteArray before = TestEnv::read(dir + "Clients.xml");
        TDM dm(dir);
        dm.saveOnExit = false;
        dm.LoadDataSets();
        TfClients w(&dm);
        dialogs.messages.clear();
        w.findChild<QPushButton *>(QStringLiteral("btnClose"))->click();
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(TestEnv::read(dir + "Clients.xml"), before);
    }

    void placementIsRemembered()
    {
        Fixture f;
        f.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
        f.w->resize(800, 400);
        f.click("btnClose");
        QSettings ini(ui::PlacementStore::defaultFileName(), QSettings::IniFormat);
        QVERIFY2(ini.childGroups().contains(QStringLiteral("Clients")), qPrintable(ini.fileName()));
        TfClients again(&f.dm);
        again.show();
        QCOMPARE(again.size(), QSize(800, 400));
        QCOMPARE(again.minimumSize(), QSize(720, 300));
    }

    // --- Import window ---------------------------------------------------------------------------------------

    void importLoadsDragsAndImports()
    {
        Fixture f;
        const QString file = f.env.write(QStringLiteral("clients.txt"), "DE123;Acme Ltd;London\r\nDE456;Beta;Paris\r\n");
        TfImport import(&f.dm, f.w.get());
        QVERIFY(!import.findChild<QPushButton *>(QStringLiteral("bPrev"))->isEnabled());
        f.dialogs.fileNames << file;
        import.bLoadFileClick();
        QCOMPARE(import.delimiter(), QLatin1Char(';'));
        QVERIFY(import.findChild<QPushButton *>(QStringLiteral("bPrev"))->isEnabled());
        QCOMPARE(f.dm.dxImportData->recordCount(), 2);
        // Drag the second data column (the names) in front of the first one.
        auto *titles = import.findChild<ui::DataGrid *>(QStringLiteral("DBGridEh1"))->view()->horizontalHeader();
        titles->moveSection(1, 0);
        import.bPrevClick();
        QCOMPARE(f.dialogs.messages.last(),
                 QStringLiteral("Operation completed successfully.\r\n2 clients added, 0 rows refused."));
        QCOMPARE(clientNames(*f.dm.Clients), (QStringList{"Acme Ltd", "Beta"}));
        QVERIFY(f.dm.Clients->locate(QStringLiteral("FULLNAME"), QStringLiteral("Acme Ltd")));
        QCOMPARE(f.dm.Clients->asString(QStringLiteral("VATNo")), QStringLiteral("DE123"));
        QCOMPARE(allRows(*f.dm.MatchesByClient), 2); // the new-client defaults
        // Importing again appends the rows again.
        import.bPrevClick();
        QCOMPARE(f.dm.Clients->recordCount(), 4);
    }

    void importReportsRefusedRows()
    {
        Fixture f;
        const QString file = f.env.write(QStringLiteral("clients.csv"), "Acme,London\r\n\r\nBeta,Paris\r\n");
        TfImport import(&f.dm, f.w.get());
        f.dialogs.fileNames << file;
        import.bLoadFileClick();
        import.bPrevClick();
        QVERIFY(f.dialogs.messages.last().startsWith(QStringLiteral("Some errors where found !    \r\nError - ")));
        QVERIFY(f.dialogs.messages.last().endsWith(
            QStringLiteral("\r\n\r\nField \"Full Name\" must have value or\r\nyou try store duplicate values.\r\n"
                           "See help for details.\r\n\r\n2 clients added, 1 row refused.")));
        QCOMPARE(f.dm.Clients->recordCount(), 2);
        QCOMPARE(allRows(*f.dm.MatchesByClient), 2);
        QCOMPARE(allRows(*f.dm.OptionsByClient), 2);
    }

    void userDelimiterAndBadFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("userDefined");
        QTest::addColumn<QString>("otherDelimiter");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("firstName");
        QTest::newRow("empty edit splits at spaces") << QByteArray("Acme Ltd,x;y\r\n") << true << "" << 1 << "Acme";
        QTest::newRow("own delimiter") << QByteArray("Acme|Ltd,x\r\n") << true << "|" << 1 << "Acme";
        QTest::newRow("no delimiter: whole line") << QByteArray("Acme Ltd\r\n") << false << "" << 1 << "Acme Ltd";
        QTest::newRow("empty file") << QByteArray() << false << "" << 0 << "";
    }

    void userDelimiterAndBadFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, userDefined);
        QFETCH(QString, otherDelimiter);
        QFETCH(int, rows);
        QFETCH(QString, firstName);
        Fixture f;
        const QString file = f.env.write(QStringLiteral("in.txt"), bytes);
        TfImport import(&f.dm, f.w.get());
        import.findChild<QLineEdit *>(QStringLiteral("eFileName"))->setText(file);
        import.findChild<QLineEdit *>(QStringLiteral("eOtherDelimiter"))->setText(otherDelimiter);
        import.findChild<QCheckBox *>(QStringLiteral("cbUDD"))->setChecked(userDefined);
        import.cbUDDClick();
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(f.dm.dxImportData->recordCount(), rows);
        if (rows > 0)
            QCOMPARE(f.dm.dxImportData->valueAt(0, 0).toString(), firstName);
    }

    void missingFileKeepsImportDisabled()
    {
        Fixture f;
        TfImport import(&f.dm, f.w.get());
        f.dialogs.fileNames << f.env.path(QStringLiteral("gone.csv"));
        import.bLoadFileClick();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.messages.first().contains(QStringLiteral("gone.csv")));
        QVERIFY(!import.findChild<QPushButton *>(QStringLiteral("bPrev"))->isEnabled());
        QVERIFY(!f.dm.dxImportData->isActive());
    }

    void headerFollowsColumns()
    {
        Fixture f;
        const QString file = f.env.write(QStringLiteral("c.csv"), "a,b,c\r\n");
        TfImport import(&f.dm, f.w.get());
        QCOMPARE(import.findChild<QHeaderView *>(QStringLiteral("HeaderControl1")), import.headerControl());
        QCOMPARE(import.headerControl()->count(), 12);
        QCOMPARE(import.headerControl()->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("FULLNAME"));
        f.dialogs.fileNames << file;
        import.bLoadFileClick();
        QTableView *view = import.findChild<ui::DataGrid *>(QStringLiteral("DBGridEh1"))->view();
        view->setColumnWidth(2, 200);
        QCOMPARE(import.headerControl()->sectionSize(3), 201);
        import.headerControl()->resizeSection(1, 81);
        QCOMPARE(view->columnWidth(0), 80);
    }
};

QTEST_MAIN(TestClientsWindow)
#include "tst_ClientsWindow.moc"

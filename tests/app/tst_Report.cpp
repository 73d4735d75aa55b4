#include "ProgramFixture.h"
#include "common/ScriptedDialogs.h"
#include "reports/TfMatchResults.h"
#include "ui/DataGrid.h"
#include "ui/DbLookupComboBox.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

using namespace quotaly;
using namespace quotaly::test;

namespace {

// Enters the counts of a small job for the current client.
void enterJob(Program &p, bool percentMode)
{
    if (percentMode) {
        auto *percent = p.find<QCheckBox>("rbPercent");
        QTest::mouseClick(percent, Qt::LeftButton, {}, QPoint(5, percent->height() / 2));
        typeInto(p.w, "Percent2", QStringLiteral("10"));
        typeInto(p.w, "Percent8", QStringLiteral("90"));
    } else {
        typeInto(p.w, "Word2", QStringLiteral("100"));
        typeInto(p.w, "Word4", QStringLiteral("50"));
        typeInto(p.w, "Word8", QStringLiteral("10"));
    }
    typeInto(p.w, "Edit1", QStringLiteral("160"));
}

// Presses Calculate and runs `inReport` while the report window is open, then closes it.
void calculate(Program &p, const std::function<void(TfMatchResults *)> &inReport)
{
    bool shown = false;
    onNextModal([&](QWidget *w) {
        auto *report = qobject_cast<TfMatchResults *>(w);
        QVERIFY(report);
        shown = true;
        inReport(report);
        report->close();
    });
    p.find<QPushButton>("Button2")->click();
    QVERIFY(shown);
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void wordsModeCopiesTheReport()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        Program p(dataWithSubscribedAcme(env));
        p.waitForStart();
        enterJob(p, false);
        QString copied;
        QStringList flavours;
        calculate(p, [&](TfMatchResults *report) {
            QCOMPARE(report->lcClient()->text(), QStringLiteral("Acme"));
            QVERIFY(!report->dbgResults()->isColumnVisible(QStringLiteral("MatchValue")));
            QCOMPARE(report->dbgResults()->columnTitle(QStringLiteral("Units")), QStringLiteral("Words"));
            report->Selectall1Click();
            report->Copy1Click();
            const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
            copied = mime->text();
            flavours = mime->formats();
        });
        QCOMPARE(copied, QStringLiteral("Statistics (Total): 160\r\nUnits: Words\r\nBase rate: 0.1 USD\r\n\r\n"
                                        "Match types\tDiscount (% of base rate)\tWords\tRate\tCurrency\tAmount\r\n"
                                        "Repetitions - \t80.00 %\t100.00\t0.08\tUSD\t8.00\r\n"
                                        "99%- 95%\t80.00 %\t50.00\t0.08\tUSD\t4.00\r\n"
                                        " - No matches\t100.00 %\t10.00\t0.10\tUSD\t1.00\r\n"
                                        "Total :\t\t160.00\t\tUSD\t13.00"));
        for (const char *flavour : {"text/plain", "text/csv", "text/rtf", "application/rtf", "text/html"})
            QVERIFY2(flavours.contains(QString::fromLatin1(flavour)), flavour);
        p.exit();
    }

    void percentModeShowsThePercentColumn()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        const QString dir = env.shippedDataDir();
        seedClients(dir, {{QStringLiteral("Acme"), QStringLiteral("Lines")}});
        appSettings().setValue(QStringLiteral("rv"), 1);
        appSettings().setValue(QStringLiteral("LastClient.Caption"), QStringLiteral("Acme"));
        Program p(dir);
        p.waitForStart();
        enterJob(p, true);
        ReportTable table;
        ReportHeader header;
        calculate(p, [&](TfMatchResults *report) {
            report->Selectall1Click();
            table = report->dbgResults()->selectionTable();
            header = report->header();
        });
        QCOMPARE(table.titles, QStringList({"Match types", "Percent", "Discount (% of base rate)", "Lines", "Rate",
                                            "Currency", "Amount"}));
        QCOMPARE(table.rows.size(), 2);
        QCOMPARE(table.rows.at(0).at(1), QStringLiteral("10.00 %"));
        QCOMPARE(table.rows.at(0).at(3), QStringLiteral("16.00"));
        QCOMPARE(table.footer.at(6), QStringLiteral("15.68"));
        QCOMPARE(header.units, QStringLiteral("Lines"));
        QCOMPARE(header.statTotalCaption, QStringLiteral("Statistics (Total)"));
        p.exit();
    }

    void choosingAnotherClientRecalculates()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        const QString dir = env.shippedDataDir();
        seedClients(dir, {{QStringLiteral("Acme"), QStringLiteral("Words")}, {QStringLiteral("Beta"), QStringLiteral("Words")}});
        {
            TDM dm(dir);
            dm.LoadDataSets();
            dm.Clients->locate(QStringLiteral("FULLNAME"), QStringLiteral("Beta"));
            dm.MatchesByClient->edit();
            dm.MatchesByClient->setValue(QStringLiteral("iWord3"), 40);
            dm.MatchesByClient->post();
        }
        appSettings().setValue(QStringLiteral("rv"), 1);
        appSettings().setValue(QStringLiteral("LastClient.Caption"), QStringLiteral("Acme"));
        Program p(dir);
        p.waitForStart();
        enterJob(p, false);
        QStringList labels;
        calculate(p, [&](TfMatchResults *report) {
            report->lcClient()->setText(QStringLiteral("Beta"));
            Dataset *rows = p.forms->DM->tmpMatches;
            for (int i = 0; i < rows->recordCount(); ++i)
                labels << rows->displayText(i, 0);
        });
        QCOMPARE(labels, QStringList({"100% - "}));
        QCOMPARE(p.w->lcClient()->text(), QStringLiteral("Beta"));
        QCOMPARE(p.find<QLabel>("LastClient")->text(), QStringLiteral("Beta"));
        p.exit();
    }

    void addingAClientFromTheReport()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        Program p(dataWithSubscribedAcme(env));
        p.waitForStart();
        enterJob(p, false);
        calculate(p, [&](TfMatchResults *report) {
            onNextModal([](QWidget *form) {
                auto *name = form->findChild<QLineEdit *>(QStringLiteral("DBEdit1"));
                name->setFocus();
                QTest::keyClicks(name, QStringLiteral("Gamma"));
                form->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
            });
            report->lcClient()->setText(QStringLiteral("<-- Add new client -->"));
        });
        QCOMPARE(p.forms->DM->Clients->recordCount(), 2);
        QCOMPARE(p.w->lcClient()->text(), QStringLiteral("Gamma"));
        QVERIFY(p.forms->DM->tmpMatches->isEmpty()); // the new client has no counts yet
        p.exit();
    }

    void cancellingTheExportDialogExportsNothing()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        Program p(dataWithSubscribedAcme(env));
        p.waitForStart();
        enterJob(p, false);
        int exports = 0;
        p.forms->fMatchResults->exportReport = [&](const ReportExportRequest &) { ++exports; };
        QString exportCaption;
        calculate(p, [&](TfMatchResults *report) {
            onNextModal([&](QWidget *dialog) {
                exportCaption = dialog->windowTitle();
                dialog->findChild<QPushButton *>(QStringLiteral("btnCancel"))->click();
            });
            report->ExportreporttoExcel1Click();
            onNextModal([](QWidget *dialog) { dialog->findChild<QPushButton *>(QStringLiteral("btnOk"))->click(); });
            report->Exportreporttoword1Click();
        });
        QCOMPARE(exportCaption, QStringLiteral("Export report"));
        QCOMPARE(exports, 1);
        QVERIFY(dialogs.messages.isEmpty());
        p.exit();
    }
};

QTEST_MAIN(TestReport)
#include "tst_Report.moc"

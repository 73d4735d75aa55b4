#include "ReportFixture.h"
#include "reports/TdsWordExport.h"
#include "ui/DataGrid.h"

#include <QClipboard>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace quotaly;
using namespace quotaly::test;
using Target = ReportExportRequest::Target;

namespace {

const QString kPercentTitles =
    QStringLiteral("Match types|Percent|Discount (% of base rate)|Words|Rate|Currency|Amount");
const QString kWordsTitles = QStringLiteral("Match types|Discount (% of base rate)|Words|Rate|Currency|Amount");

// A worksheet row as "text" or number, cells joined by "|".
QString sheetRow(const FakeOfficeSuite::SheetRun &run, int row)
{
    QStringList cells;
    for (int column = 1; column <= 10; ++column) {
        const auto it = run.cells.find({row, column});
        if (it == run.cells.end())
            continue;
        if (const auto *text = std::get_if<QString>(&it->second))
            cells << u'"' + *text + u'"';
        else
            cells << QString::number(std::get<double>(it->second));
    }
    return cells.join(u'|');
}

// Wires the report window to the export glue as the program does, and answers its export dialog.
void exportFrom(ReportFixture &f, Target target, bool newFile)
{
    f.report.exportReport = [&f](const ReportExportRequest &request) {
        exportReport(&f.report, *f.report.dbgResults(), request, f.office);
    };
    onNextModalOf<TfExportReport>([newFile](TfExportReport *dialog) {
        dialog->findChild<QRadioButton *>(newFile ? QStringLiteral("rbNewFile") : QStringLiteral("rbExistingFile"))
            ->setChecked(true);
        dialog->findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
    });
    if (target == Target::Spreadsheet)
        f.report.ExportreporttoExcel1Click();
    else
        f.report.Exportreporttoword1Click();
}

QStringList lines(const QString &text)
{
    return text.split(QStringLiteral("\r\n"));
}

} // namespace

class TestOfficeCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void exportsToANewSpreadsheet_data()
    {
        QTest::addColumn<bool>("wordsMode");
        QTest::addColumn<QString>("titles");
        QTest::addColumn<QString>("firstRecord");
        QTest::addColumn<QString>("totals");
        QTest::newRow("percent mode") << false << kPercentTitles
                                      << QStringLiteral("\"Repetitions\"|10|30|100|0.033|\"EUR\"|3.34")
                                      << QStringLiteral("\"Total :\"|\"\"|\"\"|160|\"\"|\"EUR\"|10.1");
        QTest::newRow("words mode") << true << kWordsTitles
                                    << QStringLiteral("\"Repetitions\"|30|100|0.033|\"EUR\"|3.34")
                                    << QStringLiteral("\"Total :\"|\"\"|160|\"\"|\"EUR\"|10.1");
    }

    void exportsToANewSpreadsheet()
    {
        QFETCH(bool, wordsMode);
        QFETCH(QString, titles);
        ReportFixture f(wordsMode);
        exportFrom(f, Target::Spreadsheet, true);

        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(f.suite.sheetRuns.size(), 1);
        const FakeOfficeSuite::SheetRun &run = f.suite.sheetRuns.first();
        QVERIFY(run.busyCursor);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(run.log.contains(QStringLiteral("addWorkbook() -> book1")));
        QCOMPARE(sheetRow(run, 1), QStringLiteral("\"Statistics (Total) : \"|\"Units : \"|\"Base rate : \""));
        QCOMPARE(sheetRow(run, 2), QStringLiteral("\"160\"|\"Words\"|\"0.1\""));
        QCOMPARE(sheetRow(run, 4), u'"' + titles.split(u'|').join(QStringLiteral("\"|\"")) + u'"');
        // Records carry the field values, not the rounded texts the grid shows.
        QTEST(sheetRow(run, 5), "firstRecord");
        QTEST(sheetRow(run, 7), "totals");
        QVERIFY(!f.report.dbgResults()->hasSelection());
    }

    void exportsToANewDocument_data()
    {
        QTest::addColumn<bool>("wordsMode");
        QTest::addColumn<QString>("titles");
        QTest::addColumn<QString>("firstRecord");
        QTest::newRow("percent mode") << false << kPercentTitles
                                      << QStringLiteral("Repetitions|10.00 %|30.00 %|100.00|0.03|EUR|3.34");
        QTest::newRow("words mode") << true << kWordsTitles
                                    << QStringLiteral("Repetitions|30.00 %|100.00|0.03|EUR|3.34");
    }

    void exportsToANewDocument()
    {
        QFETCH(bool, wordsMode);
        QFETCH(QString, titles);
        QFETCH(QString, firstRecord);
        ReportFixture f(wordsMode);
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        exportFrom(f, Target::WordProcessor, true);

        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(f.suite.wordRuns.size(), 1);
        const FakeOfficeSuite::WordRun &run = f.suite.wordRuns.first();
        QVERIFY(run.busyCursor);
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(run.text.startsWith(QStringLiteral("Statistics (Total) : 160\nUnits : Words\nBase rate : 0.1 \n")));
        QCOMPARE(run.pastes.size(), 1);
        const QStringList pasted = lines(run.pastes.first().plainText);
        QCOMPARE(pasted.size(), 4);
        QCOMPARE(pasted.at(0), titles.replace(u'|', u'\t'));
        QCOMPARE(pasted.at(1), firstRecord.replace(u'|', u'\t'));
        QVERIFY(pasted.at(3).startsWith(QStringLiteral("Total :\t")));
        QVERIFY(!f.report.dbgResults()->hasSelection());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    }

    void documentTakesOnlyTheSelectedRows()
    {
        ReportFixture f;
        f.report.dbgResults()->selectDatasetRows({1});
        exportFrom(f, Target::WordProcessor, true);

        const QStringList pasted = lines(f.suite.wordRuns.first().pastes.first().plainText);
        QCOMPARE(pasted.size(), 3);
        QVERIFY(pasted.at(1).startsWith(QStringLiteral(" - No matches\t")));
        QVERIFY(!f.report.dbgResults()->hasSelection());
    }

    void exportsToAnExistingFile_data()
    {
        QTest::addColumn<Target>("target");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("spreadsheet, chooser cancelled") << Target::Spreadsheet << false;
        QTest::newRow("spreadsheet, file chosen") << Target::Spreadsheet << true;
        QTest::newRow("document, chooser cancelled") << Target::WordProcessor << false;
        QTest::newRow("document, file chosen") << Target::WordProcessor << true;
    }

    void exportsToAnExistingFile()
    {
        QFETCH(Target, target);
        QFETCH(bool, chosen);
        ReportFixture f;
        const QString file = f.env.write(QStringLiteral("jobs/earlier.ods"), "x");
        f.suite.scriptSheet = [file](office::RecordingSpreadsheet &sheet) { sheet.addFile(file, 3); };
        f.suite.scriptWord = [file](office::RecordingWordProcessor &word) {
            word.addFile(file, QStringLiteral("Earlier job\n"));
        };
        if (chosen)
            f.dialogs.fileNames << file;
        exportFrom(f, target, false);

        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(f.dialogs.fileNames.isEmpty()); // the chooser was asked
        const QStringList log =
            target == Target::Spreadsheet ? f.suite.sheetRuns.value(0).log : f.suite.wordRuns.value(0).log;
        const QString opened =
            target == Target::Spreadsheet ? QStringLiteral("openWorkbook(\"") : QStringLiteral("openDocument(\"");
        QCOMPARE(log.filter(opened + file + u'"').size(), chosen ? 1 : 0);
        QVERIFY(log.filter(QStringLiteral("addWorkbook")).isEmpty());
        QVERIFY(log.filter(QStringLiteral("addDocument")).isEmpty());
        if (!chosen) {
            QVERIFY(log.filter(QStringLiteral("setCell")).isEmpty());
            QVERIFY(log.filter(QStringLiteral("paste")).isEmpty());
            return;
        }
        if (target == Target::Spreadsheet) {
            // Below the three rows already there, one row apart.
            QCOMPARE(sheetRow(f.suite.sheetRuns.first(), 5), QStringLiteral("\"Statistics (Total) : \"|"
                                                                            "\"Units : \"|\"Base rate : \""));
        } else {
            const QString text = f.suite.wordRuns.first().text;
            QVERIFY(text.startsWith(QStringLiteral("Statistics (Total) : 160\n")));
            QVERIFY(text.endsWith(QStringLiteral("Earlier job\n")));
        }
    }

    void failuresAreShown_data()
    {
        QTest::addColumn<Target>("target");
        QTest::addColumn<QString>("failingCall");
        QTest::newRow("spreadsheet not reachable") << Target::Spreadsheet << QStringLiteral("connect()");
        QTest::newRow("spreadsheet fails a new workbook") << Target::Spreadsheet << QStringLiteral("addWorkbook()");
        QTest::newRow("spreadsheet fails writing") << Target::Spreadsheet << QStringLiteral("setCell(");
        QTest::newRow("word processor not reachable") << Target::WordProcessor << QStringLiteral("connect()");
        QTest::newRow("word processor fails a new document")
            << Target::WordProcessor << QStringLiteral("addDocument()");
    }

    void failuresAreShown()
    {
        QFETCH(Target, target);
        QFETCH(QString, failingCall);
        ReportFixture f;
        const QString message = QStringLiteral("The office stopped answering.");
        f.suite.scriptSheet = [&](office::RecordingSpreadsheet &sheet) { sheet.failOn(failingCall, message); };
        f.suite.scriptWord = [&](office::RecordingWordProcessor &word) { word.failOn(failingCall, message); };
        exportFrom(f, target, true);

        QCOMPARE(f.dialogs.messages, QStringList{message});
        QCOMPARE(f.dialogs.messageKinds.value(0), ui::Dialogs::Kind::Plain);
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(TestOfficeCommands)
#include "tst_OfficeCommands.moc"

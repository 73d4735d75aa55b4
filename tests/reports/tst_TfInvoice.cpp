#include "ReportFixture.h"
#include "app/ProgramFixture.h"
#include "clients/TfClients.h"
#include "reports/TfInvoice.h"
#include "ui/DataGrid.h"

#include <QCalendarWidget>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

using namespace quotaly;
using namespace quotaly::test;

namespace {

// A template in the recording word processor's notation: «field», [table], "\n" between paragraphs.
const QString kTemplate = QStringLiteral(
    "\u00ABpFullName\u00BB \u00ABpVATNo\u00BB\n\u00ABpAddressLine1\u00BB\u00ABpAddressLine2\u00BB\u00ABpAddressLine3"
    "\u00BB\n\u00ABpPhone\u00BB\u00ABpFax\u00BB\n[table]\nTo \u00ABcFullName\u00BB\n\u00ABcAddressLine1\u00BB\n"
    "\u00ABcAddressLine3\u00BB\n\u00ABcFax\u00BB \u00ABcURL\u00BB\nNo \u00ABInvoiceNo\u00BB of "
    "\u00ABInvoiceDate\u00BB\n"
    "\u00ABNPaymentDue\u00BB\u00ABPaymentDue\u00BB\n\u00ABJobDescription\u00BB|\u00ABPurchaseOrderNo\u00BB|"
    "\u00ABProjectManager\u00BB\n\u00ABComments\u00BB\n\u00ABUnit\u00BB at "
    "\u00ABBaseRate\u00BB\n\u00ABMatchReport\u00BB\n"
    "\u00ABpBankDL1\u00BB/\u00ABpBankDL6\u00BB\n");

QString shortDate(const QDate &date)
{
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

void setFields(Dataset *dataset, const QList<std::pair<const char *, const char *>> &values)
{
    if (dataset->isEmpty())
        dataset->append();
    else
        dataset->edit();
    for (const auto &[field, value] : values)
        dataset->setValue(QString::fromLatin1(field), QString::fromUtf8(value));
    dataset->post();
}

struct InvoiceFixture : ReportFixture
{
    QString templates = env.path(QStringLiteral("Templates/"));
    TfInvoice invoice{&dm, &report, templates};

    explicit InvoiceFixture(bool wordsMode = false) : ReportFixture(wordsMode)
    {
        QDir().mkpath(templates);
        invoice.officeSuite = office;
        const QString dir = templates;
        suite.scriptWord = [dir](office::RecordingWordProcessor &word) {
            word.addFile(dir + QStringLiteral("English.rtf"), kTemplate);
            word.addFile(dir + QStringLiteral("German.rtf"), kTemplate);
        };
    }

    template <typename T> T *find(const char *name) const
    {
        T *child = invoice.findChild<T *>(QString::fromLatin1(name));
        if (!child)
            qFatal("no widget %s", name);
        return child;
    }
    QComboBox *languages() const { return find<QComboBox>("cbInvLang"); }
    QStringList languageItems() const
    {
        QStringList items;
        for (int i = 0; i < languages()->count(); ++i)
            items << languages()->itemText(i);
        return items;
    }
    void addTemplates(const QStringList &names) const
    {
        for (const QString &name : names)
            env.write(QStringLiteral("Templates/") + name, "{\\rtf1}");
    }
    void fillInvoice()
    {
        setFields(dm.Personal, {{"FULLNAME", "Ana Lima"},
                                {"VATNo", "PT123"},
                                {"AddressLine1", "Rua 1"},
                                {"AddressLine2", "Porto"},
                                {"Tel", "+351 1"},
                                {"BankDataLine1", "IBAN PT50"},
                                {"BankDataLine6", "BIC X"}});
        setFields(dm.Clients, {{"FULLNAME", "Acme GmbH"},
                               {"AddressLine1", "Hauptstr. 5"},
                               {"AddressLine3", "Berlin"},
                               {"Fax", "+49 2"},
                               {"www", "acme.example"}});
        invoice.setReportValues(QStringLiteral("Words"), QStringLiteral("0.12"), QDate(2024, 5, 3));
        find<QLineEdit>("dxInvoiceNo")->setText(QStringLiteral("2024-17"));
        find<QLineEdit>("dxPaymentDue1")->setText(QStringLiteral("30 days"));
        find<QLineEdit>("dxMaskEdit2")->setText(QStringLiteral("Manual"));
        find<QLineEdit>("dxMaskEdit3")->setText(QStringLiteral("Jo"));
        find<QPlainTextEdit>("mComment")->setPlainText(QStringLiteral("first\nsecond"));
    }
    // The invoice window open with the English template chosen.
    void show()
    {
        addTemplates({QStringLiteral("English.rtf")});
        invoice.show();
    }
};

} // namespace

class TestInvoice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void templateListIsRebuiltOnEveryShow()
    {
        InvoiceFixture f;
        f.addTemplates({QStringLiteral("German.rtf"), QStringLiteral("English.rtf"), QStringLiteral("Notes.RTF"),
                        QStringLiteral("readme.txt")});
        f.invoice.show();
        QCOMPARE(f.languageItems(), QStringList({"English", "German", "Notes.RTF"}));
        QCOMPARE(f.languages()->currentText(), QStringLiteral("English"));
        QCOMPARE(f.invoice.focusWidget(), f.find<QWidget>("dxInvoiceNo"));

        f.languages()->setCurrentIndex(1);
        f.invoice.hide();
        f.addTemplates({QStringLiteral("Dutch.rtf")});
        f.invoice.show();
        QCOMPARE(f.languageItems(), QStringList({"Dutch", "English", "German", "Notes.RTF"}));
        QCOMPARE(f.languages()->currentText(), QStringLiteral("Dutch"));
    }

    void templateFollowsTheInvoiceLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("opens");
        QTest::newRow("chosen language") << QStringLiteral("German") << QStringLiteral("German.rtf") << true;
        QTest::newRow("no language: the base language") << QString() << QStringLiteral("English.rtf") << true;
        QTest::newRow("extension in capitals")
            << QStringLiteral("Notes.RTF") << QStringLiteral("Notes.RTF.rtf") << false;
    }

    void templateFollowsTheInvoiceLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QString, file);
        QFETCH(bool, opens);
        InvoiceFixture f;
        f.invoice.show();
        f.languages()->setEditText(language);
        f.find<QPushButton>("Button2")->click();

        const QString path = f.templates + file;
        QCOMPARE(f.suite.wordRuns.size(), 1);
        QCOMPARE(f.suite.wordRuns.first().log.filter(QStringLiteral("openDocument(\"") + path + u'"').size(), 1);
        if (opens)
            QCOMPARE(f.dialogs.messages, QStringList());
        else
            QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("This file could not be found. (%1)").arg(path)});
    }

    void fillsTheTemplate_data()
    {
        QTest::addColumn<bool>("printMode");
        QTest::newRow("save to RTF keeps the document open") << false;
        QTest::newRow("print prints and discards") << true;
    }

    void fillsTheTemplate()
    {
        QFETCH(bool, printMode);
        InvoiceFixture f;
        f.show();
        f.fillInvoice();
        f.find<QPushButton>(printMode ? "bPrintDoc" : "Button2")->click();

        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.suite.wordRuns.size(), 1);
        const FakeOfficeSuite::WordRun &run = f.suite.wordRuns.first();
        const QString date = shortDate(QDate(2024, 5, 3));
        QCOMPARE(f.find<QDateEdit>("dxInvoiceDate")->text(), date);
        QCOMPARE(run.text, QStringLiteral("Ana Lima VAT No.: PT123\nRua 1, Porto\nPhone : +351 1\n[table]\n"
                                          "To Acme GmbH\nHauptstr. 5\nBerlin\nFax : +49 2 URL : acme.example\n"
                                          "No 2024-17 of %1\nPayment Due : 30 days\nManual||Jo\n"
                                          "Comments:\nfirst\nsecond\n\nWords at 0.12\n[table]\nIBAN PT50/BIC X\n")
                               .arg(date));
        QVERIFY(run.busyCursor);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(run.log.filter(QStringLiteral("showPrintDialog")).size(), printMode ? 1 : 0);
        QCOMPARE(run.log.filter(QStringLiteral("quit()")).size(), printMode ? 1 : 0);
        QCOMPARE(run.documentOpen, !printMode);
        // The window posts nothing itself.
        QCOMPARE(f.find<QLineEdit>("dxPaymentDue1")->text(), QStringLiteral("30 days"));
        QCOMPARE(f.find<QLineEdit>("dxInvoiceNo")->text(), QStringLiteral("2024-18"));
    }

    void textBeingTypedGoesIntoTheInvoice()
    {
        InvoiceFixture f;
        f.show();
        auto *name = f.find<QLineEdit>("DBEdit1");
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("Bea Cruz"));
        auto *client = f.find<QLineEdit>("DBEdit8");
        f.dm.Clients->append();
        QTest::keyClicks(client, QStringLiteral("Delta Ltd"));
        f.find<QPushButton>("Button2")->click();

        const QString text = f.suite.wordRuns.first().text;
        QVERIFY2(text.startsWith(QStringLiteral("Bea Cruz \n")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("To Delta Ltd\n")), qPrintable(text));
        QVERIFY(f.dm.Personal->isEditing()); // left for the user to keep or cancel
    }

    void failedConversationChangesNothing_data()
    {
        QTest::addColumn<QString>("failingCall");
        QTest::newRow("word processor not reachable") << QStringLiteral("connect()");
        QTest::newRow("template cannot be opened") << QStringLiteral("openDocument(");
    }

    void failedConversationChangesNothing()
    {
        QFETCH(QString, failingCall);
        InvoiceFixture f;
        f.show();
        f.fillInvoice();
        const QString message = QStringLiteral("Cannot start the word processor.");
        f.suite.scriptWord = [&](office::RecordingWordProcessor &word) { word.failOn(failingCall, message); };
        const int personalChanges = f.dm.Personal->changeCount();
        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        f.find<QPushButton>("bPrintDoc")->click();

        QCOMPARE(f.dialogs.messages, QStringList{message});
        QVERIFY(!QApplication::overrideCursor());
        const FakeOfficeSuite::WordRun &run = f.suite.wordRuns.first();
        QVERIFY(run.log.filter(QStringLiteral("formField")).isEmpty());
        QVERIFY(run.pastes.isEmpty());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
        QCOMPARE(f.dm.Personal->changeCount(), personalChanges);
        QCOMPARE(f.find<QPlainTextEdit>("mComment")->toPlainText(), QStringLiteral("first\nsecond"));
        QCOMPARE(f.find<QLineEdit>("dxInvoiceNo")->text(), QStringLiteral("2024-17"));
        QVERIFY(!f.dm.Personal->isEditing());
    }

    void reportGoesInAsTheReportWindowShowsIt()
    {
        InvoiceFixture f(true);
        f.show();
        ui::DataGrid *own = f.invoice.dbgResults();
        for (const char *field : {"MatchTypes", "MatchValue", "Discount", "Units", "Rate", "Currency", "Amount"})
            QVERIFY2(own->isColumnVisible(QString::fromLatin1(field)), field);
        QCOMPARE(own->columnTitle(QStringLiteral("MatchValue")), QStringLiteral("Match value"));
        QCOMPARE(own->columnTitle(QStringLiteral("Units")), QStringLiteral("Units"));
        QCOMPARE(own->footerText(QStringLiteral("Amount")), QStringLiteral("10.10"));

        QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
        f.find<QPushButton>("Button2")->click();
        const FakeOfficeSuite::WordRun &run = f.suite.wordRuns.first();
        QCOMPARE(run.pastes.size(), 1);
        QCOMPARE(run.pastes.first().plainText.section(QStringLiteral("\r\n"), 0, 0),
                 QStringLiteral("Match types\tDiscount (% of base rate)\tWords\tRate\tCurrency\tAmount"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
        QVERIFY(!f.report.dbgResults()->hasSelection());
    }

    void pickedPaymentDatesAreAppended()
    {
        InvoiceFixture f;
        auto *terms = f.find<QLineEdit>("dxPaymentDue1");
        terms->setText(QStringLiteral("30 days"));
        f.invoice.dxPaymentDueChange(QDate(2024, 6, 1)); // not shown yet: ignored
        QCOMPARE(terms->text(), QStringLiteral("30 days"));

        f.show();
        auto *calendar = f.invoice.findChild<QCalendarWidget *>(QStringLiteral("dxPaymentDueCalendar"));
        QVERIFY(calendar);
        emit calendar->activated(QDate(2024, 6, 1));
        f.invoice.dxPaymentDueChange(QDate(2024, 7, 15));
        QCOMPARE(terms->text(),
                 QStringLiteral("30 days %1 %2").arg(shortDate(QDate(2024, 6, 1)), shortDate(QDate(2024, 7, 15))));
        QCOMPARE(f.invoice.focusWidget(), terms);
    }

    void wheelScrollsThePageByItsDelta_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("expected");
        QTest::newRow("towards the user scrolls down") << 0 << -120 << 120;
        QTest::newRow("away from the user scrolls up") << 200 << 120 << 80;
        QTest::newRow("two notches") << 0 << -240 << 240;
    }

    void wheelScrollsThePageByItsDelta()
    {
        QFETCH(int, start);
        QFETCH(int, delta);
        InvoiceFixture f;
        f.show();
        f.invoice.resize(659, 300);
        QScrollBar *bar = f.find<QScrollArea>("ScrollBox1")->verticalScrollBar();
        QTRY_VERIFY2(bar->maximum() >= 240, "the page must be taller than the window");
        bar->setValue(start);
        QWidget *viewport = f.find<QScrollArea>("ScrollBox1")->viewport();
        const QPointF at(10, 10);
        QWheelEvent wheel(at, viewport->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
        QTEST(bar->value(), "expected");
    }

    // Tab follows the invoice's own inputs first (each button after the field it serves), then the bound
    // fields, the bank data row by row; the whole page fits a 1366 x 768 screen without scrolling.
    void keyboardOrderAndPageSize()
    {
        InvoiceFixture f;
        f.show();
        const QStringList expected{
            "dxInvoiceNo", "dxInvoiceDate", "btnToday", "dxPaymentDue1", "dxPaymentDue", "dxMaskEdit2", "dxMaskEdit4",
            "dxMaskEdit3", "mComment",      "DBEdit1",  "DBEdit2",       "DBEdit3",      "DBEdit4",     "DBEdit5",
            "DBEdit6",     "DBEdit7",       "DBEdit8",  "SpeedButton1",  "DBEdit9",      "DBEdit10",    "DBEdit11",
            "DBEdit12",    "DBEdit13",      "DBEdit14", "DBEdit15",      "DBEdit16",     "DBEdit17",    "DBEdit18",
            "DBEdit19",    "DBEdit21",      "DBEdit23", "DBEdit20",      "DBEdit22",     "DBEdit24"};
        QStringList order;
        QWidget *w = f.find<QWidget>("dxInvoiceNo");
        for (int step = 0; step < 500 && order.size() < expected.size(); ++step) {
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&f.invoice) && w->isEnabled()) {
                // A date edit takes the keys in an inner edit of its own.
                const QString name =
                    w->objectName().startsWith(u"qt_") ? w->parentWidget()->objectName() : w->objectName();
                if (order.value(order.size() - 1) != name)
                    order << name;
            }
            w = w->nextInFocusChain();
        }
        QCOMPARE(order, expected);

        const QSize page = f.find<QWidget>("pgInvoice")->sizeHint();
        QVERIFY2(page.height() + 33 <= 768 - 48, qPrintable(QString::number(page.height())));
        QVERIFY(page.width() <= 1366 - 16);
    }

    void placementIsKeptUnderInvoiceParams()
    {
        InvoiceFixture f;
        f.show();
        f.invoice.move(37, 41);
        f.find<QPushButton>("Button1")->click();
        QCOMPARE(f.invoice.result(), int(QDialog::Accepted));
        QSettings ini(ui::PlacementStore::defaultFileName(), QSettings::IniFormat);
        QVERIFY(ini.childGroups().contains(QStringLiteral("Invoice params")));
    }

    void createInvoiceFromTheReportWindow()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        Program p(dataWithSubscribedAcme(env));
        p.waitForStart();
        typeInto(p.w, "Word2", QStringLiteral("100"));
        typeInto(p.w, "Edit1", QStringLiteral("100"));
        p.forms->fInvoice->setReportValues({}, {}, QDate(2001, 1, 1));

        QString unit;
        QString price;
        QDate date;
        bool reportOpenMeanwhile = false;
        bool clientsShown = false;
        bool reportClosed = false;
        onNextModalOf<TfMatchResults>([&](TfMatchResults *report) {
            onNextModalOf<TfInvoice>([&](TfInvoice *invoice) {
                unit = invoice->findChild<QLineEdit *>(QStringLiteral("dxUnit"))->text();
                price = invoice->findChild<QLineEdit *>(QStringLiteral("dxPrice"))->text();
                date = invoice->findChild<QDateEdit *>(QStringLiteral("dxInvoiceDate"))->date();
                reportOpenMeanwhile = report->isVisible();
                onNextModalOf<TfClients>([&](TfClients *clients) {
                    clientsShown = true;
                    clients->close();
                });
                invoice->findChild<QToolButton *>(QStringLiteral("SpeedButton1"))->click();
                invoice->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
            });
            report->findChild<QPushButton *>(QStringLiteral("Button2"))->click();
            reportClosed = !report->isVisible();
            if (!reportClosed)
                report->close();
        });
        p.find<QPushButton>("Button2")->click();

        QCOMPARE(unit, QStringLiteral("Words"));
        QCOMPARE(price, QStringLiteral("0.1"));
        QCOMPARE(date, QDate::currentDate());
        QVERIFY(reportOpenMeanwhile);
        QVERIFY(clientsShown);
        QVERIFY(reportClosed);
        p.exit();
    }
};

QTEST_MAIN(TestInvoice)
#include "tst_TfInvoice.moc"

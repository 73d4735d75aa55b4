#include "ProgramFixture.h"
#include "app/TfNewClient.h"
#include "clients/ClientList.h"
#include "clients/TfCurrency.h"
#include "clients/TfPersonal.h"
#include "common/ScriptedDialogs.h"
#include "ui/DataGrid.h"

#include <QAction>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>

using namespace quotaly;
using namespace quotaly::test;

namespace {

// The stored currencies (a pending row left out) as "code=title".
QStringList storedCurrencies(const Dataset &currency)
{
    QStringList rows;
    for (const RowValues &row : currency.toPacket().rows)
        rows << row.value(0).toString() + u'=' + row.value(1).toString();
    return rows;
}

// A data module on the shipped data files that writes nothing at exit.
struct Store
{
    TestEnv env;
    ScriptedDialogs dialogs;
    TDM dm{env.shippedDataDir()};
    Store()
    {
        dm.saveOnExit = false;
        dm.LoadDataSets();
    }
};

QString savedPersonalName(const QString &dir)
{
    Dataset personal(QStringLiteral("Personal"));
    personal.loadFromFile(dir + "Personal.xml");
    return personal.asString(QStringLiteral("FULLNAME"));
}

} // namespace

class TestPersonalCurrency : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void personalOkSavesAtOnceAndCancelDiscards_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("saved");
        QTest::newRow("OK") << "btnOk" << "Jane Doe Translations";
        QTest::newRow("Cancel") << "btnCancel" << "";
    }

    void personalOkSavesAtOnceAndCancelDiscards()
    {
        QFETCH(QString, button);
        QFETCH(QString, saved);
        TestEnv env;
        ScriptedDialogs dialogs;
        const QString dir = dataWithSubscribedAcme(env);
        Program p(dir);
        p.waitForStart();
        onNextModal([&](QWidget *form) {
            typeInto(form, "DBEdit1", QStringLiteral("Jane Doe Translations"));
            typeInto(form, "DBEdit10", QStringLiteral("IBAN DE00 1234"));
            form->findChild<QPushButton *>(button)->click();
        });
        p.w->findChild<QAction *>(QStringLiteral("aPersonal"))->trigger();
        QVERIFY(!p.forms->fPersonal->isVisible());
        QCOMPARE(savedPersonalName(dir), saved); // written before the program ends
        QCOMPARE(p.forms->DM->Personal->asString(QStringLiteral("FULLNAME")), saved);
        QVERIFY(dialogs.messages.isEmpty());
        p.exit();
    }

    void personalSaveFailureKeepsTheWindowOpen()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        Program p(dataWithSubscribedAcme(env));
        p.waitForStart();
        p.forms->DM->Personal->setFileName(env.write(QStringLiteral("blocked"), "x") + QStringLiteral("/Personal.xml"));
        bool stayedOpen = false;
        onNextModal([&](QWidget *form) {
            typeInto(form, "DBEdit1", QStringLiteral("Jane"));
            form->findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
            stayedOpen = form->isVisible();
            form->findChild<QPushButton *>(QStringLiteral("btnCancel"))->click();
        });
        p.w->findChild<QAction *>(QStringLiteral("aPersonal"))->trigger();
        QVERIFY(stayedOpen);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages.first().contains(QStringLiteral("Cannot write")));
        p.forms->DM->Personal->setFileName(QString());
        p.forms->DM->saveOnExit = false;
        p.exit();
    }

    void personalWebAddressOpensOnDoubleClick()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        Program p(dataWithSubscribedAcme(env));
        p.waitForStart();
        TfPersonal *personal = p.forms->fPersonal.get();
        typeInto(personal, "DBEdit9", QStringLiteral("www.jane-doe.example"));
        personal->DBEdit9DblClick();
        QCOMPARE(dialogs.urls.size(), 1);
        QCOMPARE(dialogs.urls.first().host(), QStringLiteral("www.jane-doe.example"));
        p.forms->DM->Personal->cancel();
        p.exit();
    }

    void clientFormRefusesATakenName_data()
    {
        QTest::addColumn<QString>("editing"); // empty: a new client
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("refused");
        QTest::newRow("new client, taken name") << ""
                                                << "Alpha" << true;
        QTest::newRow("new client, name differs in case") << ""
                                                          << "ALPHA" << false;
        QTest::newRow("renamed to a taken name") << "Beta"
                                                 << "Alpha" << true;
        QTest::newRow("keeps its own name") << "Alpha"
                                            << "Alpha" << false;
    }

    // Prices are kept under the client's name: the form stays open on a name another client has.
    void clientFormRefusesATakenName()
    {
        QFETCH(QString, editing);
        QFETCH(QString, typed);
        QFETCH(bool, refused);
        Store s;
        s.dm.Clients->appendRecord({QStringLiteral("Alpha")});
        s.dm.Clients->appendRecord({QStringLiteral("Beta")});
        TfNewClient form(s.dm.Clients);
        if (editing.isEmpty() || !s.dm.Clients->locate(QStringLiteral("FULLNAME"), editing))
            s.dm.Clients->insert();
        else
            s.dm.Clients->edit();
        form.show();
        typeInto(&form, "DBEdit1", typed);
        form.Button1Click();
        QCOMPARE(s.dialogs.messages, refused ? QStringList{clientNameTakenMessage(typed)} : QStringList());
        QCOMPARE(form.isVisible(), refused);
        QCOMPARE(s.dm.Clients->toPacket().rows.size(), editing.isEmpty() && !refused ? 3 : 2);
    }

    void currencyNewRowIsTypedCodeFirst_data()
    {
        QTest::addColumn<QStringList>("keys"); // "\t" is Tab, "\n" Enter, anything else is typed
        QTest::addColumn<QString>("added");
        QTest::addColumn<QStringList>("messages");
        const QString noCode = QStringLiteral("Please enter the currency code.");
        QTest::newRow("code, Tab, title") << QStringList{"XAU", "\t", "Gold", "\n"} << "XAU=Gold" << QStringList{};
        QTest::newRow("Tab after the title stays in the row")
            << QStringList{"XAU", "\t", "Gold", "\t", "XAG", "\n"} << "XAG=Gold" << QStringList{};
        QTest::newRow("empty code") << QStringList{"\t", "Gold", "\n"} << "" << QStringList{noCode, noCode};
        QTest::newRow("code of another currency")
            << QStringList{"AED", "\n"} << "" << QStringList{"The currency AED is already in the list."};
    }

    // Typing a new currency never changes another row, and a row without a code of its own is not stored.
    void currencyNewRowIsTypedCodeFirst()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, added);
        QFETCH(QStringList, messages);
        Store s;
        QStringList expected = storedCurrencies(*s.dm.Currency) + QStringList(added).filter(u"=");
        TfCurrency window(s.dm.Currency);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto *view = window.findChild<QTableView *>();
        view->setCurrentIndex(view->model()->index(0, 1)); // a title cell is current
        window.findChild<QPushButton *>(QStringLiteral("Button2"))->click();
        for (const QString &key : keys) {
            QWidget *focus = QApplication::focusWidget();
            if (key == u"\t" || key == u"\n")
                QTest::keyClick(focus, key == u"\t" ? Qt::Key_Tab : Qt::Key_Return);
            else
                QTest::keyClicks(focus, key);
            QCoreApplication::processEvents(); // the grid stores an edit after the key
        }
        QCOMPARE(s.dialogs.messages, messages);
        QCOMPARE(storedCurrencies(*s.dm.Currency), expected);
    }

    void formsHaveTheirSizeAndAreCentred_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<QSize>("size");
        QTest::newRow("client form, fixed") << 0 << QSize(640, 283);
        QTest::newRow("personal settings, fixed") << 1 << QSize(652, 299);
        QTest::newRow("currency") << 2 << QSize(315, 419);
    }

    void formsHaveTheirSizeAndAreCentred()
    {
        QFETCH(int, form);
        QFETCH(QSize, size);
        Store s;
        TfNewClient client(s.dm.Clients);
        TfPersonal personal(s.dm.Personal);
        TfCurrency currency(s.dm.Currency);
        QDialog *w = QList<QDialog *>{&client, &personal, &currency}.at(form);
        w->show();
        QCOMPARE(w->size(), size);
        QCOMPARE(w->maximumSize() == size, form != 2);
        QVERIFY(w->layout()->minimumSize().height() <= size.height()); // nothing is squeezed
        QVERIFY((w->frameGeometry().center() - w->screen()->availableGeometry().center()).manhattanLength() <= 2);
    }

    void currencyDeleteNewAndClose()
    {
        TestEnv env;
        ScriptedDialogs dialogs;
        const QString dir = dataWithSubscribedAcme(env);
        Program p(dir);
        p.waitForStart();
        Dataset *currency = p.forms->DM->Currency;
        TfCurrency *window = p.forms->fCurrency.get();
        QTableView *grid = window->findChild<ui::DataGrid *>(QStringLiteral("dxDBGrid1"))->view();

        currency->first();
        window->Button3Click(); // deletes at once, without a question
        QCOMPARE(currency->recordCount(), 48);
        QVERIFY(dialogs.questions.isEmpty());

        dialogs.answers << false;
        QTest::keyClick(grid, Qt::Key_Delete); // the grid's own delete key asks first
        QCOMPARE(dialogs.questions, QStringList({"Delete record?"}));
        QCOMPARE(currency->recordCount(), 48);

        QTest::keyClick(grid, Qt::Key_Insert);
        QCOMPARE(currency->state(), DatasetState::Insert);
        currency->setValue(QStringLiteral("VCode"), QStringLiteral("XAU"));
        currency->setValue(QStringLiteral("VTitle"), QStringLiteral("Gold ounces"));
        window->Button1Click();
        QVERIFY(currency->isActive());
        QCOMPARE(currency->recordCount(), 49);
        Dataset reread(QStringLiteral("Currency"));
        reread.loadFromFile(dir + "Currency.xml");
        QVERIFY(reread.locate(QStringLiteral("VCode"), QStringLiteral("XAU")));
        QVERIFY(!reread.locate(QStringLiteral("VCode"), QStringLiteral("AED")));

        currency->emptyDataSet();
        window->Button3Click();
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages.first().contains(QStringLiteral("empty dataset")));
        p.forms->DM->saveOnExit = false;
        p.exit();
    }
};

QTEST_MAIN(TestPersonalCurrency)
#include "tst_PersonalCurrency.moc"

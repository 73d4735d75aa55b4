#include "ProgramFixture.h"
#include "app/TfNewClient.h"
#include "clients/ClientList.h"
#include "clients/TfCurrency.h"
#include "clients/TfPersonal.h"
#include "common/ScriptedDialogs.h"
#include "ui/DataGrid.h"

#include <QAction>
#include <QLayout>
#include <QScreen>
#include <QLineEdit>
#include <QPushButton>
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
        QTest::addColumn<QStringList>("names");
        QTest::newRow("new client, taken name") << "" << "Alpha" << true << QStringList{"Alpha", "Beta"};
        QTest::newRow("new client, name differs in case")
            << "" << "ALPHA" << false << QStringList{"ALPHA", "Alpha", "Beta"};
        QTest::newRow("renamed to a taken name") << "Beta" << "Alpha" << true << QStringList{"Alpha", "Beta"};
        QTest::newRow("keeps its own name") << "Alpha" << "Alpha" << false << QStringList{"Alpha", "Beta"};
    }

    // Prices are kept under the client's name: the form stays open on a name another client has.
    void clientFormRefusesATakenName()
    {
        QFETCH(QString, editing);
        QFETCH(QString, typed);
        QFETCH(bool, refused);
        QFETCH(QStringList, names);
        TestEnv env;
        ScriptedDialogs dialogs;
        TDM dm(env.shippedDataDir());
        dm.saveOnExit = false;
        dm.LoadDataSets();
        dm.Clients->appendRecord({QStringLiteral("Alpha")});
        dm.Clients->appendRecord({QStringLiteral("Beta")});
        TfNewClient form(dm.Clients);
        if (editing.isEmpty()) {
            dm.Clients->insert();
        } else {
            QVERIFY(dm.Clients->locate(QStringLiteral("FULLNAME"), editing));
            dm.Clients->edit();
        }
        form.show();
        typeInto(&form, "DBEdit1", typed);
        form.findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        QCOMPARE(dialogs.messages, refused ? QStringList{clientNameTakenMessage(typed)} : QStringList());
        QCOMPARE(form.isVisible(), refused);
        form.findChild<QPushButton *>(QStringLiteral("Button2"))->click();
        QVERIFY(!form.isVisible());
        QStringList stored;
        for (const QStringList &row : clientDisplayRows(*dm.Clients))
            stored << row.first();
        stored.sort();
        QCOMPARE(stored, names);
    }

    void currencyNewRowIsTypedCodeFirst_data()
    {
        QTest::addColumn<QStringList>("keys"); // "\t" is Tab, "\n" Enter, anything else is typed
        QTest::addColumn<QString>("added");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("code, Tab, title")
            << QStringList{"XAU", "\t", "Gold ounces", "\n"} << "XAU=Gold ounces" << QStringList{};
        QTest::newRow("Tab after the title stays in the new row")
            << QStringList{"XAU", "\t", "Gold", "\t", "XAG", "\n"} << "XAG=Gold" << QStringList{};
        QTest::newRow("empty code refused") << QStringList{"\t", "Gold", "\n"} << ""
                                            << QStringList{"Please enter the currency code.",
                                                           "Please enter the currency code."};
        QTest::newRow("code of another currency refused")
            << QStringList{"AED", "\n"} << "" << QStringList{"The currency AED is already in the list."};
    }

    // Typing a new currency never changes another row, and a row without its own code is not stored.
    void currencyNewRowIsTypedCodeFirst()
    {
        QFETCH(QStringList, keys);
        QFETCH(QString, added);
        QFETCH(QStringList, messages);
        TestEnv env;
        ScriptedDialogs dialogs;
        TDM dm(env.shippedDataDir());
        dm.saveOnExit = false;
        dm.LoadDataSets();
        const QStringList before = storedCurrencies(*dm.Currency);
        TfCurrency window(dm.Currency);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.findChild<QTableView *>()->setCurrentIndex(window.findChild<QTableView *>()->model()->index(0, 1));
        window.findChild<QPushButton *>(QStringLiteral("Button2"))->click();
        for (const QString &key : keys) {
            QWidget *focus = QApplication::focusWidget();
            QVERIFY(focus);
            if (key == u"\t")
                QTest::keyClick(focus, Qt::Key_Tab);
            else if (key == u"\n")
                QTest::keyClick(focus, Qt::Key_Return);
            else
                QTest::keyClicks(focus, key);
            QCoreApplication::processEvents(); // the grid stores an edit after the key
        }
        QCOMPARE(dialogs.messages, messages);
        QStringList expected = before;
        if (!added.isEmpty())
            expected << added;
        QCOMPARE(storedCurrencies(*dm.Currency), expected);
    }

    void formsHaveTheirSizeAndAreCentred_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("fixed");
        QTest::newRow("client form") << "fNewClient" << QSize(640, 283) << true;
        QTest::newRow("personal settings") << "fPersonal" << QSize(652, 299) << true;
        QTest::newRow("currency") << "fCurrency" << QSize(315, 419) << false;
    }

    void formsHaveTheirSizeAndAreCentred()
    {
        QFETCH(QString, form);
        QFETCH(QSize, size);
        QFETCH(bool, fixed);
        TestEnv env;
        ScriptedDialogs dialogs;
        Program p(dataWithSubscribedAcme(env));
        p.waitForStart();
        QWidget *w = form == u"fNewClient" ? static_cast<QWidget *>(p.forms->fNewClient.get())
                     : form == u"fPersonal" ? static_cast<QWidget *>(p.forms->fPersonal.get())
                                            : static_cast<QWidget *>(p.forms->fCurrency.get());
        QCOMPARE(w->objectName(), form);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->size(), size);
        // Everything fits: the layout is not squeezed below what it needs.
        QVERIFY2(w->layout()->minimumSize().height() <= size.height(),
                 qPrintable(QString::number(w->layout()->minimumSize().height())));
        QVERIFY(w->layout()->minimumSize().width() <= size.width());
        QCOMPARE(w->windowFlags().testFlag(Qt::WindowMaximizeButtonHint), false);
        if (fixed)
            QCOMPARE(w->maximumSize(), size);
        const QPoint offset = w->frameGeometry().center() - w->screen()->availableGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 2, qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
        w->hide();
        p.forms->DM->saveOnExit = false;
        p.exit();
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

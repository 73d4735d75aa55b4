#include "app/Forms.h"
#include "app/TDM.h"
#include "app/TfNewClient.h"
#include "app/TfQuotaly.h"
#include "common/ScriptedDialogs.h"
#include "common/TestEnv.h"
#include "ProgramFixture.h"
#include "MakerInfo.h"
#include "ui/DbComboBox.h"
#include "ui/DbEdit.h"
#include "ui/DbLookupComboBox.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

using namespace quotaly;
using namespace quotaly::test;
using namespace Qt::StringLiterals;

namespace {

// An analysis log of the CAT tool with 345 context-match words, which no category prices.
QByteArray jobLog()
{
    return "Start Analyse: 01.02.2026 10:00:00\r\n\r\nTranslation Memory: C:\\TM\\en-de.tmw\r\n\r\n"
           "C:\\Jobs\\manual.doc\r\n\r\n"
           " Match Types  Segments        Words Percent Placeables\r\n"
           " Context TM          9          345       6          0\r\n"
           " Repetitions        12          312       6          0\r\n"
           " 100%               80        1,632      30          4\r\n"
           " 95% - 99%          10          210       4          0\r\n"
           " 85% - 94%           5           95       2          0\r\n"
           " 75% - 84%           0            0       0          0\r\n"
           " 50% - 74%           3           48       1          0\r\n"
           " No Match          150        2,875      52          2\r\n"
           " Total             269        5,517     100          6\r\n";
}

} // namespace


class TestTfQuotaly : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void firstStartShowsNewsletterAndNoClient()
    {
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        bool newsletterShown = false;
        onNextModal([&](QWidget *modal) {
            newsletterShown = modal->objectName() == u"fSplash";
            modal->findChild<QPushButton *>(QStringLiteral("btnContinue"))->click();
        });
        Program p(env.shippedDataDir());
        QTRY_VERIFY(newsletterShown);
        QVERIFY(dialogs.messages.isEmpty());
        QCOMPARE(p.find<QLabel>("LastClient")->text(), QStringLiteral("Default"));
        QCOMPARE(p.w->lcClient()->currentIndex(), -1);
        QCOMPARE(p.w->windowTitle(), QStringLiteral("Quotaly 1.0"));
        QCOMPARE(appSettings().value(QStringLiteral("rv")).toInt(), 0);
        p.exit();
    }

    void rememberedClientAndUnitComeBack()
    {
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        const QString dir = env.shippedDataDir();
        seedClients(dir, {{QStringLiteral("Acme"), QStringLiteral("Lines")}, {QStringLiteral("Beta"), QStringLiteral("Pages")}});
        appSettings().setValue(QStringLiteral("rv"), 1);
        appSettings().setValue(QStringLiteral("LastClient.Caption"), QStringLiteral("Beta"));
        Program p(dir);
        p.waitForStart();
        QCOMPARE(p.w->lcClient()->text(), QStringLiteral("Beta"));
        QCOMPARE(p.find<QComboBox>("dbcbPricingBy")->currentText(), QStringLiteral("Pages"));

        p.w->lcClient()->setText(QStringLiteral("Acme"));
        QCOMPARE(p.find<QComboBox>("dbcbPricingBy")->currentText(), QStringLiteral("Lines"));
        QCOMPARE(p.find<QLabel>("LastClient")->text(), QStringLiteral("Acme"));
        p.exit();
        QCOMPARE(appSettings().value(QStringLiteral("LastClient.Caption")).toString(), QStringLiteral("Acme"));

        Program again(dir);
        again.waitForStart();
        QCOMPARE(again.w->lcClient()->text(), QStringLiteral("Acme"));
        QVERIFY(dialogs.messages.isEmpty());
        again.exit();
    }

    void clientNamedDefaultIsChosenAtFirstStart()
    {
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        const QString dir = env.shippedDataDir();
        seedClients(dir, {{QStringLiteral("Default"), QStringLiteral("Words")}});
        appSettings().setValue(QStringLiteral("rv"), 1);
        Program p(dir);
        p.waitForStart();
        QCOMPARE(p.w->lcClient()->text(), QStringLiteral("Default"));
        p.exit();
    }

    void addingAClientThroughTheSelector_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("clients");
        QTest::newRow("OK stores the client") << "Button1" << "Acme Translations" << 1;
        QTest::newRow("Cancel stores nothing") << "Button2" << "Nobody" << 0;
    }

    void addingAClientThroughTheSelector()
    {
        QFETCH(QString, button);
        QFETCH(QString, name);
        QFETCH(int, clients);
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        const QString dir = env.shippedDataDir();
        appSettings().setValue(QStringLiteral("rv"), 1);
        Program p(dir);
        p.waitForStart();
        onNextModal([&](QWidget *form) {
            auto *nameEdit = form->findChild<QLineEdit *>(QStringLiteral("DBEdit1"));
            nameEdit->setFocus();
            QTest::keyClicks(nameEdit, name);
            form->findChild<QPushButton *>(button)->click();
        });
        p.w->lcClient()->setText(QStringLiteral("<-- Add new client -->"));
        QCOMPARE(p.forms->DM->Clients->recordCount(), clients);
        QVERIFY(!p.forms->fNewClient->isVisible());
        QVERIFY(!p.forms->DM->Clients->isEditing());
        // The mode switch ran: a new client counts in words, and without a client the boxes fall back to percent.
        QCOMPARE(p.find<QCheckBox>("rbWords")->isChecked(), clients == 1);
        QCOMPARE(p.find<QWidget>("Word2")->isEnabled(), clients == 1);
        if (clients == 1) {
            QCOMPARE(p.w->lcClient()->text(), name);
            QCOMPARE(p.find<QLineEdit>("DBEdit1")->text(), QStringLiteral("Repetitions"));
            QCOMPARE(p.find<QLineEdit>("Edit2")->text(), QStringLiteral("0.1"));
            QCOMPARE(p.find<QComboBox>("cbValuta")->currentText().left(3), QStringLiteral("USD"));
        }
        p.exit();
        TDM reread(dir);
        reread.LoadDataSets();
        QCOMPARE(reread.Clients->recordCount(), clients);
        QCOMPARE(reread.MatchesByClient->recordCount(), clients);
    }

    void emptyNameIsRefusedAndTheFormStaysOpen()
    {
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        appSettings().setValue(QStringLiteral("rv"), 1);
        Program p(env.shippedDataDir());
        p.waitForStart();
        bool stayedOpen = false;
        onNextModal([&](QWidget *form) {
            form->findChild<QPushButton *>(QStringLiteral("Button1"))->click();
            stayedOpen = form->isVisible();
            form->findChild<QPushButton *>(QStringLiteral("Button2"))->click();
        });
        p.w->lcClient()->setText(QStringLiteral("<-- Add new client -->"));
        QVERIFY(stayedOpen);
        QCOMPARE(dialogs.messages, QStringList({"Field 'FULLNAME' must have a value"}));
        QCOMPARE(p.forms->DM->Clients->recordCount(), 0);
        p.forms->DM->MatchesByClient->setMasterSource(nullptr);
        QCOMPARE(p.forms->DM->MatchesByClient->recordCount(), 0);
        p.exit();
    }

    // The boxes, the enabled column and the stored flags agree after every way of changing the mode.
    void modeSwitchKeepsBoxesColumnAndFlagsInStep_data()
    {
        QTest::addColumn<QString>("start"); // the stored mode of Acme: words, percent or null
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("words");
        QTest::newRow("words after start") << "words" << QStringList() << true;
        QTest::newRow("percent after start") << "percent" << QStringList() << false;
        QTest::newRow("null flags show percent") << "null" << QStringList() << false;
        QTest::newRow("from percent, Words") << "percent" << QStringList{"rbWords"} << true;
        QTest::newRow("from words, Percent") << "words" << QStringList{"rbPercent"} << false;
        QTest::newRow("ticked Words clicked") << "words" << QStringList{"rbWords"} << true;
        QTest::newRow("ticked Percent clicked") << "percent" << QStringList{"rbPercent"} << false;
        QTest::newRow("Words twice from percent") << "percent" << QStringList{"rbWords", "rbWords"} << true;
        QTest::newRow("from null, Words") << "null" << QStringList{"rbWords"} << true;
        QTest::newRow("Percent, then a log") << "words" << QStringList{"rbPercent", "log"} << false;
        QTest::newRow("Words, then a log") << "percent" << QStringList{"rbWords", "log"} << true;
        QTest::newRow("client in percent chosen") << "words" << QStringList{"Beta"} << false;
        QTest::newRow("Words, other client, back") << "percent" << QStringList{"rbWords", "Beta", "Acme"} << true;
    }

    void modeSwitchKeepsBoxesColumnAndFlagsInStep()
    {
        QFETCH(QString, start);
        QFETCH(QStringList, steps);
        QFETCH(bool, words);
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        const QString dir = dataWithSubscribedAcme(env);
        seedClients(dir, {{QStringLiteral("Beta"), QStringLiteral("Words")}});
        {
            TDM dm(dir);
            dm.LoadDataSets();
            for (const auto &[name, mode] : {std::pair{"Acme", start}, std::pair{"Beta", u"percent"_s}}) {
                dm.Clients->locate(QStringLiteral("FULLNAME"), QString::fromLatin1(name));
                dm.MatchesByClient->edit();
                dm.MatchesByClient->setValue(QStringLiteral("bMatchTypeWords"), mode == u"null" ? QVariant() : QVariant(mode == u"words"));
                dm.MatchesByClient->setValue(QStringLiteral("bMatchTypePercent"), mode == u"null" ? QVariant() : QVariant(mode == u"percent"));
                dm.MatchesByClient->post();
            }
        }
        Program p(dir);
        p.waitForStart();
        for (const QString &step : std::as_const(steps)) {
            if (step == u"log") {
                dialogs.fileNames << env.write(QStringLiteral("job.log"), jobLog());
                p.w->findChild<QAction *>(QStringLiteral("aLoadFromTradosLog"))->trigger();
            } else if (step.startsWith(u"rb")) {
                auto *box = p.find<QCheckBox>(qPrintable(step));
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
            } else {
                p.w->lcClient()->setText(step);
            }
        }
        QCOMPARE(p.find<QCheckBox>("rbWords")->isChecked(), words);
        QCOMPARE(p.find<QCheckBox>("rbPercent")->isChecked(), !words);
        QCOMPARE(p.find<QWidget>("Word5")->isEnabled(), words);
        QCOMPARE(p.find<QWidget>("Percent5")->isEnabled(), !words);
        const Dataset *m = p.forms->DM->MatchesByClient;
        QCOMPARE(m->asBoolean(QStringLiteral("bMatchTypeWords")), words); // what Calculate prices by
        if (start != u"null" || !steps.isEmpty())
            QCOMPARE(m->asBoolean(QStringLiteral("bMatchTypePercent")), !words);
        p.exit();
    }

    // Number fields refuse text they cannot read exactly, say so and keep the previous value.
    void numberFieldsRefuseWhatTheyCannotRead_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("refused");
        QTest::newRow("rate with a decimal point") << "C" << "Edit2" << "0.125" << "0.125" << false;
        QTest::newRow("rate with a comma, point locale") << "C" << "Edit2" << "0,12" << "0.1" << true;
        QTest::newRow("rate with letters") << "C" << "Edit2" << "0.1x" << "0.1" << true;
        QTest::newRow("rate with two points") << "C" << "Edit2" << "0.1.2" << "0.1" << true;
        QTest::newRow("rate with a comma, comma locale") << "de_DE" << "Edit2" << "0,12" << "0,12" << false;
        QTest::newRow("rate with a point, comma locale") << "de_DE" << "Edit2" << "0.12" << "0,12" << false;
        QTest::newRow("rate with a group separator") << "de_DE" << "Edit2" << "1.234,5" << "0,1" << true;
        QTest::newRow("whole discount") << "C" << "DBEdit16" << "75" << "75" << false;
        QTest::newRow("decimal in a whole discount") << "C" << "DBEdit16" << "75.5" << "90" << true;
        QTest::newRow("discount with a comma") << "C" << "DBEdit12" << "7,5" << "80" << true;
        QTest::newRow("count with letters") << "C" << "Word2" << "12a" << "" << true;
        QTest::newRow("total") << "C" << "Edit1" << "1.5" << "1.5" << false;
        QTest::newRow("total with letters") << "C" << "Edit1" << "abc" << "" << true;
        QTest::newRow("total with a group separator") << "C" << "Edit1" << "5,172" << "" << true;
    }

    void numberFieldsRefuseWhatTheyCannotRead()
    {
        QFETCH(QString, locale);
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(bool, refused);
        QLocale::setDefault(QLocale(locale));
        const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::c()); });
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        Program p(dataWithSubscribedAcme(env));
        p.waitForStart();
        auto *field = p.find<QLineEdit>(qPrintable(edit));
        typeInto(p.w, qPrintable(edit), typed);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(field->text(), shown);
        QCOMPARE(dialogs.messages.size(), refused ? 1 : 0);
        if (refused)
            QVERIFY2(dialogs.messages.first().contains(u"The previous value is kept."_s), qPrintable(dialogs.messages.first()));
        p.exit();
    }

    // Typed and loaded counts stay with their client whatever another window does to the client list.
    void countsSurviveOtherWindows_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("moveClient");
        QTest::newRow("clients, current row moved") << "aClients" << true;
        QTest::newRow("clients") << "aClients" << false;
        QTest::newRow("personal") << "aPersonal" << false;
        QTest::newRow("currency") << "aCurrency" << false;
    }

    void countsSurviveOtherWindows()
    {
        QFETCH(QString, action);
        QFETCH(bool, moveClient);
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        const QString dir = dataWithSubscribedAcme(env);
        seedClients(dir, {{QStringLiteral("Beta"), QStringLiteral("Words")}});
        Program p(dir);
        p.waitForStart();
        p.w->lcClient()->setText(QStringLiteral("Acme"));
        typeInto(p.w, "Word3", QStringLiteral("777")); // typed, never confirmed
        Dataset *clients = p.forms->DM->Clients;
        onNextModal([&](QWidget *window) {
            if (moveClient)
                clients->locate(QStringLiteral("FULLNAME"), QStringLiteral("Beta"));
            window->close();
        });
        p.w->findChild<QAction *>(action)->trigger();
        QCOMPARE(p.w->lcClient()->text(), QStringLiteral("Acme"));
        QCOMPARE(clients->asString(QStringLiteral("FULLNAME")), QStringLiteral("Acme"));
        QCOMPARE(p.find<QLineEdit>("Word3")->text(), QStringLiteral("777"));
        QCOMPARE(p.forms->DM->MatchesByClient->asInteger(QStringLiteral("iWord3")), 777);
        QVERIFY(dialogs.messages.isEmpty());
        p.exit();
    }

    void typedValuesAreSavedAtExit()
    {
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        const QString dir = dataWithSubscribedAcme(env);
        Program p(dir);
        p.waitForStart();
        typeInto(p.w, "Word2", QStringLiteral("1632"));
        typeInto(p.w, "DBEdit16", QStringLiteral("75"));
        typeInto(p.w, "Edit2", QStringLiteral("0.125"));
        p.exit();
        TDM reread(dir);
        reread.LoadDataSets();
        QVERIFY(reread.Clients->locate(QStringLiteral("FULLNAME"), QStringLiteral("Acme")));
        QCOMPARE(reread.MatchesByClient->asInteger(QStringLiteral("iWord2")), 1632);
        QCOMPARE(reread.MatchesByClient->asInteger(QStringLiteral("fDiscount6")), 75);
        QCOMPARE(reread.OptionsByClient->asFloat(QStringLiteral("BaseRate")), 0.125);
        QVERIFY(dialogs.messages.isEmpty());
    }

    // A full disk at exit: one message per file that could not be written, naming it, and every file as it was.
    void exitOnAFullDiskKeepsTheFiles()
    {
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        const QString dir = dataWithSubscribedAcme(env);
        QMap<QString, QByteArray> before;
        for (const QString &name : QDir(dir).entryList({u"*.xml"_s}, QDir::Files))
            before.insert(name, TestEnv::read(dir + name));
        const QStringList files = QDir(dir).entryList(QDir::Files | QDir::Hidden);
        Program p(dir);
        p.waitForStart();
        typeInto(p.w, "Word2", QStringLiteral("1632"));
        {
            const test::FileSizeLimit full(16);
            p.exit();
        }
        for (const QString &message : std::as_const(dialogs.messages)) {
            const bool namesAFile = std::any_of(before.keyBegin(), before.keyEnd(),
                                                [&](const QString &name) { return message.contains(name); });
            QVERIFY2(message.contains(u"the disk may be full"_s) && namesAFile, qPrintable(message));
        }
        QVERIFY2(dialogs.messages.size() >= 3, qPrintable(dialogs.messages.join(u'\n')));
        // Every file as it was, and no temporary file left beside them.
        QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), files);
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QVERIFY2(TestEnv::read(dir + it.key()) == it.value(), qPrintable(it.key() + u" changed"_s));
    }

    void calculateFillsTheReportRows()
    {
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        const QString dir = dataWithSubscribedAcme(env);
        Program p(dir);
        p.waitForStart();
        auto *calculate = p.find<QPushButton>("Button2");
        calculate->click();
        QCOMPARE(dialogs.messages, QStringList({"Please, enter total value"}));
        QCOMPARE(dialogs.messageKinds.first(), ui::Dialogs::Kind::Confirmation);

        for (const auto &[edit, text] : {std::pair{"Word2", "100"}, std::pair{"Word4", "50"}, std::pair{"Word8", "10"},
                                         std::pair{"Edit1", "160"}})
            typeInto(p.w, edit, QString::fromLatin1(text));
        p.find<QCheckBox>("cbMerge")->setChecked(true);
        QString reportCaption;
        onNextModal([&](QWidget *report) {
            reportCaption = report->windowTitle();
            report->close();
        });
        calculate->click();
        QCOMPARE(reportCaption, QStringLiteral("Quotaly - Report"));
        QCOMPARE(dialogs.messages.size(), 1);
        Dataset *report = p.forms->DM->tmpMatches;
        QCOMPARE(report->recordCount(), 2);
        QCOMPARE(report->displayText(0, 0), QStringLiteral("Repetitions - 95%"));
        QCOMPARE(report->displayText(0, 6), QStringLiteral("12.00"));
        p.exit();
        Dataset reread(QStringLiteral("tmpMatches"));
        reread.loadFromFile(dir + "tmpMatches.xml");
        QCOMPARE(reread.recordCount(), 2);
    }

    void openingALogFillsTheCounts()
    {
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        const QString dir = dataWithSubscribedAcme(env);
        const QString log = env.write(QStringLiteral("job.LOG"), jobLog());
        Program p(dir);
        p.waitForStart();
        dialogs.fileNames << log;
        p.w->findChild<QAction *>(QStringLiteral("aLoadFromTradosLog"))->trigger();
        QCOMPARE(dialogs.messages,
                 QStringList{u"345 words of this log are Context TM matches and are not priced in any category."_s});
        QCOMPARE(p.find<QLineEdit>("Edit1")->text(), QStringLiteral("5517"));
        QCOMPARE(p.find<QLineEdit>("Word3")->text(), QStringLiteral("1632"));
        QCOMPARE(p.find<QLineEdit>("Percent8")->text(), QStringLiteral("52"));
        QCOMPARE(p.w->findChild<QStatusBar *>(QStringLiteral("StBar"))->currentMessage(),
                 u"Words loaded from job.LOG (Trados log)"_s);

        dialogs.messages.clear();
        dialogs.fileNames << env.path(QStringLiteral("missing.log"));
        p.w->findChild<QAction *>(QStringLiteral("aLoadFromTradosLog"))->trigger();
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY(dialogs.messages.first().endsWith(QStringLiteral("missing.log not found.")));
        QCOMPARE(p.find<QLineEdit>("Word3")->text(), QStringLiteral("1632"));
        p.exit();
    }

    void logNeedsAChosenClient()
    {
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        const QString dir = dataWithSubscribedAcme(env);
        appSettings().setValue(QStringLiteral("LastClient.Caption"), QStringLiteral("Nobody"));
        Program p(dir);
        p.waitForStart();
        dialogs.fileNames << env.write(QStringLiteral("job.log"), jobLog());
        p.w->findChild<QAction *>(QStringLiteral("aLoadFromTradosLog"))->trigger();
        QCOMPARE(dialogs.messages, QStringList{u"Choose a client first."_s});
        QCOMPARE(dialogs.fileNames.size(), 1); // no file was asked for
        QCOMPARE(p.forms->DM->MatchesByClient->asInteger(QStringLiteral("iWord3")), 0);
        p.exit();
    }

    void statusBarShowsTheLongHint()
    {
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        appSettings().setValue(QStringLiteral("rv"), 1);
        Program p(env.shippedDataDir());
        p.waitForStart();
        auto *exit = p.find<QPushButton>("Button1");
        QCOMPARE(exit->toolTip(), QStringLiteral("Exit"));
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(exit, &enter);
        QCOMPARE(p.w->statusBar()->currentMessage(), QStringLiteral("Quits the application"));
        p.exit();
    }

    void helpMenuOpensPagesAndMail_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("url");
        QTest::newRow("support") << "aSendMail" << "mailto:" QUOTALY_SUPPORT_MAIL "?subject=Support";
        QTest::newRow("feedback") << "aFeedBack" << "mailto:" QUOTALY_SUPPORT_MAIL "?subject=feedback";
        QTest::newRow("website") << "aVisitOurWebSite" << QUOTALY_WEBSITE_URL;
        QTest::newRow("converter") << "aCurrencyConverter" << QUOTALY_CONVERTER_URL;
    }

    void helpMenuOpensPagesAndMail()
    {
        QFETCH(QString, action);
        QFETCH(QString, url);
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        appSettings().setValue(QStringLiteral("rv"), 1);
        Program p(env.shippedDataDir());
        p.waitForStart();
        p.w->findChild<QAction *>(action)->trigger();
        QCOMPARE(dialogs.urls.size(), 1);
        QCOMPARE(dialogs.urls.first().toString(), url);
        p.exit();
    }

    void aboutBoxOpensAndCloses()
    {
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        appSettings().setValue(QStringLiteral("rv"), 1);
        Program p(env.shippedDataDir());
        p.waitForStart();
        QString caption;
        onNextModal([&](QWidget *about) {
            caption = about->windowTitle();
            about->findChild<QPushButton *>(QStringLiteral("OKButton"))->click();
        });
        p.w->findChild<QAction *>(QStringLiteral("aAbout"))->trigger();
        QCOMPARE(caption, QStringLiteral("About Quotaly"));
        p.exit();
    }

    void missingMatchSettingsFileEndsTheProgram()
    {
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        const QString dir = env.shippedDataDir();
        QFile::remove(dir + "MatchesByClient.xml");
        appSettings().setValue(QStringLiteral("rv"), 1);
        Program p(dir);
        QTRY_VERIFY(!p.w->isVisible());
        QCOMPARE(dialogs.messages.size(), 2); // the failed load, then why the program ends
        QVERIFY(dialogs.messages.last().contains(QStringLiteral("MatchesByClient.xml")));
        p.exit();
    }

    void garbageSettingsDoNotStopTheStart()
    {
        test::TestEnv env;
        test::ScriptedDialogs dialogs;
        QSettings s = appSettings();
        s.setValue(QStringLiteral("rv"), 1);
        s.setValue(QStringLiteral("LastClient.Caption"), QVariant::fromValue(QList<int>{1, 2}));
        s.setValue(QStringLiteral("geometry"), QByteArray("\x01\x02garbage"));
        s.setValue(QStringLiteral("kvLang1.CurrentLanguage"), 42);
        s.sync();
        Program p(env.shippedDataDir());
        p.waitForStart();
        QVERIFY(p.w->isVisible());
        QCOMPARE(p.w->currentLanguage(), QStringLiteral("English"));
        p.exit();
    }
};

QTEST_MAIN(TestTfQuotaly)
#include "tst_TfQuotaly.moc"

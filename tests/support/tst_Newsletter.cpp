#include "support/TfSplash.h"

#include <algorithm>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "MakerInfo.h"
#include "WindowChecks.h"
#include "common/ScriptedDialogs.h"
#include "common/TestEnv.h"

using namespace quotaly;

namespace {

const QString newsletterLink = QStringLiteral("mailto:" QUOTALY_NEWSLETTER_MAIL "?subject=Newsletter");

QSettings appSettings()
{
    return QSettings(QString::fromLatin1(appSettingsOrganization), QString::fromLatin1(appSettingsApplication));
}

void setRv(const QVariant &value)
{
    if (value.isValid())
        appSettings().setValue(QStringLiteral("rv"), value);
}

QVariant rv()
{
    return appSettings().value(QStringLiteral("rv"));
}

QStringList urlTexts(const QList<QUrl> &urls)
{
    QStringList texts;
    for (const QUrl &url : urls)
        texts << url.toString();
    return texts;
}

// Runs the start-up check; answers a window that shows up with "Continue" and returns its objectName.
QString runStartupCheck()
{
    QString shown;
    QTimer answer;
    answer.setSingleShot(true);
    QObject::connect(&answer, &QTimer::timeout, &answer, [&shown] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        shown = modal->objectName();
        if (auto *button = modal->findChild<QPushButton *>(QStringLiteral("btnContinue")))
            button->click();
        else
            modal->close();
    });
    answer.start(0);
    showNewsletterIfNotSubscribed(nullptr);
    return shown;
}

bool anySplashLeft()
{
    const QWidgetList widgets = QApplication::topLevelWidgets();
    return std::any_of(widgets.begin(), widgets.end(),
                       [](const QWidget *w) { return w->objectName() == QLatin1String("fSplash"); });
}

} // namespace

class tst_Newsletter : public QObject
{
    Q_OBJECT

private slots:
    void startupShowsUntilSubscribed_data();
    void startupShowsUntilSubscribed();
    void continueWithoutSubmitAsksAgainNextStart();
    void windowTexts_data();
    void windowTexts();
    void windowLayout();
    void submitStartsMail_data();
    void submitStartsMail();
    void continueLeavesFlagAlone_data();
    void continueLeavesFlagAlone();
};

void tst_Newsletter::startupShowsUntilSubscribed_data()
{
    QTest::addColumn<QVariant>("before"); // invalid: no value stored
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QString>("after");

    QTest::newRow("first start") << QVariant() << true << "0";
    QTest::newRow("not subscribed") << QVariant(0) << true << "0";
    QTest::newRow("subscribed") << QVariant(1) << false << "1";
    QTest::newRow("subscribed, read back as text") << QVariant(QStringLiteral("1")) << false << "1";
    QTest::newRow("not subscribed, read back as text") << QVariant(QStringLiteral("0")) << true << "0";
    QTest::newRow("non-zero counts as subscribed") << QVariant(7) << false << "7";
    QTest::newRow("garbage counts as not subscribed") << QVariant(QStringLiteral("garbage")) << true << "garbage";
}

void tst_Newsletter::startupShowsUntilSubscribed()
{
    QFETCH(QVariant, before);
    QFETCH(bool, shown);
    QFETCH(QString, after);

    test::TestEnv env;
    test::ScriptedDialogs dialogs;
    setRv(before);

    QCOMPARE(newsletterSubscribed(), !shown);
    QCOMPARE(runStartupCheck(), shown ? QStringLiteral("fSplash") : QString());

    QVERIFY(!anySplashLeft());
    QCOMPARE(rv().toString(), after);
    QVERIFY(dialogs.urls.isEmpty());
    QVERIFY(dialogs.messages.isEmpty());
}

void tst_Newsletter::continueWithoutSubmitAsksAgainNextStart()
{
    test::TestEnv env;
    test::ScriptedDialogs dialogs;

    QCOMPARE(runStartupCheck(), QStringLiteral("fSplash"));
    QCOMPARE(runStartupCheck(), QStringLiteral("fSplash"));
    QCOMPARE(rv().toString(), QStringLiteral("0"));
}

void tst_Newsletter::windowTexts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("expected");

    QTest::newRow("caption") << "fSplash" << QByteArray("windowTitle") << "Quotaly Newsletter";
    QTest::newRow("invitation") << "Label1" << QByteArray("text")
                                << "Subscribe to our newsletter to receive news about\n"
                                   "next releases and updates of Quotaly.\n"
                                   "Just enter your e-mail address in the field below\n"
                                   "and click Submit. You will be able to unsubscribe\n"
                                   "at any time. Thank you!";
    QTest::newRow("address edit") << "user" << QByteArray("text") << "enter e-mail address";
    QTest::newRow("submit") << "btnSubmit" << QByteArray("text") << "Submit";
    QTest::newRow("continue") << "btnContinue" << QByteArray("text") << "Continue";
}

void tst_Newsletter::windowTexts()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, property);
    QFETCH(QString, expected);

    test::TestEnv env;
    TfSplash window;
    QObject *widget = window.objectName() == name ? &window : window.findChild<QObject *>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->property(property.constData()).toString(), expected);
}

void tst_Newsletter::windowLayout()
{
    test::TestEnv env;
    TfSplash window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    auto *picture = window.findChild<QLabel *>(QStringLiteral("Image1"));
    auto *text = window.findChild<QLabel *>(QStringLiteral("Label1"));
    auto *example = window.findChild<QLabel *>(QStringLiteral("Label2"));
    auto *user = window.findChild<QLineEdit *>(QStringLiteral("user"));
    auto *submit = window.findChild<QPushButton *>(QStringLiteral("btnSubmit"));
    auto *cont = window.findChild<QPushButton *>(QStringLiteral("btnContinue"));
    QVERIFY(picture && text && example && user && submit && cont);

    test::verifyFixedWindow(window, QSize(331, 179), {picture, text, example, user, submit, cont});
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(picture->size(), QSize(48, 48));
    QVERIFY(!picture->pixmap().isNull());
    QVERIFY(picture->x() < 16 && picture->y() < 16);
    QVERIFY(text->x() > picture->geometry().right());
    QVERIFY(example->text().contains(QLatin1Char('@')));
    QVERIFY(example->y() > user->geometry().bottom());
    QVERIFY(submit->x() > user->geometry().right());
    QVERIFY(qAbs(submit->geometry().center().y() - user->geometry().center().y()) <= 2);
    QVERIFY(cont->y() > submit->geometry().bottom());
    QCOMPARE(cont->x(), submit->x());
}

void tst_Newsletter::submitStartsMail_data()
{
    QTest::addColumn<QVariant>("before");
    QTest::addColumn<QString>("typed"); // null: the initial text stays
    QTest::addColumn<int>("key");       // 0: click "Submit"
    QTest::addColumn<int>("presses");

    QTest::newRow("first start, initial text") << QVariant() << QString() << 0 << 1;
    QTest::newRow("not subscribed yet") << QVariant(0) << QString() << 0 << 1;
    QTest::newRow("twice") << QVariant(0) << QString() << 0 << 2;
    QTest::newRow("typed address") << QVariant(0) << "jane.doe@example.org" << 0 << 1;
    QTest::newRow("empty edit") << QVariant(0) << "" << 0 << 1;
    QTest::newRow("not an address") << QVariant(0) << "no address here" << 0 << 1;
    QTest::newRow("garbage flag") << QVariant(QStringLiteral("garbage")) << QString() << 0 << 1;
    QTest::newRow("Return in edit") << QVariant(0) << "jane.doe@example.org" << int(Qt::Key_Return) << 1;
    QTest::newRow("keypad Enter in edit") << QVariant(0) << QString() << int(Qt::Key_Enter) << 1;
    QTest::newRow("Return twice") << QVariant() << QString() << int(Qt::Key_Return) << 2;
}

void tst_Newsletter::submitStartsMail()
{
    QFETCH(QVariant, before);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(int, presses);

    test::TestEnv env;
    test::ScriptedDialogs dialogs;
    setRv(before);

    TfSplash window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *user = window.findChild<QLineEdit *>(QStringLiteral("user"));
    auto *submit = window.findChild<QPushButton *>(QStringLiteral("btnSubmit"));
    QVERIFY(user && submit);
    if (!typed.isNull())
        user->setText(typed);
    user->setFocus();

    for (int i = 0; i < presses; ++i) {
        if (key == 0)
            QTest::mouseClick(submit, Qt::LeftButton);
        else
            QTest::keyClick(user, Qt::Key(key));
    }

    QCOMPARE(urlTexts(dialogs.urls), QStringList(presses, newsletterLink));
    QCOMPARE(rv().toString(), QStringLiteral("1"));
    QVERIFY(window.isVisible());
    QCOMPARE(window.result(), 0);
    QVERIFY(dialogs.messages.isEmpty());
    QVERIFY(newsletterSubscribed());
}

void tst_Newsletter::continueLeavesFlagAlone_data()
{
    QTest::addColumn<QVariant>("before");

    QTest::newRow("no flag") << QVariant();
    QTest::newRow("not subscribed") << QVariant(0);
    QTest::newRow("garbage") << QVariant(QStringLiteral("garbage"));
}

void tst_Newsletter::continueLeavesFlagAlone()
{
    QFETCH(QVariant, before);

    test::TestEnv env;
    test::ScriptedDialogs dialogs;
    setRv(before);

    TfSplash window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *cont = window.findChild<QPushButton *>(QStringLiteral("btnContinue"));
    QVERIFY(cont);
    QTest::mouseClick(cont, Qt::LeftButton);

    QCOMPARE(window.result(), int(QDialog::Accepted));
    QVERIFY(!window.isVisible());
    QCOMPARE(rv().isValid(), before.isValid());
    QCOMPARE(rv().toString(), before.toString());
    QVERIFY(dialogs.urls.isEmpty());
}

QTEST_MAIN(tst_Newsletter)
#include "tst_Newsletter.moc"

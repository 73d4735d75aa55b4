#include "common/ScriptedDialogs.h"
#include "dataset/Error.h"
#include "ui/QuotalyApplication.h"

#include <csignal>
#include <stdexcept>

#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace quotaly;
using namespace quotaly::ui;

class TestQuotalyApplication : public QObject
{
    Q_OBJECT

private slots:
    void handlerFailureIsShown_data();
    void handlerFailureIsShown();
    void terminationSignalRunsQuitHandler_data();
    void terminationSignalRunsQuitHandler();
};

void TestQuotalyApplication::handlerFailureIsShown_data()
{
    QTest::addColumn<bool>("fromClick"); // else from a timer, delivered by the event loop
    QTest::addColumn<bool>("ownError");  // quotaly::Error, else another std::exception
    QTest::addColumn<QString>("text");

    QTest::newRow("click, own error") << true << true << "Field 'FULLNAME' must have a value";
    QTest::newRow("click, runtime error") << true << false << "Datei nicht gefunden: Größe";
    QTest::newRow("timer, own error") << false << true << "Clients: Cannot perform this operation";
    QTest::newRow("timer, runtime error") << false << false << "bad things";
}

void TestQuotalyApplication::handlerFailureIsShown()
{
    QFETCH(bool, fromClick);
    QFETCH(bool, ownError);
    QFETCH(QString, text);
    test::ScriptedDialogs dialogs;
    const auto fail = [&] {
        if (ownError)
            throw Error(text);
        throw std::runtime_error(text.toStdString());
    };
    QPushButton button(u"Calculate"_s);
    connect(&button, &QPushButton::clicked, this, fail);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));

    if (fromClick)
        QTest::mouseClick(&button, Qt::LeftButton);
    else
        QTimer::singleShot(0, this, fail);
    QTRY_COMPARE(dialogs.messages, QStringList{text});
    QCOMPARE(dialogs.messageKinds, QList<Dialogs::Kind>{Dialogs::Kind::Error});

    // The loop goes on: later events are delivered and the button still works.
    bool later = false;
    QTimer::singleShot(0, this, [&] { later = true; });
    QTRY_VERIFY(later);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(dialogs.messages.size(), 2);
}

void TestQuotalyApplication::terminationSignalRunsQuitHandler_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
}

void TestQuotalyApplication::terminationSignalRunsQuitHandler()
{
    QFETCH(int, signalNumber);
    auto *app = qobject_cast<QuotalyApplication *>(QCoreApplication::instance());
    QVERIFY(app);
    int calls = 0;
    app->setQuitHandler([&] { ++calls; });

    std::raise(signalNumber);
    QCOMPARE(calls, 0); // not from inside the signal handler
    QTRY_COMPARE(calls, 1);
    app->setQuitHandler({});
}

int main(int argc, char **argv)
{
    QuotalyApplication app(argc, argv);
    TestQuotalyApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_QuotalyApplication.moc"

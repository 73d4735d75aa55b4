#pragma once

// Starting the whole program in a window test: its data folder, settings and modal windows.
#include "app/Forms.h"
#include "app/TDM.h"
#include "app/TfQuotaly.h"
#include "common/TestEnv.h"

#include <functional>

#include <QApplication>
#include <QLineEdit>
#include <QSettings>
#include <QTest>
#include <QTimer>

namespace quotaly::test {


inline QSettings appSettings()
{
    return QSettings(QStringLiteral("Morvane Software"), QStringLiteral("Quotaly"));
}

// Adds clients to the data folder before the program starts.
inline void seedClients(const QString &dir, const QList<std::pair<QString, QString>> &clientsAndUnits)
{
    TDM dm(dir);
    dm.LoadDataSets();
    for (const auto &[name, unit] : clientsAndUnits) {
        dm.Clients->append();
        dm.Clients->setValue(QStringLiteral("FULLNAME"), name);
        dm.Clients->post();
        dm.OptionsByClient->edit();
        dm.OptionsByClient->setValue(QStringLiteral("Units"), unit);
        dm.OptionsByClient->post();
    }
}

// A data folder with the client Acme, remembered as the last client by a user who has subscribed.
inline QString dataWithSubscribedAcme(const TestEnv &env)
{
    const QString dir = env.shippedDataDir();
    seedClients(dir, {{QStringLiteral("Acme"), QStringLiteral("Words")}});
    appSettings().setValue(QStringLiteral("rv"), 1);
    appSettings().setValue(QStringLiteral("LastClient.Caption"), QStringLiteral("Acme"));
    return dir;
}

// Runs `action` on the next modal window that opens.
inline void onNextModal(std::function<void(QWidget *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start();
}

struct Program
{
    std::unique_ptr<Forms> forms;
    TfQuotaly *w = nullptr;

    explicit Program(const QString &dir)
    {
        forms = Forms::create(dir);
        w = forms->fQuotaly.get();
        w->show();
    }
    void waitForStart() const
    {
        QTest::qWait(50);
        QCoreApplication::processEvents();
    }
    template <typename T> T *find(const char *name) const
    {
        T *child = w->findChild<T *>(QString::fromLatin1(name));
        if (!child)
            qFatal("no widget %s", name);
        return child;
    }
    void exit()
    {
        w->close();
        forms.reset();
    }
};


// Types into the edit named `edit` below `parent`, replacing its text, as a user would.
inline void typeInto(QWidget *parent, const char *edit, const QString &text)
{
    auto *e = parent->findChild<QLineEdit *>(QString::fromLatin1(edit));
    if (!e)
        qFatal("no edit %s", edit);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, text);
}

} // namespace quotaly::test

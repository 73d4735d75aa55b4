// The office that command-line runs share: whatever state a run finds it in, the run writes its invoice and
// leaves a working office behind, without documents.
#include "app/TDM.h"
#include "common/TestEnv.h"
#include "office/ResidentOffice.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <signal.h>

using namespace quotaly;

namespace {

enum class Found
{
    Nothing,
    Running,
    Crashed, ///< the office was killed; its watchdog still runs
    Hung     ///< the office and its watchdog are stopped
};

class ResidentRun
{
public:
    ResidentRun() : m_data(m_env.shippedDataDir())
    {
        TDM dm(m_data);
        dm.LoadDataSets();
        dm.Clients->appendRecord({QStringLiteral("Acme & Co")});
    }
    ~ResidentRun() { office::ResidentOffice(folder()).end(); }

    QString folder() const { return m_env.path(QStringLiteral("cache/quotaly/office-resident")); }
    QString out(int n) const { return m_env.path(QStringLiteral("invoice%1.pdf").arg(n)); }

    // Starts `quotaly-cli invoice` for invoice n with the cache folder of this test.
    void start(QProcess &process, int n, const QStringList &extra = {}) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_env.path(QStringLiteral("cache")));
        environment.remove(QStringLiteral("QUOTALY_NO_RESIDENT_OFFICE"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QUOTALY_CLI_PATH),
                      QStringList{"invoice", "--words", "100,0,50,0,0,0,10", "--total", "160", "--client",
                                  "Acme & Co", "--data", m_data, "--out", out(n), "--verbose"} +
                          extra);
    }

    // Runs invoice n; what the run said on the error output, or why it failed.
    QString run(int n, const QStringList &extra = {}) const
    {
        QProcess process;
        start(process, n, extra);
        return finished(process, n);
    }

    QString finished(QProcess &process, int n) const
    {
        const bool ended = process.waitForFinished(120000);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        if (!ended || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return QStringLiteral("FAILED: ") + err;
        if (!test::TestEnv::read(out(n)).startsWith("%PDF"))
            return QStringLiteral("FAILED: no PDF in %1; ").arg(out(n)) + err;
        return err;
    }

    // Sends sig to the processes of the office's group (only to soffice.bin when onlyOffice).
    void signalOffice(int sig, bool onlyOffice) const
    {
        QFile lock(folder() + QStringLiteral(".lock"));
        QVERIFY(lock.open(QIODevice::ReadOnly));
        const pid_t group = pid_t(lock.readAll().trimmed().toLongLong());
        QVERIFY(group > 1);
        if (!onlyOffice) {
            QCOMPARE(::kill(-group, sig), 0);
            return;
        }
        int killed = 0;
        for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
            if (!stat.open(QIODevice::ReadOnly))
                continue;
            // pid (comm) state ppid pgrp ...
            const QByteArray line = stat.readAll();
            const QList<QByteArray> after = line.mid(line.lastIndexOf(')') + 2).split(' ');
            if (line.contains("(soffice.bin)") && after.size() > 2 && after.at(2).toLongLong() == group)
                killed += ::kill(pid.toInt(), sig) == 0;
        }
        QCOMPARE(killed, 1);
    }

    // The number of documents the office has open, through python3-uno; -1 when it cannot be asked.
    int openDocuments() const
    {
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import sys, uno\n"
                                     "local = uno.getComponentContext()\n"
                                     "resolver = local.ServiceManager.createInstanceWithContext("
                                     "'com.sun.star.bridge.UnoUrlResolver', local)\n"
                                     "ctx = resolver.resolve('uno:pipe,name=%1;urp;StarOffice.ComponentContext')\n"
                                     "desktop = ctx.ServiceManager.createInstanceWithContext("
                                     "'com.sun.star.frame.Desktop', ctx)\n"
                                     "e = desktop.getComponents().createEnumeration()\n"
                                     "n = 0\n"
                                     "while e.hasMoreElements():\n"
                                     "    e.nextElement(); n += 1\n"
                                     "print(n)\n")
                          .arg(pipeName())});
        if (!python.waitForFinished(30000) || python.exitCode() != 0) {
            qWarning("python3-uno: %s", python.readAllStandardError().constData());
            return -1;
        }
        return python.readAllStandardOutput().trimmed().toInt();
    }

    QString pipeName() const { return office::ResidentOffice(folder()).pipeName(); }

private:
    test::TestEnv m_env;
    QString m_data;
};

} // namespace

class TestResidentOffice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
            QSKIP("LibreOffice (soffice) is not installed: sudo apt-get install libreoffice-writer libreoffice-calc");
    }

    void runWritesItsInvoiceWhateverStateTheOfficeIsIn_data()
    {
        QTest::addColumn<Found>("found");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("said");
        QTest::addColumn<bool>("residentAfter");
        QTest::newRow("none there: started") << Found::Nothing << QStringList() << "started now" << true;
        QTest::newRow("there: used") << Found::Running << QStringList() << "already running" << true;
        QTest::newRow("crashed: replaced") << Found::Crashed << QStringList() << "started now" << true;
        QTest::newRow("hung: replaced") << Found::Hung << QStringList() << "started now" << true;
        QTest::newRow("turned off") << Found::Nothing << QStringList{"--no-resident-office"} << "kept between runs"
                                    << false;
    }

    void runWritesItsInvoiceWhateverStateTheOfficeIsIn()
    {
        QFETCH(Found, found);
        QFETCH(QStringList, options);
        QFETCH(QString, said);
        QFETCH(bool, residentAfter);
        ResidentRun runs;
        if (found != Found::Nothing) {
            const QString first = runs.run(1);
            QVERIFY2(first.contains(QStringLiteral("started now")), qPrintable(first));
        }
        if (found == Found::Crashed)
            runs.signalOffice(SIGKILL, true);
        else if (found == Found::Hung)
            runs.signalOffice(SIGSTOP, false);
        if (QTest::currentTestFailed())
            return;

        const QString second = runs.run(2, options);
        QVERIFY2(second.contains(said), qPrintable(second));
        QCOMPARE(office::ResidentOffice(runs.folder()).running(), residentAfter);
        if (residentAfter)
            QCOMPARE(runs.openDocuments(), 0);
    }

    void twoRunsAtOnceBothWriteTheirInvoices()
    {
        ResidentRun runs;
        const QString first = runs.run(1);
        QVERIFY2(first.contains(QStringLiteral("started now")), qPrintable(first));
        QProcess a;
        QProcess b;
        runs.start(a, 2);
        runs.start(b, 3);
        const QString saidA = runs.finished(a, 2);
        const QString saidB = runs.finished(b, 3);
        QVERIFY2(!saidA.startsWith(QStringLiteral("FAILED")), qPrintable(saidA));
        QVERIFY2(!saidB.startsWith(QStringLiteral("FAILED")), qPrintable(saidB));
        QCOMPARE(runs.openDocuments(), 0);
    }
};

QTEST_GUILESS_MAIN(TestResidentOffice)
#include "tst_ResidentOffice.moc"

#include "support/ErrorLog.h"

#include <QDir>
#include <QDirIterator>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include "common/TestEnv.h"

using namespace quotaly;

namespace {

QSettings switches()
{
    return QSettings(QString::fromLatin1(errorLogOrganization), QString::fromLatin1(errorLogApplication));
}

// Every file under the folders a log could plausibly end up in, with its size and time stamp.
QStringList filesUnder(const QStringList &roots)
{
    QStringList files;
    for (const QString &root : roots) {
        QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            const QFileInfo info = it.fileInfo();
            files << info.filePath() + QLatin1Char(' ') + QString::number(info.size()) + QLatin1Char(' ') +
                         info.lastModified().toString(Qt::ISODateWithMs);
        }
    }
    files.sort();
    return files;
}

} // namespace

class tst_ErrorLog : public QObject
{
    Q_OBJECT

private slots:
    void readsOrCreatesSwitches_data();
    void readsOrCreatesSwitches();
    void laterChangeTakesEffectAtNextStart();
    void writeErrorLogLeavesNoTrace_data();
    void writeErrorLogLeavesNoTrace();
};

void tst_ErrorLog::readsOrCreatesSwitches_data()
{
    // An invalid QVariant stands for a value that is not there.
    QTest::addColumn<QVariant>("debugBefore");
    QTest::addColumn<QVariant>("errorBefore");
    QTest::addColumn<QString>("debugAfter");
    QTest::addColumn<QString>("errorAfter");
    QTest::addColumn<bool>("logging");

    // clang-format off
    QTest::newRow("first start") << QVariant() << QVariant() << "0" << "1" << true;
    QTest::newRow("only DebugLog there") << QVariant(1) << QVariant() << "1" << "1" << true;
    QTest::newRow("only ErrorLog there, off") << QVariant() << QVariant(0) << "0" << "0" << false;
    QTest::newRow("both on") << QVariant(1) << QVariant(1) << "1" << "1" << true;
    QTest::newRow("both off") << QVariant(0) << QVariant(0) << "0" << "0" << false;
    QTest::newRow("non-zero is on") << QVariant(5) << QVariant(5) << "5" << "5" << true;
    QTest::newRow("negative is on") << QVariant(0) << QVariant(-1) << "0" << "-1" << true;
    // Numbers come back from the settings file as text.
    QTest::newRow("stored text 5 is on") << QVariant(QStringLiteral("5")) << QVariant(QStringLiteral("5")) << "5"
                                         << "5" << true;
    QTest::newRow("stored text 0 is off") << QVariant(QStringLiteral("0")) << QVariant(QStringLiteral("0")) << "0"
                                          << "0" << false;
    QTest::newRow("garbage text is off") << QVariant(QStringLiteral("garbage")) << QVariant(QStringLiteral("garbage"))
                                         << "garbage" << "garbage" << false;
    QTest::newRow("text true is on") << QVariant(QStringLiteral("x")) << QVariant(QStringLiteral("true")) << "x"
                                     << "true" << true;
    QTest::newRow("empty text is off") << QVariant() << QVariant(QString()) << "0" << "" << false;
    // clang-format on
}

void tst_ErrorLog::readsOrCreatesSwitches()
{
    QFETCH(QVariant, debugBefore);
    QFETCH(QVariant, errorBefore);
    QFETCH(QString, debugAfter);
    QFETCH(QString, errorAfter);
    QFETCH(bool, logging);

    test::TestEnv env;
    {
        QSettings s = switches();
        if (debugBefore.isValid())
            s.setValue(QStringLiteral("DebugLog"), debugBefore);
        if (errorBefore.isValid())
            s.setValue(QStringLiteral("ErrorLog"), errorBefore);
    }

    ReadLogSwitches();

    QCOMPARE(errorLoggingEnabled(), logging);
    QSettings s = switches();
    QVERIFY(s.contains(QStringLiteral("DebugLog")));
    QVERIFY(s.contains(QStringLiteral("ErrorLog")));
    QCOMPARE(s.value(QStringLiteral("DebugLog")).toString(), debugAfter);
    QCOMPARE(s.value(QStringLiteral("ErrorLog")).toString(), errorAfter);
    QCOMPARE(s.allKeys().size(), 2);
    QCOMPARE(errorLogFolder(), QString());
}

void tst_ErrorLog::laterChangeTakesEffectAtNextStart()
{
    test::TestEnv env;
    ReadLogSwitches();
    QVERIFY(errorLoggingEnabled());

    switches().setValue(QStringLiteral("ErrorLog"), 0);
    QVERIFY(errorLoggingEnabled()); // read once per start, not on every use
    ReadLogSwitches();
    QVERIFY(!errorLoggingEnabled());
    QCOMPARE(switches().value(QStringLiteral("DebugLog")).toString(), QStringLiteral("0"));
}

void tst_ErrorLog::writeErrorLogLeavesNoTrace_data()
{
    QTest::addColumn<QVariant>("errorSwitch");
    QTest::addColumn<QString>("message");

    QTest::newRow("logging on") << QVariant(1) << "Error reading language file";
    QTest::newRow("logging off") << QVariant(0) << "Error reading language file";
    QTest::newRow("garbage switch") << QVariant(QStringLiteral("garbage")) << "x";
    QTest::newRow("empty message") << QVariant(1) << "";
    QTest::newRow("long message") << QVariant(1) << QString(100000, QLatin1Char('m'));
}

void tst_ErrorLog::writeErrorLogLeavesNoTrace()
{
    QFETCH(QVariant, errorSwitch);
    QFETCH(QString, message);

    test::TestEnv env;
    switches().setValue(QStringLiteral("ErrorLog"), errorSwitch);
    ReadLogSwitches();

    // A relative log path would land in the current folder, so watch that one too.
    const QString previousDir = QDir::currentPath();
    QVERIFY(QDir::setCurrent(env.dir()));
    const QStringList roots = {
        env.dir(),
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation),
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation),
    };
    const QStringList before = filesUnder(roots);

    WriteErrorLog(QStringLiteral("kvLang1"), QStringLiteral("00"), message, QStringLiteral("DataModule"));
    WriteErrorLog(QString(), QString(), QString(), QString());

    const QStringList after = filesUnder(roots);
    QDir::setCurrent(previousDir);
    QCOMPARE(after, before);
    QCOMPARE(switches().value(QStringLiteral("ErrorLog")).toString(), errorSwitch.toString());
}

QTEST_GUILESS_MAIN(tst_ErrorLog)
#include "tst_ErrorLog.moc"

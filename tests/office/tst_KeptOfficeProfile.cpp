// The office profile kept between command-line runs: one program at a time, and a dead holder leaves no lock.
#include "office/KeptOfficeProfile.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quotaly::office;

namespace {

enum class Holder
{
    None,
    RunningProgram, ///< another program holds the lock
    KilledProgram,  ///< another program held it and was killed
    ChildOfEnded    ///< this program held it, started a process and ended its hold; the process runs on
};

// Holds the lock file with flock(1), which starts `cat` only once it has the lock: the echo says it is held.
bool holdInOtherProgram(QProcess &process, const QString &lockFile)
{
    process.start(QStringLiteral("flock"), {QStringLiteral("-o"), lockFile, QStringLiteral("cat")});
    process.write("held\n");
    return process.waitForReadyRead(10000) && process.readAll() == "held\n";
}

} // namespace

class TestKeptOfficeProfile : public QObject
{
    Q_OBJECT

private slots:
    void takesTheProfileOnlyWhenNoLiveProgramHoldsIt_data()
    {
        QTest::addColumn<Holder>("holder");
        QTest::addColumn<bool>("kept");
        QTest::newRow("nobody") << Holder::None << true;
        QTest::newRow("a running program") << Holder::RunningProgram << false;
        QTest::newRow("a killed program") << Holder::KilledProgram << true;
        QTest::newRow("a process the holder started") << Holder::ChildOfEnded << true;
    }

    void takesTheProfileOnlyWhenNoLiveProgramHoldsIt()
    {
        QFETCH(Holder, holder);
        QFETCH(bool, kept);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("cache/quotaly/office-profile"));
        QProcess other;
        if (holder == Holder::RunningProgram || holder == Holder::KilledProgram) {
            QVERIFY(QDir().mkpath(QFileInfo(folder).path()));
            QVERIFY(holdInOtherProgram(other, folder + QStringLiteral(".lock")));
            if (holder == Holder::KilledProgram) {
                other.kill();
                QVERIFY(other.waitForFinished(10000));
            }
        } else if (holder == Holder::ChildOfEnded) {
            const KeptOfficeProfile first(folder);
            QCOMPARE(first.profileDir(), folder);
            other.start(QStringLiteral("sleep"), {QStringLiteral("30")});
            QVERIFY(other.waitForStarted(10000));
        }

        const KeptOfficeProfile profile(folder);
        QCOMPARE(profile.profileDir(), kept ? folder : QString());
        QCOMPARE(profile.note().contains(QStringLiteral("temporary")), !kept);
        QVERIFY(QFileInfo(folder).isDir());
        if (kept) {
            // ... and holds it against the next program of this user.
            const KeptOfficeProfile second(folder);
            QCOMPARE(second.profileDir(), QString());
            QVERIFY2(second.note().contains(QStringLiteral("another running program")), qPrintable(second.note()));
        }
        other.kill();
        other.waitForFinished(10000);
    }
};

QTEST_GUILESS_MAIN(TestKeptOfficeProfile)
#include "tst_KeptOfficeProfile.moc"

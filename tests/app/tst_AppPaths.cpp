#include "app/AppPaths.h"
#include "common/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quotaly;

class TestAppPaths : public QObject
{
    Q_OBJECT

private slots:
    void portableWhenDataBesideTheExecutable()
    {
        test::TestEnv env;
        QDir().mkpath(env.path(QStringLiteral("bin/Data")));
        const AppPaths p = AppPaths::resolve(env.path(QStringLiteral("bin")), env.path(QStringLiteral("share")),
                                             env.path(QStringLiteral("user")));
        QVERIFY(p.portable);
        QCOMPARE(p.dataDir, env.path(QStringLiteral("bin/Data/")));
        QCOMPARE(p.langDir, env.path(QStringLiteral("bin/Lang/")));
        QVERIFY(!QFile::exists(env.path(QStringLiteral("user"))));
    }

    void firstStartCopiesInstalledFilesOnce()
    {
        test::TestEnv env;
        env.write(QStringLiteral("share/Data/Clients.xml"), "clients");
        env.write(QStringLiteral("share/Lang/base.lng"), "base");
        const QString bin = env.path(QStringLiteral("bin"));
        QDir().mkpath(bin);
        AppPaths p = AppPaths::resolve(bin, env.path(QStringLiteral("share")), env.path(QStringLiteral("user")));
        QVERIFY(!p.portable);
        QVERIFY(p.setupError.isEmpty());
        QCOMPARE(p.dataDir, env.path(QStringLiteral("user/Data/")));
        QCOMPARE(test::TestEnv::read(p.dataDir + "Clients.xml"), QByteArray("clients"));
        QCOMPARE(test::TestEnv::read(p.langDir + "base.lng"), QByteArray("base"));

        // A file the user lost later is not silently replaced: the load reports it.
        QFile::remove(p.dataDir + "Clients.xml");
        // base.lng follows the program; a translation the user edited stays, a new one is added.
        env.write(QStringLiteral("share/Lang/base.lng"), "base 2");
        env.write(QStringLiteral("share/Lang/German.lng"), "shipped German");
        env.write(QStringLiteral("share/Lang/Greek.lng"), "shipped Greek");
        env.write(QStringLiteral("user/Lang/German.lng"), "edited German");
        p = AppPaths::resolve(bin, env.path(QStringLiteral("share")), env.path(QStringLiteral("user")));
        QVERIFY(!QFile::exists(p.dataDir + "Clients.xml"));
        QCOMPARE(test::TestEnv::read(p.langDir + "base.lng"), QByteArray("base 2"));
        QCOMPARE(test::TestEnv::read(p.langDir + "German.lng"), QByteArray("edited German"));
        QCOMPARE(test::TestEnv::read(p.langDir + "Greek.lng"), QByteArray("shipped Greek"));
    }

    void missingInstallationIsReported()
    {
        test::TestEnv env;
        QDir().mkpath(env.path(QStringLiteral("bin")));
        const AppPaths p = AppPaths::resolve(env.path(QStringLiteral("bin")), env.path(QStringLiteral("nowhere")),
                                             env.write(QStringLiteral("file"), "x") + QStringLiteral("/user"));
        QVERIFY(!p.setupError.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_AppPaths.moc"

#include "TestEnv.h"

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

namespace quotaly::test {

TestEnv::TestEnv()
{
    QStandardPaths::setTestModeEnabled(true);
    clearSettings();
}

TestEnv::~TestEnv()
{
    clearSettings();
}

void TestEnv::clearSettings()
{
    for (const auto &[org, app] : {std::pair{"Morvane Software", "Quotaly"}, std::pair{"Morvane Software", "Tallvex.Bu"},
                                   std::pair{"Kavrik", "kvLang"}}) {
        QSettings s(QString::fromLatin1(org), QString::fromLatin1(app));
        s.clear();
        s.sync();
    }
}

QString TestEnv::shippedDataDir() const
{
    const QString dir = path(QStringLiteral("Data/"));
    QDir().mkpath(dir);
    const QDir shipped(QStringLiteral(QUOTALY_RUNTIME_DIR "/Data"));
    for (const QString &name : shipped.entryList(QDir::Files)) {
        QFile::copy(shipped.filePath(name), dir + name);
        QFile::setPermissions(dir + name, QFile::ReadOwner | QFile::WriteOwner);
    }
    // The language files beside the data folder, as the program finds them.
    const QString lang = path(QStringLiteral("Lang/"));
    QDir().mkpath(lang);
    const QDir shippedLang(QStringLiteral(QUOTALY_RUNTIME_DIR "/Lang"));
    for (const QString &name : shippedLang.entryList({QStringLiteral("*.lng")}, QDir::Files))
        QFile::copy(shippedLang.filePath(name), lang + name);
    return dir;
}

QString TestEnv::write(const QString &name, const QByteArray &bytes) const
{
    const QString p = path(name);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(p));
    f.write(bytes);
    return p;
}

QByteArray TestEnv::read(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QByteArray fixture(const QString &relativePath)
{
    QFile f(QStringLiteral(QUOTALY_TEST_DATA "/") + relativePath);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(relativePath));
    return f.readAll();
}

namespace {
constexpr uid_t kNobody = 65534;
} // namespace

Unprivileged::Unprivileged()
{
    if (::geteuid() != 0)
        return;
    // Real and effective ids both, so that access() checks agree with the system's; root stays the saved id, which
    // lets the destructor take its rights back. The group first: without root it could no longer be changed.
    m_ok = ::setresgid(kNobody, kNobody, 0) == 0 && ::setresuid(kNobody, kNobody, 0) == 0;
    m_dropped = m_ok;
    if (!m_ok)
        (void)::setresgid(0, 0, 0);
}

Unprivileged::~Unprivileged()
{
    if (m_dropped && (::setresuid(0, 0, 0) != 0 || ::setresgid(0, 0, 0) != 0))
        qFatal("could not take root's rights back");
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_old = qint64(limit.rlim_cur);
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_old);
    setrlimit(RLIMIT_FSIZE, &limit);
}

void openToEveryone(const QString &path)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                    QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                                    QFile::ExeOther);
}

} // namespace quotaly::test

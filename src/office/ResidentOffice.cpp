#include "ResidentOffice.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quotaly::office {

namespace {

QString lockFileOf(const QString &folder)
{
    return folder + QStringLiteral(".lock");
}

QString useFileOf(const QString &folder)
{
    return folder + QStringLiteral(".use");
}

// Opens `file` and tries to lock it without waiting; the descriptor when locked, else -1.
int tryLock(const QString &file)
{
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The watchdog's process id as it wrote it into the lock file, when that process still runs as the watchdog of
// this profile (its command line names the lock file); 0 otherwise.
pid_t watchdogOf(const QString &lockFile)
{
    QFile file(lockFile);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const pid_t pid = pid_t(file.readLine().trimmed().toLongLong());
    if (pid <= 1)
        return 0;
    QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!commandLine.open(QIODevice::ReadOnly))
        return 0;
    return commandLine.readAll().contains(QFile::encodeName(lockFile)) ? pid : 0;
}

// True while a process of the group has not ended (a zombie has: it holds no file any more).
bool groupAlive(pid_t group)
{
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool number = false;
        entry.toInt(&number);
        if (!number)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (comm) state ppid pgrp ...; comm may hold spaces and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields.at(2).toLongLong() == group && fields.at(0) != "Z" && fields.at(0) != "X")
            return true;
    }
    return false;
}

} // namespace

ResidentOffice::ResidentOffice(const QString &folder)
    : m_folder(QDir::cleanPath(QDir().absoluteFilePath(folder.isEmpty() ? defaultFolder() : folder)))
{
    if (!QDir().mkpath(QFileInfo(m_folder).path())) {
        m_note = QStringLiteral("%1 cannot be created").arg(QDir::toNativeSeparators(QFileInfo(m_folder).path()));
        return;
    }
    m_useFd = tryLock(useFileOf(m_folder));
    if (m_useFd < 0)
        m_note = QStringLiteral("another run uses it");
}

ResidentOffice::~ResidentOffice()
{
    m_profile.reset();
    if (m_useFd >= 0) {
        ::futimens(m_useFd, nullptr); // the watchdog counts the idle time from here
        ::close(m_useFd);
    }
}

QString ResidentOffice::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/quotaly/office-resident");
}

bool ResidentOffice::disabledByEnvironment()
{
    const QByteArray value = qgetenv("QUOTALY_NO_RESIDENT_OFFICE");
    return !value.isEmpty() && value != "0";
}

int ResidentOffice::idleSeconds()
{
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("QUOTALY_RESIDENT_OFFICE_IDLE", &ok);
    return ok && seconds > 0 ? seconds : 600;
}

QString ResidentOffice::pipeName() const
{
    // Per user, and per profile folder so that a test's or benchmark's office is never the user's.
    const QByteArray folder = QCryptographicHash::hash(QFile::encodeName(m_folder), QCryptographicHash::Sha1);
    return QStringLiteral("quotaly_resident_%1_%2").arg(::getuid()).arg(QLatin1String(folder.toHex().left(12)));
}

bool ResidentOffice::running() const
{
    const int fd = ::open(QFile::encodeName(lockFileOf(m_folder)).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int result = 0;
    do {
        result = ::flock(fd, LOCK_SH | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    const bool held = result != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

bool ResidentOffice::takeProfile()
{
    m_profile = std::make_unique<KeptOfficeProfile>(m_folder);
    if (m_profile->lockDescriptor() >= 0)
        return true;
    m_note = m_profile->note();
    m_profile.reset();
    return false;
}

OfficeOptions ResidentOffice::officeOptions(bool attach) const
{
    OfficeOptions options;
    options.headless = true;
    options.pipeName = pipeName();
    options.profileDir = m_folder;
    options.resident.enabled = true;
    options.resident.attachOnly = attach;
    options.resident.profileLockDescriptor = m_profile ? m_profile->lockDescriptor() : -1;
    options.resident.lockFile = lockFileOf(m_folder);
    options.resident.useFile = useFileOf(m_folder);
    options.resident.idleSeconds = idleSeconds();
    if (attach)
        options.startTimeoutMs = 3000; // an office that is there answers at once; one that does not has hung
    return options;
}

void ResidentOffice::end()
{
    m_profile.reset();
    const pid_t watchdog = watchdogOf(lockFileOf(m_folder));
    if (watchdog > 0)
        ::kill(-watchdog, SIGKILL); // the watchdog leads the group the office runs in
    // The lock goes with the watchdog; the office, which holds its pipe and profile, may take a moment longer.
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + seconds(5);
    while ((running() || (watchdog > 0 && groupAlive(watchdog))) && steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(20));
}

} // namespace quotaly::office

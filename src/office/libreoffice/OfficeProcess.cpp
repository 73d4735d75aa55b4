#include "OfficeProcess.h"

#include "dataset/Error.h"
#include "office/OfficeNotInstalled.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QUrl>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace quotaly::office::lo {

namespace {

enum DesktopState
{
    NotStarted,
    Running,
    Exited
};

// The descriptor a resident office's watchdog finds its profile lock on.
constexpr int kWatchdogLockFd = 9;

// Runs program with arguments; stdout and stderr go to /dev/null (soffice chats about Java and fonts).
// ownSession: a session of its own (the user's office, a resident office); otherwise the process group `group`
// (0: a new one led by the child). inherited, when >= 0, is passed on as kWatchdogLockFd.
pid_t spawn(const QString &program, const QStringList &arguments, bool ownSession, pid_t group = 0,
            int inherited = -1)
{
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(program));
    for (const QString &argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (inherited >= 0)
        posix_spawn_file_actions_adddup2(&files, inherited, kWatchdogLockFd);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    short flags = POSIX_SPAWN_SETSIGMASK;
    if (ownSession) {
        flags |= POSIX_SPAWN_SETSID; // the user's office outlives this program and its terminal
    } else {
        flags |= POSIX_SPAWN_SETPGROUP;
        posix_spawnattr_setpgroup(&attributes, group);
    }
    posix_spawnattr_setflags(&attributes, flags);
    pid_t pid = 0;
    const int result = posix_spawn(&pid, argv.front(), &files, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    if (result != 0) {
        throw Error(officeNotInstalledText(
            QStringLiteral("%1 cannot be run: %2").arg(program, QString::fromLocal8Bit(std::strerror(result)))));
    }
    return pid;
}

} // namespace

OfficeProcess::OfficeProcess(const OfficeOptions &options)
    : m_options(options), m_desktopState(std::make_shared<std::atomic<int>>(NotStarted))
{
    if (!options.pipeName.isEmpty()) {
        m_pipeName = options.pipeName;
    } else if (options.headless) {
        m_pipeName = QStringLiteral("quotaly_lo_%1_%2")
                         .arg(::getpid())
                         .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    } else {
        m_pipeName = QStringLiteral("quotaly_office_%1").arg(::getuid());
    }
}

OfficeProcess::~OfficeProcess()
{
    end();
    if (m_ownProfile)
        QDir(m_profileDir).removeRecursively();
}

QString OfficeProcess::findSoffice() const
{
    if (!m_options.programDir.isEmpty()) {
        const QFileInfo configured(QDir(m_options.programDir).filePath(QStringLiteral("soffice")));
        if (configured.isExecutable())
            return configured.absoluteFilePath();
        throw Error(officeNotInstalledText(QStringLiteral("there is no soffice in %1").arg(m_options.programDir)));
    }
    QString found = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (found.isEmpty()) {
        QStringList places{QStringLiteral(QUOTALY_LO_PROGRAM_DIR)};
        const QDir opt(QStringLiteral("/opt"));
        for (const QString &dir : opt.entryList({QStringLiteral("libreoffice*")}, QDir::Dirs, QDir::Name | QDir::Reversed))
            places << opt.filePath(dir + QStringLiteral("/program"));
        found = QStandardPaths::findExecutable(QStringLiteral("soffice"), places);
    }
    if (found.isEmpty())
        throw Error(officeNotInstalledText(QStringLiteral("the soffice program was not found")));
    return found;
}

void OfficeProcess::start()
{
    const QString soffice = findSoffice();
    const QString accept = QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(m_pipeName);
    QStringList arguments;
    if (m_options.headless) {
        if (m_profileDir.isEmpty()) {
            m_profileDir = m_options.profileDir;
            if (m_profileDir.isEmpty()) {
                QByteArray name = QFile::encodeName(QDir::tempPath() + QStringLiteral("/quotaly-office-XXXXXX"));
                if (!::mkdtemp(name.data()))
                    throw Error(QStringLiteral("Could not make a folder for LibreOffice in %1.").arg(QDir::tempPath()));
                m_profileDir = QFile::decodeName(name);
                m_ownProfile = true;
            }
        }
        arguments << QStringLiteral("--headless") << QStringLiteral("--invisible") << QStringLiteral("--norestore")
                  << QStringLiteral("--nologo") << QStringLiteral("--nodefault") << QStringLiteral("--nolockcheck")
                  << QStringLiteral("-env:UserInstallation=")
                         + QUrl::fromLocalFile(QDir(m_profileDir).absolutePath()).toString(QUrl::FullyEncoded)
                  << accept;
        if (m_options.resident.enabled) {
            startResident(soffice, arguments);
            return;
        }
        m_headlessPid = spawn(soffice, arguments, false);
        // Should this program die without ending the office (a crash, a killed test), a watchdog in the office's
        // process group ends the group a moment later.
        const QString watch = QStringLiteral("while kill -0 %1 2>/dev/null; do sleep 1; done; kill -9 -%2")
                                  .arg(::getpid())
                                  .arg(m_headlessPid);
        try {
            m_watchdogPid = spawn(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), watch}, false,
                                  pid_t(m_headlessPid));
        } catch (const Error &) {
            m_watchdogPid = 0; // the office runs all the same; only the clean-up after a crash is lost
        }
        return;
    }
    arguments << QStringLiteral("--nologo") << QStringLiteral("--norestore");
    if (!m_options.profileDir.isEmpty()) {
        arguments << QStringLiteral("-env:UserInstallation=") +
                         QUrl::fromLocalFile(QDir(m_options.profileDir).absolutePath()).toString(QUrl::FullyEncoded);
    }
    arguments << accept;
    const pid_t pid = spawn(soffice, arguments, true);
    // Reap the process whenever it ends; until then it is the office we started.
    auto state = std::make_shared<std::atomic<int>>(Running);
    m_desktopState = state;
    std::thread([pid, state] {
        int status = 0;
        ::waitpid(pid, &status, 0);
        *state = Exited;
    }).detach();
}

// The resident office runs under a watchdog shell that leads a session of its own, so that it outlives this
// program and its terminal. The shell holds the profile's lock (on descriptor 9) for as long as the office runs,
// writes its process id, which is the group's, into the lock file, and ends the office once the use file has not
// been touched for the idle time and no run holds the use lock; ending it takes the lock itself, so a run can
// never get the office while it goes. When the office ends by itself, the watchdog ends too. Signals to end the
// office go to the whole group; the watchdog and the helpers it starts ignore SIGTERM. It works in / so that it
// keeps no folder of the first run busy.
void OfficeProcess::startResident(const QString &soffice, const QStringList &arguments)
{
    static const QString script = QStringLiteral(
        "lock=$1 use=$2 idle=$3; shift 3\n"
        "echo $$ > \"$lock\"\n"
        "cd / || :\n"
        "command -v flock >/dev/null || flock() { shift 2; \"$@\"; }\n"
        "\"$@\" 9>&- &\n"
        "office=$!\n"
        "trap '' TERM\n"
        "while kill -0 $office 2>/dev/null; do\n"
        "    sleep 2\n"
        "    used=$(stat -c %Y \"$use\" 2>/dev/null || echo 0)\n"
        "    if [ $(( $(date +%s) - used )) -ge \"$idle\" ] &&\n"
        "        flock -n \"$use\" sh -c 'kill -TERM -$1; i=0; while kill -0 $2 2>/dev/null && [ $i -lt 100 ]; do "
        "sleep 0.1; i=$((i+1)); done; exit 0' sh $$ $office; then\n"
        "        break\n"
        "    fi\n"
        "done\n"
        "kill -KILL -$$\n");
    const ResidentOfficeOptions &resident = m_options.resident;
    int lock = resident.profileLockDescriptor;
    if (lock < 0)
        throw Error(QStringLiteral("The profile of the resident LibreOffice is not locked."));
    // dup2 onto the same number would leave close-on-exec set and the watchdog without the lock.
    const int copy = lock == kWatchdogLockFd ? ::fcntl(lock, F_DUPFD_CLOEXEC, kWatchdogLockFd + 1) : -1;
    if (copy >= 0)
        lock = copy;
    QStringList shellArguments{QStringLiteral("-c"), script, QStringLiteral("sh"), resident.lockFile,
                               resident.useFile, QString::number(resident.idleSeconds), soffice};
    shellArguments += arguments;
    try {
        m_residentPid = spawn(QStringLiteral("/bin/sh"), shellArguments, true, 0, lock);
    } catch (...) {
        if (copy >= 0)
            ::close(copy);
        throw;
    }
    if (copy >= 0)
        ::close(copy);
}

void OfficeProcess::checkRunning()
{
    if (m_residentPid > 0) {
        int status = 0;
        if (::waitpid(pid_t(m_residentPid), &status, WNOHANG) == pid_t(m_residentPid)) {
            m_residentPid = 0;
            throw Error(QStringLiteral("LibreOffice stopped while starting. Try again; if it keeps failing, start "
                                       "LibreOffice once by hand to see what it reports."));
        }
        return;
    }
    if (m_headlessPid <= 0)
        return;
    int status = 0;
    if (::waitpid(pid_t(m_headlessPid), &status, WNOHANG) != pid_t(m_headlessPid))
        return;
    const pid_t group = pid_t(m_headlessPid);
    m_headlessPid = 0;
    ::kill(-group, SIGKILL);
    if (m_watchdogPid > 0) {
        int ignored = 0;
        ::waitpid(pid_t(m_watchdogPid), &ignored, 0);
        m_watchdogPid = 0;
    }
    throw Error(QStringLiteral("LibreOffice stopped while starting (%1). Try again; if it keeps failing, start "
                               "LibreOffice once by hand to see what it reports.")
                    .arg(WIFEXITED(status) ? QStringLiteral("exit code %1").arg(WEXITSTATUS(status))
                                           : QStringLiteral("signal %1").arg(WTERMSIG(status))));
}

bool OfficeProcess::startedByUs() const
{
    return m_options.headless || *m_desktopState == Running;
}

void OfficeProcess::end(int graceMs)
{
    if (m_headlessPid <= 0)
        return;
    const pid_t pid = pid_t(m_headlessPid);
    m_headlessPid = 0;
    // oosplash (pid) leads the group and exits after soffice.bin; then only the watchdog, if anything, is left.
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(graceMs);
    int status = 0;
    bool reaped = ::waitpid(pid, &status, WNOHANG) == pid;
    while (!reaped && steady_clock::now() < deadline) {
        std::this_thread::sleep_for(milliseconds(20));
        reaped = ::waitpid(pid, &status, WNOHANG) == pid;
    }
    ::kill(-pid, SIGKILL);
    if (!reaped)
        ::waitpid(pid, &status, 0);
    if (m_watchdogPid > 0) {
        ::waitpid(pid_t(m_watchdogPid), &status, 0);
        m_watchdogPid = 0;
    }
}

} // namespace quotaly::office::lo

#include "KeptOfficeProfile.h"

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quotaly::office {

KeptOfficeProfile::KeptOfficeProfile(const QString &folder)
    : m_folder(QDir::cleanPath(folder.isEmpty() ? defaultFolder() : folder))
{
    const QString lockFile = m_folder + QStringLiteral(".lock");
    const QString temporary = QStringLiteral("LibreOffice profile: a temporary one, because ");
    if (!QDir().mkpath(m_folder)) {
        m_note = temporary + QStringLiteral("%1 cannot be created").arg(QDir::toNativeSeparators(m_folder));
        return;
    }
    // Close-on-exec: the office this program starts must not inherit the lock and hold it after we are gone.
    m_fd = ::open(QFile::encodeName(lockFile).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        m_note = temporary + QStringLiteral("the lock file %1 cannot be opened: %2")
                                 .arg(QDir::toNativeSeparators(lockFile), QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    int result = 0;
    do {
        result = ::flock(m_fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        ::close(m_fd);
        m_fd = -1;
        m_note = temporary +
                 (error == EWOULDBLOCK
                      ? QStringLiteral("another running program uses %1").arg(QDir::toNativeSeparators(m_folder))
                      : QStringLiteral("%1 cannot be locked: %2")
                            .arg(QDir::toNativeSeparators(lockFile), QString::fromLocal8Bit(std::strerror(error))));
        return;
    }
    // The holder's process id, for a person looking at the file; the lock itself is the flock.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(m_fd, 0) != 0 || ::write(m_fd, pid.constData(), std::size_t(pid.size())) < 0) {
        // Only the informative contents are lost; the lock holds.
    }
    m_locked = true;
    m_note = QStringLiteral("LibreOffice profile: %1 (kept between runs)").arg(QDir::toNativeSeparators(m_folder));
}

KeptOfficeProfile::~KeptOfficeProfile()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing the descriptor releases the lock
}

QString KeptOfficeProfile::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/quotaly/office-profile");
}

} // namespace quotaly::office

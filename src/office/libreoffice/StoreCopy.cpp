#include "StoreCopy.h"

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <stdio.h>

namespace quotaly::office::lo {

void storeCopy(OfficeSession &session, const QString &fileName, const std::function<void(const OUString &url)> &store)
{
    const QFileInfo target(QDir::current().absoluteFilePath(fileName));
    const QString path = target.absoluteFilePath();
    if (target.isDir())
        throw Error(QStringLiteral("Cannot save “%1”: a folder of that name exists.").arg(path));

    // Same folder, so the rename at the end replaces the file in one step; the extension stays for the office.
    QTemporaryFile temporary(target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX.%2")
                                                                .arg(target.completeBaseName(), target.suffix())));
    if (!temporary.open()) {
        throw Error(QStringLiteral("Cannot save “%1”: the folder cannot be written to (%2).")
                        .arg(path, temporary.errorString()));
    }
    temporary.close();
    const QString temporaryPath = temporary.fileName();
    try {
        session.run([&] { store(fileUrl(temporaryPath)); });
    } catch (const Error &e) {
        throw Error(QStringLiteral("Cannot save “%1”. %2").arg(path, e.text()));
    }

    // A new file gets the usual permissions rather than the temporary file's private ones; a replaced file keeps
    // its own.
    const QFileDevice::Permissions permissions =
        target.exists() ? QFile::permissions(path)
                        : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                              QFileDevice::ReadOther;
    QFile::setPermissions(temporaryPath, permissions);
    if (::rename(QFile::encodeName(temporaryPath).constData(), QFile::encodeName(path).constData()) != 0) {
        throw Error(QStringLiteral("Cannot save “%1”: %2.").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    temporary.setAutoRemove(false);
}

} // namespace quotaly::office::lo

#include "AtomicFile.h"

#include "Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quotaly {

QString tryWriteFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // Without this, a read-only folder would make QSaveFile fall back to writing the file in place.
    file.setDirectWriteFallback(false);
    // A failure must never read as success, even when the system gives no reason.
    const auto reason = [&file] {
        return file.errorString().isEmpty() ? QStringLiteral("Unknown error") : file.errorString();
    };
    // Unbuffered: a buffered write of a small file only reaches the disk when commit() flushes it, and commit()
    // renames the temporary file even when that flush fell short, so a full disk would cut the file.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return reason();
    const qint64 written = file.write(bytes);
    if (written >= 0 && written < bytes.size()) {
        // A short write sets no error of its own: the disk or the user's file size limit is full.
        file.cancelWriting();
        return QStringLiteral("only %1 of %2 bytes could be written; the disk may be full").arg(written).arg(bytes.size());
    }
    if (written != bytes.size() || !file.commit()) {
        const QString why = reason();
        file.cancelWriting();
        return why;
    }
    return {};
}

void writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    const QString reason = tryWriteFileAtomically(path, bytes);
    if (!reason.isEmpty())
        throw Error(QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason));
}

QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        throw Error(QStringLiteral("Error: File %1 not found.").arg(QDir::toNativeSeparators(path)));
    if (QFileInfo(path).isDir())
        throw Error(QStringLiteral("Cannot read %1: it is a folder").arg(QDir::toNativeSeparators(path)));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    return file.readAll();
}

} // namespace quotaly

#include "AtomicFile.h"

#include "Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quotaly {

void writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    // Without this, a read-only folder would make QSaveFile fall back to writing the file in place.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw Error(QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason));
    }
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

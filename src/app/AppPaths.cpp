#include "AppPaths.h"

#include "dataset/AtomicFile.h"

#include <optional>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace quotaly {

namespace {

std::optional<AppPaths> g_current;

QString withSlash(const QString &dir)
{
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

bool isWritableDir(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}

} // namespace

QString copyTree(const QString &from, const QString &to)
{
    if (!QFileInfo(from).isDir())
        return QStringLiteral("The program's files were not found in %1").arg(QDir::toNativeSeparators(from));
    if (!QDir().mkpath(to))
        return QStringLiteral("Cannot create the folder %1").arg(QDir::toNativeSeparators(to));
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + u'/' + QDir(from).relativeFilePath(source);
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (!QFile::exists(target) && !QFile::copy(source, target))
            return QStringLiteral("Cannot copy %1 to %2").arg(QDir::toNativeSeparators(source),
                                                              QDir::toNativeSeparators(target));
        QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
    }
    return {};
}

namespace {

// Later starts: base.lng belongs to the program and follows the installed one; translations the user may have
// edited are only added when missing.
void refreshLanguageFiles(const QString &shipped, const QString &user)
{
    const QDir from(shipped);
    if (!from.exists() || !QDir().mkpath(user))
        return;
    for (const QString &name : from.entryList({QStringLiteral("*.lng")}, QDir::Files)) {
        const QString target = user + u'/' + name;
        if (QFileInfo::exists(target) && name != u"base.lng")
            continue;
        QFile source(from.filePath(name));
        if (!source.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = source.readAll();
        QFile current(target);
        if (current.open(QIODevice::ReadOnly) && current.readAll() == bytes)
            continue;
        current.close();
        tryWriteFileAtomically(target, bytes); // a copy that cannot be written is simply not made
    }
}

} // namespace

AppPaths AppPaths::resolve(const QString &exeDir, const QString &installedShareDir, const QString &userDir)
{
    AppPaths paths;
    const QString exe = withSlash(QDir::cleanPath(exeDir));
    if (isWritableDir(exe + QStringLiteral("Data"))) {
        paths.portable = true;
        paths.dataDir = exe + QStringLiteral("Data/");
        paths.langDir = exe + QStringLiteral("Lang/");
        paths.helpFile = exe + QStringLiteral("Help/index.html");
        return paths;
    }

    const QString share =
        withSlash(installedShareDir.isEmpty() ? QDir::cleanPath(exe + QStringLiteral("../share/quotaly"))
                                              : QDir::cleanPath(installedShareDir));
    const QString user = withSlash(
        userDir.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) : QDir::cleanPath(userDir));
    paths.dataDir = user + QStringLiteral("Data/");
    paths.langDir = user + QStringLiteral("Lang/");
    paths.helpFile = share + QStringLiteral("Help/index.html");

    // Only a first start fills the per-user folder; a file missing later is reported by the loads.
    for (const QString &name : {QStringLiteral("Data"), QStringLiteral("Lang")}) {
        if (QFileInfo::exists(user + name)) {
            if (name == u"Lang")
                refreshLanguageFiles(share + name, user + name);
            continue;
        }
        const QString error = copyTree(share + name, user + name);
        if (!error.isEmpty() && paths.setupError.isEmpty())
            paths.setupError = error;
    }
    return paths;
}

const AppPaths &AppPaths::current()
{
    if (!g_current)
        g_current = resolve(QCoreApplication::applicationDirPath());
    return *g_current;
}

void AppPaths::setCurrent(const AppPaths &paths)
{
    g_current = paths;
}

} // namespace quotaly

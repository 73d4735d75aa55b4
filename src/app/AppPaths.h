#pragma once

#include <QString>

namespace quotaly {

/// Where the program's data, language files and help live, decided once at start.
///
/// Portable mode: the folder beside the executable holds a writable `Data` folder (the build tree does).
/// Otherwise the per-user application data folder holds `Data/` and `Lang/`, created from the installed
/// `share/quotaly` copies the first time.
struct AppPaths
{
    QString dataDir; ///< with its trailing "/"
    QString langDir; ///< with its trailing "/"
    QString helpFile;
    bool portable = false;
    QString setupError; ///< why the per-user folder could not be prepared, empty when it could

    /// Decides the folders for an executable in exeDir. installedShareDir is the installed
    /// `share/quotaly` (default: `<exeDir>/../share/quotaly`); userDir the per-user folder (default:
    /// QStandardPaths::AppDataLocation).
    static AppPaths resolve(const QString &exeDir, const QString &installedShareDir = {},
                            const QString &userDir = {});

    /// The paths decided at start (resolve() for the running executable the first time it is asked).
    static const AppPaths &current();
    static void setCurrent(const AppPaths &paths);
};

/// Copies the files of a folder, with its subfolders, into another (created when missing), leaving files that are
/// there already and making the copies writable for the user. Returns an error text, or empty when all went well.
QString copyTree(const QString &from, const QString &to);

} // namespace quotaly

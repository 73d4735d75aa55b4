#include "LanguageList.h"

#include <algorithm>

#include <QDir>
#include <QFileInfo>

namespace quotaly {

namespace {

const QString kSuffix = QStringLiteral(".lng");

} // namespace

QStringList languageList(const QString &folder, const QString &baseLanguage)
{
    QStringList languages;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &file : files) {
        const QString name = file.fileName();
        if (!file.isFile() || !name.endsWith(kSuffix) || name == kBaseLanguageFile)
            continue;
        languages.append(name.chopped(kSuffix.size()));
    }
    // Case-insensitive first so "german" sits beside "German"; the exact spelling only breaks ties.
    std::sort(languages.begin(), languages.end(), [](const QString &a, const QString &b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    languages.prepend(baseLanguage);
    return languages;
}

QString languageFileName(const QString &language, const QString &baseLanguage)
{
    return language == baseLanguage ? kBaseLanguageFile.toString() : language + kSuffix;
}

} // namespace quotaly

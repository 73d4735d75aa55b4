#pragma once

#include <QString>
#include <QStringList>

namespace quotaly {

/// The file that holds the base language's texts.
inline constexpr QStringView kBaseLanguageFile = u"base.lng";

/// The languages offered for a language folder: `baseLanguage` first, then one per regular file whose name ends
/// in ".lng" (exactly, case-sensitive), named after the file without that ending and sorted. "base.lng" is the
/// base language's file and is not listed again; any other spelling ("Base.lng") is a language of its own, and so
/// is a file named after the base language ("English.lng"), which gives a second entry of that name.
QStringList languageList(const QString &folder, const QString &baseLanguage);

/// The file name that holds `language`: "base.lng" for the base language (also when a file named after it
/// exists), else the language's name followed by ".lng".
QString languageFileName(const QString &language, const QString &baseLanguage);

} // namespace quotaly

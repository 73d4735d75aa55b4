#pragma once

#include "LanguageTree.h"

#include <QList>
#include <QString>

namespace quotaly {

/// One entry named in a comparison: its path and its line in the file it comes from (1 for the first line).
struct LanguageEntryRef
{
    QString path;
    int line = 0;
    QString value; ///< for untranslated entries: the value as it stands (empty or "<<untranslated>>")
};

/// How a language file differs from the base file it was made from.
struct LanguageComparison
{
    QList<LanguageEntryRef> missing;      ///< in the base file, not in the language file (lines of the base file)
    QList<LanguageEntryRef> extra;        ///< in the language file, not in the base file
    QList<LanguageEntryRef> untranslated; ///< empty or "<<untranslated>>" where the base file has a text

    bool matches() const { return missing.isEmpty() && extra.isEmpty(); }
};

/// The path of every entry, in file order, as compared: names joined by "." (a property line by its property
/// name, a list item by its position and key as "[0]Key"); a name that repeats among its siblings gets its
/// occurrence appended ("Caption (2)").
QStringList comparisonPaths(const LanguageTree &tree);

/// Compares a language file with its base file entry by entry, by path.
LanguageComparison compareWithBase(const LanguageTree &file, const LanguageTree &base);

} // namespace quotaly

#include "LanguageComparison.h"

#include "LanguageText.h"

#include <QHash>

namespace quotaly {

namespace {

bool isListItem(const LanguageTree &tree, int entry)
{
    const int parent = tree.parent(entry);
    return parent != LanguageTree::kNone && listKind(tree.text(parent)) != LanguageListKind::None;
}

/// The text an entry gives its property or list item; null for entries that carry none (forms, components,
/// list headers).
QString valueOf(const LanguageTree &tree, int entry)
{
    const QString &text = tree.text(entry);
    if (isListItem(tree, entry))
        return itemText(text).isNull() ? QStringLiteral("") : itemText(text);
    if (!text.contains(u'=') || listKind(text) != LanguageListKind::None)
        return {};
    const QString value = propertyValue(text);
    return value.isNull() ? QStringLiteral("") : value;
}

bool untranslated(const QString &value)
{
    return value.isEmpty() || value == kUntranslated;
}

} // namespace

QStringList comparisonPaths(const LanguageTree &tree)
{
    QStringList paths;
    paths.reserve(tree.size());
    QHash<QString, int> seen; // path -> how often it has appeared
    QHash<int, int> items;    // list header -> items seen under it
    for (int i = 0; i < tree.size(); ++i) {
        const int parent = tree.parent(i);
        const QString &text = tree.text(i);
        QString name;
        if (isListItem(tree, i)) {
            name = u'[' + QString::number(items[parent]++) + u']' + itemKey(text);
        } else {
            name = text.contains(u'=') ? propertyName(text) : text;
        }
        QString path = parent == LanguageTree::kNone ? name : paths.at(parent) + u'.' + name;
        const int count = ++seen[path];
        if (count > 1)
            path += QStringLiteral(" (%1)").arg(count);
        paths.append(path);
    }
    return paths;
}

LanguageComparison compareWithBase(const LanguageTree &file, const LanguageTree &base)
{
    const QStringList filePaths = comparisonPaths(file);
    const QStringList basePaths = comparisonPaths(base);
    QHash<QString, int> baseEntry;
    for (int i = 0; i < base.size(); ++i)
        baseEntry.insert(basePaths.at(i), i);
    QHash<QString, int> fileEntry;
    for (int i = 0; i < file.size(); ++i)
        fileEntry.insert(filePaths.at(i), i);

    LanguageComparison result;
    for (int i = 0; i < base.size(); ++i) {
        if (!fileEntry.contains(basePaths.at(i)))
            result.missing.append({basePaths.at(i), i + 1, {}});
    }
    for (int i = 0; i < file.size(); ++i) {
        const int inBase = baseEntry.value(filePaths.at(i), LanguageTree::kNone);
        if (inBase == LanguageTree::kNone) {
            result.extra.append({filePaths.at(i), i + 1, {}});
            continue;
        }
        const QString value = valueOf(file, i);
        if (!value.isNull() && untranslated(value) && !untranslated(valueOf(base, inBase)))
            result.untranslated.append({filePaths.at(i), i + 1, value});
    }
    return result;
}

} // namespace quotaly

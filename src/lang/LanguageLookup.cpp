#include "LanguageLookup.h"

#include "LanguageText.h"

#include <algorithm>

namespace quotaly {

namespace {

void appendProperty(QList<TextProperty> &properties, const LanguageTree &tree, int entry)
{
    const QString &line = tree.text(entry);
    properties.append({propertyName(line), applyLineMarkers(propertyValue(line)), entry});
}

} // namespace

int findSection(const LanguageTree &tree, const QString &name)
{
    return findEntry(tree, LanguageTree::kNone, name);
}

int findEntry(const LanguageTree &tree, int parent, const QString &name)
{
    for (int child = tree.firstChild(parent); child != LanguageTree::kNone; child = tree.nextSibling(child)) {
        if (tree.text(child) == name)
            return child;
    }
    return LanguageTree::kNone;
}

QList<TextProperty> formProperties(const LanguageTree &tree, int section)
{
    QList<TextProperty> properties;
    for (int child = tree.firstChild(section); child != LanguageTree::kNone && !tree.hasChildren(child);
         child = tree.nextSibling(child)) {
        appendProperty(properties, tree, child);
    }
    return properties;
}

QList<TextProperty> componentProperties(const LanguageTree &tree, int component)
{
    QList<TextProperty> properties;
    for (int child = tree.firstChild(component); child != LanguageTree::kNone; child = tree.nextSibling(child))
        appendProperty(properties, tree, child);
    return properties;
}

QStringList listItems(const LanguageTree &tree, int header)
{
    QStringList items;
    for (int item = tree.firstChild(header); item != LanguageTree::kNone; item = tree.nextSibling(item))
        items.append(applyLineMarkers(itemText(tree.text(item))));
    return items;
}

QString entryPath(const LanguageTree &tree, int entry)
{
    QStringList parts;
    for (int at = entry; at != LanguageTree::kNone; at = tree.parent(at))
        parts.append(tree.text(at));
    std::reverse(parts.begin(), parts.end());
    return parts.join(u'.');
}

} // namespace quotaly

#pragma once

#include "LanguageTree.h"

#include <QList>
#include <QString>

namespace quotaly {

/// One property line: its name and its value as applied (":|:" already turned into CR LF). An empty value means
/// "no translation": the property keeps its current text.
struct TextProperty
{
    QString name;
    QString value;
    int entry = LanguageTree::kNone; ///< the property line; its children are the items of a list property
    bool operator==(const TextProperty &) const = default;
};

/// The first top-level entry whose text is exactly `name` (a form's section, "DM"); kNone when there is none.
int findSection(const LanguageTree &tree, const QString &name);

/// The first child of `parent` whose text is exactly `name` (a component's entry in its form's section).
int findEntry(const LanguageTree &tree, int parent, const QString &name);

/// The property lines of a form's own properties: the section's children from the first one up to, not
/// including, the first child that has children of its own.
QList<TextProperty> formProperties(const LanguageTree &tree, int section);

/// The property lines of a component's entry (all its children). A list header such as "Items=(TStrings)" is
/// one of them (its value is the list kind); read its items with listItems().
QList<TextProperty> componentProperties(const LanguageTree &tree, int component);

/// The item texts under a list header, in list order, ":|:" turned into CR LF. An empty text means "leave that
/// item as it is".
QStringList listItems(const LanguageTree &tree, int header);

/// The path of an entry: the texts of its ancestors and its own, joined by ".".
QString entryPath(const LanguageTree &tree, int entry);

} // namespace quotaly

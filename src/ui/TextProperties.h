#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

class QObject;
class QWidget;

namespace quotaly::ui {

/// The user-visible texts of forms and their components, by the property names language files use:
/// "Caption" (window title; label, button, check box and action text; group box and menu title), "Hint" (tool
/// tip and status tip: "short|long", the short part alone when both are the same), "Text" (a plain line edit),
/// and the lists "Items" (combo box items) and "Columns" (column titles of a grid). Nothing else can be set by
/// name, and texts are always set as plain text.
///
/// Controls that carry state (stored values, typed input, data lists) are never translated: every bound
/// control's value and list, and whatever was marked with setKeepsState().
namespace text_properties {

/// The list kinds a language file names after "=" in a list header.
inline const QString kStringsKind = QStringLiteral("(TStrings)");
inline const QString kColumnsKind = QStringLiteral("(TListColumns)");

/// Marks a control whose texts hold state, so that no language ever changes them.
void setKeepsState(QObject *object, bool keeps = true);
bool keepsState(const QObject *object);

/// The form an object belongs to: the nearest enclosing window that is not a pop-up menu. Null for none.
QWidget *formOf(const QObject *object);

/// The named objects whose nearest enclosing form is `form`, in creation order (the form itself excluded).
QList<QObject *> componentsOf(QWidget *form);

/// The text properties an object has, in the order a language file lists them.
QStringList propertyNames(const QObject *object);
/// The list properties an object has ("Items", "Columns").
QStringList listNames(const QObject *object);
/// The list kind written after "=" for a list property.
QString listKind(const QString &listName);

/// The current text of a property; nullopt when the object has no such text property.
std::optional<QString> get(const QObject *object, const QString &name);
/// Sets a text property; CR LF in the value becomes a line break. False (and nothing changes) when the
/// object has no such property, it keeps state, or the value is empty (an empty value is no translation).
bool set(QObject *object, const QString &name, const QString &value);
/// Puts back a text exactly as it was read with get(), an empty one included.
void restore(QObject *object, const QString &name, const QString &text);

/// The items of a list property (empty when there is none).
QStringList items(const QObject *object, const QString &listName);
/// Sets item `index` of a list property. False when there is no such list or item, or the text is empty.
bool setItem(QObject *object, const QString &listName, int index, const QString &text);

} // namespace text_properties

} // namespace quotaly::ui

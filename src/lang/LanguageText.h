#pragma once

#include <QString>

namespace quotaly {

/// The kind of list a list header announces after its "=".
enum class LanguageListKind
{
    None,           ///< not a list header
    Strings,        ///< "(TStrings)": the items are the strings of a string list
    ListColumns,    ///< "(TListColumns)": the items are column captions
    TntListColumns, ///< "(TTntListColumns)": column captions too
};

/// The value written for a text nobody has translated yet.
inline constexpr QStringView kUntranslated = u"<<untranslated>>";

/// The property name of a property line: the text before the first "=" (empty when there is none).
QString propertyName(const QString &line);

/// The value of a property line: the text after the first "=" (which may hold more "="; empty when there is
/// none). An empty value means "no translation".
QString propertyValue(const QString &line);

/// The key of a list item line: the text before the first "=", the whole text when there is none.
QString itemKey(const QString &line);

/// The text of a list item line: the text after the first "=", the whole text when there is none. An empty item
/// text leaves that item as it is.
QString itemText(const QString &line);

/// The list kind of a list header line such as "Items=(TStrings)" (the kind compared without regard to case);
/// None for any other line.
LanguageListKind listKind(const QString &line);

/// A value as it is applied: every ":|:" becomes CR LF.
QString applyLineMarkers(const QString &value);

/// A text as it is stored in a language file: every line break (CR LF, CR, LF, U+2028, U+2029) becomes ":|:".
QString toLineMarkers(const QString &text);

} // namespace quotaly

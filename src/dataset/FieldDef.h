#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace quotaly {

/// How the engine holds a field's values in memory.
enum class FieldKind {
    Text,    ///< QString, cut to the field's width when stored
    Integer, ///< qint64 (i1..i8, ui1..ui8)
    Float,   ///< double (r4, r8, r10)
    Boolean, ///< bool
    Opaque,  ///< a type the engine does not interpret: the raw attribute text, written back unchanged
    Nested,  ///< a nested dataset: the raw XML of the row's child element, written back unchanged
};

using AttributeList = QList<QPair<QString, QString>>;

/// One column of a dataset: its storage description (as in the datapacket's FIELD element) and its
/// display properties.
struct FieldDef
{
    QString name;       ///< the field's true name (the datapacket's fieldname, else attrname)
    QString attrName;   ///< the XML-safe name used as the ROW attribute
    QString typeToken;  ///< "string", "i4", "r8", "boolean", or any other token kept as read
    QString subtype;    ///< SUBTYPE, empty when absent
    int width = 0;      ///< maximum length in characters for text fields, 0 when none
    bool required = false;
    bool readOnly = false;
    AttributeList extraAttributes; ///< FIELD attributes the engine does not interpret, in file order
    QString innerXml;              ///< raw children of the FIELD element (nested FIELDS, PARAM), written back as is

    QString displayLabel; ///< grid title and label; the name when empty
    int displayWidth = 0; ///< in characters, 0 = derived from width
    QString displayFormat;

    FieldKind kind() const;
    QString label() const { return displayLabel.isEmpty() ? name : displayLabel; }

    static FieldDef text(const QString &name, int width, bool required = false);
    static FieldDef integer(const QString &name);
    static FieldDef floating(const QString &name);
    static FieldDef boolean(const QString &name);
};

/// Maps a datapacket type token onto the in-memory kind.
FieldKind fieldKindForToken(const QString &typeToken);

/// The values an integer column of the given type can hold (ui8 is capped at the qint64 maximum).
struct IntegerRange
{
    qint64 min;
    qint64 max;
};
IntegerRange integerRangeForToken(const QString &typeToken);

/// Turns a field name into a valid XML attribute name (every character outside [A-Za-z0-9_] becomes "_",
/// a leading digit gets a "_" prefix).
QString xmlSafeName(const QString &name);

} // namespace quotaly

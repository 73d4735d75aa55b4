#pragma once

#include "FieldDef.h"

#include <QByteArray>
#include <QList>
#include <QVariant>

namespace quotaly {

/// One row of values in field order. A null QVariant is a NULL value. Text: QString; Integer: qint64;
/// Float: double; Boolean: bool; Opaque: QString (raw attribute text); Nested: QString (raw child XML).
using RowValues = QList<QVariant>;

/// The content of an XML datapacket file: columns, table parameters and current rows.
struct Datapacket
{
    /// The XML declaration of the file: without `encoding` (non-ASCII written as character references)
    /// or with encoding="UTF-8" (raw UTF-8).
    enum class Declaration { Plain, Utf8 };

    Declaration declaration = Declaration::Utf8;
    QList<FieldDef> fields;
    AttributeList params;    ///< PARAMS attributes except CHANGE_LOG, in file order (LCID, DEFAULT_ORDER, ...)
    QString paramsInnerXml;  ///< raw PARAM children of PARAMS, kept as read
    QList<RowValues> rows;   ///< current versions only (change log folded)
};

/// Parses a datapacket file's bytes. Throws Error with a user-facing text naming what is wrong.
Datapacket readDatapacket(const QByteArray &bytes);

/// Serialises a datapacket: one line, the `<FIELDS>` section contiguous, no trailing newline.
QByteArray writeDatapacket(const Datapacket &packet);

} // namespace quotaly

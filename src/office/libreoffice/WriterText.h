#pragma once

// Finding things in a Writer document and addressing its text by character position. Worker thread only.

#include "OfficeSession.h"

#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/text/XTextTable.hpp>

#include <vector>

#include <QString>

namespace quotaly::office::lo::writer {

using css::uno::Reference;

/// The fieldmark of that name (a text form field of an imported Word document), compared without regard to
/// case; null when the document has none.
Reference<css::text::XTextContent> findFieldmark(const Reference<css::text::XTextDocument> &document,
                                                 const QString &name);

/// A fieldmark with the name the document gives it.
struct NamedFieldmark
{
    OUString name;
    Reference<css::text::XTextContent> mark;
};

/// The fieldmarks the office lists among the document's text fields, in its order: one pass over them, for
/// looking up many names. Versions that do not list them there give an empty list; findFieldmark finds them.
std::vector<NamedFieldmark> listedFieldmarks(const Reference<css::text::XTextDocument> &document);

/// The first of `marks` named `name`, compared without regard to case; null when none is.
Reference<css::text::XTextContent> fieldmarkIn(const std::vector<NamedFieldmark> &marks, const QString &name);

/// The bookmark of that name, compared without regard to case; null when there is none.
Reference<css::text::XTextContent> findBookmark(const Reference<css::text::XTextDocument> &document,
                                                const QString &name);

/// Positions count the characters before a place in the main text: each paragraph mark counts one, a table
/// counts the text of its cells in reading order, and the marks of fields, bookmarks and other anchors count
/// nothing. Places in headers, footers, frames or notes have no position.
qint64 positionOf(const Reference<css::text::XTextDocument> &document, const Reference<css::text::XTextRange> &place);

/// Where a position lies. A position on the boundary of a form field lies outside it: after the field's end,
/// before its start (after an empty field).
struct Place
{
    Reference<css::text::XTextRange> range;      ///< collapsed, in the text that holds the position
    Reference<css::text::XTextTable> tableStart; ///< set when the position is the very start of this table
};

/// Throws when the position lies beyond the end of the document.
Place placeAt(const Reference<css::text::XTextDocument> &document, qint64 position);

/// The tables of the main text in reading order (nested tables not counted).
std::vector<Reference<css::text::XTextTable>> tablesInOrder(const Reference<css::text::XTextDocument> &document);

/// True when both references name the same office object.
bool sameObject(const css::uno::Reference<css::uno::XInterface> &a, const css::uno::Reference<css::uno::XInterface> &b);

} // namespace quotaly::office::lo::writer

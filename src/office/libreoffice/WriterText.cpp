#include "WriterText.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XBookmarksSupplier.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextFieldsSupplier.hpp>
#include <com/sun/star/text/XTextRangeCompare.hpp>

#include <algorithm>

namespace quotaly::office::lo::writer {

using css::uno::Any;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;
using css::uno::XInterface;
namespace text = css::text;

namespace {

const OUString kFieldmark("com.sun.star.text.Fieldmark");

bool sameName(const OUString &a, const QString &b)
{
    return toQString(a).compare(b, Qt::CaseInsensitive) == 0;
}

// Walks the paragraphs and tables of a text in order.
template <typename OnParagraph, typename OnTable>
void forEachElement(const Reference<text::XText> &text, OnParagraph onParagraph, OnTable onTable)
{
    const Reference<css::container::XEnumerationAccess> access(text, UNO_QUERY_THROW);
    const Reference<css::container::XEnumeration> elements = access->createEnumeration();
    while (elements->hasMoreElements()) {
        const Any element = elements->nextElement();
        const Reference<text::XTextTable> table(element, UNO_QUERY);
        if (table.is()) {
            if (!onTable(table))
                return;
            continue;
        }
        const Reference<text::XTextRange> paragraph(element, UNO_QUERY);
        if (paragraph.is() && !onParagraph(paragraph))
            return;
    }
}

std::vector<Reference<text::XText>> cellTexts(const Reference<text::XTextTable> &table)
{
    std::vector<Reference<text::XText>> cells;
    const Sequence<OUString> names = table->getCellNames();
    cells.reserve(size_t(names.getLength()));
    for (const OUString &name : names)
        cells.emplace_back(table->getCellByName(name), UNO_QUERY_THROW);
    return cells;
}

qint64 textLength(const Reference<text::XText> &text);

qint64 tableLength(const Reference<text::XTextTable> &table)
{
    qint64 length = 0;
    for (const auto &cell : cellTexts(table))
        length += textLength(cell);
    return length;
}

qint64 textLength(const Reference<text::XText> &text)
{
    qint64 length = 0;
    forEachElement(
        text,
        [&](const Reference<text::XTextRange> &paragraph) {
            length += paragraph->getString().getLength() + 1;
            return true;
        },
        [&](const Reference<text::XTextTable> &table) {
            length += tableLength(table);
            return true;
        });
    return length;
}

bool inText(const Reference<text::XText> &text, const Reference<text::XTextRange> &range)
{
    try {
        Reference<text::XTextRangeCompare>(text, UNO_QUERY_THROW)->compareRegionStarts(text->getStart(), range);
        return true;
    } catch (const css::lang::IllegalArgumentException &) {
        return false;
    }
}

// The texts around a place, innermost first: the table cells it is nested in, then the main text.
std::vector<Reference<text::XText>> enclosingTexts(const Reference<text::XTextDocument> &document,
                                                   const Reference<text::XTextRange> &place)
{
    // The main text shows up as different objects, so it is recognised by comparing a position with it.
    const Reference<text::XText> body = document->getText();
    std::vector<Reference<text::XText>> chain;
    Reference<text::XTextRange> at = place;
    for (int depth = 0; depth < 32 && at.is(); ++depth) {
        const Reference<text::XText> text = at->getText();
        const Reference<css::beans::XPropertySet> cursor(text.is() ? text->createTextCursorByRange(at) : nullptr,
                                                         UNO_QUERY);
        const Reference<text::XTextTable> table(cursor.is() ? cursor->getPropertyValue("TextTable") : Any(), UNO_QUERY);
        if (table.is()) {
            chain.push_back(text);
            at = table->getAnchor();
            continue;
        }
        // The main text also answers for places in its tables, so it is asked only once they are ruled out.
        if (inText(body, at)) {
            chain.push_back(body);
            return chain;
        }
        break;
    }
    throw Error(QStringLiteral("The place is not in the document's main text (it is in a header, footer, frame or "
                               "note), so it has no position."));
}

// The position of place within text, which is chain[level]; chain[level - 1] is the cell holding it.
qint64 positionIn(const Reference<text::XText> &text, const Reference<text::XTextRange> &place,
                  const std::vector<Reference<text::XText>> &chain, size_t level)
{
    qint64 position = 0;
    bool found = false;
    const Reference<text::XTextRangeCompare> compare(text, UNO_QUERY_THROW);
    forEachElement(
        text,
        [&](const Reference<text::XTextRange> &paragraph) {
            // The first paragraph that does not end before the place holds it.
            if (level == 0 && compare->compareRegionEnds(paragraph, place) <= 0) {
                const Reference<text::XParagraphCursor> cursor(text->createTextCursorByRange(place), UNO_QUERY_THROW);
                cursor->gotoStartOfParagraph(true);
                position += cursor->getString().getLength();
                found = true;
                return false;
            }
            position += paragraph->getString().getLength() + 1;
            return true;
        },
        [&](const Reference<text::XTextTable> &table) {
            for (const auto &cell : cellTexts(table)) {
                if (level > 0 && sameObject(cell, chain[level - 1])) {
                    position += positionIn(cell, place, chain, level - 1);
                    found = true;
                    return false;
                }
                position += textLength(cell);
            }
            return true;
        });
    if (!found)
        throw Error(QStringLiteral("The place was not found in the document's text."));
    return position;
}

struct Portion
{
    Reference<text::XTextRange> range;
    OUString type;
    sal_Int32 length = 0;
};

bool zeroWidth(const OUString &type)
{
    return type == "Bookmark" || type == "TextFieldStart" || type == "TextFieldSeparator" || type == "TextFieldEnd" ||
           type == "TextFieldStartEnd" || type == "ReferenceMark" || type == "DocumentIndexMark" || type == "Redline" ||
           type == "SoftPageBreak";
}

std::vector<Portion> portionsOf(const Reference<text::XTextRange> &paragraph)
{
    std::vector<Portion> portions;
    const Reference<css::container::XEnumerationAccess> access(paragraph, UNO_QUERY_THROW);
    const Reference<css::container::XEnumeration> all = access->createEnumeration();
    while (all->hasMoreElements()) {
        Portion portion;
        portion.range.set(all->nextElement(), UNO_QUERY_THROW);
        const Reference<css::beans::XPropertySet> properties(portion.range, UNO_QUERY_THROW);
        properties->getPropertyValue("TextPortionType") >>= portion.type;
        if (!zeroWidth(portion.type))
            portion.length = portion.range->getString().getLength();
        portions.push_back(portion);
    }
    return portions;
}

// The end of the field that starts at portions[start] when nothing but marks lies inside it; else -1.
qsizetype emptyFieldEnd(const std::vector<Portion> &portions, qsizetype start)
{
    for (qsizetype i = start + 1; i < qsizetype(portions.size()); ++i) {
        if (portions[size_t(i)].length > 0 || portions[size_t(i)].type == "TextFieldStart")
            return -1;
        if (portions[size_t(i)].type == "TextFieldEnd")
            return i;
    }
    return -1;
}

Reference<text::XTextRange> placeInParagraph(const Reference<text::XTextRange> &paragraph, qint64 offset)
{
    const std::vector<Portion> portions = portionsOf(paragraph);
    Reference<text::XTextRange> at = paragraph->getStart();
    qint64 before = 0;
    for (qsizetype i = 0; i < qsizetype(portions.size()); ++i) {
        const Portion &portion = portions[size_t(i)];
        if (before == offset) {
            if (portion.type == "TextFieldStart") {
                const qsizetype end = emptyFieldEnd(portions, i);
                if (end < 0)
                    return portion.range->getStart();
                i = end;
                at = portions[size_t(end)].range->getEnd();
                continue;
            }
            if (portion.length > 0)
                return portion.range->getStart();
            at = portion.range->getEnd(); // past end marks and bookmarks
            continue;
        }
        if (before + portion.length > offset) {
            if (portion.type != "Text")
                return portion.range->getEnd(); // a field's shown text cannot be split
            const Reference<text::XText> text = portion.range->getText();
            const Reference<text::XTextCursor> cursor = text->createTextCursorByRange(portion.range->getStart());
            for (qint64 left = offset - before; left > 0; left -= 0x7fff) // the API moves by 16-bit counts
                cursor->goRight(sal_Int16(std::min<qint64>(left, 0x7fff)), false);
            return Reference<text::XTextRange>(cursor, UNO_QUERY_THROW);
        }
        before += portion.length;
        at = portion.range->getEnd();
    }
    return at;
}

// Finds the position in text, taking what lies before it off `remaining`; null when the text is shorter.
Place placeIn(const Reference<text::XText> &text, qint64 &remaining)
{
    Place place;
    forEachElement(
        text,
        [&](const Reference<text::XTextRange> &paragraph) {
            const qint64 length = paragraph->getString().getLength();
            if (remaining <= length) {
                place.range = placeInParagraph(paragraph, remaining);
                return false;
            }
            remaining -= length + 1;
            return true;
        },
        [&](const Reference<text::XTextTable> &table) {
            const bool atStart = remaining == 0;
            for (const auto &cell : cellTexts(table)) {
                const qint64 length = textLength(cell);
                if (remaining < length) {
                    place = placeIn(cell, remaining);
                    if (atStart)
                        place.tableStart = table;
                    return false;
                }
                remaining -= length;
            }
            return true;
        });
    return place;
}

} // namespace

bool sameObject(const Reference<XInterface> &a, const Reference<XInterface> &b)
{
    return a.is() && b.is() && a == b;
}

std::vector<NamedFieldmark> listedFieldmarks(const Reference<text::XTextDocument> &document)
{
    std::vector<NamedFieldmark> marks;
    const Reference<text::XTextFieldsSupplier> supplier(document, UNO_QUERY_THROW);
    const Reference<css::container::XEnumeration> fields = supplier->getTextFields()->createEnumeration();
    while (fields->hasMoreElements()) {
        const Reference<css::lang::XServiceInfo> info(fields->nextElement(), UNO_QUERY);
        if (!info.is() || !info->supportsService(kFieldmark))
            continue;
        const Reference<css::container::XNamed> named(info, UNO_QUERY);
        if (named.is())
            marks.push_back(NamedFieldmark{named->getName(), Reference<text::XTextContent>(info, UNO_QUERY)});
    }
    return marks;
}

Reference<text::XTextContent> fieldmarkIn(const std::vector<NamedFieldmark> &marks, const QString &name)
{
    for (const NamedFieldmark &entry : marks) {
        if (sameName(entry.name, name))
            return entry.mark;
    }
    return {};
}

Reference<text::XTextContent> findFieldmark(const Reference<text::XTextDocument> &document, const QString &name)
{
    if (name.isEmpty())
        return {};
    // LibreOffice lists the fieldmarks of imported form fields among the text fields.
    if (const Reference<text::XTextContent> listed = fieldmarkIn(listedFieldmarks(document), name); listed.is())
        return listed;

    // Other versions may list them only in the text itself, or among the bookmarks.
    Reference<text::XTextContent> found;
    const auto searchText = [&](const Reference<text::XText> &text, auto &self) -> void {
        forEachElement(
            text,
            [&](const Reference<text::XTextRange> &paragraph) {
                for (const Portion &portion : portionsOf(paragraph)) {
                    if (portion.type != "TextFieldStart")
                        continue;
                    const Reference<css::beans::XPropertySet> properties(portion.range, UNO_QUERY_THROW);
                    const Reference<css::container::XNamed> mark(properties->getPropertyValue("Bookmark"), UNO_QUERY);
                    if (mark.is() && sameName(mark->getName(), name)) {
                        found.set(mark, UNO_QUERY);
                        return false;
                    }
                }
                return true;
            },
            [&](const Reference<text::XTextTable> &table) {
                for (const auto &cell : cellTexts(table)) {
                    self(cell, self);
                    if (found.is())
                        return false;
                }
                return true;
            });
    };
    searchText(document->getText(), searchText);
    if (found.is())
        return found;
    const Reference<text::XTextContent> bookmark = findBookmark(document, name);
    const Reference<css::lang::XServiceInfo> info(bookmark, UNO_QUERY);
    return info.is() && info->supportsService(kFieldmark) ? bookmark : Reference<text::XTextContent>();
}

Reference<text::XTextContent> findBookmark(const Reference<text::XTextDocument> &document, const QString &name)
{
    const Reference<text::XBookmarksSupplier> supplier(document, UNO_QUERY_THROW);
    const Reference<css::container::XNameAccess> bookmarks = supplier->getBookmarks();
    const OUString exact = toOUString(name);
    if (bookmarks->hasByName(exact))
        return Reference<text::XTextContent>(bookmarks->getByName(exact), UNO_QUERY);
    for (const OUString &candidate : bookmarks->getElementNames()) {
        if (sameName(candidate, name))
            return Reference<text::XTextContent>(bookmarks->getByName(candidate), UNO_QUERY);
    }
    return {};
}

qint64 positionOf(const Reference<text::XTextDocument> &document, const Reference<text::XTextRange> &place)
{
    const std::vector<Reference<text::XText>> chain = enclosingTexts(document, place);
    return positionIn(chain.back(), place, chain, chain.size() - 1);
}

Place placeAt(const Reference<text::XTextDocument> &document, qint64 position)
{
    if (position < 0)
        throw Error(QStringLiteral("The position %1 is before the start of the document.").arg(position));
    qint64 remaining = position;
    const Reference<text::XText> body = document->getText();
    Place place = placeIn(body, remaining);
    if (place.range.is())
        return place;
    // Just past the last paragraph mark: the end of the text.
    if (remaining == 0)
        return Place{body->getEnd(), {}};
    throw Error(QStringLiteral("The position %1 lies beyond the end of the document (%2 characters).")
                    .arg(position)
                    .arg(position - remaining));
}

std::vector<Reference<text::XTextTable>> tablesInOrder(const Reference<text::XTextDocument> &document)
{
    std::vector<Reference<text::XTextTable>> tables;
    forEachElement(
        document->getText(), [](const Reference<text::XTextRange> &) { return true; },
        [&](const Reference<text::XTextTable> &table) {
            tables.push_back(table);
            return true;
        });
    return tables;
}

} // namespace quotaly::office::lo::writer

#include "Datapacket.h"

#include "Error.h"
#include "SideBySide.h"
#include "Windows1252.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include <QHash>
#include <QStringConverter>
#include <QXmlStreamReader>

namespace quotaly {

namespace {

// --- Turning the file's bytes into text ---------------------------------------------------------------------

struct SourceText
{
    QString text;
    Datapacket::Declaration declaration = Datapacket::Declaration::Utf8;
};

/// The value of the encoding pseudo-attribute of a leading XML declaration; nullopt when there is none.
std::optional<QByteArray> declaredEncoding(QByteArrayView bytes, bool *hasDeclaration)
{
    *hasDeclaration = false;
    if (!bytes.startsWith("<?xml") || bytes.size() < 6 || !QChar::isSpace(uchar(bytes[5])))
        return std::nullopt;
    const qsizetype end = bytes.indexOf("?>");
    if (end < 0)
        return std::nullopt;
    *hasDeclaration = true;
    const QByteArrayView decl = bytes.first(end);
    const qsizetype key = decl.indexOf("encoding");
    if (key < 0)
        return std::nullopt;
    qsizetype pos = key + 8;
    while (pos < decl.size() && (QChar::isSpace(uchar(decl[pos])) || decl[pos] == '='))
        ++pos;
    if (pos >= decl.size() || (decl[pos] != '"' && decl[pos] != '\''))
        return std::nullopt;
    const qsizetype close = decl.indexOf(decl[pos], pos + 1);
    if (close < 0)
        return std::nullopt;
    return decl.sliced(pos + 1, close - pos - 1).toByteArray().toLower();
}

std::optional<QString> decodeStrictUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

SourceText decodeSource(const QByteArray &bytes)
{
    using Declaration = Datapacket::Declaration;
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF")) {
        const auto text = decodeStrictUtf8(view.sliced(3));
        if (!text)
            throw Error(QStringLiteral("The datapacket starts as UTF-8 but holds bytes that are not valid UTF-8."));
        return {*text, Declaration::Utf8};
    }
    if (view.startsWith("\xFF\xFE") || view.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(view.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return {decoder.decode(view.sliced(2)), Declaration::Utf8};
    }

    bool hasDeclaration = false;
    const std::optional<QByteArray> encoding = declaredEncoding(view, &hasDeclaration);
    if (!encoding) {
        // No encoding named: UTF-8 by the rules of XML, but files written on Windows carry raw ANSI bytes.
        const auto text = decodeStrictUtf8(view);
        return {text ? *text : decodeWindows1252(bytes), hasDeclaration ? Declaration::Plain : Declaration::Utf8};
    }
    if (*encoding == "utf-8" || *encoding == "utf8") {
        const auto text = decodeStrictUtf8(view);
        if (!text)
            throw Error(QStringLiteral("The datapacket says it is UTF-8 but holds bytes that are not valid UTF-8."));
        return {*text, Declaration::Utf8};
    }
    if (*encoding == "windows-1252" || *encoding == "cp1252" || *encoding == "iso-8859-1" || *encoding == "latin1" ||
        *encoding == "us-ascii")
        return {decodeWindows1252(bytes), Declaration::Plain};
    const auto known = QStringConverter::encodingForName(encoding->constData());
    if (!known)
        throw Error(QStringLiteral("The datapacket uses the character encoding \"%1\", which cannot be read.")
                        .arg(QString::fromLatin1(*encoding)));
    QStringDecoder decoder(*known);
    return {decoder.decode(view), Declaration::Utf8};
}

/// Old MIDAS versions wrote `<PARAMS .../></PARAMS>` when a change log was saved; drop the stray end tag.
void stripStrayParamsEnd(QString &text)
{
    const QString endTag = QStringLiteral("</PARAMS>");
    // PARAMS elements are all in the METADATA section, ahead of the rows.
    const qsizetype rows = text.indexOf(u"<ROWDATA");
    // Only the text ahead of the rows is searched: an end tag found has to start before them.
    const auto searched = [&] {
        return rows < 0 ? QStringView(text) : QStringView(text).first(std::min(text.size(), rows + endTag.size()));
    };
    qsizetype pos = 0;
    while ((pos = searched().indexOf(endTag, pos)) >= 0 && (rows < 0 || pos < rows)) {
        qsizetype back = pos;
        while (back > 0 && text.at(back - 1).isSpace())
            --back;
        bool stray = false;
        if (back >= 2 && text.at(back - 2) == u'/' && text.at(back - 1) == u'>') {
            // Attribute values hold no raw "<", so the last one before "/>" opens that tag.
            const qsizetype open = text.lastIndexOf(u'<', back - 2);
            const QStringView tag = QStringView(text).sliced(open < 0 ? 0 : open);
            stray = open >= 0 && tag.startsWith(u"<PARAMS") && tag.size() > 7 && (tag[7].isSpace() || tag[7] == u'/');
        }
        if (stray)
            text.remove(pos, endTag.size());
        else
            pos += endTag.size();
    }
}

/// Character references to control characters (a vertical tab pasted from a word processor, say) are legal in
/// what Windows programs write but rejected by the XML parser. Before parsing they are swapped for private-use
/// stand-ins that the text does not contain, and swapped back afterwards.
class ControlCharacters
{
public:
    void hide(QString &text);
    bool any() const { return m_base != 0; }
    /// Stand-ins back to the control characters, for values.
    QString restoreValue(QString value) const;
    /// Stand-ins back to character references, for raw XML.
    QString restoreXml(const QString &xml) const;

private:
    static bool isHidden(char32_t c) { return c < 0x20 && c != 0x09 && c != 0x0A && c != 0x0D; }
    bool isStandIn(QChar c) const { return c.unicode() >= m_base && c.unicode() < m_base + 0x20; }

    char16_t m_base = 0;
};

/// The code point of a character reference's body ("#252", "#xFC"); nullopt when it is not one.
std::optional<char32_t> referencedCode(QStringView body)
{
    const bool hex = body.startsWith(u"#x");
    const QStringView digits = body.sliced(std::min<qsizetype>(body.size(), hex ? 2 : 1));
    const auto isDigit = [hex](QChar c) {
        return (c >= u'0' && c <= u'9') || (hex && ((c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F')));
    };
    if (!body.startsWith(u'#') || digits.isEmpty() || digits.size() > 8 ||
        !std::all_of(digits.begin(), digits.end(), isDigit))
        return std::nullopt;
    return char32_t(digits.toUInt(nullptr, hex ? 16 : 10));
}

void ControlCharacters::hide(QString &text)
{
    struct Reference
    {
        qsizetype pos;
        qsizetype length;
        char32_t code;
    };
    QList<Reference> found;
    // Searching for the single character is several times faster than for "&#".
    for (qsizetype pos = text.indexOf(u'&'); pos >= 0; pos = text.indexOf(u'&', pos + 1)) {
        const qsizetype end = text.indexOf(u';', pos);
        if (pos + 1 >= text.size() || text.at(pos + 1) != u'#' || end < 0 || end - pos > 12)
            continue;
        const auto code = referencedCode(QStringView(text).sliced(pos + 1, end - pos - 1));
        if (code && isHidden(*code))
            found.append({pos, end + 1 - pos, *code});
    }
    if (found.isEmpty())
        return;
    std::bitset<0x1900> used; // the private use area U+E000..U+F8FF
    for (QChar c : std::as_const(text)) {
        if (c.unicode() >= 0xE000 && c.unicode() < 0xF900)
            used.set(c.unicode() - 0xE000);
    }
    for (char16_t base = 0xE000; base + 0x20 <= 0xF900 && m_base == 0; base += 0x20) {
        bool free = true;
        for (int i = 0; i < 0x20 && free; ++i)
            free = !used.test(base - 0xE000 + i);
        if (free)
            m_base = base;
    }
    if (m_base == 0)
        throw Error(QStringLiteral("The datapacket holds control characters that cannot be read."));
    for (auto it = found.crbegin(); it != found.crend(); ++it)
        text.replace(it->pos, it->length, QChar(char16_t(m_base + it->code)));
}

QString ControlCharacters::restoreValue(QString value) const
{
    if (!any())
        return value;
    for (QChar &c : value) {
        if (isStandIn(c))
            c = QChar(char16_t(c.unicode() - m_base));
    }
    return value;
}

QString ControlCharacters::restoreXml(const QString &xml) const
{
    if (!any())
        return xml;
    QString out;
    out.reserve(xml.size());
    for (QChar c : xml) {
        if (isStandIn(c))
            out += QStringLiteral("&#%1;").arg(c.unicode() - m_base, 3, 10, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

/// A value from the file as shown inside an error message: on one line and not too long.
QString shown(QStringView value)
{
    QString text = value.left(60).toString();
    for (QChar &c : text) {
        if (c.unicode() < 0x20)
            c = u' ';
    }
    return value.size() > 60 ? text + QStringLiteral("...") : text;
}

// --- Values -------------------------------------------------------------------------------------------------

char16_t codeUnit(QChar c)
{
    return c.unicode();
}

char16_t codeUnit(char c)
{
    return uchar(c);
}

/// A whole number written as plain decimal digits with an optional minus (what the writer produces), read without
/// the general number parser; nullopt for any other text, which the general parser then reads. `Text` is a view of
/// the decoded text or of the file's bytes.
template <typename Text> std::optional<qint64> plainInteger(Text text)
{
    const bool negative = !text.isEmpty() && codeUnit(text[0]) == u'-';
    const Text digits = text.sliced(negative ? 1 : 0);
    if (digits.isEmpty() || digits.size() > 18)
        return std::nullopt;
    qint64 value = 0;
    for (const auto c : digits) {
        const char16_t unit = codeUnit(c);
        if (unit < u'0' || unit > u'9')
            return std::nullopt;
        value = value * 10 + (unit - u'0');
    }
    return negative ? -value : value;
}

std::optional<double> parseFloat(QStringView text)
{
    // Up to 15 digits are held exactly by a double: the same value the general parser gives.
    if (text.size() <= 15) {
        if (const auto whole = plainInteger(text); whole && !(*whole == 0 && text.startsWith(u'-')))
            return double(*whole);
    }
    bool ok = false;
    double value = text.toDouble(&ok);
    // Some MIDAS versions wrote the Windows decimal comma ("8,5").
    if (!ok && text.contains(u',') && !text.contains(u'.'))
        value = text.toString().replace(u',', u'.').toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

// --- The parser ---------------------------------------------------------------------------------------------

class PacketParser
{
public:
    /// Thrown when the text given to the XML parser ends before it has read what it needs.
    struct NeedsWholeText
    {
    };

    /// With `headerOnly`, the XML parser is given the text up to the rows' start tag only: the rows are read
    /// straight from the text, and handing the parser the whole text would cost a copy of it in UTF-8. When it
    /// needs more, NeedsWholeText is thrown and the caller parses again with the whole text.
    PacketParser(const QString &text, const ControlCharacters &controls, bool headerOnly)
        : m_text(text), m_controls(controls), m_partial(headerOnly && headerEnd(text) < text.size()),
          m_xml(m_partial ? text.first(headerEnd(text)) : text)
    {
        m_xml.setNamespaceProcessing(false);
    }

    /// Reads a packet whose text up to the rows' start tag (and what follows it up to the next tag) is `header`
    /// and whose rows are `rowBytes`, UTF-8 from the first tag after that start tag to the file's end. Rows of the
    /// plain shape are read straight from the bytes; at anything else NeedsWholeText is thrown.
    PacketParser(const QString &header, const ControlCharacters &controls, QByteArrayView rowBytes)
        : m_text(header), m_controls(controls), m_partial(true), m_xml(header), m_rowBytes(rowBytes),
          m_haveRowBytes(true)
    {
        m_xml.setNamespaceProcessing(false);
    }

    void parse(Datapacket &packet);

private:
    struct FieldInfo
    {
        FieldKind kind;
        IntegerRange range;
    };
    struct RowInProgress
    {
        RowValues values;
        int number = 0;
        int expected = 0; ///< the field the next attribute most likely belongs to
        bool current = true;
        bool hasState = false;
    };

    bool nextChild();
    Error xmlError() const;
    Error unexpected(const QString &container) const;
    QString rawInner();
    QString rawElement();
    QString attributeValue(const QXmlStreamAttribute &attribute) const;

    void readMetadata();
    void readFields();
    FieldDef readField(int number);
    void readParams();
    void readRows();
    void readRow(int rowNumber);
    bool scanRows(qsizetype pos);
    bool scanRowBytes(qsizetype textPos);
    bool scanByteRange(qsizetype from, qsizetype to, bool last, QList<RowValues> &rows) const;
    bool byteAttribute(RowInProgress &row, QByteArrayView name, QByteArrayView value, bool nonAscii,
                       bool references) const;
    void beginRow(RowInProgress &row, int number) const;
    bool setRowAttribute(RowInProgress &row, QStringView name, QStringView value) const;
    void endRow(RowInProgress &row, QList<RowValues> &rows) const;
    QVariant convert(int field, QStringView text, int rowNumber) const;

    /// The end of the rows' start tag plus what follows it up to the next tag; the text's size when there is none.
    static qsizetype headerEnd(const QString &text)
    {
        const qsizetype rows = text.indexOf(u"<ROWDATA");
        const qsizetype close = rows < 0 ? -1 : text.indexOf(u'>', rows);
        const qsizetype next = close < 0 ? -1 : text.indexOf(u'<', close);
        return next < 0 ? text.size() : next;
    }

    QString m_text;
    const ControlCharacters &m_controls;
    bool m_partial;
    QXmlStreamReader m_xml;
    Datapacket *m_packet = nullptr;
    QHash<QString, int> m_fieldByAttr;
    QList<FieldInfo> m_info;
    bool m_haveFields = false;
    bool m_sawDtd = false;
    QByteArrayView m_rowBytes;
    bool m_haveRowBytes = false;
};

/// Moves to the next child element of the current element; false at the current element's end.
bool PacketParser::nextChild()
{
    for (;;) {
        switch (m_xml.readNext()) {
        case QXmlStreamReader::StartElement:
            return true;
        case QXmlStreamReader::EndElement:
        case QXmlStreamReader::EndDocument:
            return false;
        case QXmlStreamReader::Characters:
            if (!m_xml.isWhitespace())
                throw Error(QStringLiteral("The datapacket holds unexpected text \"%1\" at line %2, column %3.")
                                .arg(shown(m_xml.text().trimmed()))
                                .arg(m_xml.lineNumber())
                                .arg(m_xml.columnNumber()));
            break;
        case QXmlStreamReader::Invalid:
            throw xmlError();
        case QXmlStreamReader::DTD:
            m_sawDtd = true;
            break;
        default:
            break;
        }
    }
}

Error PacketParser::xmlError() const
{
    if (m_partial && m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
        throw NeedsWholeText();
    if (m_xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
        return Error(QStringLiteral("The datapacket is incomplete: the file ends at line %1, column %2 before "
                                    "the data is closed.")
                         .arg(m_xml.lineNumber())
                         .arg(m_xml.columnNumber()));
    return Error(QStringLiteral("The file is not a valid XML datapacket: %1 (line %2, column %3).")
                     .arg(m_xml.errorString())
                     .arg(m_xml.lineNumber())
                     .arg(m_xml.columnNumber()));
}

Error PacketParser::unexpected(const QString &container) const
{
    return Error(QStringLiteral("The datapacket holds an unexpected element <%1> in %2 (line %3, column %4).")
                     .arg(m_xml.qualifiedName(), container)
                     .arg(m_xml.lineNumber())
                     .arg(m_xml.columnNumber()));
}

/// The raw XML between the current start tag and its end tag, as written in the file.
QString PacketParser::rawInner()
{
    const qint64 start = m_xml.characterOffset();
    m_xml.skipCurrentElement();
    if (m_xml.hasError())
        throw xmlError();
    const qint64 end = m_xml.characterOffset();
    if (end == start) // self-closed
        return {};
    const qsizetype close = m_text.lastIndexOf(u"</", end - 1);
    return m_controls.restoreXml(m_text.sliced(start, close - start));
}

/// The raw XML of the current element, start tag to end tag.
QString PacketParser::rawElement()
{
    const qsizetype open = m_text.lastIndexOf(u'<', m_xml.characterOffset() - 1);
    m_xml.skipCurrentElement();
    if (m_xml.hasError())
        throw xmlError();
    return m_controls.restoreXml(m_text.sliced(open, m_xml.characterOffset() - open));
}

QString PacketParser::attributeValue(const QXmlStreamAttribute &attribute) const
{
    return m_controls.restoreValue(attribute.value().toString());
}

void PacketParser::parse(Datapacket &packet)
{
    m_packet = &packet;
    if (!nextChild()) {
        if (m_xml.hasError())
            throw xmlError();
        throw Error(QStringLiteral("The file holds no XML elements, so it is not a datapacket."));
    }
    if (m_xml.qualifiedName() != u"DATAPACKET")
        throw Error(QStringLiteral("The file is not a datapacket: its main element is <%1>, not <DATAPACKET>.")
                        .arg(m_xml.qualifiedName()));
    bool haveMetadata = false;
    bool haveRows = false;
    while (nextChild()) {
        if (m_xml.qualifiedName() == u"METADATA" && !haveMetadata) {
            readMetadata();
            haveMetadata = true;
        } else if (m_xml.qualifiedName() == u"ROWDATA" && haveMetadata && !haveRows) {
            if (m_haveRowBytes) {
                if (scanRowBytes(m_xml.characterOffset()))
                    return;
                throw NeedsWholeText();
            }
            if (scanRows(m_xml.characterOffset()))
                return; // the rows and the rest of the file have been checked and read
            readRows();
            haveRows = true;
        } else if (m_xml.qualifiedName() == u"ROWDATA" && !haveMetadata) {
            throw Error(QStringLiteral("The datapacket's rows come before its METADATA section."));
        } else {
            throw unexpected(QStringLiteral("DATAPACKET"));
        }
    }
    if (!haveMetadata)
        throw Error(QStringLiteral("The datapacket has no METADATA section, so its columns are unknown."));
    while (!m_xml.atEnd())
        m_xml.readNext();
    if (m_xml.hasError())
        throw xmlError();
}

void PacketParser::readMetadata()
{
    bool haveParams = false;
    while (nextChild()) {
        if (m_xml.qualifiedName() == u"FIELDS" && !m_haveFields) {
            readFields();
        } else if (m_xml.qualifiedName() == u"PARAMS" && !haveParams) {
            readParams();
            haveParams = true;
        } else {
            throw unexpected(QStringLiteral("METADATA"));
        }
    }
    if (!m_haveFields)
        throw Error(QStringLiteral("The datapacket's METADATA section has no FIELDS list, so its columns are "
                                   "unknown."));
}

void PacketParser::readFields()
{
    m_haveFields = true;
    while (nextChild()) {
        if (m_xml.qualifiedName() != u"FIELD")
            throw unexpected(QStringLiteral("FIELDS"));
        FieldDef field = readField(int(m_packet->fields.size()) + 1);
        if (m_fieldByAttr.contains(field.attrName))
            throw Error(QStringLiteral("The datapacket declares the field %1 twice.").arg(field.attrName));
        m_fieldByAttr.insert(field.attrName, int(m_packet->fields.size()));
        m_info.append({field.kind(), integerRangeForToken(field.typeToken)});
        m_packet->fields.append(std::move(field));
    }
}

bool parseFlag(const FieldDef &field, QStringView name, QStringView value)
{
    if (value.compare(u"true", Qt::CaseInsensitive) == 0)
        return true;
    if (value.compare(u"false", Qt::CaseInsensitive) == 0)
        return false;
    throw Error(QStringLiteral("Field %1 has an invalid %2 value \"%3\" (expected true or false).")
                    .arg(field.attrName, name, shown(value)));
}

FieldDef PacketParser::readField(int number)
{
    FieldDef field;
    const QXmlStreamAttributes attributes = m_xml.attributes();
    field.attrName = attributes.value(QLatin1StringView("attrname")).toString();
    field.typeToken = attributes.value(QLatin1StringView("fieldtype")).toString();
    if (field.attrName.isEmpty())
        throw Error(QStringLiteral("Field %1 of the datapacket has no attrname.").arg(number));
    if (field.typeToken.isEmpty())
        throw Error(QStringLiteral("Field %1 of the datapacket has no fieldtype.").arg(field.attrName));
    field.name = field.attrName;
    const bool text = field.kind() == FieldKind::Text;
    for (const QXmlStreamAttribute &a : attributes) {
        const QStringView name = a.qualifiedName();
        if (name == u"fieldname")
            field.name = attributeValue(a);
        else if (name == u"attrname" || name == u"fieldtype")
            continue;
        else if (name.compare(u"required", Qt::CaseInsensitive) == 0)
            field.required = parseFlag(field, name, a.value());
        else if (name.compare(u"readonly", Qt::CaseInsensitive) == 0)
            field.readOnly = parseFlag(field, name, a.value());
        else if (name.compare(u"SUBTYPE", Qt::CaseInsensitive) == 0)
            field.subtype = attributeValue(a);
        else if (text && name.compare(u"WIDTH", Qt::CaseInsensitive) == 0) {
            bool ok = false;
            const int width = a.value().toInt(&ok);
            if (!ok || width < 0)
                throw Error(
                    QStringLiteral("Field %1 has an invalid WIDTH \"%2\".").arg(field.attrName, shown(a.value())));
            // string.uni sizes are in bytes, two per character.
            field.width = field.typeToken.compare(u"string.uni", Qt::CaseInsensitive) == 0 ? (width + 1) / 2 : width;
        } else {
            // Includes the WIDTH of non-text types, which is a storage size rather than a limit on the value.
            field.extraAttributes.append({name.toString(), attributeValue(a)});
        }
    }
    field.innerXml = rawInner();
    return field;
}

void PacketParser::readParams()
{
    for (const QXmlStreamAttribute &a : m_xml.attributes()) {
        // The change log describes row versions that are folded into the current rows when reading.
        if (a.qualifiedName() != u"CHANGE_LOG")
            m_packet->params.append({a.qualifiedName().toString(), attributeValue(a)});
    }
    m_packet->paramsInnerXml = rawInner();
}

void PacketParser::beginRow(RowInProgress &row, int number) const
{
    row.values = RowValues(m_packet->fields.size());
    row.number = number;
    row.expected = 0;
    row.current = true;
    row.hasState = false;
}

/// Stores one ROW attribute. False when the row already has that attribute (which the XML parser reports).
bool PacketParser::setRowAttribute(RowInProgress &row, QStringView name, QStringView value) const
{
    const QList<FieldDef> &fields = m_packet->fields;
    // Attributes normally come in field order, which spares the hash look-up.
    int index = row.expected;
    if (index >= fields.size() || fields.at(index).attrName != name)
        index = m_fieldByAttr.value(name.toString(), -1);
    if (index >= 0) {
        if (row.values.at(index).isValid())
            return false;
        row.values[index] = convert(index, value, row.number);
        row.expected = index + 1;
        return true;
    }
    // A value for a column the file no longer declares (the start-up upgrade rewrites the column list of the
    // match settings) is dropped with its column, as the packet's own engine does.
    if (name != u"RowState")
        return true;
    if (row.hasState)
        return false;
    bool ok = false;
    const int state = value.toInt(&ok);
    if (!ok)
        throw Error(QStringLiteral("Row %1 has an invalid RowState \"%2\".").arg(row.number).arg(shown(value)));
    // 1: the original of a row changed later, 2: a deleted row. Only current versions are kept.
    row.current = (state & 3) == 0;
    row.hasState = true;
    return true;
}

void PacketParser::endRow(RowInProgress &row, QList<RowValues> &rows) const
{
    if (row.current)
        rows.append(std::move(row.values));
}

void PacketParser::readRows()
{
    int rowNumber = 0;
    while (nextChild()) {
        if (m_xml.qualifiedName() != u"ROW")
            throw unexpected(QStringLiteral("ROWDATA"));
        readRow(++rowNumber);
    }
}

void PacketParser::readRow(int rowNumber)
{
    RowInProgress row;
    beginRow(row, rowNumber);
    for (const QXmlStreamAttribute &a : m_xml.attributes())
        setRowAttribute(row, a.qualifiedName(), a.value());
    while (nextChild()) {
        const int index = m_fieldByAttr.value(m_xml.qualifiedName().toString(), -1);
        if (index < 0 || m_info.at(index).kind != FieldKind::Nested)
            throw Error(QStringLiteral("Row %1 holds an element <%2> that is not a nested table of this datapacket.")
                            .arg(rowNumber)
                            .arg(m_xml.qualifiedName()));
        if (row.values.at(index).isValid())
            throw Error(QStringLiteral("Row %1 holds the nested table %2 twice.")
                            .arg(rowNumber)
                            .arg(m_packet->fields.at(index).name));
        row.values[index] = rawElement();
    }
    endRow(row, m_packet->rows);
}

// --- Reading rows straight from the text --------------------------------------------------------------------

bool isXmlSpace(QChar c)
{
    return c == u' ' || c == u'\n' || c == u'\r' || c == u'\t';
}

bool isNameStart(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u':';
}

bool isNameChar(QChar c)
{
    return isNameStart(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.';
}

bool isXmlChar(char32_t c)
{
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

/// Resolves the references in an attribute value; false at one the XML parser should judge. With `controls`,
/// references to control characters are resolved too (Windows programs write them; see ControlCharacters).
bool resolveReferences(QStringView raw, QString &out, bool controls = false)
{
    out.clear();
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] != u'&') {
            out += raw[i];
            continue;
        }
        const qsizetype semicolon = raw.indexOf(u';', i);
        if (semicolon < 0)
            return false;
        const QStringView name = raw.sliced(i + 1, semicolon - i - 1);
        i = semicolon;
        if (name == u"amp")
            out += u'&';
        else if (name == u"lt")
            out += u'<';
        else if (name == u"gt")
            out += u'>';
        else if (name == u"quot")
            out += u'"';
        else if (name == u"apos")
            out += u'\'';
        else if (const auto code = referencedCode(name); code && (isXmlChar(*code) || (controls && *code < 0x20)))
            out += QStringView(QChar::fromUcs4(*code));
        else
            return false;
    }
    return true;
}

/// Reads the rows straight from the text when they have the plain shape Delphi writes (attributes only, one
/// ROW after another, nothing but the closing tags after them): several times faster than the general parser.
/// Returns false, having kept nothing, at anything else; the general parser then reads from the same place.
bool PacketParser::scanRows(qsizetype pos)
{
    const QStringView text(m_text);
    if (m_sawDtd || pos < 2 || text[pos - 2] == u'/') // a DTD may declare entities; <ROWDATA/> has no rows
        return false;
    auto skipSpace = [&] {
        const qsizetype from = pos;
        while (pos < text.size() && isXmlSpace(text[pos]))
            ++pos;
        return pos > from;
    };
    auto at = [&](QStringView what) {
        return text.size() - pos >= what.size() && std::equal(what.begin(), what.end(), text.begin() + pos);
    };

    QList<RowValues> rows;
    RowInProgress row;
    QString resolved;
    for (int number = 1;; ++number) {
        skipSpace();
        if (!at(u"<ROW"))
            break;
        pos += 4;
        beginRow(row, number);
        for (;;) {
            const bool spaced = skipSpace();
            if (at(u"/>"))
                break;
            if (!spaced || pos >= text.size() || !isNameStart(text[pos]))
                return false; // children, a longer tag name or something unusual
            const qsizetype nameStart = pos;
            while (pos < text.size() && isNameChar(text[pos]))
                ++pos;
            const QStringView name = text.sliced(nameStart, pos - nameStart);
            skipSpace();
            if (!at(u"="))
                return false;
            ++pos;
            skipSpace();
            if (pos >= text.size() || (text[pos] != u'"' && text[pos] != u'\''))
                return false;
            const char16_t quote = text[pos++].unicode();
            const qsizetype valueStart = pos;
            bool references = false;
            const char16_t *const chars = text.utf16();
            for (; pos < text.size() && chars[pos] != quote; ++pos) {
                const char16_t c = chars[pos];
                if (c >= 0x20 && c < 0xD800 && c != u'<' && c != u'&')
                    continue;
                if (c == u'&')
                    references = true;
                else if (QChar::isHighSurrogate(c) && pos + 1 < text.size() && text[pos + 1].isLowSurrogate())
                    ++pos;
                else if (c < 0xE000 || c > 0xFFFD) // raw line breaks are normalised by the parser; leave them to it
                    return false;
            }
            if (pos >= text.size())
                return false;
            QStringView value = text.sliced(valueStart, pos - valueStart);
            ++pos;
            if (references) {
                if (!resolveReferences(value, resolved))
                    return false;
                value = resolved;
            }
            if (!setRowAttribute(row, name, value))
                return false;
        }
        pos += 2;
        endRow(row, rows);
    }
    for (const QStringView closing : {u"</ROWDATA", u">", u"</DATAPACKET", u">"}) {
        skipSpace();
        if (!at(closing))
            return false;
        pos += closing.size();
    }
    skipSpace();
    if (pos != text.size())
        return false;
    m_packet->rows = std::move(rows);
    return true;
}

// --- Reading rows straight from UTF-8 bytes -----------------------------------------------------------------

/// Above this many bytes of rows, two threads read them, each one half.
constexpr qsizetype ParallelRowBytes = 2 * 1024 * 1024;

bool isByteSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

bool isByteNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
}

bool isByteNameChar(char c)
{
    return isByteNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

/// True when the bytes are well-formed UTF-8 of characters XML allows in text (no surrogates, no U+FFFE or
/// U+FFFF, nothing above U+10FFFF, no overlong forms). Bytes below 0x80 are checked by the caller.
bool isXmlUtf8(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const auto *const end = p + bytes.size();
    while (p < end) {
        const uchar c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (end - p < length)
            return false;
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        const char32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || code == 0xFFFE || code == 0xFFFF)
            return false;
        p += length;
    }
    return true;
}

/// A value's text from its UTF-8 bytes, a leading U+FEFF kept (QString::fromUtf8() would take it for a byte order
/// mark and drop it).
QString utf8Value(QByteArrayView bytes)
{
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

/// Reads the rows from the UTF-8 bytes that follow the rows' start tag, each value decoded on its own, in two
/// threads for a large file. False, having kept nothing, at anything the general parser should judge.
bool PacketParser::scanRowBytes(qsizetype textPos)
{
    // Only white space may stand between the rows' start tag and the bytes; <ROWDATA/> has no rows.
    const QStringView between = QStringView(m_text).sliced(textPos);
    if (m_sawDtd || textPos < 2 || m_text.at(textPos - 2) == u'/' ||
        !std::all_of(between.begin(), between.end(), isXmlSpace))
        return false;
    const qsizetype size = m_rowBytes.size();
    qsizetype split = size;
    if (size > ParallelRowBytes && secondCoreAvailable()) {
        // The second half starts at a row's start tag; "<" never stands raw inside a value.
        for (qsizetype at = m_rowBytes.indexOf("<ROW", size / 2); at >= 0 && at + 4 < size;
             at = m_rowBytes.indexOf("<ROW", at + 4)) {
            if (isByteSpace(m_rowBytes[at + 4]) || m_rowBytes[at + 4] == '/') {
                split = at;
                break;
            }
        }
    }
    QList<RowValues> rows;
    if (split == size) {
        if (!scanByteRange(0, size, true, rows))
            return false;
    } else {
        QList<RowValues> second;
        bool secondRead = false;
        bool firstRead = false;
        runSideBySide([&] { firstRead = scanByteRange(0, split, false, rows); },
                      [&] {
                          try {
                              secondRead = scanByteRange(split, size, true, second);
                          } catch (...) { // out of memory: the general parser has its say
                              secondRead = false;
                          }
                      });
        if (!firstRead || !secondRead)
            return false;
        rows.append(std::move(second));
    }
    m_packet->rows = std::move(rows);
    return true;
}

/// Reads the rows of m_rowBytes[from, to): whole rows only, and with `last` the closing tags and nothing after.
bool PacketParser::scanByteRange(qsizetype from, qsizetype to, bool last, QList<RowValues> &rows) const
{
    const char *const bytes = m_rowBytes.data();
    qsizetype pos = from;
    auto skipSpace = [&] {
        const qsizetype start = pos;
        while (pos < to && isByteSpace(bytes[pos]))
            ++pos;
        return pos > start;
    };
    auto at = [&](QByteArrayView what) {
        return to - pos >= what.size() && std::memcmp(bytes + pos, what.data(), size_t(what.size())) == 0;
    };

    RowInProgress row;
    for (;;) {
        skipSpace();
        if (!at("<ROW"))
            break;
        pos += 4;
        beginRow(row, 0);
        for (;;) {
            const bool spaced = skipSpace();
            if (at("/>"))
                break;
            if (!spaced || pos >= to || !isByteNameStart(bytes[pos]))
                return false; // children, a longer tag name or something unusual
            const qsizetype nameStart = pos;
            while (pos < to && isByteNameChar(bytes[pos]))
                ++pos;
            const QByteArrayView name(bytes + nameStart, pos - nameStart);
            skipSpace();
            if (!at("="))
                return false;
            ++pos;
            skipSpace();
            if (pos >= to || (bytes[pos] != '"' && bytes[pos] != '\''))
                return false;
            const char quote = bytes[pos++];
            const qsizetype valueStart = pos;
            uchar seen = 0;
            bool references = false;
            for (; pos < to && bytes[pos] != quote; ++pos) {
                const uchar c = uchar(bytes[pos]);
                if (c >= 0x20 && c != '<' && c != '&') {
                    seen |= c;
                    continue;
                }
                if (c != '&')
                    return false; // raw line breaks are normalised by the parser; leave them to it
                references = true;
            }
            if (pos >= to)
                return false;
            const QByteArrayView value(bytes + valueStart, pos - valueStart);
            ++pos;
            if (!byteAttribute(row, name, value, seen >= 0x80, references))
                return false;
        }
        pos += 2;
        endRow(row, rows);
    }
    if (last) {
        for (const QByteArrayView closing : {QByteArrayView("</ROWDATA"), QByteArrayView(">"),
                                             QByteArrayView("</DATAPACKET"), QByteArrayView(">")}) {
            skipSpace();
            if (!at(closing))
                return false;
            pos += closing.size();
        }
        skipSpace();
    }
    return pos == to;
}

/// Stores one ROW attribute read from bytes. False at anything the general parser should judge: a repeated
/// attribute, bytes that are not UTF-8, a value that is not of the plain form written for its type.
bool PacketParser::byteAttribute(RowInProgress &row, QByteArrayView name, QByteArrayView value, bool nonAscii,
                                 bool references) const
{
    const QList<FieldDef> &fields = m_packet->fields;
    const QLatin1StringView attr(name);
    int index = row.expected;
    if (index >= fields.size() || fields.at(index).attrName != attr) {
        index = -1;
        for (int i = 0; i < fields.size() && index < 0; ++i) {
            if (fields.at(i).attrName == attr)
                index = i;
        }
    }
    if (nonAscii && !isXmlUtf8(value))
        return false;
    if (index < 0) {
        // A value for a column the file no longer declares is dropped with its column, once it is known to be
        // well-formed.
        if (name != "RowState") {
            QString resolved;
            return !references || resolveReferences(utf8Value(value), resolved, true);
        }
        const auto state = plainInteger(value);
        if (row.hasState || !state)
            return false;
        row.current = (*state & 3) == 0;
        row.hasState = true;
        return true;
    }
    if (row.values.at(index).isValid())
        return false;
    const FieldInfo &info = m_info.at(index);
    QVariant &stored = row.values[index];
    if (info.kind == FieldKind::Text || info.kind == FieldKind::Opaque) {
        if (!references) {
            stored = nonAscii ? utf8Value(value) : QString::fromLatin1(value);
        } else {
            QString resolved;
            if (!resolveReferences(nonAscii ? utf8Value(value) : QString::fromLatin1(value), resolved, true))
                return false;
            stored = std::move(resolved);
        }
    } else if (nonAscii || references) {
        return false;
    } else if (info.kind == FieldKind::Integer) {
        const auto whole = plainInteger(value);
        if (!whole || *whole < info.range.min || *whole > info.range.max)
            return false;
        stored = *whole;
    } else if (info.kind == FieldKind::Float) {
        const auto number = parseFloat(QString::fromLatin1(value));
        if (!number)
            return false;
        stored = *number;
    } else if (info.kind == FieldKind::Boolean) {
        if (value.size() == 4 && qstrnicmp(value.data(), 4, "TRUE", 4) == 0)
            stored = true;
        else if (value.size() == 5 && qstrnicmp(value.data(), 5, "FALSE", 5) == 0)
            stored = false;
        else
            return false;
    } else {
        return false;
    }
    row.expected = index + 1;
    return true;
}

QVariant PacketParser::convert(int field, QStringView text, int rowNumber) const
{
    const FieldInfo &info = m_info.at(field);
    switch (info.kind) {
    case FieldKind::Text:
    case FieldKind::Opaque:
        return m_controls.restoreValue(text.toString());
    case FieldKind::Integer: {
        bool ok = false;
        const auto plain = plainInteger(text);
        qint64 value = plain ? *plain : text.toLongLong(&ok);
        ok = ok || plain;
        if (!ok) {
            // A decimal value in a whole-number column (a column that once held decimals and was declared whole
            // later) is read rounded half to even, as counts are rounded everywhere else.
            const auto decimal = parseFloat(text);
            ok = decimal && std::fabs(*decimal) < 9.0e18;
            value = ok ? qint64(std::nearbyint(*decimal)) : 0;
        }
        if (ok && value >= info.range.min && value <= info.range.max)
            return value;
        break;
    }
    case FieldKind::Float:
        if (const auto value = parseFloat(text))
            return *value;
        break;
    case FieldKind::Boolean:
        if (text == u"TRUE") // as written; other spellings below
            return true;
        if (text == u"FALSE")
            return false;
        if (text.compare(u"TRUE", Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(u"FALSE", Qt::CaseInsensitive) == 0)
            return false;
        break;
    case FieldKind::Nested:
        throw Error(QStringLiteral("Row %1 gives the nested table %2 as an attribute.")
                        .arg(rowNumber)
                        .arg(m_packet->fields.at(field).name));
    }
    throw Error(QStringLiteral("Invalid value \"%1\" for field %2 (%3) in row %4.")
                    .arg(shown(text), m_packet->fields.at(field).name, m_packet->fields.at(field).typeToken)
                    .arg(rowNumber));
}

/// The packet read straight from UTF-8 bytes: only the text ahead of the rows is decoded as a whole, each value
/// on its own. nullopt when the bytes are not UTF-8 or not of the plain shape, or hold anything wrong: the general
/// reader then reads them and words any error.
std::optional<Datapacket> readUtf8Packet(const QByteArray &bytes)
{
    using Declaration = Datapacket::Declaration;
    QByteArrayView view(bytes);
    Declaration declaration = Declaration::Utf8;
    if (view.startsWith("\xEF\xBB\xBF")) {
        view = view.sliced(3);
    } else if (view.startsWith("\xFF\xFE") || view.startsWith("\xFE\xFF")) {
        return std::nullopt;
    } else {
        bool hasDeclaration = false;
        const std::optional<QByteArray> encoding = declaredEncoding(view, &hasDeclaration);
        if (encoding && *encoding != "utf-8" && *encoding != "utf8")
            return std::nullopt;
        if (!encoding && hasDeclaration)
            declaration = Declaration::Plain;
    }
    const qsizetype rows = view.indexOf("<ROWDATA");
    const qsizetype close = rows < 0 ? -1 : view.indexOf('>', rows);
    const qsizetype next = close < 0 ? -1 : view.indexOf('<', close);
    if (next < 0)
        return std::nullopt;
    std::optional<QString> header = decodeStrictUtf8(view.first(next));
    if (!header)
        return std::nullopt;
    stripStrayParamsEnd(*header);
    try {
        ControlCharacters controls;
        controls.hide(*header);
        Datapacket packet;
        packet.declaration = declaration;
        PacketParser(*header, controls, view.sliced(next)).parse(packet);
        return packet;
    } catch (const PacketParser::NeedsWholeText &) {
    } catch (const Error &) {
    }
    return std::nullopt;
}

} // namespace

Datapacket readDatapacket(const QByteArray &bytes)
{
    if (QByteArrayView(bytes).trimmed().isEmpty())
        throw Error(QStringLiteral("The file is empty; it holds no datapacket."));
    if (std::optional<Datapacket> packet = readUtf8Packet(bytes))
        return std::move(*packet);
    SourceText source = decodeSource(bytes);
    stripStrayParamsEnd(source.text);
    ControlCharacters controls;
    controls.hide(source.text);

    Datapacket packet;
    packet.declaration = source.declaration;
    try {
        PacketParser(source.text, controls, true).parse(packet);
    } catch (const PacketParser::NeedsWholeText &) {
        packet = Datapacket();
        packet.declaration = source.declaration;
        PacketParser(source.text, controls, false).parse(packet);
    }
    return packet;
}

} // namespace quotaly

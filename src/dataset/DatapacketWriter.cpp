#include "Datapacket.h"
#include "SideBySide.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <vector>

#include <QLocale>
#include <QSet>

namespace quotaly {

namespace {

constexpr qsizetype kRowsForTwoThreads = 20000;

/// A double as C-locale text that reads back as the same value: the 15 significant digits Delphi writes when
/// they are exact, else the shortest text that is.
QByteArray formatDouble(double value)
{
    if (value == 0 && std::signbit(value))
        return QByteArrayLiteral("-0");
    // Whole numbers of up to 15 digits are what "%.15g" prints for them, and need no round trip.
    if (std::fabs(value) < 1e15 && value == std::trunc(value))
        return QByteArray::number(qint64(value));
    QString text = QString::number(value, 'g', 15);
    bool ok = false;
    if (text.toDouble(&ok) != value || !ok)
        text = QString::number(value, 'g', QLocale::FloatingPointShortest);
    return text.toLatin1();
}

/// Attributes that Delphi writes between `required` and `SUBTYPE`; every other extra attribute follows SUBTYPE.
bool precedesSubtype(const QString &attribute)
{
    return attribute == u"hidden" || attribute == u"linkfield";
}

class PacketWriter
{
public:
    explicit PacketWriter(const Datapacket &packet)
        : m_packet(packet), m_plain(packet.declaration == Datapacket::Declaration::Plain)
    {
    }

    QByteArray write();

private:
    /// Rows [from, to) as their text, the field names chosen.
    void writeRows(qsizetype from, qsizetype to);
    /// The same, by a writer of its own (for another thread).
    static QByteArray rowsText(const Datapacket &packet, qsizetype from, qsizetype to);

    void chooseAttrNames();
    void writeField(const FieldDef &field, const QString &attrName);
    void writeParams();
    void writeRow(const RowValues &row);
    void writeValue(qsizetype field, const QVariant &value);
    void attribute(QStringView name, QStringView value);
    void escaped(QStringView text);
    void nonAscii(char32_t code);
    void rawXml(QStringView xml);

    const Datapacket &m_packet;
    const bool m_plain;
    QStringList m_attrNames;
    QList<FieldKind> m_kinds;
    QList<QByteArray> m_rowAttrPrefix; ///< ` name="` per field
    /// The last number written in each field and its text: a column mostly repeats a few values.
    std::vector<std::pair<double, QByteArray>> m_lastFloat;
    QByteArray m_out;
};

QByteArray PacketWriter::write()
{
    chooseAttrNames();
    m_lastFloat.resize(std::size_t(m_packet.fields.size()));
    m_out.reserve(512 + m_packet.rows.size() * (32 + 24 * m_packet.fields.size()));
    m_out += m_plain ? QByteArrayLiteral(R"(<?xml version="1.0" standalone="yes"?>)")
                     : QByteArrayLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)");
    m_out += "  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>";
    for (qsizetype i = 0; i < m_packet.fields.size(); ++i)
        writeField(m_packet.fields.at(i), m_attrNames.at(i));
    m_out += "</FIELDS>";
    writeParams();
    m_out += "</METADATA><ROWDATA>";
    const qsizetype rows = m_packet.rows.size();
    // A long packet (the match list of a hundred thousand clients) has its second half written on another thread.
    if (rows >= kRowsForTwoThreads && secondCoreAvailable()) {
        const qsizetype half = rows / 2;
        QByteArray secondHalf;
        runSideBySide([&] { writeRows(0, half); }, [&] { secondHalf = rowsText(m_packet, half, rows); });
        m_out += secondHalf;
    } else {
        writeRows(0, rows);
    }
    m_out += "</ROWDATA></DATAPACKET>";
    return std::move(m_out);
}

void PacketWriter::writeRows(qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i)
        writeRow(m_packet.rows.at(i));
}

QByteArray PacketWriter::rowsText(const Datapacket &packet, qsizetype from, qsizetype to)
{
    PacketWriter writer(packet);
    writer.chooseAttrNames();
    writer.m_lastFloat.resize(std::size_t(packet.fields.size()));
    writer.m_out.reserve((to - from) * (32 + 24 * packet.fields.size()));
    writer.writeRows(from, to);
    return std::move(writer.m_out);
}

/// The ROW attribute name of each field: its attrName, or one made from its name, unique in the packet.
void PacketWriter::chooseAttrNames()
{
    QSet<QString> taken;
    for (const FieldDef &field : m_packet.fields) {
        const QString base = field.attrName.isEmpty() ? xmlSafeName(field.name) : field.attrName;
        QString name = base;
        for (int n = 2; taken.contains(name); ++n)
            name = base + u'_' + QString::number(n);
        taken.insert(name);
        m_attrNames.append(name);
        m_kinds.append(field.kind());
        m_rowAttrPrefix.append(' ' + name.toUtf8() + "=\"");
    }
}

void PacketWriter::writeField(const FieldDef &field, const QString &attrName)
{
    m_out += "<FIELD";
    if (field.name != attrName)
        attribute(u"fieldname", field.name);
    attribute(u"attrname", attrName);
    attribute(u"fieldtype", field.typeToken);
    if (field.readOnly)
        attribute(u"readonly", u"true");
    if (field.required)
        attribute(u"required", u"true");
    bool widthInExtras = false;
    for (const auto &[name, value] : field.extraAttributes) {
        if (precedesSubtype(name))
            attribute(name, value);
    }
    if (!field.subtype.isEmpty())
        attribute(u"SUBTYPE", field.subtype);
    for (const auto &[name, value] : field.extraAttributes) {
        widthInExtras = widthInExtras || name == u"WIDTH";
        if (!precedesSubtype(name))
            attribute(name, value);
    }
    if (field.width > 0 && !widthInExtras) {
        const bool bytes = field.typeToken.compare(u"string.uni", Qt::CaseInsensitive) == 0;
        attribute(u"WIDTH", QString::number(bytes ? 2 * field.width : field.width));
    }
    if (field.innerXml.isEmpty()) {
        m_out += "/>";
    } else {
        m_out += '>';
        rawXml(field.innerXml);
        m_out += "</FIELD>";
    }
}

void PacketWriter::writeParams()
{
    m_out += "<PARAMS";
    for (const auto &[name, value] : m_packet.params)
        attribute(name, value);
    if (m_packet.paramsInnerXml.isEmpty()) {
        m_out += "/>";
    } else {
        m_out += '>';
        rawXml(m_packet.paramsInnerXml);
        m_out += "</PARAMS>";
    }
}

void PacketWriter::writeRow(const RowValues &row)
{
    m_out += "<ROW";
    const qsizetype count = std::min(row.size(), m_packet.fields.size());
    bool nested = false;
    for (qsizetype i = 0; i < count; ++i) {
        const QVariant &value = row.at(i);
        if (!value.isValid() || value.isNull())
            continue;
        if (m_kinds.at(i) == FieldKind::Nested) {
            nested = true;
            continue;
        }
        m_out += m_rowAttrPrefix.at(i);
        writeValue(i, value);
        m_out += '"';
    }
    if (!nested) {
        m_out += "/>";
        return;
    }
    // Nested tables are child elements, kept as they were read.
    m_out += '>';
    for (qsizetype i = 0; i < count; ++i) {
        if (m_kinds.at(i) == FieldKind::Nested && row.at(i).isValid() && !row.at(i).isNull())
            rawXml(row.at(i).toString());
    }
    m_out += "</ROW>";
}

void PacketWriter::writeValue(qsizetype field, const QVariant &value)
{
    switch (m_kinds.at(field)) {
    case FieldKind::Integer: {
        // Without a string of its own per number: a match list holds millions of them.
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, value.toLongLong()).ptr;
        m_out.append(digits, end - digits);
        return;
    }
    case FieldKind::Float: {
        auto &[last, text] = m_lastFloat[std::size_t(field)];
        const double number = value.toDouble();
        if (std::memcmp(&number, &last, sizeof number) != 0 || text.isNull()) {
            last = number;
            text = formatDouble(number);
        }
        m_out += text;
        return;
    }
    case FieldKind::Boolean:
        m_out += value.toBool() ? "TRUE" : "FALSE";
        return;
    case FieldKind::Text:
    case FieldKind::Opaque:
    case FieldKind::Nested:
        if (value.metaType().id() == QMetaType::QString)
            escaped(*static_cast<const QString *>(value.constData()));
        else
            escaped(value.toString());
        return;
    }
}

void PacketWriter::attribute(QStringView name, QStringView value)
{
    m_out += ' ';
    m_out += name.toUtf8();
    m_out += "=\"";
    escaped(value);
    m_out += '"';
}

bool needsNoEscape(char16_t c)
{
    return c >= 0x20 && c < 0x80 && c != u'&' && c != u'\'' && c != u'"' && c != u'<' && c != u'>';
}

void PacketWriter::escaped(QStringView text)
{
    const char16_t *p = text.utf16();
    const char16_t *const end = p + text.size();
    while (p < end) {
        // Most text needs no escaping: copy runs of it in one go.
        const char16_t *run = p;
        while (p < end && needsNoEscape(*p))
            ++p;
        if (p > run) {
            const qsizetype at = m_out.size();
            m_out.resize(at + (p - run));
            std::copy(run, p, m_out.data() + at);
        }
        if (p == end)
            break;
        const char16_t c = *p++;
        if (c >= 0x80) {
            char32_t code = c;
            if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p))
                code = QChar::surrogateToUcs4(c, *p++);
            nonAscii(code);
            continue;
        }
        switch (c) {
        case u'&':
            m_out += "&amp;";
            break;
        case u'\'':
            m_out += "&apos;";
            break;
        case u'"':
            m_out += "&quot;";
            break;
        case u'<':
            m_out += "&lt;";
            break;
        case u'>':
            m_out += "&gt;";
            break;
        default: {
            // Control characters as three-digit references: CR LF is "&#013;&#010;".
            const char reference[] = {'&', '#', '0', char('0' + c / 10), char('0' + c % 10), ';'};
            m_out.append(reference, sizeof reference);
        }
        }
    }
}

void PacketWriter::nonAscii(char32_t code)
{
    // Lone surrogates and U+FFFE/U+FFFF cannot appear in XML in any form.
    if ((code >= 0xD800 && code <= 0xDFFF) || code == 0xFFFE || code == 0xFFFF)
        code = 0xFFFD;
    if (m_plain) {
        m_out += "&#";
        m_out += QByteArray::number(uint(code));
        m_out += ';';
        return;
    }
    if (code < 0x800) {
        m_out += char(0xC0 | (code >> 6));
    } else if (code < 0x10000) {
        m_out += char(0xE0 | (code >> 12));
        m_out += char(0x80 | ((code >> 6) & 0x3F));
    } else {
        m_out += char(0xF0 | (code >> 18));
        m_out += char(0x80 | ((code >> 12) & 0x3F));
        m_out += char(0x80 | ((code >> 6) & 0x3F));
    }
    m_out += char(0x80 | (code & 0x3F));
}

/// Raw XML kept from a file. In the plain variant non-ASCII text and attribute values become character
/// references so the file stays ASCII; names inside tags stay as they are (UTF-8, as XML assumes).
void PacketWriter::rawXml(QStringView xml)
{
    if (!m_plain) {
        m_out += xml.toUtf8();
        return;
    }
    bool inTag = false;
    char16_t quote = 0;
    const qsizetype size = xml.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = xml[i].unicode();
        if (c < 0x80) {
            if (!inTag)
                inTag = c == u'<';
            else if (quote != 0)
                quote = c == quote ? 0 : quote;
            else if (c == u'"' || c == u'\'')
                quote = c;
            else
                inTag = c != u'>';
            m_out += char(c);
            continue;
        }
        const qsizetype length = QChar::isHighSurrogate(c) && i + 1 < size && xml[i + 1].isLowSurrogate() ? 2 : 1;
        if (inTag && quote == 0)
            m_out += xml.sliced(i, length).toUtf8();
        else
            nonAscii(length == 2 ? QChar::surrogateToUcs4(c, xml[i + 1].unicode()) : c);
        i += length - 1;
    }
}

} // namespace

QByteArray writeDatapacket(const Datapacket &packet)
{
    return PacketWriter(packet).write();
}

} // namespace quotaly

#include "LanguageXliff.h"

#include "LanguageRows.h"
#include "LanguageText.h"

#include <QHash>
#include <QSet>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace quotaly {

namespace {

const QString kXliffNamespace = QStringLiteral("urn:oasis:names:tc:xliff:document:1.2");

// The unit id of every row (meaningful for shown rows only): the row's key; for a key that several shown rows
// share, the key followed by "#2", "#3", ... from its second row on, skipping ids that are taken.
QStringList unitIds(const LanguageRows &rows)
{
    QStringList ids(rows.size());
    QList<bool> assigned(rows.size(), false);
    QSet<QString> taken;
    for (int row = 0; row < rows.size(); ++row) {
        const QString key = rows.key(row);
        if (!rows.isHidden(row) && !taken.contains(key)) {
            ids[row] = key;
            assigned[row] = true;
            taken.insert(key);
        }
    }
    QHash<QString, int> lastNumber;
    for (int row = 0; row < rows.size(); ++row) {
        if (rows.isHidden(row) || assigned.at(row))
            continue;
        const QString key = rows.key(row);
        int number = lastNumber.value(key, 1);
        QString id;
        do {
            id = key + u'#' + QString::number(++number);
        } while (taken.contains(id));
        lastNumber.insert(key, number);
        ids[row] = id;
        taken.insert(id);
    }
    return ids;
}

// The first character of `text` that XML 1.0 cannot carry, or 0 when there is none.
char32_t unwritableCharacter(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i;
            continue;
        }
        if ((c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || QChar::isSurrogate(c) || c == 0xFFFE || c == 0xFFFF)
            return c;
    }
    return 0;
}

void requireWritable(const QString &text, const char *what, const QString &id)
{
    if (const char32_t c = unwritableCharacter(text)) {
        throw Error(QStringLiteral("Nothing was exported: the %1 of \"%2\" holds the character U+%3, which an XLIFF "
                                   "file cannot carry.")
                        .arg(QLatin1String(what), id, QStringLiteral("%1").arg(uint(c), 4, 16, QChar(u'0')).toUpper()));
    }
}

void writeUnit(QXmlStreamWriter &xml, const QString &id, const QString &source, const QString &translation)
{
    requireWritable(id, "id", id);
    requireWritable(source, "English text", id);
    requireWritable(translation, "translation", id);
    xml.writeStartElement(kXliffNamespace, QStringLiteral("trans-unit"));
    xml.writeAttribute(QStringLiteral("id"), id);
    xml.writeAttribute(QStringLiteral("resname"), id);
    xml.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
    xml.writeTextElement(kXliffNamespace, QStringLiteral("source"), source);
    if (!translation.isEmpty() && translation != kUntranslated) {
        xml.writeStartElement(kXliffNamespace, QStringLiteral("target"));
        xml.writeAttribute(QStringLiteral("state"),
                           translation == source ? QStringLiteral("needs-translation") : QStringLiteral("translated"));
        xml.writeCharacters(translation);
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

// The text content of the current element, inline elements included, with line breaks as LF.
QString elementText(QXmlStreamReader &xml)
{
    return typedTranslation(xml.readElementText(QXmlStreamReader::IncludeChildElements));
}

XliffUnit readUnit(QXmlStreamReader &xml, QStringView ns)
{
    XliffUnit unit;
    unit.id = xml.attributes().value(QLatin1String("id")).toString();
    unit.line = int(xml.lineNumber());
    // Only the unit's own <source> and <target>: those inside <alt-trans> and other elements are skipped.
    while (xml.readNextStartElement()) {
        if (xml.namespaceUri() == ns && xml.name() == u"source") {
            unit.source = elementText(xml);
            unit.hasSource = true;
        } else if (xml.namespaceUri() == ns && xml.name() == u"target") {
            unit.state = xml.attributes().value(QLatin1String("state")).toString();
            unit.target = elementText(xml);
        } else {
            xml.skipCurrentElement();
        }
    }
    return unit;
}

Error readError(const QXmlStreamReader &xml, bool rootSeen)
{
    QString reason = xml.errorString();
    if (reason.endsWith(u'.'))
        reason.chop(1);
    if (!rootSeen)
        return Error(QStringLiteral("Not an XLIFF file: it is not XML (line %1, column %2: %3). Nothing was imported.")
                         .arg(QString::number(xml.lineNumber()), QString::number(xml.columnNumber()), reason));
    if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
        return Error(QStringLiteral("The XLIFF file is cut short: it ends at line %1 before its last element is "
                                    "closed. Nothing was imported.")
                         .arg(xml.lineNumber()));
    return Error(QStringLiteral("Not a readable XLIFF file: line %1, column %2: %3. Nothing was imported.")
                     .arg(QString::number(xml.lineNumber()), QString::number(xml.columnNumber()), reason));
}

} // namespace

QByteArray exportXliff(const LanguageRows &rows, const QString &targetLanguage, const QString &original)
{
    if (!isLanguageCode(targetLanguage))
        throw Error(QStringLiteral("\"%1\" is not a language code such as \"de\" or \"pt-BR\".").arg(targetLanguage));
    requireWritable(original, "file name", original);
    const QStringList ids = unitIds(rows);

    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(kXliffNamespace);
    xml.writeStartElement(kXliffNamespace, QStringLiteral("xliff"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.2"));
    xml.writeStartElement(kXliffNamespace, QStringLiteral("file"));
    xml.writeAttribute(QStringLiteral("original"), original);
    xml.writeAttribute(QStringLiteral("source-language"), QStringLiteral("en"));
    xml.writeAttribute(QStringLiteral("target-language"), targetLanguage);
    xml.writeAttribute(QStringLiteral("datatype"), QStringLiteral("plaintext"));
    xml.writeAttribute(QStringLiteral("product-name"), QStringLiteral("Quotaly"));
    xml.writeStartElement(kXliffNamespace, QStringLiteral("header"));
    xml.writeEmptyElement(kXliffNamespace, QStringLiteral("tool"));
    xml.writeAttribute(QStringLiteral("tool-id"), QStringLiteral("quotaly"));
    xml.writeAttribute(QStringLiteral("tool-name"), QStringLiteral("Quotaly"));
    xml.writeEndElement();
    xml.writeStartElement(kXliffNamespace, QStringLiteral("body"));
    for (int row = 0; row < rows.size(); ++row) {
        if (!rows.isHidden(row))
            writeUnit(xml, ids.at(row), rows.value(row), rows.translation(row));
    }
    xml.writeEndDocument();
    return bytes;
}

XliffDocument readXliff(const QByteArray &bytes)
{
    if (bytes.trimmed().isEmpty())
        throw Error(QStringLiteral("The file is empty: it is not an XLIFF file. Nothing was imported."));
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement())
        throw readError(xml, false);
    if (xml.name() != u"xliff")
        throw Error(QStringLiteral("Not an XLIFF file: its root element is <%1>, not <xliff>. Nothing was imported.")
                        .arg(xml.name()));
    const QString version = xml.attributes().value(QLatin1String("version")).toString();
    if (!version.startsWith(u"1."))
        throw Error(QStringLiteral("This is XLIFF version \"%1\"; Quotaly reads XLIFF 1.2. Save the file as XLIFF 1.2 "
                                   "in your CAT tool. Nothing was imported.")
                        .arg(version));
    const QString ns = xml.namespaceUri().toString();

    XliffDocument document;
    int files = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.namespaceUri() != ns)
            continue;
        if (xml.name() == u"file" && files++ == 0) {
            const QXmlStreamAttributes attributes = xml.attributes();
            document.original = attributes.value(QLatin1String("original")).toString();
            document.sourceLanguage = attributes.value(QLatin1String("source-language")).toString();
            document.targetLanguage = attributes.value(QLatin1String("target-language")).toString();
        } else if (xml.name() == u"trans-unit") {
            document.units.append(readUnit(xml, ns));
        }
    }
    if (xml.hasError())
        throw readError(xml, true);
    if (files == 0)
        throw Error(QStringLiteral("The XLIFF file has no <file> element, so there is nothing to import."));
    return document;
}

XliffImport applyXliff(const XliffDocument &document, LanguageRows &rows)
{
    const QStringList ids = unitIds(rows);
    QHash<QString, int> rowOfId;
    for (int row = 0; row < rows.size(); ++row) {
        if (!rows.isHidden(row))
            rowOfId.insert(ids.at(row), row);
    }
    XliffImport result;
    QSet<QString> seen;
    for (const XliffUnit &unit : document.units) {
        const QString label = unit.id.isEmpty() ? QStringLiteral("(no id, line %1)").arg(unit.line) : unit.id;
        if (seen.contains(unit.id)) {
            result.repeated << label;
            continue;
        }
        seen.insert(unit.id);
        const int row = rowOfId.value(unit.id, -1);
        if (row < 0) {
            result.unknown << label;
        } else if (!unit.hasSource || unit.source != rows.value(row)) {
            result.changedSource << label;
        } else if (unit.target.isEmpty()) {
            result.untranslated << label;
        } else if (unit.target == rows.translation(row)) {
            ++result.unchanged;
        } else {
            rows.setTranslation(row, unit.target);
            result.applied << label;
        }
    }
    return result;
}

XliffImport importXliff(const QByteArray &bytes, LanguageRows &rows)
{
    return applyXliff(readXliff(bytes), rows);
}

} // namespace quotaly

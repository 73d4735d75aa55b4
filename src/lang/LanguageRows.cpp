#include "LanguageRows.h"

#include "LanguageFile.h"
#include "LanguageList.h"
#include "LanguageLookup.h"
#include "LanguageText.h"

namespace quotaly {

namespace {

constexpr QStringView kLineMarker = u":|:";

// The texts of a file line as the table shows them.
QString shownText(const QString &stored)
{
    QString text = stored;
    return text.replace(kLineMarker.toString(), QStringLiteral("\n"));
}

} // namespace

LanguageRowKey languageRowKey(const LanguageTree &tree, int entry)
{
    QString path = entryPath(tree, entry);
    const struct
    {
        QStringView kind;
        Qt::CaseSensitivity cs;
    } headers[] = {{u"(TStrings)", Qt::CaseSensitive},
                   {u"(TListColumns)", Qt::CaseSensitive},
                   {u"(TTntListColumns)", Qt::CaseInsensitive}};
    for (const auto &header : headers) {
        const qsizetype at = path.indexOf(header.kind, 0, header.cs);
        if (at > 0)
            path[at - 1] = u':';
    }

    LanguageRowKey result;
    const qsizetype equals = path.indexOf(u'=');
    if (equals < 0) {
        result.key = path;
        return result;
    }
    result.key = path.left(equals);
    result.property = result.key.mid(result.key.lastIndexOf(u'.') + 1);
    result.value = path.mid(equals + 1);
    result.hasValue = true;
    return result;
}

QString languageNameProblem(const QString &name, const QString &baseLanguage)
{
    if (name.isEmpty())
        return QStringLiteral("A language needs a name.");
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(QChar(0)))
        return QStringLiteral("A language name cannot contain \"/\", \"\\\" or a NUL character.");
    if (name.startsWith(u'.'))
        return QStringLiteral("A language name cannot start with \".\".");
    for (const QChar c : name) {
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("A language name cannot contain control characters.");
    }
    if (name.size() > 100)
        return QStringLiteral("A language name can have at most 100 characters.");
    const QString baseFileName = kBaseLanguageFile.chopped(4).toString();
    if (name.compare(baseFileName, Qt::CaseInsensitive) == 0 || name.compare(baseLanguage, Qt::CaseInsensitive) == 0)
        return QStringLiteral("\"%1\" is the base language: its texts are the program's own and cannot be replaced.")
            .arg(name);
    return {};
}

QString typedTranslation(const QString &text)
{
    QString typed = text;
    typed.remove(QChar(0));
    typed.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const char16_t breakChar : {u'\r', u'\x2028', u'\x2029'})
        typed.replace(QChar(breakChar), QChar(u'\n'));
    return typed;
}

LanguageRows::LanguageRows() : m_dataset(QStringLiteral("LangTable"))
{
    m_dataset.beforePost = [](Dataset &d) {
        const QVariant typed = d.value(Translation);
        if (!typed.isNull())
            d.setValue(Translation, typedTranslation(typed.toString()));
    };
}

void LanguageRows::fill(const QList<QString> &translations)
{
    Datapacket packet;
    FieldDef key = FieldDef::text(kKeyField.toString(), 0);
    FieldDef property = FieldDef::text(kPropertyField.toString(), 0);
    FieldDef value = FieldDef::text(kValueField.toString(), 0);
    key.readOnly = property.readOnly = value.readOnly = true;
    property.displayLabel = QStringLiteral("Property");
    value.displayLabel = QStringLiteral("Value");
    FieldDef translation = FieldDef::text(kTranslationField.toString(), 0);
    translation.displayLabel = QStringLiteral("not selected");
    FieldDef recId = FieldDef::integer(kRecIdField.toString());
    recId.readOnly = true;
    packet.fields = {key, property, value, translation, recId};
    packet.rows.reserve(m_keys.size());
    for (int i = 0; i < m_keys.size(); ++i) {
        const LanguageRowKey &k = m_keys.at(i);
        packet.rows.append({k.key, k.property, shownText(k.value), translations.value(i), qint64(i + 1)});
    }
    m_dataset.loadFromPacket(packet);
}

void LanguageRows::loadBase(const LanguageTree &base)
{
    m_base = base;
    m_keys.clear();
    m_firstRow.clear();
    m_keys.reserve(base.size());
    m_nextSameKey.assign(std::size_t(base.size()), -1);
    QHash<QString, int> lastRow;
    for (int entry = 0; entry < base.size(); ++entry) {
        m_keys.append(languageRowKey(base, entry));
        const QString &key = m_keys.last().key;
        const auto last = lastRow.constFind(key);
        if (last == lastRow.cend())
            m_firstRow.insert(key, entry);
        else
            m_nextSameKey[std::size_t(*last)] = entry;
        lastRow.insert(key, entry);
    }
    fill({});
    m_filledUnsaved = false;
}

int LanguageRows::loadLanguage(const LanguageTree &language)
{
    QList<QString> translations(m_keys.size());
    QHash<QString, int> seen; // how many entries of each key the language had so far
    int unmatched = 0;
    for (int entry = 0; entry < language.size(); ++entry) {
        const LanguageRowKey k = languageRowKey(language, entry);
        int occurrence = seen.value(k.key, 0);
        seen.insert(k.key, occurrence + 1);
        int row = rowOf(k.key);
        for (; row >= 0 && occurrence > 0; --occurrence)
            row = m_nextSameKey.at(std::size_t(row));
        if (row < 0) {
            ++unmatched;
            continue;
        }
        translations[row] = shownText(k.value);
    }
    fill(translations);
    m_filledUnsaved = false;
    return unmatched;
}

LanguageTree LanguageRows::languageTree() const
{
    LanguageTree tree;
    for (int entry = 0; entry < m_base.size(); ++entry) {
        QString text = m_base.text(entry);
        if (!m_keys.at(entry).value.isEmpty() && entry < size()) {
            // the entry's own "=" is the first one of its line
            text = text.left(text.indexOf(u'=') + 1) + toLineMarkers(translation(entry));
        }
        tree.append(m_base.level(entry), text);
    }
    return tree;
}

void LanguageRows::setAllTranslations(const QString &text)
{
    QList<QString> translations(m_keys.size(), typedTranslation(text));
    fill(translations);
    m_filledUnsaved = true;
}

void LanguageRows::copyBaseValues()
{
    QList<QString> translations;
    translations.reserve(m_keys.size());
    for (const LanguageRowKey &k : std::as_const(m_keys))
        translations.append(shownText(k.value));
    fill(translations);
    m_filledUnsaved = true;
}

QString LanguageRows::key(int row) const
{
    return m_dataset.valueAt(row, Key).toString();
}

QString LanguageRows::value(int row) const
{
    return m_dataset.valueAt(row, Value).toString();
}

QString LanguageRows::translation(int row) const
{
    if (m_dataset.isEditing() && m_dataset.recNo() == row)
        return m_dataset.value(Translation).toString();
    return m_dataset.valueAt(row, Translation).toString();
}

void LanguageRows::setTranslation(int row, const QString &text)
{
    m_dataset.setRecNo(row);
    m_dataset.edit();
    m_dataset.setValue(Translation, text);
    m_dataset.post();
}

bool LanguageRows::isHidden(int row) const
{
    const QString &v = m_keys.at(row).value;
    return v.isEmpty() || v == u" ";
}

bool LanguageRows::isUntranslated(int row, bool orEqual) const
{
    const QString t = translation(row);
    return t == kUntranslated || (orEqual && t == value(row));
}

void LanguageRows::writeFile(const QString &path)
{
    LanguageFile::write(path, languageTree());
    m_dataset.mergeChangeLog();
    m_filledUnsaved = false;
}

} // namespace quotaly

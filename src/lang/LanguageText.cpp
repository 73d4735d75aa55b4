#include "LanguageText.h"

namespace quotaly {

namespace {

const QString kLineMarker = QStringLiteral(":|:");

} // namespace

QString propertyName(const QString &line)
{
    const qsizetype equals = line.indexOf(u'=');
    return equals < 0 ? QString() : line.left(equals);
}

QString propertyValue(const QString &line)
{
    const qsizetype equals = line.indexOf(u'=');
    return equals < 0 ? QString() : line.mid(equals + 1);
}

QString itemKey(const QString &line)
{
    const qsizetype equals = line.indexOf(u'=');
    return equals < 0 ? line : line.left(equals);
}

QString itemText(const QString &line)
{
    const qsizetype equals = line.indexOf(u'=');
    return equals < 0 ? line : line.mid(equals + 1);
}

LanguageListKind listKind(const QString &line)
{
    const qsizetype equals = line.indexOf(u'=');
    if (equals < 0)
        return LanguageListKind::None;
    const QStringView value = QStringView(line).mid(equals + 1);
    if (value.compare(u"(TStrings)", Qt::CaseInsensitive) == 0)
        return LanguageListKind::Strings;
    if (value.compare(u"(TListColumns)", Qt::CaseInsensitive) == 0)
        return LanguageListKind::ListColumns;
    if (value.compare(u"(TTntListColumns)", Qt::CaseInsensitive) == 0)
        return LanguageListKind::TntListColumns;
    return LanguageListKind::None;
}

QString applyLineMarkers(const QString &value)
{
    QString text = value;
    return text.replace(kLineMarker, QStringLiteral("\r\n"));
}

QString toLineMarkers(const QString &text)
{
    QString stored = text;
    stored.replace(QStringLiteral("\r\n"), kLineMarker);
    for (const char16_t breakChar : {u'\r', u'\n', u'\x2028', u'\x2029'})
        stored.replace(QChar(breakChar), kLineMarker);
    return stored;
}

} // namespace quotaly

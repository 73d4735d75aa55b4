#include "FieldDef.h"

#include <limits>

namespace quotaly {

FieldKind fieldKindForToken(const QString &typeToken)
{
    const QString t = typeToken.toLower();
    if (t == u"string" || t == u"string.uni")
        return FieldKind::Text;
    if (t == u"i1" || t == u"i2" || t == u"i4" || t == u"i8" || t == u"ui1" || t == u"ui2" || t == u"ui4" ||
        t == u"ui8")
        return FieldKind::Integer;
    if (t == u"r4" || t == u"r8" || t == u"r10")
        return FieldKind::Float;
    if (t == u"boolean")
        return FieldKind::Boolean;
    if (t == u"nested")
        return FieldKind::Nested;
    return FieldKind::Opaque;
}

IntegerRange integerRangeForToken(const QString &typeToken)
{
    const QString t = typeToken.toLower();
    if (t == u"i1")
        return {-128, 127};
    if (t == u"i2")
        return {-32768, 32767};
    if (t == u"i4")
        return {std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()};
    if (t == u"ui1")
        return {0, 255};
    if (t == u"ui2")
        return {0, 65535};
    if (t == u"ui4")
        return {0, std::numeric_limits<quint32>::max()};
    if (t == u"ui8")
        return {0, std::numeric_limits<qint64>::max()};
    return {std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()};
}

FieldKind FieldDef::kind() const
{
    return fieldKindForToken(typeToken);
}

QString xmlSafeName(const QString &name)
{
    QString out;
    out.reserve(name.size() + 1);
    for (QChar c : name) {
        const bool ok = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
        out += ok ? c : QChar(u'_');
    }
    if (out.isEmpty() || out.front().isDigit())
        out.prepend(u'_');
    return out;
}

static FieldDef make(const QString &name, const QString &token)
{
    FieldDef f;
    f.name = name;
    f.attrName = xmlSafeName(name);
    f.typeToken = token;
    return f;
}

FieldDef FieldDef::text(const QString &name, int width, bool required)
{
    FieldDef f = make(name, QStringLiteral("string"));
    f.width = width;
    f.required = required;
    return f;
}

FieldDef FieldDef::integer(const QString &name)
{
    return make(name, QStringLiteral("i4"));
}

FieldDef FieldDef::floating(const QString &name)
{
    return make(name, QStringLiteral("r8"));
}

FieldDef FieldDef::boolean(const QString &name)
{
    return make(name, QStringLiteral("boolean"));
}

} // namespace quotaly

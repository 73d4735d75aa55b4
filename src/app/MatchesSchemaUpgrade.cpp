#include "MatchesSchemaUpgrade.h"

#include "dataset/AtomicFile.h"
#include "dataset/Error.h"

namespace quotaly {

namespace {

QByteArray fieldElement(const char *name, const char *type, int width = 0)
{
    QByteArray e = QByteArray("<FIELD attrname=\"") + name + "\" fieldtype=\"" + type + '"';
    if (width > 0)
        e += " WIDTH=\"" + QByteArray::number(width) + '"';
    return e + "/>";
}

QByteArray numbered(const char *stem, int from, int to, const char *type)
{
    QByteArray out;
    for (int i = from; i <= to; ++i)
        out += fieldElement((QByteArray(stem) + QByteArray::number(i)).constData(), type);
    return out;
}

} // namespace

QByteArray matchesFieldsSection()
{
    QByteArray s = "<FIELDS>";
    s += fieldElement("FullName", "string", 60);
    s += fieldElement("bMatchTypeWords", "boolean");
    s += fieldElement("bMatchTypePercent", "boolean");
    s += fieldElement("sName2", "string", 25);
    s += numbered("iName", 3, 11, "i4");
    s += fieldElement("sName12", "string", 25);
    s += numbered("iWord", 2, 8, "i4");
    s += numbered("iPercent", 2, 8, "r8");
    s += numbered("fDiscount", 2, 5, "r8");
    s += fieldElement("fDiscount6", "i4");
    s += numbered("fDiscount", 7, 8, "r8");
    s += "</FIELDS>";
    return s;
}

QByteArray upgradeMatchesText(const QByteArray &text)
{
    static const QByteArray open = "<FIELDS>";
    static const QByteArray close = "</FIELDS>";
    const qsizetype p1 = text.indexOf(open);
    const qsizetype p2 = text.indexOf(close);
    if (p1 < 0 || p2 < 0 || p2 < p1)
        return text;
    return text.left(p1) + matchesFieldsSection() + text.mid(p2 + close.size());
}

UpgradeResult UpgradeMatchesSchema(const QString &dataDir)
{
    const QString path = dataDir + QStringLiteral("MatchesByClient.xml");
    try {
        const QByteArray text = readWholeFile(path);
        if (text.isEmpty())
            return {false, QStringLiteral("The match settings file %1 is empty.").arg(path)};
        const QByteArray upgraded = upgradeMatchesText(text);
        if (upgraded != text)
            writeFileAtomically(path, upgraded);
        return {};
    } catch (const Error &e) {
        return {false, e.text()};
    }
}

} // namespace quotaly

#include "OfficeTypes.h"

#include "Spreadsheet.h"
#include "dataset/Error.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace quotaly::office {

QString failureText(const std::exception &failure)
{
    if (const auto *error = dynamic_cast<const Error *>(&failure))
        return error->text();
    return QString::fromLocal8Bit(failure.what());
}

bool sameFile(const QString &a, const QString &b)
{
    const QFileInfo infoA(a);
    const QFileInfo infoB(b);
    if (a.isEmpty() || b.isEmpty() || infoA.isRelative() || infoB.isRelative())
        return false;
    const QString canonicalA = infoA.canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == infoB.canonicalFilePath();
}

std::optional<CellAddress> parseCellAddress(const QString &address)
{
    static const QRegularExpression pattern(QStringLiteral("^([A-Z]{1,3})([1-9][0-9]{0,6})$"));
    const QRegularExpressionMatch m = pattern.match(address);
    if (!m.hasMatch())
        return std::nullopt;
    int column = 0;
    for (const QChar c : m.captured(1))
        column = column * 26 + (c.unicode() - u'A' + 1);
    return CellAddress{m.captured(2).toInt(), column};
}

} // namespace quotaly::office

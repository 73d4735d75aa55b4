#include "OfficeTypes.h"

#include "dataset/Error.h"

#include <QFileInfo>

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

} // namespace quotaly::office

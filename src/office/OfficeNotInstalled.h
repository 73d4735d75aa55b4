#pragma once

#include <QString>

namespace quotaly::office {

/// What the user reads when the office cannot be used at all, with the reason in brackets.
inline QString officeNotInstalledText(const QString &reason)
{
    return QStringLiteral("LibreOffice is not installed or cannot be used (%1). Install it with: "
                          "sudo apt-get install libreoffice-writer libreoffice-calc")
        .arg(reason);
}

} // namespace quotaly::office

#pragma once

#include <QString>
#include <QStringList>

namespace quotaly::bench {

/// The eleven texts of client i of a list of `rows`: German agencies in a scrambled order, every tenth client a
/// repeat of the one before, so sorts have ties to break and the duplicate check has duplicates to find.
inline QStringList clientTexts(int i, int rows)
{
    const int n = i % 10 == 9 ? i - 1 : i;
    return {QStringLiteral("Client %1 Übersetzungen GmbH").arg((n * 7919) % rows, 6, 10, QChar(u'0')),
            QStringLiteral("DE%1").arg(100000000 + n),
            QStringLiteral("Hauptstraße %1").arg(n % 300),
            QStringLiteral("D-10%1 Berlin").arg(n % 1000, 3, 10, QChar(u'0')),
            QStringLiteral("Germany"),
            QStringLiteral("+49 30 %1").arg(n),
            QString(),
            QStringLiteral("office%1@client.example").arg(n),
            QStringLiteral("https://client%1.example").arg(n),
            QStringLiteral("Payment within 30 days"),
            QString()};
}

} // namespace quotaly::bench

#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace quotaly {

/// The currency list offered when no currency file can be read: (code, title) in the program's order.
const QList<QPair<QString, QString>> &builtinCurrencies();

} // namespace quotaly

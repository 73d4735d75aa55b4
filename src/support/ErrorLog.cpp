#include "ErrorLog.h"

#include <QSettings>

namespace quotaly {

namespace {

// State for the whole run. The folder is never set, so nothing is ever recorded whatever the switch says.
bool g_errorLogging = true;
const QString g_logFolder;

} // namespace

bool switchIsOn(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    // Settings files keep numbers as text, so a text value is the usual case here, not the exception.
    const QString text = value.toString().trimmed();
    bool isNumber = false;
    const qlonglong number = text.toLongLong(&isNumber);
    if (isNumber)
        return number != 0;
    const double real = text.toDouble(&isNumber);
    if (isNumber)
        return real != 0.0;
    return text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

bool readOrCreateSwitch(QSettings &settings, const QString &name, int missingValue)
{
    if (settings.contains(name))
        return switchIsOn(settings.value(name));
    settings.setValue(name, missingValue);
    return missingValue != 0;
}

void ReadLogSwitches()
{
    QSettings settings(QString::fromLatin1(errorLogOrganization), QString::fromLatin1(errorLogApplication));
    readOrCreateSwitch(settings, QStringLiteral("DebugLog"), 0); // stored only, it switches nothing
    g_errorLogging = readOrCreateSwitch(settings, QStringLiteral("ErrorLog"), 1);
}

void WriteErrorLog(const QString &, const QString &, const QString &, const QString &) noexcept
{
    // Recording needs the switch on and a log folder. No folder is ever set, so every failure ends here.
}

bool errorLoggingEnabled()
{
    return g_errorLogging;
}

QString errorLogFolder()
{
    return g_logFolder;
}

} // namespace quotaly

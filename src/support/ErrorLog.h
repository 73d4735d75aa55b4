#pragma once

#include <QString>
#include <QVariant>

class QSettings;

namespace quotaly {

/// Settings location of the error-log switches ("DebugLog", "ErrorLog").
inline constexpr auto errorLogOrganization = "Morvane Software";
inline constexpr auto errorLogApplication = "Tallvex.Bu";

/// Reads a stored on/off value the way the program stores its switches (0 = off, 1 = on). Any non-zero
/// number and the text "true" count as on; anything else, including text that is not a number, counts as off.
bool switchIsOn(const QVariant &value);

/// Reads the switch `name` from `settings`; when the value is missing, writes `missingValue` (0 or 1) and
/// returns it as a switch. An existing value is never overwritten, whatever it holds.
bool readOrCreateSwitch(QSettings &settings, const QString &name, int missingValue);

/// Reads the error-log switches once at start-up, before any window exists: "DebugLog" (created as 0) and then
/// "ErrorLog" (created as 1), which becomes the error-logging switch. Later changes take effect at the next start.
void ReadLogSwitches();

/// Hands a failure that is not shown to the user to the error log. Recording needs both the switch and a log
/// folder; this program never sets a log folder, so the failure is dropped: nothing is written or shown.
/// Never throws.
void WriteErrorLog(const QString &Source, const QString &Code, const QString &Message, const QString &Context) noexcept;

/// The error-logging switch as read by ReadLogSwitches() (on until then).
bool errorLoggingEnabled();

/// The folder that recorded failures would go to; always empty in this program.
QString errorLogFolder();

} // namespace quotaly

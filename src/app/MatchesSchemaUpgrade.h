#pragma once

#include <QByteArray>
#include <QString>

namespace quotaly {

/// The column list every match-settings file is given at start: one line from "<FIELDS>" to "</FIELDS>".
QByteArray matchesFieldsSection();

/// Replaces the text from the first "<FIELDS>" to the first "</FIELDS>" with matchesFieldsSection().
/// Returns the text unchanged when either marker is missing.
QByteArray upgradeMatchesText(const QByteArray &text);

/// Result of UpgradeMatchesSchema.
struct UpgradeResult
{
    bool ok = true;  ///< false: the file is missing, unreadable, empty or not writable; the program must end
    QString error;   ///< what went wrong, for the user
};

/// Rewrites the column list of `<dataDir>MatchesByClient.xml` in place (through a temporary file and a
/// rename). Rows are not touched.
UpgradeResult UpgradeMatchesSchema(const QString &dataDir);

} // namespace quotaly

#pragma once

#include <QByteArray>
#include <QString>

namespace quotaly {

/// Writes bytes to a file through a temporary file in the same folder and a rename, so the old file stays
/// whole until the new one is complete. Throws Error naming the file and the reason.
void writeFileAtomically(const QString &path, const QByteArray &bytes);

/// The same write, for callers that word the failure themselves: returns the system's reason when the file
/// could not be written, an empty text when it was.
QString tryWriteFileAtomically(const QString &path, const QByteArray &bytes);

/// Reads a whole file. Throws Error "Error: File <path> not found." when it does not exist, or a message
/// naming the file and the reason when it cannot be read.
QByteArray readWholeFile(const QString &path);

} // namespace quotaly

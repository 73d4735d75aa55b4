#pragma once

#include "ExportTable.h"

#include <optional>

#include <QByteArray>
#include <QString>

namespace quotaly {

/// The extension a format appends to a name that has none: ".csv", ".txt", ".html", ".xls".
QString exportExtension(ExportFormat format);

/// The format for a file name by its extension (csv, txt, htm/html, xls, case-insensitive); nullopt otherwise.
std::optional<ExportFormat> exportFormatForFile(const QString &fileName);

/// The bytes of a table in a format. Throws Error when the format cannot hold the table (worksheet limits).
QByteArray exportBytes(const ExportTable &table, ExportFormat format);

/// Writes the file through QSaveFile, so a failure (folder not writable, disk full, file locked or read-only)
/// leaves any older file untouched and no half-written file; throws quotaly::Error with a clear user-facing
/// text naming the file and the reason.
void writeExportFile(const QString &fileName, ExportFormat format, const ExportTable &table);

} // namespace quotaly

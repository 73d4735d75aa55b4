#pragma once

#include "ReportText.h"

#include <optional>

#include <QByteArray>
#include <QString>

namespace quotaly {

/// Clipboard type of the rows one grid of the program hands to another.
inline const QString kGridDataMimeType = QStringLiteral("application/x-quotaly-grid");

/// The grid flavour of a copied table: UTF-8 JSON
/// {"format": "quotaly-grid", "version": 1, "titles": [...], "rows": [[...], ...], "footer": [...]},
/// every cell a string exactly as displayed. Lossless: readReportGridData() gives the same table back.
QByteArray reportGridData(const ReportTable &table);

/// Reads grid data written by reportGridData(). On damaged or foreign data returns nullopt and, when asked,
/// a message for the user saying what is wrong.
std::optional<ReportTable> readReportGridData(const QByteArray &data, QString *errorText = nullptr);

} // namespace quotaly

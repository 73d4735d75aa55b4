#pragma once

#include "ExportTable.h"

#include <QByteArray>
#include <QChar>
#include <QString>

namespace quotaly {

/// Captions line, empty line, one line per row or group heading; every line ends in CR LF; UTF-8, no BOM.
/// A row's cells and the captions are joined by `separator`; a group heading is its text alone. A value that
/// holds the separator, a double quote, CR or LF is written in double quotes with its quotes doubled, so every
/// row keeps the header's number of fields; every other value is written as it is.
QByteArray delimitedText(const ExportTable &table, QChar separator);

/// `value` as one field of a line joined by `separator`: unchanged, or quoted as delimitedText() describes.
QString delimitedField(const QString &value, QChar separator);

} // namespace quotaly

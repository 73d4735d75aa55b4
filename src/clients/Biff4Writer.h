#pragma once

#include "ExportTable.h"

#include <optional>

#include <QByteArray>
#include <QString>

namespace quotaly {

/// The most rows (captions row included) and columns an Excel 4.0 worksheet holds.
inline constexpr int kBiff4MaxRows = 16384;
inline constexpr int kBiff4MaxColumns = 256;

/// An Excel 4.0 (BIFF4) worksheet: the captions in bold in row 0, then one row per line; a group heading is a
/// bold text in column 0 of its own row. Text is stored in Windows-1252 (a character it lacks becomes "?") and
/// cut at 255 bytes; a cell of a numeric column that holds a number becomes a number cell. Throws Error when
/// the table has more rows or columns than a worksheet holds.
QByteArray biff4Worksheet(const ExportTable &table);

/// How many texts of the table (captions, cells, group headings) hold a character that Windows-1252 lacks, and
/// so would not be kept by biff4Worksheet().
int biff4UnkeptValues(const ExportTable &table);

/// The number a cell text holds, in the C locale or with "," as decimal separator (no group separators);
/// nullopt for any other text, and for infinities and NaN.
std::optional<double> biff4Number(const QString &text);

} // namespace quotaly

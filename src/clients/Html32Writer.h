#pragma once

#include "ExportTable.h"

#include <QByteArray>
#include <QString>

namespace quotaly {

/// An HTML 3.2 document in UTF-8 holding the table as one bordered TABLE: a row of TH captions, then one TR per
/// row, a group heading as one bold cell spanning every column. Numeric columns are right-aligned, empty cells
/// hold &nbsp; and line breaks inside a value become <BR>. No CSS; lines end in CR LF. The title is the table's
/// title, or "Export" when it has none.
QByteArray html32Document(const ExportTable &table);

/// Text for HTML 3.2 content or attribute values: "&", "<", ">" and '"' as entities, each line break (CR LF,
/// LF or CR) as <BR>.
QString html32Escaped(const QString &text);

} // namespace quotaly

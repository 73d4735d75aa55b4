#pragma once

#include "ReportText.h"

#include <QString>

namespace quotaly {

/// One RTF document holding the report as a single table: the titles in the first row (bold, repeated at
/// the top of every page), one row per record, then the footer row in bold. No header block. Columns whose
/// records all hold numbers are right-aligned; column widths follow the longest text of the column and are
/// scaled down to fit a page. The document is plain ASCII: see rtfEscaped().
QString reportRtfTable(const ReportTable &table);

/// An HTML document in UTF-8 (declared in a meta element) holding the same single table: the titles as
/// <th> cells, the records, and the footer with its cells in bold. The markup is also well-formed XML.
QString reportHtmlTable(const ReportTable &table);

/// Text for the body of an RTF document: "\", "{" and "}" escaped, TAB as \tab, each line break (CR LF,
/// LF or CR) as \line, every other character outside printable ASCII as \uN followed by "?" for readers
/// without Unicode (N signed 16-bit; characters beyond U+FFFF as their two UTF-16 halves).
QString rtfEscaped(const QString &text);

/// Text for HTML content and attribute values: "&", "<", ">" and '"' as entities, line breaks as <br />.
QString htmlEscaped(const QString &text);

} // namespace quotaly

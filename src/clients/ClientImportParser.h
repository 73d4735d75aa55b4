#pragma once

#include <optional>

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

namespace quotaly {

class Dataset;

/// A client list file split into rows for the import table.
struct ClientImportText
{
    QChar delimiter;         ///< the character the lines were split at
    QString intermediate;    ///< the import table's field names, then the kept fields of every record (CR LF ends)
    QList<QStringList> rows; ///< one row per record of the file: eleven values each, at most 100 characters
};

/// The delimiter of a client list file from the counts of its TAB characters, commas and semicolons: the
/// most frequent one; on a tie TAB wins over semicolon and semicolon over comma, and a file with none of them
/// gets TAB.
QChar detectImportDelimiter(qsizetype tabs, qsizetype commas, qsizetype semicolons);

/// Splits the lines of a client list file into records. The delimiter is detected over all lines unless
/// `userDelimiter` gives one. A field that starts with a double quote is read as comma-separated files quote
/// it: the quotes go, "" stands for one quote, and delimiters and line breaks inside the quotes belong to the
/// value (so one record may span lines); a quote that is never closed leaves its line to be read plainly. Any
/// other field runs to the next delimiter, quote characters included. Of every record the first ten fields are
/// kept when it has more than eleven, all of them otherwise; one delimiter at the end of a line is dropped.
/// Every record, a heading or an empty line too, becomes a row; its fields go by position into the eleven
/// values, missing ones empty.
ClientImportText parseClientImport(const QStringList &lines, std::optional<QChar> userDelimiter = std::nullopt);

/// Splits the lines of a client list file into records as parseClientImport() does, some at a time: the
/// delimiter is worked out (or given) at once, the records are read on request, in order.
class ClientImportSplitter
{
public:
    /// `lines` must outlive the splitter.
    explicit ClientImportSplitter(const QStringList &lines, std::optional<QChar> userDelimiter = std::nullopt);

    QChar delimiter() const { return m_delimiter; }
    bool atEnd() const { return m_next >= m_lines.size(); }
    /// Leaves the intermediate text out (the rows are the same).
    void setIntermediateKept(bool kept) { m_intermediateKept = kept; }
    /// Splits up to `records` more records, appending their rows (and intermediate lines) to `text`.
    void read(qsizetype records, ClientImportText &text);

private:
    const QStringList &m_lines;
    qsizetype m_next = 0;
    QChar m_delimiter;
    bool m_intermediateKept = true;
};

/// Reads the lines of a text file (UTF-8 or UTF-16 with a byte order mark, UTF-8, else Windows-1252; LF or
/// CR LF). Throws Error naming the file when it cannot be read or is not a text file.
QStringList readImportFileLines(const QString &fileName);

/// Opens `dxImportData` anew (empty, with its declared fields) and appends every row, values stored by
/// position. When a row cannot be appended, the rows before it stay and the Error is thrown.
void fillImportData(Dataset &dxImportData, const ClientImportText &text);

} // namespace quotaly

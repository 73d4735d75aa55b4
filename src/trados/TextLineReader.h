#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

class QFile;

namespace quotaly {

/// Reads a text file line by line without holding the whole file in memory.
///
/// The encoding follows the byte order mark (UTF-8, UTF-16 LE or BE); without one the file is UTF-8 when every
/// byte sequence in it is valid UTF-8, else Windows-1252. Lines end in LF or CR LF; the line end is not part of
/// the line. Throws Error naming the file when it cannot be read.
class TextLineReader
{
public:
    enum class Encoding
    {
        Utf8,
        Utf16LE,
        Utf16BE,
        Windows1252
    };

    /// `file` must be open for reading and positioned at its start; it is read from here on.
    explicit TextLineReader(QFile &file);

    /// Reads the next line into `line`. Returns false (and clears `line`) at the end of the file.
    bool readLine(QString &line);

    Encoding encoding() const { return m_encoding; }

private:
    void detectEncoding();
    bool readChunk();
    qsizetype findLineEnd(qsizetype from) const;
    void decode(const char *bytes, qsizetype size, QString &line);
    [[noreturn]] void failRead() const;

    QFile &m_file;
    Encoding m_encoding = Encoding::Utf8;
    QStringDecoder m_utf8;
    QStringDecoder m_utf16;
    QByteArray m_buffer;
    qsizetype m_pos = 0;  // start of the next line in m_buffer
    qsizetype m_scan = 0; // where the search for the next line end resumes
    bool m_atEnd = false;
};

} // namespace quotaly

#pragma once

#include "LanguageTree.h"
#include "dataset/Error.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace quotaly {

/// How the bytes of a language file were decoded.
enum class LanguageEncoding
{
    Utf16LE,     ///< byte order mark FF FE (the only form written)
    Utf16BE,     ///< byte order mark FE FF
    Utf8Mark,    ///< byte order mark EF BB BF
    Utf8,        ///< no mark, valid UTF-8
    Windows1252, ///< no mark, not valid UTF-8: a file written in the Windows "ANSI" code page
};

/// A language file whose indentation does not form a tree. text() is "Invalid level (<level>) for item
/// "<text>""; line() tells where (1 for the first line).
class LanguageFileError : public Error
{
public:
    LanguageFileError(const QString &text, int line) : Error(text), m_line(line) {}
    int line() const { return m_line; }

private:
    int m_line;
};

/// One indentation fault found by LanguageFile::check().
struct LanguageParseProblem
{
    int line = 0; ///< 1 for the first line
    QString message;
};

/// Reading and writing of language files. They are read in any of the LanguageEncoding forms and written as
/// UTF-16LE with FF FE, one TAB per level and CR LF after every line.
namespace LanguageFile {

/// Files larger than this are refused unread.
inline constexpr qint64 kMaxBytes = 16 * 1024 * 1024;

/// Decodes file bytes by their byte order mark (which is not part of the text); without a mark, UTF-8 when the
/// bytes are valid UTF-8, else Windows-1252. A UTF-16 file's odd last byte is ignored.
QString decode(const QByteArray &bytes, LanguageEncoding *encoding = nullptr);

/// Splits text into lines at CR, LF or U+2028. One break is at most one CR, then one LF, then one U+2028 (so
/// LF CR is two breaks); a U+0000 ends the text; a break at the very end adds no empty line.
QStringList splitLines(const QString &text);

/// Builds the tree of decoded text. Leading TABs and SPACEs give a line's level (the first line is top-level
/// whatever its indentation); a line more than one level deeper than the entry before it throws
/// LanguageFileError. An empty line is a top-level entry with empty text.
LanguageTree parse(const QString &text);

/// Like parse(), but goes on after a fault (taking the faulty line one level below the entry before it) and
/// lists every fault instead of throwing.
LanguageTree check(const QString &text, QList<LanguageParseProblem> *problems);

/// Reads a language file's bytes and decodes them as decode() does. Throws Error when the file cannot be read, is
/// larger than kMaxBytes or holds binary data. An empty file is a language without texts.
QString readText(const QString &path, LanguageEncoding *encoding = nullptr);

/// Reads a language file. Throws Error when the file cannot be read or is larger than kMaxBytes, and
/// LanguageFileError when its indentation is wrong; a tree is only returned whole.
LanguageTree read(const QString &path, LanguageEncoding *encoding = nullptr);

/// The bytes of `tree` as a language file. Line breaks inside a text are written as ":|:" and U+0000 is
/// dropped, so every text reads back on its own line.
QByteArray encode(const LanguageTree &tree);

/// Writes `tree` to `path` through a temporary file; throws Error when it cannot be saved.
void write(const QString &path, const LanguageTree &tree);

/// A short name of the encoding for messages and reports ("UTF-16LE with byte order mark", ...).
QString encodingName(LanguageEncoding encoding);

} // namespace LanguageFile

} // namespace quotaly

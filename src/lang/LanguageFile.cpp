#include "LanguageFile.h"

#include "LanguageText.h"
#include "dataset/AtomicFile.h"
#include "dataset/Windows1252.h"

#include <algorithm>

#include <QFile>
#include <QStringDecoder>

namespace quotaly::LanguageFile {

namespace {

constexpr char16_t kLineSeparator = u'\x2028';

QString decodeUtf16(const QByteArray &bytes, qsizetype from, bool bigEndian)
{
    const qsizetype units = (bytes.size() - from) / 2;
    QString text(units, Qt::Uninitialized);
    const auto *in = reinterpret_cast<const uchar *>(bytes.constData() + from);
    QChar *out = text.data();
    for (qsizetype i = 0; i < units; ++i) {
        const uchar first = in[2 * i];
        const uchar second = in[2 * i + 1];
        out[i] = QChar(bigEndian ? char16_t(first << 8 | second) : char16_t(second << 8 | first));
    }
    return text;
}

bool startsWith(const QByteArray &bytes, const char *mark)
{
    return bytes.startsWith(QByteArrayView(mark));
}

/// Calls `lineFound` with each line of `text`, by the rules of splitLines().
template <typename LineFound> void forEachLine(const QString &text, LineFound lineFound)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    const qsizetype end = nul >= 0 ? nul : text.size();
    const QChar *chars = text.constData();
    qsizetype at = 0;
    while (at < end) {
        const qsizetype start = at;
        while (at < end && chars[at] != u'\r' && chars[at] != u'\n' && chars[at] != kLineSeparator)
            ++at;
        lineFound(QStringView(chars + start, at - start));
        for (const char16_t breakChar : {u'\r', u'\n', kLineSeparator}) {
            if (at < end && chars[at] == breakChar)
                ++at;
        }
    }
}

/// Counts the leading TABs and SPACEs of a line.
qsizetype indentation(QStringView line)
{
    qsizetype level = 0;
    while (level < line.size() && (line.at(level) == u'\t' || line.at(level) == u' '))
        ++level;
    return level;
}

LanguageTree build(const QString &text, QList<LanguageParseProblem> *problems)
{
    LanguageTree tree;
    int lineNumber = 0;
    forEachLine(text, [&](QStringView line) {
        ++lineNumber;
        const qsizetype indent = indentation(line);
        const QString entryText = line.mid(indent).toString();
        qsizetype level = tree.isEmpty() ? 0 : indent;
        if (level > tree.maxNextLevel()) {
            const QString message =
                QStringLiteral("Invalid level (%1) for item \"%2\"").arg(QString::number(indent), entryText);
            if (!problems)
                throw LanguageFileError(message, lineNumber);
            problems->append({lineNumber, message});
            level = tree.maxNextLevel();
        }
        tree.append(int(level), entryText);
    });
    return tree;
}

} // namespace

QString decode(const QByteArray &bytes, LanguageEncoding *encoding)
{
    LanguageEncoding found = LanguageEncoding::Utf8;
    QString text;
    if (startsWith(bytes, "\xFF\xFE")) {
        found = LanguageEncoding::Utf16LE;
        text = decodeUtf16(bytes, 2, false);
    } else if (startsWith(bytes, "\xFE\xFF")) {
        found = LanguageEncoding::Utf16BE;
        text = decodeUtf16(bytes, 2, true);
    } else if (startsWith(bytes, "\xEF\xBB\xBF")) {
        found = LanguageEncoding::Utf8Mark;
        text = QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8.decode(bytes);
        if (utf8.hasError()) {
            found = LanguageEncoding::Windows1252;
            text = decodeWindows1252(bytes);
        }
    }
    if (encoding)
        *encoding = found;
    return text;
}

QStringList splitLines(const QString &text)
{
    QStringList lines;
    forEachLine(text, [&lines](QStringView line) { lines.append(line.toString()); });
    return lines;
}

LanguageTree parse(const QString &text)
{
    return build(text, nullptr);
}

LanguageTree check(const QString &text, QList<LanguageParseProblem> *problems)
{
    QList<LanguageParseProblem> found;
    LanguageTree tree = build(text, &found);
    if (problems)
        *problems = found;
    return tree;
}

namespace {

// Text has few control characters; a file with many (NUL bytes, a picture, an archive) is not a language file. A
// stray one or two, such as the NUL that ends a text, do not count.
bool looksBinary(QStringView start)
{
    const qsizetype controls = std::count_if(start.begin(), start.end(), [](QChar c) {
        return c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r';
    });
    return controls > 8 && controls > start.size() / 20;
}

} // namespace

QString readText(const QString &path, LanguageEncoding *encoding)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot open the language file \"%1\": %2").arg(path, file.errorString()));
    // Read one byte more than allowed, so a file that grows while it is read is refused too.
    const QByteArray bytes = file.size() > kMaxBytes ? QByteArray() : file.read(kMaxBytes + 1);
    if (file.size() > kMaxBytes || bytes.size() > kMaxBytes) {
        throw Error(QStringLiteral("The language file \"%1\" is larger than %2 MB and was not read.")
                        .arg(path, QString::number(kMaxBytes / (1024 * 1024))));
    }
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("Cannot read the language file \"%1\": %2").arg(path, file.errorString()));
    const QString text = decode(bytes, encoding);
    if (looksBinary(QStringView(text).left(4096)))
        throw Error(QStringLiteral("\"%1\" is not a language file: it holds binary data.").arg(path));
    return text;
}

LanguageTree read(const QString &path, LanguageEncoding *encoding)
{
    return parse(readText(path, encoding));
}

QByteArray encode(const LanguageTree &tree)
{
    QByteArray bytes("\xFF\xFE", 2);
    const auto appendUnit = [&bytes](char16_t unit) {
        bytes.append(char(unit & 0xFF));
        bytes.append(char(unit >> 8));
    };
    for (int i = 0; i < tree.size(); ++i) {
        for (int level = 0; level < tree.level(i); ++level)
            appendUnit(u'\t');
        const QString &text = tree.text(i);
        const bool plain = std::none_of(text.cbegin(), text.cend(), [](QChar c) {
            return c == u'\r' || c == u'\n' || c == kLineSeparator || c == u'\0';
        });
        const QString line = plain ? text : toLineMarkers(text).remove(QChar(u'\0'));
        for (const QChar c : line)
            appendUnit(c.unicode());
        appendUnit(u'\r');
        appendUnit(u'\n');
    }
    return bytes;
}

void write(const QString &path, const LanguageTree &tree)
{
    const QString reason = tryWriteFileAtomically(path, encode(tree));
    if (!reason.isEmpty())
        throw Error(QStringLiteral("Cannot save the language file \"%1\": %2").arg(path, reason));
}

QString encodingName(LanguageEncoding encoding)
{
    switch (encoding) {
    case LanguageEncoding::Utf16LE:
        return QStringLiteral("UTF-16LE with byte order mark");
    case LanguageEncoding::Utf16BE:
        return QStringLiteral("UTF-16BE with byte order mark");
    case LanguageEncoding::Utf8Mark:
        return QStringLiteral("UTF-8 with byte order mark");
    case LanguageEncoding::Utf8:
        return QStringLiteral("UTF-8 without byte order mark");
    case LanguageEncoding::Windows1252:
        return QStringLiteral("Windows-1252 (ANSI)");
    }
    return {};
}

} // namespace quotaly::LanguageFile

#include "LanguageFile.h"

#include "LanguageText.h"
#include "dataset/Windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

namespace quotaly::LanguageFile {

namespace {

constexpr char16_t kLineSeparator = u'\x2028';

QString decodeUtf16(const QByteArray &bytes, qsizetype from, bool bigEndian)
{
    const qsizetype units = (bytes.size() - from) / 2;
    QString text(units, Qt::Uninitialized);
    const auto *in = reinterpret_cast<const uchar *>(bytes.constData() + from);
    for (qsizetype i = 0; i < units; ++i) {
        const uchar first = in[2 * i];
        const uchar second = in[2 * i + 1];
        text[i] = QChar(bigEndian ? char16_t(first << 8 | second) : char16_t(second << 8 | first));
    }
    return text;
}

bool startsWith(const QByteArray &bytes, const char *mark)
{
    return bytes.startsWith(QByteArrayView(mark));
}

/// Counts the leading TABs and SPACEs of a line.
qsizetype indentation(const QString &line)
{
    qsizetype level = 0;
    while (level < line.size() && (line.at(level) == u'\t' || line.at(level) == u' '))
        ++level;
    return level;
}

LanguageTree build(const QString &text, QList<LanguageParseProblem> *problems)
{
    LanguageTree tree;
    const QStringList lines = splitLines(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const qsizetype indent = indentation(line);
        const QString entryText = line.mid(indent);
        qsizetype level = tree.isEmpty() ? 0 : indent;
        if (level > tree.maxNextLevel()) {
            const QString message =
                QStringLiteral("Invalid level (%1) for item \"%2\"").arg(QString::number(indent), entryText);
            if (!problems)
                throw LanguageFileError(message, int(i + 1));
            problems->append({int(i + 1), message});
            level = tree.maxNextLevel();
        }
        tree.append(int(level), entryText);
    }
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
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    const qsizetype end = nul >= 0 ? nul : text.size();
    qsizetype at = 0;
    while (at < end) {
        const qsizetype start = at;
        while (at < end && text.at(at) != u'\r' && text.at(at) != u'\n' && text.at(at) != kLineSeparator)
            ++at;
        lines.append(text.mid(start, at - start));
        for (const char16_t breakChar : {u'\r', u'\n', kLineSeparator}) {
            if (at < end && text.at(at) == breakChar)
                ++at;
        }
    }
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
    return decode(bytes, encoding);
}

LanguageTree read(const QString &path, LanguageEncoding *encoding)
{
    return parse(readText(path, encoding));
}

QByteArray encode(const LanguageTree &tree)
{
    QString text;
    for (int i = 0; i < tree.size(); ++i) {
        QString line = toLineMarkers(tree.text(i));
        line.remove(QChar(u'\0'));
        text += QString(tree.level(i), u'\t') + line + QStringLiteral("\r\n");
    }
    QByteArray bytes("\xFF\xFE", 2);
    bytes.reserve(2 + text.size() * 2);
    for (const QChar c : std::as_const(text)) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

void write(const QString &path, const LanguageTree &tree)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(encode(tree)) < 0 || !file.commit())
        throw Error(QStringLiteral("Cannot save the language file \"%1\": %2").arg(path, file.errorString()));
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

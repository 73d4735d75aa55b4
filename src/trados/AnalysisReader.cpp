#include "AnalysisReader.h"

#include "BlockCsvReader.h"
#include "PhraseJsonReader.h"
#include "StudioXmlReader.h"
#include "TextLineReader.h"
#include "TextReports.h"
#include "dataset/Error.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace quotaly {

namespace {

// The layouts are told apart by the first lines; this much of a file holds them.
constexpr qint64 kSniffBytes = 64 * 1024;
constexpr int kSniffLines = 40;

QString decodeStart(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringConverter::Utf16LE).decode(bytes.sliced(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringConverter::Utf16BE).decode(bytes.sliced(2));
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.sliced(3));
    return QString::fromLatin1(bytes); // only the ASCII of headings and root elements is looked at
}

QStringList firstLines(const QString &start, bool wholeFile)
{
    QStringList lines = start.split(u'\n');
    if (!wholeFile && lines.size() > 1)
        lines.removeLast(); // cut off in the middle
    if (lines.size() > kSniffLines)
        lines.resize(kSniffLines);
    for (QString &line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return lines;
}

// Text has few control characters; a file with many is binary (a TM, an archive, a picture), whatever its name.
bool looksBinary(QStringView start)
{
    const qsizetype controls = std::count_if(start.begin(), start.end(), [](QChar c) {
        return c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r';
    });
    return controls > start.size() / 20;
}

AnalysisReport fromTradosLog(const TTradosReader &reader, const QString &extension)
{
    AnalysisReport report;
    report.format = extension == u".LOG"   ? QStringLiteral("Trados log")
                    : extension == u".TXT" ? QStringLiteral("Trados log (several tables)")
                                           : QStringLiteral("Trados CSV");
    report.hasPercent = true;
    for (int r = 0; r < 9; ++r) {
        report.rows[r] = {reader.segments()[r], reader.words()[r], 0, reader.placeables()[r], reader.percent()[r]};
    }
    return report;
}

} // namespace

std::optional<AnalysisReport> readAnalysisReport(const QString &fileName, const TTradosReader::MessageSink &sink)
{
    const QFileInfo info(fileName);
    const QString shownName = QDir::toNativeSeparators(fileName);
    if (!info.exists()) {
        if (sink)
            sink(QStringLiteral("Error: File ") + fileName + QStringLiteral(" not found."));
        return std::nullopt;
    }
    if (info.isDir())
        throw Error(QStringLiteral("Cannot read %1: it is a folder").arg(shownName));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Cannot read %1: %2").arg(shownName, file.errorString()));

    const QString start = decodeStart(file.peek(kSniffBytes));
    const QStringView trimmed = QStringView(start).trimmed();
    if (trimmed.startsWith(u'<')) {
        if (!looksLikeStudioXml(start))
            throw Error(unknownReportMessage(fileName));
        return readStudioXml(file, fileName);
    }
    if (trimmed.startsWith(u'{'))
        return readPhraseJson(file, fileName);

    const QStringList lines = firstLines(start, file.size() <= kSniffBytes);
    if (const auto kind = detectBlockCsv(lines)) {
        TextLineReader reader(file);
        return readBlockCsv(reader, *kind, fileName);
    }
    using TextReader = AnalysisReport (*)(TextLineReader &, const QString &);
    const std::pair<bool (*)(const QStringList &), TextReader> textReports[] = {
        {looksLikeMemoqStatistics, readMemoqStatistics},
        {looksLikePhraseLog, readPhraseLog},
        {looksLikeOmegatStatistics, readOmegatStatistics},
    };
    for (const auto &[looksLike, read] : textReports) {
        if (looksLike(lines)) {
            TextLineReader reader(file);
            return read(reader, fileName);
        }
    }

    const int dot = info.fileName().lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : info.fileName().sliced(dot).toUpper();
    if ((extension != u".LOG" && extension != u".TXT" && extension != u".CSV") || looksBinary(start))
        throw Error(unknownReportMessage(fileName));
    file.close();
    TTradosReader reader(sink);
    reader.FileName = fileName;
    reader.Load();
    if (!reader.Loaded())
        return std::nullopt; // gone since it was looked at; the reader has said so
    if (!reader.TableFound())
        throw Error(unknownReportMessage(fileName));
    return fromTradosLog(reader, extension);
}

} // namespace quotaly

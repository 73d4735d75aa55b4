#include "ExportFile.h"

#include "Biff4Writer.h"
#include "DelimitedTextWriter.h"
#include "Html32Writer.h"
#include "dataset/AtomicFile.h"
#include "dataset/Error.h"

#include <QDir>
#include <QFileInfo>

namespace quotaly {

namespace {

// Why a file cannot be written, in words a user can act on; `fallback` is the system's own reason.
QString failureReason(const QString &fileName, const QString &fallback)
{
    const QFileInfo file(fileName);
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists())
        return QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(folder.filePath()));
    if (file.isDir())
        return QStringLiteral("a folder of that name exists");
    if (file.exists() && !file.isWritable())
        return QStringLiteral("the file is read-only");
    if (!folder.isWritable())
        return QStringLiteral("the folder %1 is not writable").arg(QDir::toNativeSeparators(folder.filePath()));
    return fallback;
}

[[noreturn]] void fail(const QString &fileName, const QString &reason)
{
    throw Error(QStringLiteral("Cannot write the file %1: %2.")
                    .arg(QDir::toNativeSeparators(fileName), failureReason(fileName, reason)));
}

} // namespace

QString exportExtension(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Csv:
        return QStringLiteral(".csv");
    case ExportFormat::Tab:
        return QStringLiteral(".txt");
    case ExportFormat::Html:
        return QStringLiteral(".html");
    case ExportFormat::Excel:
        return QStringLiteral(".xls");
    }
    return {};
}

std::optional<ExportFormat> exportFormatForFile(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"csv")
        return ExportFormat::Csv;
    if (suffix == u"txt")
        return ExportFormat::Tab;
    if (suffix == u"htm" || suffix == u"html")
        return ExportFormat::Html;
    if (suffix == u"xls")
        return ExportFormat::Excel;
    return std::nullopt;
}

QByteArray exportBytes(const ExportTable &table, ExportFormat format)
{
    switch (format) {
    case ExportFormat::Csv:
        return delimitedText(table, u',');
    case ExportFormat::Tab:
        return delimitedText(table, u'\t');
    case ExportFormat::Html:
        return html32Document(table);
    case ExportFormat::Excel:
        return biff4Worksheet(table);
    }
    return {};
}

void writeExportFile(const QString &fileName, ExportFormat format, const ExportTable &table)
{
    // Build the bytes first: a table the format cannot hold must not touch an existing file.
    const QByteArray bytes = exportBytes(table, format);
    if (const QString reason = tryWriteFileAtomically(fileName, bytes); !reason.isEmpty())
        fail(fileName, reason);
}

} // namespace quotaly

#include "OfficeTypes.h"

#include "Spreadsheet.h"
#include "dataset/Error.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace quotaly::office {

QString failureText(const std::exception &failure)
{
    if (const auto *error = dynamic_cast<const Error *>(&failure))
        return error->text();
    return QString::fromLocal8Bit(failure.what());
}

namespace {

constexpr qint64 kLargestTemplate = 64LL * 1024 * 1024;
/// Far deeper than the XML of any word-processor document, and shallow enough for any XML reader.
constexpr int kDeepestTemplateXml = 5000;

/// The deepest nesting of elements in text that looks like XML; stops counting past `limit`.
int xmlDepth(QByteArrayView text, int limit)
{
    int depth = 0;
    int deepest = 0;
    for (qsizetype i = text.indexOf('<'); i >= 0 && i + 1 < text.size() && deepest <= limit;
         i = text.indexOf('<', i + 1)) {
        const char next = text[i + 1];
        if (next == '/') {
            --depth;
        } else if (next != '?' && next != '!') {
            const qsizetype end = text.indexOf('>', i);
            if (end < 0)
                break;
            if (text[end - 1] != '/')
                deepest = std::max(deepest, ++depth);
        }
    }
    return deepest;
}

} // namespace

QString templateFileProblem(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("The invoice template “%1” does not exist.").arg(shown);
    if (info.isDir())
        return QStringLiteral("“%1” is a folder, not an invoice template.").arg(shown);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("The invoice template “%1” cannot be read: %2.").arg(shown, file.errorString());
    if (file.size() == 0)
        return QStringLiteral("The invoice template “%1” is empty.").arg(shown);
    if (file.size() > kLargestTemplate)
        return QStringLiteral("The invoice template “%1” is %2 MB; a template larger than %3 MB is not a document "
                              "Quotaly can fill.")
            .arg(shown)
            .arg(file.size() / (1024 * 1024))
            .arg(kLargestTemplate / (1024 * 1024));
    const QByteArray head = file.peek(64 * 1024);
    // Zipped documents (.docx, .odt) and compound ones (.doc) are binary by nature.
    if (head.startsWith("PK\x03\x04") || head.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
        return {};
    if (head.contains('\0'))
        return QStringLiteral("The invoice template “%1” holds binary data; it is not an RTF or word-processor "
                              "document.")
            .arg(shown);
    if (QByteArrayView(head).trimmed().startsWith('<') &&
        xmlDepth(file.readAll(), kDeepestTemplateXml) > kDeepestTemplateXml)
        return QStringLiteral("The invoice template “%1” nests its XML more than %2 levels deep; it is not a "
                              "document Quotaly can fill.")
            .arg(shown)
            .arg(kDeepestTemplateXml);
    return {};
}

bool sameFile(const QString &a, const QString &b)
{
    const QFileInfo infoA(a);
    const QFileInfo infoB(b);
    if (a.isEmpty() || b.isEmpty() || infoA.isRelative() || infoB.isRelative())
        return false;
    const QString canonicalA = infoA.canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == infoB.canonicalFilePath();
}

std::optional<CellAddress> parseCellAddress(const QString &address)
{
    static const QRegularExpression pattern(QStringLiteral("^([A-Z]{1,3})([1-9][0-9]{0,6})$"));
    const QRegularExpressionMatch m = pattern.match(address);
    if (!m.hasMatch())
        return std::nullopt;
    int column = 0;
    for (const QChar c : m.captured(1))
        column = column * 26 + (c.unicode() - u'A' + 1);
    return CellAddress{m.captured(2).toInt(), column};
}

} // namespace quotaly::office

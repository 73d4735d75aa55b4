// Feeds arbitrary bytes to the datapacket reader. Whatever it accepts must write out and read back to the same
// bytes, and a UTF-8 file must read the same as its text in UTF-16 (which takes the reader's other way through
// the rows); anything else is a crash for the fuzzer to report.

#include "dataset/Datapacket.h"
#include "dataset/Error.h"

#include <cstdint>
#include <cstdlib>
#include <optional>

#include <QStringDecoder>

namespace {

/// The packet written out, or nullopt when the reader refused the bytes.
std::optional<QByteArray> readAndWrite(const QByteArray &bytes)
{
    try {
        quotaly::Datapacket packet = quotaly::readDatapacket(bytes);
        packet.declaration = quotaly::Datapacket::Declaration::Utf8;
        return quotaly::writeDatapacket(packet);
    } catch (const quotaly::Error &) {
        return std::nullopt;
    }
}

/// The first encoding named in a leading XML declaration, lower case; empty when none is named.
QByteArray declaredEncoding(const QByteArray &bytes)
{
    const qsizetype end = bytes.startsWith("<?xml") ? bytes.indexOf("?>") : -1;
    const QByteArray declaration = bytes.left(end);
    qsizetype pos = declaration.indexOf("encoding");
    if (pos < 0)
        return {};
    pos += 8;
    while (pos < declaration.size() && (QChar::isSpace(uchar(declaration[pos])) || declaration[pos] == '='))
        ++pos;
    const qsizetype close = pos < declaration.size() ? declaration.indexOf(declaration[pos], pos + 1) : -1;
    if (close < 0 || (declaration[pos] != '"' && declaration[pos] != '\''))
        return "?";
    return declaration.mid(pos + 1, close - pos - 1).toLower();
}

/// The same file as UTF-16 with a byte order mark, for input that is UTF-8 by its declaration or by default.
std::optional<QByteArray> asUtf16(QByteArray bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return std::nullopt;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
    } else {
        const QByteArray encoding = declaredEncoding(bytes);
        if (!encoding.isEmpty() && encoding != "utf-8" && encoding != "utf8")
            return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return "\xFF\xFE" + QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    quotaly::Datapacket packet;
    bool accepted = true;
    try {
        packet = quotaly::readDatapacket(input);
    } catch (const quotaly::Error &) {
        accepted = false;
    }
    if (const auto utf16 = asUtf16(input); utf16 && readAndWrite(input) != readAndWrite(*utf16))
        std::abort(); // the two ways through the rows disagree
    if (!accepted)
        return 0; // rejected with a message: fine
    const QByteArray written = quotaly::writeDatapacket(packet);
    try {
        const QByteArray again = quotaly::writeDatapacket(quotaly::readDatapacket(written));
        if (again != written)
            std::abort(); // a second round trip changed the file
    } catch (const quotaly::Error &) {
        std::abort(); // we wrote something we cannot read
    }
    return 0;
}

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

/// The same file as UTF-16 with a byte order mark, for input that is UTF-8 by its declaration or by default.
std::optional<QByteArray> asUtf16(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const qsizetype declarationEnd = bytes.startsWith("<?xml") ? bytes.indexOf("?>") : -1;
    const QByteArray declaration = bytes.left(declarationEnd).toLower();
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF") ||
        (declaration.contains("encoding") && !declaration.contains("\"utf-8\"") && !declaration.contains("'utf-8'")))
        return std::nullopt;
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

// Feeds arbitrary bytes to the datapacket reader. Whatever it accepts must write out and read back to the same
// bytes; anything else is a crash for the fuzzer to report.

#include "dataset/Datapacket.h"
#include "dataset/Error.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    quotaly::Datapacket packet;
    try {
        packet = quotaly::readDatapacket(input);
    } catch (const quotaly::Error &) {
        return 0; // rejected with a message: fine
    }
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

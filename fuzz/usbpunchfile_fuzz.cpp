// libFuzzer target of the USB punch-file reader: any bytes, cut anywhere, must read the
// same as whole, and what it accepts must write back and read as itself.

#include "UsbPunchFileCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The first eight bytes choose the cuts; the rest is the file.
    quint64 pieces = 0;
    const size_t head = size < sizeof pieces ? size : sizeof pieces;
    std::memcpy(&pieces, data, head);
    const QByteArray input(reinterpret_cast<const char*>(data) + head, qsizetype(size - head));
    const QString failure = checkUsbPunchFile(input, pieces);
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", failure.toLocal8Bit().constData());
        std::abort();
    }
    return 0;
}

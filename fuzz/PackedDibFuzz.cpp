// Decoder plug-ins hand over an information block and pixel bits of their own
// making: any pair must become a picture of the size its header states, or be
// refused, without a read past either block.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "artwork/PackedDib.h"

using tavel::win::dib::DIB;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // The first two bytes split the rest into the two blocks; each is copied
    // so the sanitizer sees its exact end.
    std::size_t infoBytes = static_cast<std::size_t>(data[0] | data[1] << 8);
    data += 2;
    size -= 2;
    if (infoBytes > size) infoBytes = size;
    const std::vector<std::uint8_t> info(data, data + infoBytes);
    const std::vector<std::uint8_t> bits(data + infoBytes, data + size);
    DIB dib;
    if (tavelapp::artwork::packedDibToDib(info.empty() ? nullptr : info.data(), info.size(),
                                          bits.empty() ? nullptr : bits.data(), bits.size(), dib)) {
        if (dib.width() <= 0 || dib.height() <= 0) __builtin_trap();
        // Every pixel is there to read.
        volatile std::uint32_t sum = dib.pixel(0, 0) + dib.pixel(dib.width() - 1, dib.height() - 1);
        static_cast<void>(sum);
    }
    return 0;
}

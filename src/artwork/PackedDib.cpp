#include "artwork/PackedDib.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "win/dib/BitmapFile.h"

namespace tavelapp {
namespace artwork {
namespace {

std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

void put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Header plus colour table (and bit-field masks after a plain info header).
std::size_t headerBytes(const std::uint8_t* h, std::size_t available) {
    if (available < 12) return 0;
    const std::uint32_t size = le32(h);
    if (size == 12) {
        const unsigned bpp = le16(h + 10);
        return 12 + (bpp <= 8 ? (std::size_t(1) << bpp) * 3 : 0);
    }
    if (size < 40 || size > available) return 0;
    const unsigned bpp = le16(h + 14);
    const std::uint32_t compression = le32(h + 16);
    std::size_t colours = le32(h + 32);
    if (colours == 0 && bpp <= 8) colours = std::size_t(1) << bpp;
    if (colours > 256) return 0;
    std::size_t bytes = size + colours * 4;
    if (size == 40 && (compression == 3 || compression == 6)) bytes += compression == 3 ? 12 : 16;
    return bytes;
}

}  // namespace

bool packedDibToDib(const void* info, std::size_t infoBytes, const void* bits, std::size_t bitsBytes,
                    tavel::win::dib::DIB& out) {
    out.reset();
    if (info == nullptr || bits == nullptr) return false;
    const auto* h = static_cast<const std::uint8_t*>(info);
    const std::size_t header = headerBytes(h, infoBytes);
    if (header == 0 || header > infoBytes) return false;
    // The file reader checks every value against the file's size, so give it
    // the picture as a bitmap file.
    std::string file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    put32(file, 2, static_cast<std::uint32_t>(14 + header + bitsBytes));
    put32(file, 10, static_cast<std::uint32_t>(14 + header));
    file.append(reinterpret_cast<const char*>(h), header);
    file.append(static_cast<const char*>(bits), bitsBytes);
    return tavel::win::dib::readBitmapFile(file, out);
}

}  // namespace artwork
}  // namespace tavelapp

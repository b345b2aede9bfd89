// RLE8 and RLE4 streams straight from the fuzzer: the first bytes choose the
// picture's shape and depth, the rest is the stream. The decoder runs on the
// fuzzer's own buffer (so any read past it is seen) into a buffer of exactly
// the picture's size, then the whole file goes through the bitmap reader.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "win/dib/BitmapFile.h"
#include "win/dib/RleDecoder.h"

using namespace tavel::win::dib;

namespace {

void put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// Entry i is 0xA55A00 | i, so each pixel tells which entry it shows.
std::uint32_t entry(std::uint32_t i) { return 0xA55A00u | i; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const int width = 1 + data[0] % 96;
    const int height = 1 + data[1] % 96;
    const std::uint32_t bpp = (data[2] & 1) != 0 ? 4 : 8;
    const bool topDown = (data[2] & 2) != 0;
    // Sometimes a short palette, so that indices past it show black.
    const std::uint32_t colors = (data[2] & 4) != 0 ? 1 + (data[2] >> 3) % 8 : 0;
    const std::uint32_t paletteSize = colors != 0 ? colors : 1u << bpp;
    const uint8_t* rle = data + 3;
    const size_t rleSize = size - 3;

    std::vector<std::uint8_t> indices(static_cast<size_t>(width) * height, 0);
    decodeRle(rle, rleSize, static_cast<int>(bpp), width, height, indices.data());
    for (std::uint8_t index : indices) {
        if (index >= (1u << bpp)) __builtin_trap();
    }

    std::string header;
    put32(header, 40);
    put32(header, static_cast<std::uint32_t>(width));
    put32(header, static_cast<std::uint32_t>(topDown ? -height : height));
    put16(header, 1);
    put16(header, bpp);
    put32(header, bpp == 8 ? 1 : 2);
    put32(header, static_cast<std::uint32_t>(rleSize));
    put32(header, 0);
    put32(header, 0);
    put32(header, colors);
    put32(header, 0);
    for (std::uint32_t i = 0; i < paletteSize; ++i)
        put32(header, entry(i));
    std::string file = "BM";
    put32(file, static_cast<std::uint32_t>(14 + header.size() + rleSize));
    put32(file, 0);
    put32(file, static_cast<std::uint32_t>(14 + header.size()));
    file += header;
    file.append(reinterpret_cast<const char*>(rle), rleSize);

    DIB dib;
    const bool read = readBitmapFile(file, dib);
    const bool fits = static_cast<long long>(width) * height <= static_cast<long long>(rleSize) * kMaxRlePixelsPerByte;
    if (read != (fits && !topDown)) __builtin_trap();
    if (!read) {
        if (!dib.empty()) __builtin_trap();
        return 0;
    }
    if (dib.width() != width || dib.height() != height) __builtin_trap();
    // The reader shows the decoder's indices, bottom row first.
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t index = indices[static_cast<size_t>(height - 1 - y) * width + x];
            if (dib.pixel(x, y) != (index < paletteSize ? entry(index) : 0)) __builtin_trap();
        }
    }
    return 0;
}

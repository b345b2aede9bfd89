#include "win/dib/BitmapFile.h"

#include <cstdint>
#include <memory>
#include <new>
#include <utility>

#include "win/dib/RleDecoder.h"

namespace tavel {
namespace win {
namespace dib {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;

// Little-endian reads that refuse to leave the file.
class Bytes {
public:
    explicit Bytes(const std::string& bytes)
        : data_(reinterpret_cast<const unsigned char*>(bytes.data())), size_(bytes.size()) {}
    std::uint64_t size() const { return size_; }
    bool has(std::uint64_t offset, std::uint64_t length) const { return offset <= size_ && length <= size_ - offset; }
    bool u16(std::uint64_t offset, std::uint32_t& value) const {
        if (!has(offset, 2)) return false;
        value = static_cast<std::uint32_t>(at(offset)) | static_cast<std::uint32_t>(at(offset + 1)) << 8;
        return true;
    }
    bool u32(std::uint64_t offset, std::uint32_t& value) const {
        if (!has(offset, 4)) return false;
        value = static_cast<std::uint32_t>(at(offset)) | static_cast<std::uint32_t>(at(offset + 1)) << 8 |
                static_cast<std::uint32_t>(at(offset + 2)) << 16 | static_cast<std::uint32_t>(at(offset + 3)) << 24;
        return true;
    }
    // Only after has() said yes.
    unsigned char at(std::uint64_t offset) const { return data_[offset]; }
    const unsigned char* pointer(std::uint64_t offset) const { return data_ + offset; }

private:
    const unsigned char* data_;
    std::uint64_t size_;
};

// One colour channel of a bit-field pixel, widened to 8 bits.
class Channel {
public:
    // False for a mask whose bits are not contiguous.
    bool set(std::uint32_t mask) {
        mask_ = mask;
        shift_ = 0;
        bits_ = 0;
        if (mask == 0) return true;
        while (((mask >> shift_) & 1u) == 0)
            ++shift_;
        const std::uint32_t field = mask >> shift_;
        while (bits_ < 32 && ((field >> bits_) & 1u) != 0)
            ++bits_;
        return bits_ == 32 || (field >> bits_) == 0;
    }
    std::uint8_t operator()(std::uint32_t pixel) const {
        if (bits_ == 0) return 0;
        const std::uint32_t value = (pixel & mask_) >> shift_;
        if (bits_ >= 8) return static_cast<std::uint8_t>(value >> (bits_ - 8));
        const std::uint32_t max = (1u << bits_) - 1;
        return static_cast<std::uint8_t>((value * 255 + max / 2) / max);
    }

private:
    std::uint32_t mask_ = 0;
    int shift_ = 0;
    int bits_ = 0;
};

struct Layout {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t colorsUsed = 0;
    std::uint64_t paletteOffset = 0;
    std::uint32_t paletteEntrySize = 4;
    bool bitfields = false;
    bool rle = false;
    std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
};

bool readHeader(const Bytes& file, Layout& layout) {
    std::uint32_t headerSize = 0;
    if (!file.u32(kFileHeaderSize, headerSize)) return false;
    const std::uint64_t headerEnd = std::uint64_t{kFileHeaderSize} + headerSize;
    if (!file.has(0, headerEnd)) return false;
    std::uint32_t planes = 0;
    if (headerSize == kCoreHeaderSize) {
        std::uint32_t width = 0, height = 0;
        if (!file.u16(18, width) || !file.u16(20, height) || !file.u16(22, planes) ||
            !file.u16(24, layout.bitsPerPixel))
            return false;
        layout.width = width;
        layout.height = height;
        layout.paletteEntrySize = 3;
        layout.paletteOffset = headerEnd;
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
        std::uint32_t width = 0, height = 0;
        if (!file.u32(18, width) || !file.u32(22, height) || !file.u16(26, planes) ||
            !file.u16(28, layout.bitsPerPixel) || !file.u32(30, layout.compression) || !file.u32(46, layout.colorsUsed))
            return false;
        layout.width = static_cast<std::int32_t>(width);
        layout.height = static_cast<std::int32_t>(height);
        if (layout.height < 0) {
            layout.topDown = true;
            layout.height = -layout.height;  // 64 bits: even INT_MIN negates safely
        }
        layout.paletteOffset = headerEnd;
        if (layout.compression == kBiBitfields || layout.compression == kBiAlphaBitfields) {
            layout.bitfields = true;
            // The masks sit in the larger headers, else right after the 40-byte one.
            std::uint64_t maskOffset = kFileHeaderSize + 40;
            if (headerSize == 40) {
                const std::uint64_t maskBytes = layout.compression == kBiAlphaBitfields ? 16 : 12;
                layout.paletteOffset = headerEnd + maskBytes;
                if (!file.has(headerEnd, maskBytes)) return false;
            } else if (layout.compression == kBiAlphaBitfields && headerSize < 56) {
                return false;
            }
            for (int i = 0; i < 3; ++i) {
                if (!file.u32(maskOffset + 4 * static_cast<std::uint64_t>(i), layout.masks[i])) return false;
            }
        } else if (layout.compression == kBiRle8 || layout.compression == kBiRle4) {
            // Each with its own depth, and only bottom-up: the format has no top-down RLE.
            layout.rle = true;
            if (layout.bitsPerPixel != (layout.compression == kBiRle8 ? 8u : 4u) || layout.topDown) return false;
        } else if (layout.compression != kBiRgb) {
            return false;  // embedded JPEG/PNG are not read
        }
    } else {
        return false;
    }
    if (planes != 1) return false;
    switch (layout.bitsPerPixel) {
        case 1:
        case 4:
        case 8:
        case 24:
            if (layout.bitfields) return false;
            break;
        case 16:
        case 32:
            break;
        default:
            return false;
    }
    if (layout.width < 1 || layout.height < 1 || layout.width > kMaxBitmapSide || layout.height > kMaxBitmapSide)
        return false;
    return layout.width * layout.height <= kMaxBitmapPixels;
}

}  // namespace

bool readBitmapFile(const std::string& bytes, DIB& out) {
    out.reset();
    const Bytes file(bytes);
    if (!file.has(0, kFileHeaderSize) || file.at(0) != 'B' || file.at(1) != 'M') return false;
    std::uint32_t pixelOffset = 0;
    if (!file.u32(10, pixelOffset)) return false;
    Layout layout;
    if (!readHeader(file, layout)) return false;

    // The palette: as many entries as the header says, never more than the depth allows.
    std::uint32_t paletteSize = 0;
    std::uint32_t palette[256] = {};
    if (layout.bitsPerPixel <= 8) {
        const std::uint32_t full = 1u << layout.bitsPerPixel;
        paletteSize = layout.colorsUsed == 0 || layout.colorsUsed > full ? full : layout.colorsUsed;
        if (!file.has(layout.paletteOffset, std::uint64_t{paletteSize} * layout.paletteEntrySize)) return false;
        for (std::uint32_t i = 0; i < paletteSize; ++i) {
            const std::uint64_t at = layout.paletteOffset + std::uint64_t{i} * layout.paletteEntrySize;
            palette[i] = bgr(file.at(at), file.at(at + 1), file.at(at + 2));
        }
    }

    Channel red, green, blue;
    if (layout.bitfields) {
        const std::uint32_t limit = layout.bitsPerPixel == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        for (std::uint32_t mask : layout.masks) {
            if ((mask & ~limit) != 0) return false;
        }
        if (!red.set(layout.masks[0]) || !green.set(layout.masks[1]) || !blue.set(layout.masks[2])) return false;
    } else if (layout.bitsPerPixel == 16) {
        red.set(0x7C00);
        green.set(0x03E0);
        blue.set(0x001F);
    }

    // Pixels start at the stored offset, after the headers, and every row must be in the file.
    const std::uint64_t width = static_cast<std::uint64_t>(layout.width);
    const std::uint64_t height = static_cast<std::uint64_t>(layout.height);
    if (pixelOffset < layout.paletteOffset || !file.has(pixelOffset, 0)) return false;
    std::uint32_t bitsPerPixel = layout.bitsPerPixel;
    std::uint64_t stride = (width * bitsPerPixel + 31) / 32 * 4;
    const unsigned char* rows = file.pointer(pixelOffset);
    std::unique_ptr<std::uint8_t[]> expanded;
    if (layout.rle) {
        // Rows of one index per pixel; what the stream skips stays at index 0.
        const std::uint64_t streamSize = file.size() - pixelOffset;
        if (width * height > streamSize * kMaxRlePixelsPerByte) return false;
        // Refused, not thrown, when memory is short: the reader runs on workers.
        expanded.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(width * height)]());
        if (!expanded) return false;
        decodeRle(rows, static_cast<std::size_t>(streamSize), static_cast<int>(bitsPerPixel), static_cast<int>(width),
                  static_cast<int>(height), expanded.get());
        rows = expanded.get();
        bitsPerPixel = 8;
        stride = width;
    } else if (!file.has(pixelOffset, stride * height)) {
        return false;
    }

    DIB result;
    if (!result.create(static_cast<int>(layout.width), static_cast<int>(layout.height), 32)) return false;
    for (std::uint64_t fileRow = 0; fileRow < height; ++fileRow) {
        const unsigned char* in = rows + fileRow * stride;
        const int y = static_cast<int>(layout.topDown ? fileRow : height - 1 - fileRow);
        std::uint8_t* outRow = result.row(y);
        for (std::uint64_t x = 0; x < width; ++x) {
            std::uint32_t value = 0;
            switch (bitsPerPixel) {
                case 1:
                case 4:
                case 8: {
                    const std::uint64_t bit = x * bitsPerPixel;
                    const unsigned shift = static_cast<unsigned>(8 - bitsPerPixel - bit % 8);
                    const std::uint32_t index = (in[bit / 8] >> shift) & ((1u << bitsPerPixel) - 1);
                    value = index < paletteSize ? palette[index] : 0;  // beyond a short palette: black
                    break;
                }
                case 16: {
                    const std::uint32_t pixel =
                        static_cast<std::uint32_t>(in[x * 2]) | static_cast<std::uint32_t>(in[x * 2 + 1]) << 8;
                    value = bgr(blue(pixel), green(pixel), red(pixel));
                    break;
                }
                case 24:
                    value = bgr(in[x * 3], in[x * 3 + 1], in[x * 3 + 2]);
                    break;
                default: {
                    const unsigned char* p = in + x * 4;
                    if (layout.bitfields) {
                        const std::uint32_t pixel =
                            static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                            static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
                        value = bgr(blue(pixel), green(pixel), red(pixel));
                    } else {
                        value = bgr(p[0], p[1], p[2]);
                    }
                    break;
                }
            }
            std::uint8_t* o = outRow + x * 4;
            o[0] = static_cast<std::uint8_t>(value);
            o[1] = static_cast<std::uint8_t>(value >> 8);
            o[2] = static_cast<std::uint8_t>(value >> 16);
            o[3] = 0;
        }
    }
    out = std::move(result);
    return true;
}

}  // namespace dib
}  // namespace win
}  // namespace tavel

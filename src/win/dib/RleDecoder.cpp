#include "win/dib/RleDecoder.h"

namespace tavel {
namespace win {
namespace dib {
namespace {

// Where the next pixel goes. Past the row's end pixels are dropped, and past
// the last row decoding is over.
class Cursor {
public:
    Cursor(int width, int height, std::uint8_t* indices) : width_(width), height_(height), indices_(indices) {}
    bool done() const { return y_ >= height_; }
    bool rowFull() const { return x_ >= width_; }
    void put(std::uint8_t index) {
        if (x_ < width_) indices_[static_cast<std::size_t>(y_) * width_ + x_] = index;
        ++x_;
    }
    void newLine() {
        x_ = 0;
        ++y_;
    }
    void move(unsigned dx, unsigned dy) {
        x_ += dx;
        y_ += dy;
    }

private:
    // 64 bits: a long stream of runs or deltas cannot overflow them.
    std::int64_t x_ = 0;
    std::int64_t y_ = 0;
    const std::int64_t width_;
    const std::int64_t height_;
    std::uint8_t* indices_;
};

// Pixel i of a run whose bytes start at `bytes`: RLE4 packs two per byte, high nibble first.
std::uint8_t pixelAt(const unsigned char* bytes, unsigned i, int bitsPerPixel) {
    if (bitsPerPixel == 8) return bytes[i];
    const unsigned char pair = bytes[i / 2];
    return static_cast<std::uint8_t>(i % 2 == 0 ? pair >> 4 : pair & 0x0F);
}

}  // namespace

void decodeRle(const unsigned char* stream, std::size_t size, int bitsPerPixel, int width, int height,
               std::uint8_t* indices) {
    Cursor cursor(width, height, indices);
    std::size_t at = 0;
    while (!cursor.done() && size - at >= 2) {
        const unsigned count = stream[at];
        const unsigned code = stream[at + 1];
        at += 2;
        if (count > 0) {
            // Encoded run: one byte repeated (RLE4: its two nibbles alternating).
            const auto first = static_cast<std::uint8_t>(bitsPerPixel == 8 ? code : code >> 4);
            const auto second = static_cast<std::uint8_t>(bitsPerPixel == 8 ? code : code & 0x0F);
            for (unsigned i = 0; i < count && !cursor.rowFull(); ++i)
                cursor.put(i % 2 == 0 ? first : second);
            continue;
        }
        switch (code) {
            case 0:
                cursor.newLine();
                break;
            case 1:
                return;
            case 2:
                if (size - at < 2) return;
                cursor.move(stream[at], stream[at + 1]);
                at += 2;
                break;
            default: {
                // Absolute run of `code` pixels, padded to a 16-bit boundary.
                const std::size_t bytes = bitsPerPixel == 8 ? code : (code + 1) / 2;
                if (size - at < bytes) return;
                for (unsigned i = 0; i < code && !cursor.rowFull(); ++i)
                    cursor.put(pixelAt(stream + at, i, bitsPerPixel));
                at += bytes + bytes % 2;
                if (at > size) at = size;
                break;
            }
        }
    }
}

}  // namespace dib
}  // namespace win
}  // namespace tavel

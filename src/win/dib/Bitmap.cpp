#include "win/dib/Bitmap.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace tavel {
namespace win {
namespace dib {
namespace {

// Larger outputs are refused rather than allocated: an artwork box comes from a skin.
constexpr long long kMaxSide = 16384;
constexpr long long kMaxPixels = 1LL << 26;

struct Sample {
    int low;
    int high;
    double weight;  // of `high`
};

// Source positions for each output coordinate: x * sourceSize / size in real numbers.
std::vector<Sample> samples(int size, int sourceSize) {
    std::vector<Sample> result(static_cast<std::size_t>(size));
    for (int i = 0; i < size; ++i) {
        const double at = static_cast<double>(i) * sourceSize / size;
        const double floored = std::floor(at);
        const int low = static_cast<int>(floored);
        result[static_cast<std::size_t>(i)] = {std::min(std::max(low, 0), sourceSize - 1),
                                               std::min(std::max(low + 1, 0), sourceSize - 1), at - floored};
    }
    return result;
}

}  // namespace

Size fitSize(int boxWidth, int boxHeight, int pictureWidth, int pictureHeight) {
    if (boxWidth <= 0 || boxHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0) return {};
    const long long bw = boxWidth, bh = boxHeight, pw = pictureWidth, ph = pictureHeight;
    // Both quotients are at most a box side times a picture side: no overflow in 64 bits.
    const long long widthForFullHeight = bh * pw / ph;
    const long long heightForFullWidth = bw * ph / pw;
    if (widthForFullHeight < bw && bh < heightForFullWidth) return {static_cast<int>(widthForFullHeight), boxHeight};
    return {boxWidth, static_cast<int>(heightForFullWidth)};
}

DIB scaleBilinear(const DIB& source, int width, int height) {
    DIB result;
    if (source.empty() || source.bitsPerPixel() != 32 || width < 1 || height < 1) return result;
    if (width > kMaxSide || height > kMaxSide || static_cast<long long>(width) * height > kMaxPixels) return result;
    if (!result.create(width, height, 32)) return result;
    const std::vector<Sample> xs = samples(width, source.width());
    const std::vector<Sample> ys = samples(height, source.height());
    for (int y = 0; y < height; ++y) {
        const Sample& sy = ys[static_cast<std::size_t>(y)];
        const std::uint8_t* top = source.row(sy.low);
        const std::uint8_t* bottom = source.row(sy.high);
        std::uint8_t* out = result.row(y);
        for (int x = 0; x < width; ++x) {
            const Sample& sx = xs[static_cast<std::size_t>(x)];
            const std::uint8_t* p00 = top + static_cast<std::size_t>(sx.low) * 4;
            const std::uint8_t* p10 = top + static_cast<std::size_t>(sx.high) * 4;
            const std::uint8_t* p01 = bottom + static_cast<std::size_t>(sx.low) * 4;
            const std::uint8_t* p11 = bottom + static_cast<std::size_t>(sx.high) * 4;
            const double w00 = (1 - sx.weight) * (1 - sy.weight), w10 = sx.weight * (1 - sy.weight);
            const double w01 = (1 - sx.weight) * sy.weight, w11 = sx.weight * sy.weight;
            for (int c = 0; c < 4; ++c) {
                const double mixed = p00[c] * w00 + p10[c] * w10 + p01[c] * w01 + p11[c] * w11 + 0.5;
                const int value = static_cast<int>(mixed);
                out[static_cast<std::size_t>(x) * 4 + static_cast<std::size_t>(c)] =
                    static_cast<std::uint8_t>(std::min(std::max(value, 0), 255));
            }
        }
    }
    return result;
}

void drawColorKeyed(DIB& dest, int dx, int dy, const DIB& source, int sx, int sy, int w, int h, std::uint32_t key) {
    if (dest.empty() || source.empty() || dest.bitsPerPixel() != 32 || source.bitsPerPixel() != 32) return;
    // 64-bit so that no skin value can overflow the clipping.
    long long x0 = dx, y0 = dy, srcX = sx, srcY = sy, width = w, height = h;
    if (srcX < 0) {
        x0 -= srcX;
        width += srcX;
        srcX = 0;
    }
    if (srcY < 0) {
        y0 -= srcY;
        height += srcY;
        srcY = 0;
    }
    if (x0 < 0) {
        srcX -= x0;
        width += x0;
        x0 = 0;
    }
    if (y0 < 0) {
        srcY -= y0;
        height += y0;
        y0 = 0;
    }
    width = std::min({width, source.width() - srcX, dest.width() - x0});
    height = std::min({height, source.height() - srcY, dest.height() - y0});
    if (width <= 0 || height <= 0) return;
    for (long long row = 0; row < height; ++row) {
        const std::uint8_t* from = source.row(static_cast<int>(srcY + row)) + srcX * 4;
        std::uint8_t* to = dest.row(static_cast<int>(y0 + row)) + x0 * 4;
        for (long long col = 0; col < width; ++col, from += 4, to += 4) {
            const std::uint32_t value = static_cast<std::uint32_t>(from[0]) | static_cast<std::uint32_t>(from[1]) << 8 |
                                        static_cast<std::uint32_t>(from[2]) << 16 |
                                        static_cast<std::uint32_t>(from[3]) << 24;
            if (value == key) continue;
            to[0] = from[0];
            to[1] = from[1];
            to[2] = from[2];
            to[3] = from[3];
        }
    }
}

namespace {

// The first `columns` columns of frame `frame` (frames frameWidth wide).
void drawFrameColumns(DIB& dest, int x, int y, const DIB& strip, int frame, int frameWidth, int columns, int height,
                      std::uint32_t key) {
    if (frame < 0 || frameWidth <= 0) return;
    const long long frameLeft = static_cast<long long>(frame) * frameWidth;
    if (frameLeft >= strip.width()) return;
    drawColorKeyed(dest, x, y, strip, static_cast<int>(frameLeft), 0, std::min(columns, frameWidth), height, key);
}

}  // namespace

void drawStripFrame(DIB& dest, int x, int y, const DIB& strip, int frame, int frameWidth, int frameHeight,
                    std::uint32_t key) {
    drawFrameColumns(dest, x, y, strip, frame, frameWidth, frameWidth, frameHeight, key);
}

int barFilledColumns(int volume, int width) {
    if (width <= 0) return 0;
    const long long percent = std::min(std::max(volume, 0), 100);
    return static_cast<int>(percent * width / 100);
}

void drawBar(DIB& dest, int left, int top, const DIB& strip, int width, int height, bool mute, int volume,
             std::uint32_t key) {
    drawFrameColumns(dest, left, top, strip, mute ? 0 : 2, width, width, height, key);
    drawFrameColumns(dest, left, top, strip, mute ? 1 : 3, width, barFilledColumns(volume, width), height, key);
}

}  // namespace dib
}  // namespace win
}  // namespace tavel

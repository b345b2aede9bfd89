#pragma once
#include <cstdint>

#include "win/dib/DIB.h"

namespace tavel {
namespace win {
namespace dib {

// The colour that skin strips leave transparent (red 255, green 0, blue 255).
constexpr std::uint32_t kMagenta = 0x00FF00FFu;

struct Size {
    int width = 0;
    int height = 0;
};

// The largest size of the picture's aspect ratio that fits the box; {0, 0}
// when any size is zero or negative. 500 x 250 in 100 x 100 -> 100 x 50.
Size fitSize(int boxWidth, int boxHeight, int pictureWidth, int pictureHeight);

// The 32-bit picture resampled to exactly width x height by bilinear
// sampling; empty for an empty or non-32-bit source, a size below 1 or an
// absurd size.
DIB scaleBilinear(const DIB& source, int width, int height);

// Copies the w x h block at (sx, sy) of `source` to (dx, dy) of `dest`,
// leaving pixels whose 32-bit value equals `key` unchanged in `dest`.
// Clipped to both pictures; both must be 32-bit.
void drawColorKeyed(DIB& dest, int dx, int dy, const DIB& source, int sx, int sy, int w, int h, std::uint32_t key);

// Frame `frame` of a strip of frames frameWidth wide, colour-keyed at (x, y).
void drawStripFrame(DIB& dest, int x, int y, const DIB& strip, int frame, int frameWidth, int frameHeight,
                    std::uint32_t key = kMagenta);

// Columns of a bar `width` wide that show `volume` percent (clamped to 0-100).
int barFilledColumns(int volume, int width);

// A volume bar from its strip of four frames (muted empty, muted full,
// unmuted empty, unmuted full): the empty frame over the whole bar, then the
// filled columns of the full frame, both colour-keyed.
void drawBar(DIB& dest, int left, int top, const DIB& strip, int width, int height, bool mute, int volume,
             std::uint32_t key = kMagenta);

}  // namespace dib
}  // namespace win
}  // namespace tavel

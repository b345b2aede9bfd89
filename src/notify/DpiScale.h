#pragma once
#include "notify/SkinData.h"

namespace tavelapp {

// Skins are drawn in 96-DPI pixels; a monitor with another DPI gets every
// length and picture enlarged (or reduced) by dpi / 96 when its window is made.
class DpiScale {
public:
    static constexpr int kBaseDpi = 96;

    // value x dpi / 96, rounded half away from zero; a DPI below 1 counts as 96.
    static int scale(int value, int dpi);

    // The skin as it is drawn at `dpi`: margins, sizes, positions and font
    // heights scaled, pictures resampled smoothly. Icon strips keep their frame
    // count and bar strips their four frames, so frame arithmetic still holds.
    static SkinData skin(const SkinData& base, int dpi);
};

}  // namespace tavelapp

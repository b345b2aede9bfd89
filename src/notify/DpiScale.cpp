#include "notify/DpiScale.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "win/dib/Bitmap.h"

namespace tavelapp {
namespace {

using tavel::win::dib::DIB;

constexpr int kMaxSide = 16384;
constexpr long long kMaxPixels = 1LL << 26;  // as for the pictures a skin's files may hold

void scaleText(SkinData::Text& t, int dpi) {
    t.marginLeft = DpiScale::scale(t.marginLeft, dpi);
    t.marginTop = DpiScale::scale(t.marginTop, dpi);
    t.marginRight = DpiScale::scale(t.marginRight, dpi);
    t.marginBottom = DpiScale::scale(t.marginBottom, dpi);
}

// Nothing smaller than one pixel: a picture that was there stays there.
DIB resampled(const DIB& image, int width, int height) {
    if (image.empty()) return DIB();
    return tavel::win::dib::scaleBilinear(image, std::max(width, 1), std::max(height, 1));
}

// Bilinear, but the transparent colour is never blended: a pixel whose nearest
// source pixel is transparent stays exactly transparent, the others mix only
// their opaque neighbours, so no pink fringe appears around an icon.
DIB resampledKeyed(const DIB& image, int width, int height) {
    DIB out;
    if (image.empty() || image.bitsPerPixel() != 32) return out;
    // Skin strips are small; anything huge is a broken skin, not a picture to draw.
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide ||
        static_cast<long long>(width) * height > kMaxPixels || !out.create(width, height, 32))
        return DIB();
    const int sw = image.width(), sh = image.height(), dw = out.width(), dh = out.height();
    auto coordinate = [](int d, int destSize, int sourceSize) {
        const double c = (d + 0.5) * sourceSize / destSize - 0.5;
        return std::min(std::max(c, 0.0), static_cast<double>(sourceSize - 1));
    };
    auto keyed = [&](int x, int y) { return (image.pixel(x, y) & 0xFFFFFFu) == tavel::win::dib::kMagenta; };
    for (int y = 0; y < dh; ++y) {
        const double fy = coordinate(y, dh, sh);
        const int y0 = static_cast<int>(fy), y1 = std::min(y0 + 1, sh - 1);
        const double wy = fy - y0;
        for (int x = 0; x < dw; ++x) {
            const double fx = coordinate(x, dw, sw);
            const int x0 = static_cast<int>(fx), x1 = std::min(x0 + 1, sw - 1);
            const double wx = fx - x0;
            const int nx = wx < 0.5 ? x0 : x1, ny = wy < 0.5 ? y0 : y1;
            if (keyed(nx, ny)) {
                out.setPixel(x, y, image.pixel(nx, ny));
                continue;
            }
            const int px[4] = {x0, x1, x0, x1}, py[4] = {y0, y0, y1, y1};
            const double w[4] = {(1 - wx) * (1 - wy), wx * (1 - wy), (1 - wx) * wy, wx * wy};
            double sum[3] = {0, 0, 0}, total = 0;
            for (int i = 0; i < 4; ++i) {
                if (w[i] <= 0 || keyed(px[i], py[i])) continue;
                const std::uint32_t c = image.pixel(px[i], py[i]);
                for (int k = 0; k < 3; ++k)
                    sum[k] += w[i] * ((c >> (8 * k)) & 0xFF);
                total += w[i];
            }
            std::uint32_t mixed = 0;
            for (int k = 0; k < 3; ++k) {
                const int v = static_cast<int>(sum[k] / total + 0.5);
                mixed |= static_cast<std::uint32_t>(std::min(std::max(v, 0), 255)) << (8 * k);
            }
            // Never the key by accident.
            out.setPixel(x, y, mixed == tavel::win::dib::kMagenta ? mixed ^ 1u : mixed);
        }
    }
    return out;
}

// The first `width` columns: a strip without the stray columns after its last
// frame, which would otherwise stretch every frame a little.
DIB leftColumns(const DIB& image, int width) {
    if (width >= image.width()) return image;
    DIB out;
    if (image.bitsPerPixel() != 32 || !out.create(width, image.height(), 32)) return DIB();
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(out.row(y), image.row(y), static_cast<std::size_t>(width) * 4);
    return out;
}

void scaleBackground(SkinData::Background& b, int dpi) {
    b.image = resampled(b.image, DpiScale::scale(b.image.width(), dpi), DpiScale::scale(b.image.height(), dpi));
}

void scaleGroup(SkinData::Group& g, int dpi) {
    g.font.size = DpiScale::scale(g.font.size, dpi);
    scaleText(g.text, dpi);
    g.marginLeft = DpiScale::scale(g.marginLeft, dpi);
    g.marginTop = DpiScale::scale(g.marginTop, dpi);
    g.marginRight = DpiScale::scale(g.marginRight, dpi);
    g.marginBottom = DpiScale::scale(g.marginBottom, dpi);
    scaleBackground(g.background, dpi);
}

// Frames are cut from the strip by the frame width, so the strip becomes an
// exact multiple of the scaled frame width; leftover columns (no whole
// frame) are dropped as the frame arithmetic would ignore them anyway.
void scaleStrip(SkinData::Strip& s, int dpi) {
    const int frameWidth = std::max(DpiScale::scale(s.width, dpi), s.width > 0 ? 1 : 0);
    const int frameHeight = std::max(DpiScale::scale(s.height, dpi), s.height > 0 ? 1 : 0);
    if (!s.image.empty() && s.width > 0 && s.height > 0) {
        const int frames = s.image.width() / s.width;
        const long long stripWidth = static_cast<long long>(frames) * frameWidth;
        const int stripHeight = DpiScale::scale(s.image.height(), dpi);
        s.image = frames > 0 && stripWidth <= INT_MAX ? resampledKeyed(leftColumns(s.image, frames * s.width),
                                                                       static_cast<int>(stripWidth), stripHeight)
                                                      : DIB();
    } else {
        s.image =
            resampledKeyed(s.image, DpiScale::scale(s.image.width(), dpi), DpiScale::scale(s.image.height(), dpi));
    }
    s.left = DpiScale::scale(s.left, dpi);
    s.top = DpiScale::scale(s.top, dpi);
    s.width = frameWidth;
    s.height = frameHeight;
}

}  // namespace

int DpiScale::scale(int value, int dpi) {
    if (dpi < 1) dpi = kBaseDpi;
    const long long product = static_cast<long long>(value) * dpi;
    const long long half = kBaseDpi / 2;
    const long long scaled = product >= 0 ? (product + half) / kBaseDpi : -((-product + half) / kBaseDpi);
    return static_cast<int>(std::min<long long>(std::max<long long>(scaled, INT_MIN), INT_MAX));
}

SkinData DpiScale::skin(const SkinData& base, int dpi) {
    SkinData s = base;
    if (dpi < 1 || dpi == kBaseDpi) return s;
    s.width = scale(s.width, dpi);
    s.headerHeight = scale(s.headerHeight, dpi);
    scaleGroup(s.header, dpi);
    scaleGroup(s.body, dpi);
    scaleGroup(s.artworkBody, dpi);
    s.artworkMarginLeft = scale(s.artworkMarginLeft, dpi);
    s.artworkMarginTop = scale(s.artworkMarginTop, dpi);
    s.artworkMarginRight = scale(s.artworkMarginRight, dpi);
    s.artworkMarginBottom = scale(s.artworkMarginBottom, dpi);
    s.artworkWidth = scale(s.artworkWidth, dpi);
    s.artworkHeight = scale(s.artworkHeight, dpi);
    scaleBackground(s.footer, dpi);
    for (SkinData::Strip* strip :
         {&s.icon, &s.playerStateIcon, &s.shuffleIcon, &s.repeatIcon, &s.volumeBar, &s.systemVolumeBar}) {
        scaleStrip(*strip, dpi);
    }
    return s;
}

}  // namespace tavelapp

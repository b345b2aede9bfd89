// Skins are downloaded from anywhere: any Skin.ini must load, and the window
// geometry and layout built from its numbers must stay free of overflow.
#include <cstddef>
#include <cstdint>
#include <string>

#include "notify/NotifyGeometry.h"
#include "notify/NotifyLayout.h"
#include "notify/SkinData.h"
#include "win/dib/Bitmap.h"

using namespace tavelapp;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // Images of a size taken from the name's length, so geometry sees varied numbers without files.
    const SkinData skin =
        SkinData::fromIni(bytes, L"C:\\Skins\\Fuzz", [](const std::wstring& path, SkinData::DIB& out) {
            const int side = static_cast<int>(path.size() % 23);
            return side > 0 && out.create(side, side + 1, 32);
        });
    if (!skin.found) __builtin_trap();

    const tavel::win::dib::Size fitted = tavel::win::dib::fitSize(skin.artworkWidth, skin.artworkHeight, 500, 250);
    for (int artwork = 0; artwork < 2; ++artwork) {
        const NotifyGeometry::Input in =
            NotifyGeometry::inputFor(skin, artwork ? fitted.width : 0, artwork ? fitted.height : 0);
        const NotifyGeometry::Result r = NotifyGeometry::compute(in, [&](int wrap) {
            if (wrap < 0) __builtin_trap();
            return static_cast<int>(skin.body.font.size);
        });
        if (r.windowHeight < 0 || r.windowWidth < 0 || r.text.width < 0) __builtin_trap();

        const NotifyLayout::Rect work{0, 0, 1024, 768};
        const auto targets = NotifyLayout::layout(work, skin.effect, {{r.windowWidth, r.windowHeight, false}});
        for (int p = 0; p <= NotifyLayout::kFullProgress; p += 40) {
            const NotifyLayout::Appearance a = NotifyLayout::progressRect(
                *targets[0], p, NotifyLayout::effectiveEffect(skin.effect, 2), skin.objectAlign, true, artwork == 1);
            const int alpha =
                NotifyLayout::alphaFor(NotifyLayout::effectiveTransparency(skin.transparency, 0), a.opacity);
            if (alpha < 0 || alpha > 255) __builtin_trap();
        }
    }
    SkinData::DIB canvas;
    if (canvas.create(64, 64, 32)) {
        tavel::win::dib::drawBar(canvas, skin.volumeBar.left, skin.volumeBar.top, skin.volumeBar.image,
                                 skin.volumeBar.width, skin.volumeBar.height, false, skin.width);
        tavel::win::dib::drawStripFrame(canvas, skin.icon.left, skin.icon.top, skin.icon.image, skin.repeatIcon.left,
                                        skin.icon.width, skin.icon.height);
    }
    return 0;
}

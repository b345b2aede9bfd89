#include "notify/NotifyWndSkin.h"

#include "base/AppPaths.h"
#include "notify/DpiScale.h"

namespace tavelapp {

namespace {

COLORREF colorRef(std::uint32_t rrggbb) { return RGB((rrggbb >> 16) & 0xFF, (rrggbb >> 8) & 0xFF, rrggbb & 0xFF); }

GdiObject<HFONT> makeFont(const SkinData::Font& font) {
    return GdiObject<HFONT>(::CreateFontW(font.size, 0, 0, 0, font.weight(), font.italic ? TRUE : FALSE,
                                          font.underline ? TRUE : FALSE, font.strikeout ? TRUE : FALSE,
                                          SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                          DEFAULT_PITCH | FF_DONTCARE, font.family.c_str()));
}

void makeBackground(const SkinData::Background& source, NotifyWndSkin::Background& target) {
    target.bitmap = bitmapFromDib(source.image);
    if (target.bitmap) {
        target.width = source.image.width();
        target.height = source.image.height();
    }
    target.repeat = source.repeat;
    target.fill = colorRef(source.fill);
}

void makeGroup(const SkinData::Group& source, NotifyWndSkin::Group& target) {
    target.font = makeFont(source.font);
    target.color = colorRef(source.font.color);
    makeBackground(source.background, target.background);
    target.data = &source;
}

void makeIcon(const SkinData::Strip& source, NotifyWndSkin::Icon& target) {
    target.left = source.left;
    target.top = source.top;
    target.width = source.width;
    target.height = source.height;
    if (source.image.empty() || source.width <= 0 || source.height <= 0) return;
    GdiObject<HBITMAP> strip = bitmapFromDib(source.image);
    if (!strip) return;
    const int frames = source.image.width() / source.width;
    if (frames <= 0) return;
    ImageListHandle list(::ImageList_Create(source.width, source.height, ILC_COLOR24 | ILC_MASK, frames, 0));
    if (!list) return;
    // Magenta marks the transparent pixels of every frame.
    if (::ImageList_AddMasked(list.get(), strip.get(), RGB(255, 0, 255)) < 0) return;
    target.imageList = std::move(list);
}

}  // namespace

std::wstring NotifyWndSkin::skinsFolder() { return AppPaths::settingsFolder() + L"\\Skins"; }

NotifyWndSkin::NotifyWndSkin(const std::wstring& name)
    : name_(name), data_(SkinData::loadOrDefault(skinsFolder(), name)) {
    if (data_.found && !data_.name.empty()) name_ = data_.name;
    makeObjects();
}

NotifyWndSkin::NotifyWndSkin(const NotifyWndSkin& base, int dpi)
    : name_(base.name_), data_(DpiScale::skin(base.data_, dpi)), dpi_(dpi) {
    makeObjects();
}

void NotifyWndSkin::makeObjects() {
    makeGroup(data_.header, header_);
    makeGroup(data_.body, body_);
    makeGroup(data_.artworkBody, artworkBody_);
    makeBackground(data_.footer, footer_);
    makeIcon(data_.icon, icon_);
    makeIcon(data_.playerStateIcon, playerStateIcon_);
    makeIcon(data_.shuffleIcon, shuffleIcon_);
    makeIcon(data_.repeatIcon, repeatIcon_);
}

}  // namespace tavelapp

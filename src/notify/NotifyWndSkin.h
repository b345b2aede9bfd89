#pragma once
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "notify/NotifyWndGdi.h"
#include "notify/SkinData.h"
#include "win/dib/DIB.h"

namespace tavelapp {

// One loaded skin: the values of its Skin.ini plus the GDI objects made from
// them. Owns every font, bitmap and image list; shared by the windows built
// with it, so a window keeps its skin while another one gets loaded.
class NotifyWndSkin {
public:
    // A picture strip of frames `width` wide, magenta transparent.
    class Icon {
    public:
        Icon() = default;
        Icon(const Icon&) = delete;
        Icon& operator=(const Icon&) = delete;
        virtual ~Icon() = default;

        ImageListHandle imageList;
        int left = 0;
        int top = 0;
        int width = 16;
        int height = 16;
    };

    struct Background {
        GdiObject<HBITMAP> bitmap;
        int width = 0;  // 0 x 0 when the image is missing
        int height = 0;
        int repeat = 1;
        COLORREF fill = RGB(255, 255, 255);
    };

    struct Group {
        GdiObject<HFONT> font;
        COLORREF color = RGB(0, 0, 0);
        Background background;
        const SkinData::Group* data = nullptr;  // margins and text settings
    };

    // Skins\<name>; "Default" when that has no Skin.ini; empty when neither has.
    explicit NotifyWndSkin(const std::wstring& name);
    // The same skin drawn at another DPI (its 96-DPI values scaled).
    NotifyWndSkin(const NotifyWndSkin& base, int dpi);
    NotifyWndSkin(const NotifyWndSkin&) = delete;
    NotifyWndSkin& operator=(const NotifyWndSkin&) = delete;
    virtual ~NotifyWndSkin() = default;

    const std::wstring& name() const { return name_; }
    const SkinData& data() const { return data_; }
    bool empty() const { return !data_.found; }
    int width() const { return data_.width; }
    int effect() const { return data_.effect; }
    int transparency() const { return data_.transparency; }
    int dpi() const { return dpi_; }

    const Group& header() const { return header_; }
    const Group& body() const { return body_; }
    const Group& artworkBody() const { return artworkBody_; }
    const Background& footer() const { return footer_; }
    const Icon& icon() const { return icon_; }
    const Icon& playerStateIcon() const { return playerStateIcon_; }
    const Icon& shuffleIcon() const { return shuffleIcon_; }
    const Icon& repeatIcon() const { return repeatIcon_; }
    // Bars are drawn colour-keyed straight from their strips' pixels.
    const SkinData::Strip& volumeBar() const { return data_.volumeBar; }
    const SkinData::Strip& systemVolumeBar() const { return data_.systemVolumeBar; }

    // <settings folder>\Skins
    static std::wstring skinsFolder();

private:
    void makeObjects();

    std::wstring name_;
    SkinData data_;
    int dpi_ = 96;
    Group header_;
    Group body_;
    Group artworkBody_;
    Background footer_;
    Icon icon_;
    Icon playerStateIcon_;
    Icon shuffleIcon_;
    Icon repeatIcon_;
};

using NotifyWndSkinPtr = std::shared_ptr<const NotifyWndSkin>;

}  // namespace tavelapp

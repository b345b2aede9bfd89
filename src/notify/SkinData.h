#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "win/dib/DIB.h"

namespace tavelapp {

// Everything a skin's Skin.ini says, with its bitmaps decoded. The window
// code turns it into fonts, bitmaps and image lists; nothing here needs Win32.
class SkinData {
public:
    using DIB = tavel::win::dib::DIB;

    enum Align { AlignLeft = 0, AlignCenter = 1, AlignRight = 2 };
    enum Repeat { NoRepeat = 0, RepeatDown = 1, Stretch = 2 };
    enum ObjectAlign { ArtworkLeft = 0, ArtworkAbove = 1, ArtworkRight = 2, ArtworkBelow = 3 };
    enum VAlign { VAlignTop = -1, VAlignMiddle = 0, VAlignBottom = 1 };

    struct Text {
        int align = AlignLeft;
        bool visible = true;  // honoured for the heading only; body text is always drawn
        int marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0;
    };
    struct Font {
        std::wstring family;  // empty: the system's choice
        int size = 0;         // cell height in pixels; 0 the system's default height
        bool bold = false, italic = false, underline = false, strikeout = false;
        std::uint32_t color = 0;  // 0x00RRGGBB (swap red and blue for a COLORREF)
        int weight() const { return bold ? 700 : 400; }
    };
    struct Background {
        DIB image;  // empty (width 0) when the file is missing or unreadable
        int repeat = RepeatDown;
        // Below a no-repeat image. No key sets it; white, like the window background.
        std::uint32_t fill = 0x00FFFFFF;
        std::wstring imagePath;  // full path, empty when no image is named
    };
    struct Group {
        Font font;
        Text text;
        int marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0;
        Background background;
    };
    // An icon strip (frames `width` wide) or a bar strip (four frames).
    struct Strip {
        DIB image;
        int left = 0, top = 0, width = 16, height = 16;
        std::wstring imagePath;
    };

    // Reads an image file of the skin; false leaves `out` empty.
    using ImageLoader = std::function<bool(const std::wstring& path, DIB& out)>;

    // Skin.ini in the folder ...\Skins\<name>. `found` is false (and all values
    // defaults) when there is no Skin.ini, so the caller can fall back.
    static SkinData load(const std::wstring& skinFolder);
    // The named skin under `skinsFolder`, else "Default", else an empty skin
    // (name the requested one). `name` becomes the folder actually read.
    static SkinData loadOrDefault(const std::wstring& skinsFolder, const std::wstring& name);
    // From Skin.ini bytes; image names are resolved against skinFolder and
    // handed to `loader` (an empty loader loads nothing).
    static SkinData fromIni(const std::string& iniBytes, const std::wstring& skinFolder, const ImageLoader& loader);
    // The default loader: the whole file through readBitmapFile.
    static bool loadBitmapFile(const std::wstring& path, DIB& out);

    // For each sub-folder of Skins in file-system order: its name cut before
    // the last '.' and A-Z lowered (the value of the Skin setting), and the
    // [Info] Name of its Skin.ini (empty when absent).
    static std::vector<std::pair<std::wstring, std::wstring>> listSkins(const std::wstring& skinsFolder);

    // Whether an image name stays inside the skin's folder: relative, with no
    // drive, share, stream or device and no component that climbs out ("..").
    static bool isInsideName(const std::wstring& name);

    // Value forms of Skin.ini, public for the tests.
    static std::uint32_t parseColor(const std::wstring& value);
    static int parseRepeat(const std::wstring& value);
    static int parseAlign(const std::wstring& value);
    static bool parseVisible(const std::wstring& value);
    static int parseVAlign(const std::wstring& value);
    static void parseFontStyle(const std::wstring& value, Font& font);

    bool found = false;
    std::wstring name;
    int width = 0;
    int effect = -1;        // -1: the Effect setting
    int transparency = -1;  // -1: the Transparency setting
    int headerHeight = 0;   // read, not used: the header image's height counts
    Group header;
    Group body;
    Group artworkBody;  // used instead of body when artwork is shown; its background is never drawn
    int objectAlign = ArtworkLeft;
    int artworkMarginLeft = 0, artworkMarginTop = 0, artworkMarginRight = 0, artworkMarginBottom = 0;
    int artworkWidth = 0, artworkHeight = 0;
    int artworkVAlign = VAlignMiddle;
    Background footer;
    Strip icon, playerStateIcon, shuffleIcon, repeatIcon;
    Strip volumeBar, systemVolumeBar;
    std::wstring displayName;  // [Info] Name
};

}  // namespace tavelapp

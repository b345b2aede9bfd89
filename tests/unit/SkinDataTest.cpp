#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "TempFolder.h"
#include "notify/SkinData.h"

using namespace tavelapp;

namespace {

// A 24-bit bottom-up bitmap file of one colour (0x00RRGGBB).
std::string solidBitmap(int width, int height, std::uint32_t color) {
    auto put32 = [](std::string& out, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    const int stride = (width * 3 + 3) / 4 * 4;
    std::string rows;
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            row += static_cast<char>(color & 0xFF);
            row += static_cast<char>((color >> 8) & 0xFF);
            row += static_cast<char>((color >> 16) & 0xFF);
        }
        row.resize(static_cast<std::size_t>(stride), '\0');
        rows += row;
    }
    std::string file = "BM";
    put32(file, static_cast<std::uint32_t>(54 + rows.size()));
    put32(file, 0);
    put32(file, 54);
    put32(file, 40);
    put32(file, static_cast<std::uint32_t>(width));
    put32(file, static_cast<std::uint32_t>(height));
    file += std::string("\x01\x00\x18\x00", 4);
    file += std::string(24, '\0');
    return file + rows;
}

const char* const kFullSkin =
    "[notify]\r\nwidth=240\r\neffect=3\r\ntransparency=20\r\n"
    "[notify-header]\r\nheight=99\r\nbg-image=header.bmp\r\nfont-family=Meiryo\r\nfont-size=14\r\n"
    "font-style=bold italic\r\nfont-color=#ff8000\r\ntext-align=right\r\ntext-visible=False\r\n"
    "text-margin-left=4\r\ntext-margin-top=3\r\ntext-margin-right=2\r\n"
    "[notify-body]\r\nmargin-left=5\r\nmargin-top=6\r\nmargin-right=7\r\nmargin-bottom=8\r\n"
    "bg-image=body.bmp\r\nbg-repeat=stretch no-repeat\r\nfont-size=12\r\nfont-style=underline strikeout\r\n"
    "font-color=FF8000\r\ntext-align=center\r\ntext-margin-left=1\r\ntext-margin-top=2\r\n"
    "text-margin-right=3\r\ntext-margin-bottom=4\r\n"
    "[notify-body-artwork]\r\nmargin-left=9\r\nbg-image=missing.bmp\r\nbg-repeat=no-repeat\r\n"
    "font-family=Tahoma\r\nfont-color=#fff\r\nobject-align=3\r\nartwork-margin-left=11\r\n"
    "artwork-margin-top=12\r\nartwork-margin-right=13\r\nartwork-margin-bottom=14\r\n"
    "artwork-width=80\r\nartwork-height=60\r\nartwork-valign=bottom\r\n"
    "[notify-footer]\r\nbg-image=footer.bmp\r\n"
    "[notify-icon]\r\nleft=1\r\ntop=2\r\nwidth=20\r\nheight=21\r\nimage=icon.bmp\r\n"
    "[notify-icon-shuffle]\r\nimage=broken.bmp\r\n"
    "[notify-volume]\r\nleft=100\r\ntop=50\r\nwidth=40\r\nheight=8\r\nimage=bar.bmp\r\n"
    "[Info]\r\nName=Orange Test\r\n";

class SkinDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("Skins/Orange/Skin.ini", kFullSkin);
        dir.write("Skins/Orange/header.bmp", solidBitmap(240, 10, 0x00FF8000));
        dir.write("Skins/Orange/body.bmp", solidBitmap(240, 4, 0x00FFFFFF));
        dir.write("Skins/Orange/footer.bmp", solidBitmap(240, 6, 0x00000000));
        dir.write("Skins/Orange/icon.bmp", solidBitmap(40, 21, 0x00FF00FF));
        dir.write("Skins/Orange/bar.bmp", solidBitmap(160, 8, 0x00123456));
        dir.write("Skins/Orange/broken.bmp", solidBitmap(8, 8, 0).substr(0, 60));
    }
    TempFolder dir;
};

}  // namespace

TEST_F(SkinDataTest, EveryKeyOfAFullSkin) {
    const SkinData skin = SkinData::load(dir.winPath("Skins/Orange"));
    ASSERT_TRUE(skin.found);
    EXPECT_EQ(L"Orange", skin.name);
    EXPECT_EQ(L"Orange Test", skin.displayName);
    EXPECT_EQ(240, skin.width);
    EXPECT_EQ(3, skin.effect);
    EXPECT_EQ(20, skin.transparency);
    EXPECT_EQ(99, skin.headerHeight);

    const SkinData::Group& header = skin.header;
    EXPECT_EQ(10, header.background.image.height()) << "the header picture's own height";
    EXPECT_EQ(0x00FF8000u, header.background.image.pixel(0, 0));
    EXPECT_EQ(dir.winPath("Skins/Orange/header.bmp"), header.background.imagePath);
    EXPECT_EQ(L"Meiryo", header.font.family);
    EXPECT_EQ(14, header.font.size);
    EXPECT_TRUE(header.font.bold && header.font.italic);
    EXPECT_FALSE(header.font.underline || header.font.strikeout);
    EXPECT_EQ(700, header.font.weight());
    EXPECT_EQ(0x00FF8000u, header.font.color);
    EXPECT_EQ(SkinData::AlignRight, header.text.align);
    EXPECT_FALSE(header.text.visible) << "False in mixed case hides the heading";
    EXPECT_EQ(4, header.text.marginLeft);
    EXPECT_EQ(3, header.text.marginTop);
    EXPECT_EQ(2, header.text.marginRight);

    const SkinData::Group& body = skin.body;
    EXPECT_EQ(5, body.marginLeft);
    EXPECT_EQ(6, body.marginTop);
    EXPECT_EQ(7, body.marginRight);
    EXPECT_EQ(8, body.marginBottom);
    EXPECT_EQ(SkinData::Stretch, body.background.repeat);
    EXPECT_EQ(4, body.background.image.height());
    EXPECT_EQ(L"", body.font.family);
    EXPECT_EQ(12, body.font.size);
    EXPECT_EQ(400, body.font.weight());
    EXPECT_TRUE(body.font.underline && body.font.strikeout);
    EXPECT_EQ(header.font.color, body.font.color) << "with and without the hash sign";
    EXPECT_EQ(SkinData::AlignCenter, body.text.align);
    EXPECT_EQ(1, body.text.marginLeft);
    EXPECT_EQ(4, body.text.marginBottom);

    const SkinData::Group& artwork = skin.artworkBody;
    EXPECT_EQ(9, artwork.marginLeft);
    EXPECT_EQ(0, artwork.marginTop);
    EXPECT_TRUE(artwork.background.image.empty()) << "a missing file leaves the image out";
    EXPECT_EQ(0, artwork.background.image.width());
    EXPECT_EQ(dir.winPath("Skins/Orange/missing.bmp"), artwork.background.imagePath);
    EXPECT_EQ(SkinData::NoRepeat, artwork.background.repeat);
    EXPECT_EQ(L"Tahoma", artwork.font.family);
    EXPECT_EQ(0u, artwork.font.color) << "three digits give black";
    EXPECT_EQ(SkinData::AlignLeft, artwork.text.align);
    EXPECT_EQ(SkinData::ArtworkBelow, skin.objectAlign);
    EXPECT_EQ(11, skin.artworkMarginLeft);
    EXPECT_EQ(12, skin.artworkMarginTop);
    EXPECT_EQ(13, skin.artworkMarginRight);
    EXPECT_EQ(14, skin.artworkMarginBottom);
    EXPECT_EQ(80, skin.artworkWidth);
    EXPECT_EQ(60, skin.artworkHeight);
    EXPECT_EQ(SkinData::VAlignBottom, skin.artworkVAlign);

    EXPECT_EQ(6, skin.footer.image.height());

    EXPECT_EQ(1, skin.icon.left);
    EXPECT_EQ(2, skin.icon.top);
    EXPECT_EQ(20, skin.icon.width);
    EXPECT_EQ(21, skin.icon.height);
    EXPECT_EQ(40, skin.icon.image.width()) << "a strip of two frames";
    EXPECT_EQ(0x00FF00FFu, skin.icon.image.pixel(39, 20));
    EXPECT_TRUE(skin.shuffleIcon.image.empty()) << "a truncated bitmap leaves the image out";
    EXPECT_EQ(16, skin.shuffleIcon.width);
    EXPECT_EQ(100, skin.volumeBar.left);
    EXPECT_EQ(40, skin.volumeBar.width);
    EXPECT_EQ(160, skin.volumeBar.image.width());
    EXPECT_EQ(0x00123456u, skin.volumeBar.image.pixel(159, 7));
}

TEST_F(SkinDataTest, DefaultsOfAnEmptySkin) {
    dir.write("Skins/Bare/Skin.ini", "");
    const SkinData skin = SkinData::load(dir.winPath("Skins/Bare\\"));
    EXPECT_TRUE(skin.found);
    EXPECT_EQ(L"Bare", skin.name);
    EXPECT_EQ(0, skin.width);
    EXPECT_EQ(-1, skin.effect);
    EXPECT_EQ(-1, skin.transparency);
    for (const SkinData::Group* group : {&skin.header, &skin.body, &skin.artworkBody}) {
        EXPECT_EQ(SkinData::AlignLeft, group->text.align);
        EXPECT_TRUE(group->text.visible);
        EXPECT_EQ(SkinData::RepeatDown, group->background.repeat);
        EXPECT_TRUE(group->background.image.empty());
        EXPECT_EQ(L"", group->background.imagePath);
        EXPECT_EQ(0, group->font.size);
        EXPECT_EQ(0u, group->font.color);
        EXPECT_EQ(0, group->marginLeft + group->text.marginTop);
    }
    EXPECT_EQ(SkinData::ArtworkLeft, skin.objectAlign);
    EXPECT_EQ(SkinData::VAlignMiddle, skin.artworkVAlign);
    EXPECT_EQ(0, skin.artworkWidth);
    for (const SkinData::Strip* strip : {&skin.icon, &skin.playerStateIcon, &skin.shuffleIcon, &skin.repeatIcon,
                                         &skin.volumeBar, &skin.systemVolumeBar}) {
        EXPECT_EQ(0, strip->left);
        EXPECT_EQ(0, strip->top);
        EXPECT_EQ(16, strip->width);
        EXPECT_EQ(16, strip->height);
        EXPECT_TRUE(strip->image.empty());
    }
    EXPECT_EQ(L"", skin.displayName);
}

TEST(SkinDataValuesTest, ValueForms) {
    EXPECT_EQ(0x00FF8000u, SkinData::parseColor(L"#ff8000"));
    EXPECT_EQ(0x00FF8000u, SkinData::parseColor(L"FF8000"));
    EXPECT_EQ(0u, SkinData::parseColor(L"#fff"));
    EXPECT_EQ(0u, SkinData::parseColor(L""));
    EXPECT_EQ(0x00008000u, SkinData::parseColor(L"GZ8000")) << "a non-hex digit counts 0";
    EXPECT_EQ(0x00AB0000u, SkinData::parseColor(L"#AB0000FF")) << "six digits are read";
    EXPECT_EQ(0x000FF800u, SkinData::parseColor(L"##ff8000")) << "one hash only: the second counts 0";

    EXPECT_EQ(0, SkinData::parseRepeat(L"no-repeat"));
    EXPECT_EQ(2, SkinData::parseRepeat(L"stretch"));
    EXPECT_EQ(2, SkinData::parseRepeat(L"stretch no-repeat"));
    EXPECT_EQ(1, SkinData::parseRepeat(L"No-Repeat")) << "compared exactly";
    EXPECT_EQ(1, SkinData::parseRepeat(L"repeat"));

    EXPECT_EQ(1, SkinData::parseAlign(L"center"));
    EXPECT_EQ(2, SkinData::parseAlign(L"right"));
    EXPECT_EQ(0, SkinData::parseAlign(L"Center"));
    EXPECT_EQ(0, SkinData::parseAlign(L"left"));

    EXPECT_FALSE(SkinData::parseVisible(L"FALSE"));
    EXPECT_FALSE(SkinData::parseVisible(L"0"));
    EXPECT_TRUE(SkinData::parseVisible(L"no"));
    EXPECT_TRUE(SkinData::parseVisible(L""));

    EXPECT_EQ(-1, SkinData::parseVAlign(L"top"));
    EXPECT_EQ(1, SkinData::parseVAlign(L"bottom"));
    EXPECT_EQ(0, SkinData::parseVAlign(L"Top"));
    EXPECT_EQ(0, SkinData::parseVAlign(L"middle"));

    SkinData::Font font;
    SkinData::parseFontStyle(L"  italic\tBold strikeout  bolder", font);
    EXPECT_TRUE(font.italic);
    EXPECT_TRUE(font.strikeout);
    EXPECT_FALSE(font.bold) << "words are exact";
    EXPECT_FALSE(font.underline);
}

TEST_F(SkinDataTest, ImagesGoThroughTheLoaderAndFallBack) {
    std::vector<std::wstring> asked;
    const SkinData skin =
        SkinData::fromIni(kFullSkin, L"C:\\Skins\\Orange", [&](const std::wstring& path, SkinData::DIB& out) {
            asked.push_back(path);
            return out.create(2, 3, 32);
        });
    EXPECT_EQ(L"Orange", skin.name);
    EXPECT_EQ(3, skin.footer.image.height());
    EXPECT_EQ(L"C:\\Skins\\Orange\\footer.bmp", skin.footer.imagePath);
    EXPECT_EQ(7u, asked.size()) << "each named image once, missing ones too";

    const SkinData noImages = SkinData::fromIni(kFullSkin, L"C:\\Skins\\Orange", nullptr);
    EXPECT_TRUE(noImages.header.background.image.empty());
    EXPECT_EQ(240, noImages.width);

    // A missing Skin.ini: the caller falls back to Default, then to nothing.
    EXPECT_FALSE(SkinData::load(dir.winPath("Skins/Nowhere")).found);
    const SkinData none = SkinData::loadOrDefault(dir.winPath("Skins"), L"Nowhere");
    EXPECT_FALSE(none.found);
    EXPECT_EQ(L"Nowhere", none.name);
    EXPECT_EQ(0, none.width);

    dir.write("Skins/Default/Skin.ini", "[notify]\r\nwidth=200\r\n");
    const SkinData fallback = SkinData::loadOrDefault(dir.winPath("Skins"), L"Nowhere");
    EXPECT_TRUE(fallback.found);
    EXPECT_EQ(L"Default", fallback.name);
    EXPECT_EQ(200, fallback.width);
    EXPECT_EQ(240, SkinData::loadOrDefault(dir.winPath("Skins"), L"orange").width) << "folder names ignore case";
}

TEST(SkinDataNamesTest, ImageNamesStayInsideTheSkinFolder) {
    const struct {
        const wchar_t* name;
        bool inside;
    } names[] = {
        {L"header.bmp", true},
        {L"parts\\bar.bmp", true},
        {L"parts/bar.bmp", true},
        {L".\\a.bmp", true},
        {L"a..b.bmp", true},
        {L"..a.bmp", true},
        {L"console.bmp", true},
        {L"com10.bmp", true},
        {L"..\\x.bmp", false},
        {L"../x.bmp", false},
        {L"a\\..\\..\\x.bmp", false},
        {L"a/../x.bmp", false},
        {L"...\\x.bmp", false},
        {L".. \\x.bmp", false},
        {L"..", false},
        {L"C:\\x.bmp", false},
        {L"C:x.bmp", false},
        {L"\\x.bmp", false},
        {L"/x.bmp", false},
        {L"\\\\server\\s\\x.bmp", false},
        {L"//server/s/x.bmp", false},
        {L"a.bmp:stream", false},
        {L"con", false},
        {L"NUL.bmp", false},
        {L"parts\\aux .bmp", false},
        {L"com1.bmp", false},
        {L"LPT9", false},
        {L"", false},
    };
    for (const auto& n : names) {
        const std::wstring name = n.name;
        EXPECT_EQ(n.inside, SkinData::isInsideName(name)) << std::string(name.begin(), name.end());
    }

    // A skin naming files outside its folder loads none of them; its own still load.
    std::vector<std::wstring> asked;
    const SkinData skin = SkinData::fromIni(
        "[notify-header]\r\nbg-image=..\\x.bmp\r\n[notify-body]\r\nbg-image=C:\\x.bmp\r\n"
        "[notify-footer]\r\nbg-image=\\\\server\\share\\x.bmp\r\n[notify-icon]\r\nimage=icons/../../x.bmp\r\n"
        "[notify-volume]\r\nimage=bar.bmp\r\n",
        L"C:\\Skins\\Orange", [&](const std::wstring& path, SkinData::DIB& out) {
            asked.push_back(path);
            return out.create(2, 2, 32);
        });
    EXPECT_EQ(std::vector<std::wstring>{L"C:\\Skins\\Orange\\bar.bmp"}, asked);
    EXPECT_TRUE(skin.header.background.image.empty());
    EXPECT_TRUE(skin.header.background.imagePath.empty());
    EXPECT_TRUE(skin.icon.image.empty());
    EXPECT_EQ(2, skin.volumeBar.image.width());
}

TEST_F(SkinDataTest, TheSkinList) {
    dir.write("Skins/My.Skin.V2/Skin.ini", "[info]\r\nname=Version two\r\n");
    dir.write("Skins/NoIni/readme.txt", "nothing");
    dir.write("Skins/loose.txt", "not a folder");
    std::vector<std::pair<std::wstring, std::wstring>> skins = SkinData::listSkins(dir.winPath("Skins"));
    std::sort(skins.begin(), skins.end());
    const std::vector<std::pair<std::wstring, std::wstring>> expected = {
        {L"my.skin", L"Version two"}, {L"noini", L""}, {L"orange", L"Orange Test"}};
    EXPECT_EQ(expected, skins);
    EXPECT_TRUE(SkinData::listSkins(dir.winPath("NoSkins")).empty());
}

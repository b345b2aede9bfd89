// Checks the notification skins shipped in data/Skins (made by
// tools/make-skins.py): each Skin.ini reads, and every picture it names is a
// 24-bit Windows bitmap of the size the ini declares.

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "win/file/FileSystem.h"
#include "win/file/IniDocument.h"

namespace {

using tavel::win::file::IniDocument;

std::wstring skinsFolder() {
    std::wstring path;
    for (char c : std::string(KOLIBRIX_SOURCE_DIR) + "/data/Skins")
        path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return path;
}

std::string narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

std::uint32_t le(const std::string& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

struct Bitmap {
    int width = 0;
    int height = 0;
};

// A well-formed bitmap as the skin loader reads it: file header, 40-byte info
// header, 24 bits per pixel, uncompressed, rows padded to 4 bytes, all present.
bool readBitmap(const std::wstring& path, Bitmap& out) {
    std::string b;
    if (!tavel::win::file::readFileBytes(path, b) || b.size() < 54 || b.compare(0, 2, "BM") != 0) return false;
    out.width = static_cast<std::int32_t>(le(b, 18, 4));
    out.height = static_cast<std::int32_t>(le(b, 22, 4));
    const std::size_t stride = (static_cast<std::size_t>(out.width) * 3 + 3) & ~static_cast<std::size_t>(3);
    return le(b, 2, 4) == b.size() && le(b, 14, 4) == 40 && le(b, 26, 2) == 1 && le(b, 28, 2) == 24 &&
           le(b, 30, 4) == 0 && out.width > 0 && out.height > 0 && le(b, 10, 4) >= 54 &&
           le(b, 10, 4) + stride * out.height <= b.size();
}

struct Skin {
    std::wstring folder;
    IniDocument ini;
};

std::vector<Skin> shippedSkins() {
    std::vector<Skin> skins;
    for (const auto& name : tavel::win::file::listSubfolders(skinsFolder())) {
        std::string bytes;
        const bool read = tavel::win::file::readFileBytes(skinsFolder() + L"\\" + name + L"\\Skin.ini", bytes);
        EXPECT_TRUE(read) << narrow(name) << " has no Skin.ini";
        EXPECT_EQ(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0) << narrow(name) << ": Skin.ini lacks the UTF-8 BOM";
        if (read) skins.push_back({skinsFolder() + L"\\" + name, IniDocument::parse(bytes)});
    }
    return skins;
}

// The picture named by section/key, which must exist and be well formed.
Bitmap picture(const Skin& skin, const std::wstring& section, const std::wstring& key = L"image") {
    const std::wstring file = skin.ini.getString(section, key, L"");
    Bitmap bmp;
    EXPECT_FALSE(file.empty()) << narrow(section) << " names no picture";
    if (!file.empty())
        EXPECT_TRUE(readBitmap(skin.folder + L"\\" + file, bmp)) << narrow(file) << " is missing or malformed";
    return bmp;
}

TEST(ShippedSkins, PicturesMatchTheirSkinIni) {
    const std::vector<Skin> skins = shippedSkins();
    ASSERT_GE(skins.size(), 2u);
    EXPECT_TRUE(tavel::win::file::fileExists(skinsFolder() + L"\\Default\\Skin.ini"));  // the fallback skin

    for (const Skin& skin : skins) {
        SCOPED_TRACE(narrow(skin.folder));
        const IniDocument& ini = skin.ini;
        const int width = ini.getInt(L"notify", L"width", 0);
        EXPECT_GT(width, 0);
        EXPECT_FALSE(ini.getString(L"Info", L"Name", L"").empty());
        for (const wchar_t* section : {L"notify-header", L"notify-body", L"notify-body-artwork"})
            EXPECT_FALSE(ini.getString(section, L"font-family", L"").empty()) << narrow(section);

        // Header, body tile and footer span the window; the body tile is repeated downwards.
        EXPECT_EQ(picture(skin, L"notify-header", L"bg-image").width, width);
        EXPECT_EQ(picture(skin, L"notify-body", L"bg-image").width, width);
        EXPECT_EQ(picture(skin, L"notify-footer", L"bg-image").width, width);
        const int headerHeight = picture(skin, L"notify-header", L"bg-image").height;

        // Strips of frames; each sits in the header, the only part whose place is fixed.
        const struct {
            const wchar_t* section;
            int frames;
        } strips[] = {{L"notify-icon", 1},        {L"notify-icon-playerstate", 2}, {L"notify-icon-shuffle", 2},
                      {L"notify-icon-repeat", 3}, {L"notify-volume", 4},           {L"notify-systemvolume", 4}};
        for (const auto& s : strips) {
            SCOPED_TRACE(narrow(s.section));
            const int w = ini.getInt(s.section, L"width", 16), h = ini.getInt(s.section, L"height", 16);
            const int left = ini.getInt(s.section, L"left", 0), top = ini.getInt(s.section, L"top", 0);
            const Bitmap bmp = picture(skin, s.section);
            EXPECT_EQ(bmp.width, s.frames * w);
            EXPECT_EQ(bmp.height, h);
            EXPECT_TRUE(left >= 0 && top >= 0 && left + w <= width && top + h <= headerHeight);
        }
    }
}

TEST(ShippedSkins, OfferDifferentArtworkLayouts) {
    std::set<int> alignments;
    for (const Skin& skin : shippedSkins()) {
        const int align = skin.ini.getInt(L"notify-body-artwork", L"object-align", 0);
        EXPECT_TRUE(align >= 0 && align <= 3) << narrow(skin.folder);
        EXPECT_GT(skin.ini.getInt(L"notify-body-artwork", L"artwork-width", 0), 0) << narrow(skin.folder);
        EXPECT_GT(skin.ini.getInt(L"notify-body-artwork", L"artwork-height", 0), 0) << narrow(skin.folder);
        alignments.insert(align);
    }
    EXPECT_GE(alignments.size(), 2u);
}

}  // namespace

#include "notify/SkinData.h"

#include "win/dib/BitmapFile.h"
#include "win/file/FileSystem.h"
#include "win/file/IniDocument.h"
#include "win/util/StringUtil.h"

namespace tavelapp {
namespace {

using tavel::win::file::IniDocument;

int hexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return 0;  // not a hex digit: counts as 0
}

std::wstring joinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    const wchar_t last = folder.back();
    return last == L'\\' || last == L'/' ? folder + name : folder + L'\\' + name;
}

std::wstring lastComponent(std::wstring path) {
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    const std::size_t cut = path.find_last_of(L"\\/");
    return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

class SkinReader {
public:
    SkinReader(const IniDocument& ini, const std::wstring& folder, const SkinData::ImageLoader& loader)
        : ini_(ini), folder_(folder), loader_(loader) {}

    int integer(const wchar_t* section, const wchar_t* key, int def) const { return ini_.getInt(section, key, def); }
    std::wstring text(const wchar_t* section, const wchar_t* key) const { return ini_.getString(section, key, L""); }

    void image(const wchar_t* section, const wchar_t* key, SkinData::DIB& out, std::wstring& path) const {
        out.reset();
        path.clear();
        const std::wstring file = text(section, key);
        // A skin comes from anyone: its names may not reach the rest of the disk.
        if (file.empty() || !SkinData::isInsideName(file)) return;
        path = joinPath(folder_, file);
        if (loader_ && !loader_(path, out)) out.reset();
    }

    void background(const wchar_t* section, SkinData::Background& out) const {
        image(section, L"bg-image", out.image, out.imagePath);
        out.repeat = SkinData::parseRepeat(text(section, L"bg-repeat"));
    }

    void font(const wchar_t* section, SkinData::Font& out) const {
        out.family = text(section, L"font-family");
        out.size = integer(section, L"font-size", 0);
        SkinData::parseFontStyle(text(section, L"font-style"), out);
        out.color = SkinData::parseColor(text(section, L"font-color"));
    }

    void textSettings(const wchar_t* section, SkinData::Text& out) const {
        out.align = SkinData::parseAlign(text(section, L"text-align"));
        out.visible = SkinData::parseVisible(text(section, L"text-visible"));
        out.marginLeft = integer(section, L"text-margin-left", 0);
        out.marginTop = integer(section, L"text-margin-top", 0);
        out.marginRight = integer(section, L"text-margin-right", 0);
        out.marginBottom = integer(section, L"text-margin-bottom", 0);
    }

    void margins(const wchar_t* section, SkinData::Group& out) const {
        out.marginLeft = integer(section, L"margin-left", 0);
        out.marginTop = integer(section, L"margin-top", 0);
        out.marginRight = integer(section, L"margin-right", 0);
        out.marginBottom = integer(section, L"margin-bottom", 0);
    }

    void strip(const wchar_t* section, SkinData::Strip& out) const {
        out.left = integer(section, L"left", 0);
        out.top = integer(section, L"top", 0);
        out.width = integer(section, L"width", 16);
        out.height = integer(section, L"height", 16);
        image(section, L"image", out.image, out.imagePath);
    }

private:
    const IniDocument& ini_;
    const std::wstring& folder_;
    const SkinData::ImageLoader& loader_;
};

}  // namespace

std::uint32_t SkinData::parseColor(const std::wstring& value) {
    const std::wstring digits = !value.empty() && value[0] == L'#' ? value.substr(1) : value;
    if (digits.size() < 6) return 0;
    std::uint32_t color = 0;
    for (std::size_t i = 0; i < 6; ++i)
        color = color << 4 | static_cast<std::uint32_t>(hexDigit(digits[i]));
    return color;
}

bool SkinData::isInsideName(const std::wstring& name) {
    // A colon is a drive ("C:x"), a stream ("a.bmp:x") or a scheme; a leading
    // separator is the drive's root or a share.
    if (name.empty() || name.find(L':') != std::wstring::npos || name[0] == L'\\' || name[0] == L'/') return false;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = name.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = name.size();
        const std::wstring part = name.substr(start, end - start);
        // Windows drops trailing dots and blanks, so ". ." and "..." climb as ".." does.
        const bool dotsOnly = !part.empty() && part.find_first_not_of(L". ") == std::wstring::npos;
        if (dotsOnly && part != L".") return false;
        // Device names open the device whatever the folder ("con.bmp" included).
        std::wstring base = tavel::win::util::asciiLower(part.substr(0, part.find(L'.')));
        while (!base.empty() && base.back() == L' ')
            base.pop_back();
        static const wchar_t* const kDevices[] = {L"con", L"prn", L"aux", L"nul", L"conin$", L"conout$"};
        for (const wchar_t* device : kDevices) {
            if (base == device) return false;
        }
        if (base.size() == 4 && (base.compare(0, 3, L"com") == 0 || base.compare(0, 3, L"lpt") == 0) &&
            base[3] >= L'0' && base[3] <= L'9')
            return false;
        start = end + 1;
    }
    return true;
}

int SkinData::parseRepeat(const std::wstring& value) {
    if (value == L"no-repeat") return NoRepeat;
    if (value == L"stretch" || value == L"stretch no-repeat") return Stretch;
    return RepeatDown;
}

int SkinData::parseAlign(const std::wstring& value) {
    if (value == L"center") return AlignCenter;
    if (value == L"right") return AlignRight;
    return AlignLeft;
}

bool SkinData::parseVisible(const std::wstring& value) {
    const std::wstring lowered = tavel::win::util::asciiLower(value);
    return lowered != L"false" && lowered != L"0";
}

int SkinData::parseVAlign(const std::wstring& value) {
    if (value == L"top") return VAlignTop;
    if (value == L"bottom") return VAlignBottom;
    return VAlignMiddle;
}

void SkinData::parseFontStyle(const std::wstring& value, Font& font) {
    font.bold = font.italic = font.underline = font.strikeout = false;
    std::size_t at = 0;
    while (at < value.size()) {
        const std::size_t start = value.find_first_not_of(L" \t", at);
        if (start == std::wstring::npos) break;
        std::size_t end = value.find_first_of(L" \t", start);
        if (end == std::wstring::npos) end = value.size();
        const std::wstring word = value.substr(start, end - start);
        if (word == L"bold") font.bold = true;
        if (word == L"italic") font.italic = true;
        if (word == L"underline") font.underline = true;
        if (word == L"strikeout") font.strikeout = true;
        at = end;
    }
}

SkinData SkinData::fromIni(const std::string& iniBytes, const std::wstring& skinFolder, const ImageLoader& loader) {
    const IniDocument ini = IniDocument::parse(iniBytes);
    const SkinReader read(ini, skinFolder, loader);
    SkinData skin;
    skin.found = true;
    skin.name = lastComponent(skinFolder);

    skin.width = read.integer(L"notify", L"width", 0);
    skin.effect = read.integer(L"notify", L"effect", -1);
    skin.transparency = read.integer(L"notify", L"transparency", -1);

    skin.headerHeight = read.integer(L"notify-header", L"height", 0);
    read.background(L"notify-header", skin.header.background);
    read.font(L"notify-header", skin.header.font);
    read.textSettings(L"notify-header", skin.header.text);

    read.margins(L"notify-body", skin.body);
    read.background(L"notify-body", skin.body.background);
    read.font(L"notify-body", skin.body.font);
    read.textSettings(L"notify-body", skin.body.text);

    const wchar_t* artwork = L"notify-body-artwork";
    read.margins(artwork, skin.artworkBody);
    read.background(artwork, skin.artworkBody.background);
    read.font(artwork, skin.artworkBody.font);
    read.textSettings(artwork, skin.artworkBody.text);
    skin.artworkMarginLeft = read.integer(artwork, L"artwork-margin-left", 0);
    skin.artworkMarginTop = read.integer(artwork, L"artwork-margin-top", 0);
    skin.artworkMarginRight = read.integer(artwork, L"artwork-margin-right", 0);
    skin.artworkMarginBottom = read.integer(artwork, L"artwork-margin-bottom", 0);
    skin.artworkWidth = read.integer(artwork, L"artwork-width", 0);
    skin.artworkHeight = read.integer(artwork, L"artwork-height", 0);
    skin.artworkVAlign = parseVAlign(read.text(artwork, L"artwork-valign"));
    skin.objectAlign = read.integer(artwork, L"object-align", 0);

    read.background(L"notify-footer", skin.footer);

    read.strip(L"notify-icon", skin.icon);
    read.strip(L"notify-icon-playerstate", skin.playerStateIcon);
    read.strip(L"notify-icon-shuffle", skin.shuffleIcon);
    read.strip(L"notify-icon-repeat", skin.repeatIcon);
    read.strip(L"notify-volume", skin.volumeBar);
    read.strip(L"notify-systemvolume", skin.systemVolumeBar);

    skin.displayName = read.text(L"Info", L"Name");
    return skin;
}

bool SkinData::loadBitmapFile(const std::wstring& path, DIB& out) {
    std::string bytes;
    if (!tavel::win::file::readFileBytes(path, bytes, tavel::win::file::kPictureReadLimit)) {
        out.reset();
        return false;
    }
    return tavel::win::dib::readBitmapFile(bytes, out);
}

SkinData SkinData::load(const std::wstring& skinFolder) {
    std::string bytes;
    const std::wstring iniPath = joinPath(skinFolder, L"Skin.ini");
    if (!tavel::win::file::fileExists(iniPath) || !tavel::win::file::readFileBytes(iniPath, bytes)) {
        SkinData empty;
        empty.name = lastComponent(skinFolder);
        return empty;
    }
    return fromIni(bytes, skinFolder, &SkinData::loadBitmapFile);
}

SkinData SkinData::loadOrDefault(const std::wstring& skinsFolder, const std::wstring& name) {
    SkinData skin = load(joinPath(skinsFolder, name));
    if (skin.found) return skin;
    SkinData fallback = load(joinPath(skinsFolder, L"Default"));
    if (fallback.found) return fallback;
    return skin;
}

std::vector<std::pair<std::wstring, std::wstring>> SkinData::listSkins(const std::wstring& skinsFolder) {
    std::vector<std::pair<std::wstring, std::wstring>> skins;
    for (const std::wstring& folder : tavel::win::file::listSubfolders(skinsFolder)) {
        const std::size_t dot = folder.rfind(L'.');
        const std::wstring id =
            tavel::win::util::asciiLower(dot == std::wstring::npos ? folder : folder.substr(0, dot));
        std::string bytes;
        std::wstring display;
        if (tavel::win::file::readFileBytes(joinPath(joinPath(skinsFolder, folder), L"Skin.ini"), bytes))
            display = IniDocument::parse(bytes).getString(L"Info", L"Name", L"");
        skins.emplace_back(id, display);
    }
    return skins;
}

}  // namespace tavelapp

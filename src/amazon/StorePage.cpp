#include "amazon/StorePage.h"

#include <cstdio>

#include "win/file/FileSystem.h"
#include "win/util/TextCodec.h"

namespace tavelapp {
namespace amazon {
namespace {

const std::string kProductBlock = "<table border=0 align=left><tr><td valign=top align=center>\n";
const std::string kLinkStart = "<a href=";
const std::string kQuotedLinkStart = "<a href=\"";
const std::string kPictureStart = "<img src";
const std::string kQuotedPictureStart = "<img src=\"";
const std::string kTitleStart = "<b class=\"sans\">";
const std::string kTitleEnd = "</b>";
const std::string kArtistStart = "<br><a href=";
const std::string kArtistEnd = "</a>";

std::string resultMarker(int n) { return "<b class=\"small\">" + std::to_string(n) + ".</b>\n"; }

}  // namespace

std::int32_t albumKey(const std::wstring& artist, const std::wstring& album) {
    const std::u16string units = tavel::win::util::wideToUtf16(artist + L"\t" + album);
    std::uint32_t reg = 0xFFFF;
    const std::uint32_t poly = 0x4F5A;
    for (char16_t unit : units) {
        const unsigned bytes[2] = {static_cast<unsigned>(unit) & 0xFF, static_cast<unsigned>(unit) >> 8};
        for (unsigned byte : bytes) {
            for (int bit = 7; bit >= 0; --bit) {
                const bool out = (reg & 0x80000000u) != 0;
                const bool in = ((byte >> bit) & 1) != 0;
                reg <<= 1;
                if (out != in) reg ^= poly;
            }
        }
    }
    return static_cast<std::int32_t>(reg);
}

std::string encodeKeywords(const std::wstring& keywords) {
    // Straight to UTF-8: a detour through the ANSI code page would turn
    // every character outside it into '?'.
    const std::string utf8 = tavel::win::util::wideToUtf8(keywords);
    std::string out;
    for (unsigned char c : utf8) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' || c == '-' ||
            c == '.' || c == '@' || c == '_') {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof(hex), "%%%02x", c);
            out += hex;
        }
    }
    return out;
}

const char* sortOrder(int setting) {
    static const char* const orders[] = {"+orig-rel-date", "-orig-rel-date", "+salesrank", "+titlerank",
                                         "-titlerank",     "+pricerank",     "-pricerank"};
    return orders[setting >= 0 && setting <= 6 ? setting : 0];
}

bool PageCursor::skipTo(const std::string& marker) {
    const std::size_t at = page_.find(marker, pos_);
    if (at == std::string::npos) return false;
    pos_ = at + marker.size();
    return true;
}

std::string PageCursor::peek(std::size_t n) const {
    return pos_ < page_.size() ? page_.substr(pos_, n) : std::string();
}

std::string PageCursor::readUntil(const std::string& marker) const {
    const std::size_t at = page_.find(marker, pos_);
    return at == std::string::npos ? std::string() : page_.substr(pos_, at - pos_);
}

bool isProductPage(const std::string& page) { return page.find(kProductBlock) != std::string::npos; }

bool hasResults(const std::string& page) { return page.find(resultMarker(1)) != std::string::npos; }

ProductInfo parseProductPage(const std::string& page) {
    ProductInfo info;
    PageCursor cursor(page);
    cursor.skipTo(kTitleStart);
    info.title = tavel::win::file::decodeAnsi(cursor.readUntil(kTitleEnd));
    cursor.skipTo(kArtistStart);
    cursor.skipTo(">");
    info.artist = tavel::win::file::decodeAnsi(cursor.readUntil(kArtistEnd));
    cursor.skipTo(kProductBlock);
    const std::string next = cursor.peek(8);
    if (next == kLinkStart && cursor.skipTo(kQuotedLinkStart)) {
        info.pictureAddress = cursor.readUntil("\"");
    } else if (next == kPictureStart && cursor.skipTo(kQuotedPictureStart)) {
        info.pictureAddress = cursor.readUntil("\"");
    }
    return info;
}

std::vector<std::string> resultLinks(const std::string& page, int count) {
    if (count < 1 || count > 10) count = 1;
    std::vector<std::string> links;
    PageCursor cursor(page);
    for (int n = 1; n <= count; ++n) {
        if (!cursor.skipTo(resultMarker(n)) || !cursor.skipTo(kLinkStart)) break;
        std::string link = cursor.readUntil(">");
        if (link.empty()) break;
        if (link.back() == ')') {
            link.pop_back();
            if (link.empty()) break;
        }
        if (link.back() == ' ') link.pop_back();
        // A quoted address works as well as the store's bare one.
        if (link.size() >= 2 && link.front() == '"' && link.back() == '"') link = link.substr(1, link.size() - 2);
        if (link.empty()) break;
        links.push_back(link);
    }
    return links;
}

}  // namespace amazon
}  // namespace tavelapp

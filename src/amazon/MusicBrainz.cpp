#include "amazon/MusicBrainz.h"

#include <nlohmann/json.hpp>

#include "amazon/StorePage.h"
#include "win/util/TextCodec.h"

namespace tavelapp {
namespace amazon {
namespace {

// A phrase of the search syntax: quoted, with its quotes and backslashes escaped.
std::wstring phrase(const std::wstring& text) {
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\') out += L'\\';
        out += c;
    }
    return out + L"\"";
}

std::wstring text(const nlohmann::json& value) {
    return value.is_string() ? tavel::win::util::utf8ToWide(value.get<std::string>()) : std::wstring();
}

}  // namespace

std::string musicBrainzQuery(const std::wstring& keywords, const std::wstring& artist, const std::wstring& album,
                             int limit) {
    if (limit < 1 || limit > 10) limit = 1;
    const bool ownWords = keywords.find_first_not_of(L" ") != std::wstring::npos && keywords != artist + L" " + album;
    if (!ownWords && artist.empty() && album.empty()) return std::string();
    const std::wstring query = ownWords ? keywords : L"artist:" + phrase(artist) + L" AND release:" + phrase(album);
    return "/ws/2/release/?query=" + encodeKeywords(query) + "&fmt=json&limit=" + std::to_string(limit);
}

std::vector<Release> parseMusicBrainzReleases(const std::string& json) {
    std::vector<Release> releases;
    const nlohmann::json answer = nlohmann::json::parse(json, nullptr, false);
    if (answer.is_discarded() || !answer.is_object()) return releases;
    const auto list = answer.find("releases");
    if (list == answer.end() || !list->is_array()) return releases;
    for (const nlohmann::json& entry : *list) {
        if (!entry.is_object()) continue;
        const auto id = entry.find("id");
        if (id == entry.end() || !id->is_string() || id->get<std::string>().empty()) continue;
        Release release;
        release.id = id->get<std::string>();
        // Ids go into a path: anything but the UUID's characters is refused.
        if (release.id.find_first_not_of("0123456789abcdefABCDEF-") != std::string::npos) continue;
        release.title = text(entry.value("title", nlohmann::json()));
        const auto credit = entry.find("artist-credit");
        if (credit != entry.end() && credit->is_array()) {
            for (const nlohmann::json& part : *credit) {
                if (!part.is_object()) continue;
                release.artist += text(part.value("name", nlohmann::json()));
                release.artist += text(part.value("joinphrase", nlohmann::json()));
            }
        }
        releases.push_back(std::move(release));
    }
    return releases;
}

std::string coverArtPath(const std::string& releaseId) { return "/release/" + releaseId + "/front"; }

}  // namespace amazon
}  // namespace tavelapp

#pragma once
#include <string>
#include <vector>

namespace tavelapp {
namespace amazon {

// The public MusicBrainz search for releases by artist and album, whose
// covers the Cover Art Archive keeps under the release's id.
struct Release {
    std::string id;
    std::wstring title;
    std::wstring artist;  // the artist credit as printed
};

// The query path of a release search ("/ws/2/release/?query=...&fmt=json&limit=n"):
// by artist and album while the keywords are the editor's own ("artist album"),
// else the keywords the user typed; "" when there is nothing to search for.
std::string musicBrainzQuery(const std::wstring& keywords, const std::wstring& artist, const std::wstring& album,
                             int limit);
// The releases of a search answer, in order; none when the JSON is broken
// or is no search answer.
std::vector<Release> parseMusicBrainzReleases(const std::string& json);
// The path of a release's front picture at the Cover Art Archive.
std::string coverArtPath(const std::string& releaseId);

}  // namespace amazon
}  // namespace tavelapp

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <sstream>

#include "player/model/Library.h"
#include "win/file/FileSystem.h"

using namespace tavelapp::itunes::model;

namespace {

std::wstring fixturePath(const std::string& relative) {
    std::wstring path;
    for (char c : std::string(KOLIBRIX_SOURCE_DIR) + "/tests/fixtures/" + relative) {
        path.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    }
    return path;
}

std::string fixtureBytes() {
    std::string bytes;
    EXPECT_TRUE(tavel::win::file::readFileBytes(fixturePath("iTunes Music Library.xml"), bytes));
    return bytes;
}

const TrackData* findTrack(const Library& library, long id) {
    for (const TrackData& t : library.tracks) {
        if (t.trackId == id) return &t;
    }
    return nullptr;
}

std::string plist(const std::string& tracks, const std::string& playlists = std::string()) {
    return "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Tracks</key><dict>" + tracks +
           "</dict><key>Playlists</key><array>" + playlists + "</array></dict></plist>";
}

std::string track(long id, const std::string& name) {
    return "<key>" + std::to_string(id) + "</key><dict><key>Track ID</key><integer>" + std::to_string(id) +
           "</integer><key>Name</key><string>" + name + "</string></dict>";
}

}  // namespace

TEST(LibraryXml, ReadsTheFixtureLibrary) {
    const Library library = parseLibraryXml(fixtureBytes());
    ASSERT_EQ(library.tracks.size(), 41u);
    ASSERT_EQ(library.playlists.size(), 7u);

    const PlaylistData& all = library.playlists[0];
    EXPECT_EQ(all.name, L"Library");
    EXPECT_EQ(all.playlistId, 401);
    ASSERT_EQ(all.trackIds.size(), 41u);
    // Single-track albums open and close the library.
    EXPECT_EQ(findTrack(library, all.trackIds.front())->album, L"Paper Boats");
    EXPECT_EQ(findTrack(library, all.trackIds.back())->name, L"冬の駅");
    EXPECT_EQ(findTrack(library, all.trackIds.back())->trackCount, 1);

    const TrackData& first = *findTrack(library, 201);
    EXPECT_EQ(first.name, L"Paper Boats");
    EXPECT_EQ(first.artist, L"Orla Finch");
    EXPECT_EQ(first.genre, L"Pop");
    EXPECT_EQ(first.duration, 228);  // 227911 ms, rounded
    EXPECT_EQ(first.playedCount, 1);
    EXPECT_EQ(first.rating, 20);
    EXPECT_EQ(first.year, 2010);
    EXPECT_EQ(first.persistentId, 0x665F3428837C859AULL);
    EXPECT_EQ(first.location,
              L"file://localhost/C:/Users/Public/Music/Orla%20Finch/Paper%20Boats/01%20Paper%20Boats.mp3");

    const TrackData& japanese = *findTrack(library, 237);
    EXPECT_EQ(japanese.name, L"夏の終わり");
    EXPECT_EQ(japanese.artist, L"椎名 遥");
    EXPECT_EQ(japanese.album, L"青い月");
    EXPECT_EQ(japanese.composer, L"椎名 遥");
    EXPECT_EQ(japanese.trackNumber, 2);
    EXPECT_EQ(japanese.trackCount, 5);
    EXPECT_EQ(findTrack(library, 239)->comment, L"ドラマ主題歌");
    EXPECT_EQ(findTrack(library, 227)->name, L"Troms\u00f8");

    const TrackData& ampersand = *findTrack(library, 247);
    EXPECT_EQ(ampersand.name, L"Bread & Salt");
    EXPECT_EQ(ampersand.album, L"Rivers & Roads");
    EXPECT_EQ(ampersand.rating, 80);
    EXPECT_EQ(ampersand.playedCount, 0);
    EXPECT_NE(ampersand.location.find(L"/Rivers%20&%20Roads/02%20Bread%20&%20Salt.mp3"), std::wstring::npos);

    std::set<std::wstring> compilationArtists;
    for (const TrackData& t : library.tracks) {
        if (t.album == L"Summer Drive 2009") compilationArtists.insert(t.artist);
    }
    EXPECT_EQ(compilationArtists.size(), 5u);

    EXPECT_EQ(findTrack(library, 203)->artwork,
              (std::vector<std::string>{"artwork/harbour-lights.bmp", "artwork/harbour-lights-back.bmp"}));
    EXPECT_EQ(findTrack(library, 235)->artwork, std::vector<std::string>{"artwork/aoi-tsuki.bmp"});
    std::set<std::string> pictures;
    for (const TrackData& t : library.tracks)
        pictures.insert(t.artwork.begin(), t.artwork.end());
    for (const std::string& picture : pictures) {
        std::string bytes;
        ASSERT_TRUE(tavel::win::file::readFileBytes(fixturePath(picture), bytes)) << picture;
        EXPECT_EQ(bytes.compare(0, 2, "BM"), 0) << picture;
    }

    std::vector<std::wstring> names;
    for (const PlaylistData& p : library.playlists)
        names.push_back(p.name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Library", L"Seaside", L"Drive Mix", L"お気に入り", L"Jazz Picks",
                                                L"Lullaby", L"Night Jazz"}));
    // Only the playlist with rules is smart.
    for (const PlaylistData& p : library.playlists)
        EXPECT_EQ(p.smart, p.name == L"Jazz Picks") << p.name;
    EXPECT_EQ(library.playlists[5].trackIds, std::vector<long>{243});
    EXPECT_EQ(library.playlists[1].trackIds, (std::vector<long>{203, 205, 207, 209, 211, 213}));
    EXPECT_EQ(library.playlists[2].trackIds.front(), 255);
}

// Line-based readers of the library file depend on the player's exact layout.
TEST(LibraryXml, FixtureKeepsThePlayersLayout) {
    std::istringstream in(fixtureBytes());
    std::string line;
    int locations = 0, closings = 0;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_EQ(line, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    while (std::getline(in, line)) {
        EXPECT_EQ(line.find('\r'), std::string::npos);
        if (line.find("<key>Location</key>") != std::string::npos) {
            ++locations;
            EXPECT_EQ(line.rfind("\t\t\t<key>Location</key><string>file://localhost/C:/Users/Public/Music/", 0), 0u);
            EXPECT_EQ(line.find(' '), std::string::npos) << line;
        }
        if (line == "\t\t</dict>") ++closings;
    }
    EXPECT_EQ(locations, 41);
    EXPECT_EQ(closings, 41 + 7);  // tracks and playlists
}

TEST(LibraryXml, DecodesEntitiesAndCdata) {
    const Library library = parseLibraryXml(
        plist(track(1, "A &amp; B &lt;C&gt; &quot;q&quot; &apos;s&apos; &#38; &#x41;&#66; &#12354;&#x1F3B5;") +
              track(2, "&bogus; &amp &#; &#xZZ; &#0; &#xD800; &#99999999999; & x") +
              track(3, "<![CDATA[R&amp;B <raw>]]> tail")));
    ASSERT_EQ(library.tracks.size(), 3u);
    EXPECT_EQ(library.tracks[0].name, L"A & B <C> \"q\" 's' & AB \u3042\U0001F3B5");
    // Malformed references stay as written; forbidden code points become U+FFFD.
    EXPECT_EQ(library.tracks[1].name, L"&bogus; &amp &#; &#xZZ; \uFFFD \uFFFD \uFFFD & x");
    EXPECT_EQ(library.tracks[2].name, L"R&amp;B <raw> tail");
}

TEST(LibraryXml, RepairsIdsAndPlaylists) {
    const std::string tracks =
        track(5, "five") + track(7, "seven") + track(5, "again five") +
        "<key>9</key><dict><key>Name</key><string>keyed</string><key>Total Time</key><integer>-4</integer>"
        "<key>Play Count</key><integer>99999999999999999999999</integer><key>Rating</key><integer>140</integer>"
        "<key>Year</key><string>1999</string></dict>"
        "<key>x</key><dict><key>Name</key><string>no id</string></dict>";
    const std::string items =
        "<key>Playlist Items</key><array><dict><key>Track ID</key><integer>7</integer></dict>"
        "<dict><key>Track ID</key><integer>404</integer></dict></array>";

    // No master: one holding every track in file order is put first.
    Library library = parseLibraryXml(plist(tracks,
                                            "<dict><key>Name</key><string>Mine</string>"
                                            "<key>Playlist ID</key><integer>3</integer>" +
                                                items + "</dict>"));
    ASSERT_EQ(library.tracks.size(), 3u);
    EXPECT_EQ(library.tracks[0].name, L"five");
    EXPECT_EQ(library.tracks[2].trackId, 9);
    EXPECT_EQ(library.tracks[2].duration, 0);
    EXPECT_GT(library.tracks[2].playedCount, 2000000000L);
    EXPECT_EQ(library.tracks[2].rating, 100);
    EXPECT_EQ(library.tracks[2].year, 1999);
    ASSERT_EQ(library.playlists.size(), 2u);
    EXPECT_EQ(library.playlists[0].name, L"Library");
    EXPECT_EQ(library.playlists[0].trackIds, (std::vector<long>{5, 7, 9}));
    EXPECT_NE(library.playlists[0].playlistId, 3);
    EXPECT_GT(library.playlists[0].playlistId, 0);
    EXPECT_EQ(library.playlists[1].trackIds, std::vector<long>{7});  // the unknown track is dropped

    // A master listed later comes first and is completed; repeated playlist ids are renewed.
    library = parseLibraryXml(plist(tracks,
                                    "<dict><key>Name</key><string>A</string><key>Playlist ID</key>"
                                    "<integer>3</integer></dict><dict><key>Name</key><string>All</string>"
                                    "<key>Master</key><true/><key>Playlist ID</key><integer>3</integer>" +
                                        items + "</dict>"));
    ASSERT_EQ(library.playlists.size(), 2u);
    EXPECT_EQ(library.playlists[0].name, L"All");
    EXPECT_EQ(library.playlists[0].trackIds, (std::vector<long>{7, 5, 9}));
    EXPECT_EQ(library.playlists[1].playlistId, 3);
    EXPECT_NE(library.playlists[0].playlistId, 3);
}

TEST(LibraryXml, SurvivesHostileInput) {
    for (const std::string& bytes :
         {std::string(), std::string("\0\0\xff<", 4), std::string("<<<<>>>></></"), std::string("<dict"),
          std::string("<!DOCTYPE [<!ENTITY x \"]>\"> <dict><key>Tracks</key><dict><key>1</key>"),
          std::string("<plist><dict><key>Tracks</key><dict><key>1</key><dict><key>Track ID</key><integer>1"),
          std::string("<dict><key>Playlists</key><array><dict><key>Playlist Items</key><dict><key>Track ID</key>"),
          std::string("<!-- never closed <dict>"), std::string("<![CDATA[ never closed"), std::string(100000, '&'),
          std::string(200000, '<')}) {
        const Library library = parseLibraryXml(bytes);
        ASSERT_FALSE(library.playlists.empty());
        EXPECT_EQ(library.playlists[0].trackIds.size(), library.tracks.size());
    }

    // Deep nesting must not exhaust the stack.
    std::string deep = "<dict><key>Tracks</key>";
    for (int i = 0; i < 200000; ++i)
        deep += "<dict><key>k</key><array>";
    EXPECT_TRUE(parseLibraryXml(deep).tracks.empty());

    // Every cut of the fixture parses; all but a cut-off last track come out whole.
    const std::string fixture = fixtureBytes();
    for (std::size_t cut = 0; cut < fixture.size(); cut += 211) {
        const Library library = parseLibraryXml(fixture.substr(0, cut));
        for (std::size_t i = 0; i + 1 < library.tracks.size(); ++i) {
            EXPECT_EQ(library.tracks[i].trackId, 201 + 2 * static_cast<long>(i));
            EXPECT_FALSE(library.tracks[i].location.empty());
        }
    }

    // Random token soup.
    const char* pieces[] = {"<dict>",
                            "</dict>",
                            "<array>",
                            "</array>",
                            "<key>Tracks</key>",
                            "<key>Playlists</key>",
                            "<key>1</key>",
                            "<key>Track ID</key>",
                            "<integer>",
                            "</integer>",
                            "7",
                            "<string>",
                            "</string>",
                            "&#x",
                            "&amp;",
                            "<true/>",
                            "<key>Master</key>",
                            "<!--",
                            "-->",
                            "<![CDATA[",
                            "]]>",
                            "<",
                            ">",
                            "\"",
                            "<key>Playlist Items</key>",
                            "<key>Artwork Files</key>",
                            "\xe3\x81"};
    std::uint32_t seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        std::string soup;
        for (int i = 0; i < 60; ++i) {
            seed = seed * 1664525u + 1013904223u;
            soup += pieces[(seed >> 8) % (sizeof(pieces) / sizeof(pieces[0]))];
        }
        const Library library = parseLibraryXml(soup);
        ASSERT_FALSE(library.playlists.empty());
        EXPECT_GE(library.playlists[0].trackIds.size(), library.tracks.size());
    }
}

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#ifdef __GLIBC__
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#endif

#include "TempFolder.h"
#include "player/MusicLibraryParser.h"
#include "win/util/TextCodec.h"

using tavelapp::MusicLibraryParser;

namespace {

// One track dict in the player's layout; extra lines go between Track ID and Location.
std::string trackDict(long id, const std::string& name, const std::string& location, int extraLines = 0,
                      const std::string& eol = "\n") {
    std::ostringstream s;
    s << "\t\t<key>" << id << "</key>" << eol << "\t\t<dict>" << eol;
    s << "\t\t\t<key>Track ID</key><integer>" << id << "</integer>" << eol;
    s << "\t\t\t<key>Name</key><string>" << name << "</string>" << eol;
    s << "\t\t\t<key>Artist</key><string>Artist " << id << "</string>" << eol;
    for (int i = 0; i < extraLines; ++i)
        s << "\t\t\t<key>Extra " << i << "</key><integer>" << i << "</integer>" << eol;
    s << "\t\t\t<key>Location</key><string>" << location << "</string>" << eol;
    s << "\t\t\t<key>Has Video</key><true/>" << eol;
    s << "\t\t\t<key>Album</key><string>Album " << id << "</string>" << eol;
    s << "\t\t</dict>" << eol;
    return s.str();
}

std::string library(const std::string& tracks, const std::string& eol = "\n") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + eol + "<plist version=\"1.0\">" + eol + "<dict>" + eol +
           "\t<key>Music Folder</key><string>file://localhost/C:/Music/</string>" + eol + "\t<key>Tracks</key>" + eol +
           "\t<dict>" + eol + tracks + "\t</dict>" + eol + "</dict>" + eol + "</plist>" + eol;
}

std::string locationOf(const std::wstring& path) {
    const std::string line = MusicLibraryParser::targetLine(path);
    const std::string open = "<string>";
    const std::size_t start = line.find(open) + open.size();
    return line.substr(start, line.rfind("</string>") - start);
}

class ParserFile : public ::testing::Test {
protected:
    std::vector<MusicLibraryParser::TrackRecordPtr> parse(const std::string& bytes,
                                                          const std::vector<std::wstring>& paths) {
        folder.write("lib.xml", bytes);
        return MusicLibraryParser(paths, folder.winPath("lib.xml")).results();
    }
    TempFolder folder;
};

}  // namespace

TEST(MusicLibraryParser, TargetLineEncodesLikeThePlayer) {
    const struct {
        std::wstring path;
        std::string location;
    } cases[] = {
        {L"C:\\Music\\a b.mp3", "file://localhost/C:/Music/a%20b.mp3"},
        {L"C:\\Music\\Tom & Jerry.mp3", "file://localhost/C:/Music/Tom%20&#38;%20Jerry.mp3"},
        {L"C:\\x\\!$'()+,-.=_~@[]#%;.m4a", "file://localhost/C:/x/!$'()+,-.=_~@%5B%5D%23%25%3B.m4a"},
        // Bytes of UTF-8, whatever the system's ANSI code page is.
        {L"C:\\\x97F3\x697D\\\x00E9.mp3", "file://localhost/C:/%E9%9F%B3%E6%A5%BD/%C3%A9.mp3"},
        {L"/Users/a/b.mp3", "file://localhost/Users/a/b.mp3"},
        {L"\\\\server\\share\\b.mp3", "file://localhost//server/share/b.mp3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(locationOf(c.path), c.location);
        EXPECT_EQ(MusicLibraryParser::targetLine(c.path),
                  "\t\t\t<key>Location</key><string>" + c.location + "</string>");
    }
}

TEST(MusicLibraryParser, DecodesCharacterReferences) {
    const struct {
        std::string text;
        std::wstring value;
    } cases[] = {
        {"Tom &#38; Jerry", L"Tom & Jerry"},
        {"&#60;b&#62; &lt;i&gt;", L"<b> <i>"},
        {"&#x3C;&#X3e;&amp;&quot;&apos;", L"<>&\"'"},
        {"&#26085;&#x672C;", L"\x65E5\x672C"},
        {"\xE6\x97\xA5\xE6\x9C\xAC \xEF\xBC\x86", L"\x65E5\x672C \xFF06"},
        // The last code point and a reference of ten characters read; one past either does not.
        {"&#x10FFFF;&#1114111;&#00000065;", L"\U0010FFFF\U0010FFFFA"},
        {"&#x110000;&#1114112;&#000000065;", L"&#x110000;&#1114112;&#000000065;"},
        // What is no reference stays as written.
        {"R&B & Soul &nbsp; &#; &#xZZ; &#0;", L"R&B & Soul &nbsp; &#; &#xZZ; &#0;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MusicLibraryParser::decodeValue(c.text), c.value) << c.text;
}

TEST_F(ParserFile, FindsTracksInFileOrderWithTheWholeDict) {
    const std::wstring amp = L"C:\\Music\\Tom & Jerry.mp3";
    const std::wstring blank = L"C:\\Music\\a b.mp3";
    const std::wstring japanese = L"C:\\\x97F3\x697D\\\x66F2.mp3";
    const std::wstring absent = L"C:\\Music\\absent.mp3";
    const std::string bytes =
        library(trackDict(10, "First", locationOf(blank), 40) + trackDict(11, "Other", locationOf(L"C:\\o.mp3")) +
                trackDict(12, "Tom &#38; Jerry &#60;live&#62;", locationOf(amp)) +
                trackDict(13, "\xE6\x9B\xB2", locationOf(japanese), 60));

    const auto results = parse(bytes, {japanese, absent, amp, blank, amp});
    ASSERT_EQ(results.size(), 3u);
    const long expectedIds[] = {10, 12, 13};
    for (std::size_t i = 0; i < results.size(); ++i) {
        const auto& r = *results[i];
        EXPECT_EQ(r[MusicLibraryParser::TrackId], std::to_wstring(expectedIds[i]));
        EXPECT_EQ(r[MusicLibraryParser::Artist], L"Artist " + std::to_wstring(expectedIds[i]));
        EXPECT_EQ(r[MusicLibraryParser::Album], L"Album " + std::to_wstring(expectedIds[i]));
        EXPECT_EQ(r[MusicLibraryParser::HasVideo], L"");  // self-closing values stay empty
    }
    EXPECT_EQ((*results[0])[MusicLibraryParser::Name], L"First");
    EXPECT_EQ((*results[1])[MusicLibraryParser::Name], L"Tom & Jerry <live>");
    EXPECT_EQ((*results[1])[MusicLibraryParser::Location], L"file://localhost/C:/Music/Tom%20&%20Jerry.mp3");
    EXPECT_EQ((*results[2])[MusicLibraryParser::Name], L"\x66F2");
}

TEST_F(ParserFile, LineEndingsAndHostForms) {
    const std::wstring path = L"C:\\Music\\a.mp3";
    const std::string location = locationOf(path);
    const std::string noHost = "file:///C:/Music/a.mp3";
    const struct {
        const char* what;
        std::string bytes;
        std::size_t found;
    } cases[] = {
        {"CRLF", library(trackDict(1, "A", location, 3, "\r\n"), "\r\n"), 1},
        {"no host", library(trackDict(1, "A", noHost)), 1},
        {"cut after the location",
         "\t\t<dict>\n\t\t\t<key>Track ID</key><integer>1</integer>\n" +
             std::string("\t\t\t<key>Location</key><string>") + location + "</string>",
         1},
        {"other file", library(trackDict(1, "A", location + "x")), 0},
        {"other indentation", library("<dict><key>Location</key><string>" + location + "</string></dict>\n"), 0},
        {"no line breaks", std::string(3 << 20, 'x'), 0},
        {"empty", "", 0},
    };
    for (const auto& c : cases) {
        const auto results = parse(c.bytes, {path});
        ASSERT_EQ(results.size(), c.found) << c.what;
        if (c.found) EXPECT_EQ((*results[0])[MusicLibraryParser::TrackId], L"1") << c.what;
    }
    EXPECT_TRUE(MusicLibraryParser({path}, folder.winPath("missing.xml")).results().empty());
}

TEST_F(ParserFile, EachRequestTakesOneTrackOfThatFile) {
    // Two tracks of one file, the second past the first read chunk and
    // followed by a dict the file's end cuts short.
    const std::wstring path = L"C:\\a.mp3";
    std::string bytes = library(trackDict(1, "A", locationOf(path)));
    bytes = bytes.substr(0, bytes.find("\n\t</dict>") + 1) + std::string(3 << 20, '\n') +
            trackDict(2, "B", locationOf(path)) + "\t\t<dict>\n\t\t\t<key>Name</key><string>cut";
    EXPECT_EQ(parse(bytes, {path}).size(), 1u);
    EXPECT_EQ(parse(bytes, {path, path}).size(), 2u);
}

TEST_F(ParserFile, ADictIsReadBackUpToEightMegabytesBeforeItsLocation) {
    // What lies between a track's dict line and its Location line is kept up
    // to 8 MiB; past that the record starts at the Location line.
    const std::wstring path = L"C:\\a.mp3";
    const std::string id = "\t\t\t<key>Track ID</key><integer>1</integer>\n";
    const std::string open = "\t\t\t<key>Comments</key><string>", close = "</string>\n";
    const struct {
        std::size_t between;
        const wchar_t* trackId;
    } cases[] = {{8u << 20, L"1"}, {(8u << 20) + 1, L""}};
    for (const auto& c : cases) {
        const std::string filler = open + std::string(c.between - id.size() - open.size() - close.size(), 'x') + close;
        const auto results =
            parse(library("\t\t<key>1</key>\n\t\t<dict>\n" + id + filler + "\t\t\t<key>Location</key><string>" +
                          locationOf(path) + "</string>\n\t\t</dict>\n"),
                  {path});
        ASSERT_EQ(results.size(), 1u) << c.between;
        EXPECT_EQ((*results[0])[MusicLibraryParser::TrackId], c.trackId) << c.between;
        EXPECT_EQ((*results[0])[MusicLibraryParser::Location], L"file://localhost/C:/a.mp3") << c.between;
    }
}

// An address-space limit and a sanitizer's shadow memory do not mix.
#if defined(__SANITIZE_ADDRESS__)
#define KOLIBRIX_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOLIBRIX_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(__GLIBC__) && !defined(KOLIBRIX_ADDRESS_SANITIZER)
namespace {

// A library file of a Location line of 96 MiB and then a wanted track, made as it is read.
ssize_t readLongLocation(void* cookie, char* out, std::size_t size) {
    static const std::string head = "\n\t\t\t<key>Location</key><string>file://localhost/C:/";
    static const std::string tail = "</string>\n" + trackDict(1, "A", locationOf(L"C:\\a.mp3"));
    const std::size_t total = std::size_t{96} << 20;
    std::size_t& sent = *static_cast<std::size_t*>(cookie);
    const std::size_t n = std::min(size, total - sent);
    for (std::size_t i = sent; i < sent + n; ++i)
        out[i - sent] = i < head.size() ? head[i] : i >= total - tail.size() ? tail[i - (total - tail.size())] : 'x';
    sent += n;
    return static_cast<ssize_t>(n);
}

// Scans that file with room for the scan's own buffer but not for the line.
bool findsAfterLongLocation() {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t room = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (40u << 20);
    const rlimit limit{room, room};
    setrlimit(RLIMIT_AS, &limit);
    std::size_t sent = 0;
    std::FILE* file = fopencookie(&sent, "r", cookie_io_functions_t{readLongLocation, nullptr, nullptr, nullptr});
    return MusicLibraryParser({L"C:\\a.mp3"}, file).results().size() == 1;
}

}  // namespace

// The line is passed over, not kept whole, and the scan goes on after it.
TEST(MusicLibraryParserDeathTest, ALocationLineIsNotKeptPastEightMegabytes) {
    ::testing::FLAGS_gtest_death_test_style = "threadsafe";
    EXPECT_EXIT(std::exit(findsAfterLongLocation() ? 0 : 1), ::testing::ExitedWithCode(0), "");
}
#endif

// Every track with a file location in real exported libraries is found with
// what an ordinary property-list reader sees in it.
namespace {

struct RefTrack {
    std::map<std::string, std::wstring> values;
};

std::wstring refDecode(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '&') {
            const std::size_t semi = text.find(';', i);
            const std::string ref = text.substr(i + 1, semi - i - 1);
            unsigned long code = 0;
            if (ref == "amp") code = '&';
            if (ref == "lt") code = '<';
            if (ref == "gt") code = '>';
            if (ref == "quot") code = '"';
            if (ref == "apos") code = '\'';
            if (ref[0] == '#')
                code = ref[1] == 'x' ? std::stoul(ref.substr(2), nullptr, 16) : std::stoul(ref.substr(1));
            tavel::win::util::appendUtf8(out, static_cast<char32_t>(code));
            i = semi + 1;
        } else {
            out += text[i++];
        }
    }
    return tavel::win::util::utf8ToWide(out);
}

// A small reader of the plist's Tracks dict, by elements, ignoring lines.
std::vector<RefTrack> readTracks(const std::string& xml) {
    std::vector<RefTrack> tracks;
    std::size_t pos = xml.find("<key>Tracks</key>");
    if (pos == std::string::npos) return tracks;
    pos = xml.find("<dict>", pos) + 6;
    for (;;) {
        const std::size_t key = xml.find('<', pos);
        if (xml.compare(key, 5, "<key>") != 0) break;  // </dict>: end of Tracks
        const std::size_t dict = xml.find("<dict>", key);
        const std::size_t dictEnd = xml.find("</dict>", dict);
        if (dictEnd == std::string::npos) break;
        RefTrack track;
        std::size_t p = dict + 6;
        while ((p = xml.find("<key>", p)) < dictEnd) {
            const std::size_t keyEnd = xml.find("</key>", p);
            const std::string name = xml.substr(p + 5, keyEnd - p - 5);
            const std::size_t tag = xml.find('<', keyEnd + 6);
            const std::size_t tagEnd = xml.find('>', tag);
            std::string element = xml.substr(tag + 1, tagEnd - tag - 1);
            if (element.back() == '/') {
                track.values[name] = L"";
                p = tagEnd;
                continue;
            }
            const std::size_t close = xml.find("</" + element + ">", tagEnd);
            track.values[name] = refDecode(xml.substr(tagEnd + 1, close - tagEnd - 1));
            p = close;
        }
        tracks.push_back(track);
        pos = dictEnd + 7;
    }
    return tracks;
}

// The file a Location names, as the system would give it: "C:\..." or "/Users/...".
std::wstring pathOf(const std::wstring& location) {
    std::wstring rest;
    for (const std::wstring prefix : {L"file://localhost", L"file://"}) {
        if (location.compare(0, prefix.size(), prefix) == 0) {
            rest = location.substr(prefix.size());
            break;
        }
    }
    std::string bytes;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == L'%') {
            bytes += static_cast<char>(std::stoi(std::string(rest.begin() + i + 1, rest.begin() + i + 3), nullptr, 16));
            i += 2;
        } else {
            bytes += static_cast<char>(rest[i]);
        }
    }
    std::wstring path = tavel::win::util::utf8ToWide(bytes);
    if (path.size() > 2 && path[2] == L':') {
        path.erase(0, 1);
        for (wchar_t& c : path)
            if (c == L'/') c = L'\\';
    }
    return path;
}

}  // namespace

TEST(MusicLibraryParser, RealExportsAgreeWithAPlistReader) {
    const std::filesystem::path dir =
        std::filesystem::path(KOLIBRIX_SOURCE_DIR) / ".." / "shared" / "ext" / "itunes-xml";
    if (!std::filesystem::is_directory(dir)) GTEST_SKIP() << "no exported libraries beside the project";
    std::size_t files = 0, checked = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (entry.path().extension() != ".xml") continue;
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string xml((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

        std::vector<RefTrack> expected;
        std::vector<std::wstring> paths;
        for (const RefTrack& t : readTracks(xml)) {
            auto location = t.values.find("Location");
            if (location == t.values.end() || location->second.compare(0, 7, L"file://") != 0) continue;
            expected.push_back(t);
            paths.push_back(pathOf(location->second));
        }
        // In reverse: the results follow the file, not the request.
        std::reverse(paths.begin(), paths.end());
        std::wstring file;
        for (char c : entry.path().string())
            file += static_cast<wchar_t>(static_cast<unsigned char>(c));
        const MusicLibraryParser parser(paths, file);
        const auto& results = parser.results();
        ASSERT_EQ(results.size(), expected.size());
        for (std::size_t i = 0; i < results.size(); ++i) {
            const auto value = [&](const char* key) {
                auto it = expected[i].values.find(key);
                return it == expected[i].values.end() ? std::wstring() : it->second;
            };
            EXPECT_EQ((*results[i])[MusicLibraryParser::TrackId], value("Track ID"));
            EXPECT_EQ((*results[i])[MusicLibraryParser::Name], value("Name"));
            EXPECT_EQ((*results[i])[MusicLibraryParser::Artist], value("Artist"));
            EXPECT_EQ((*results[i])[MusicLibraryParser::Album], value("Album"));
        }
        checked += results.size();
    }
    EXPECT_GE(files, 8u);
    EXPECT_GT(checked, 8000u);
}

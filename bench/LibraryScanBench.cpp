// The library parser on a 100 000-track library file in the player's layout
// (about 165 MB, made once in the working folder as library-scan-bench.xml):
// the time to find ten files spread over it, the last one near the end; the
// time `grep -F` takes for that last file's line; and the peak memory.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "player/MusicLibraryParser.h"

namespace {

const int kTracks = 100000;
const char* const kFile = "library-scan-bench.xml";

std::wstring pathOf(int i) {
    return L"C:\\Users\\Someone\\Music\\iTunes\\iTunes Media\\Music\\Artist " + std::to_wstring(i % 997) +
           L"\\Album & Co " + std::to_wstring(i % 4999) + L"\\" + std::to_wstring(i % 20 + 1) + L" Track " +
           std::to_wstring(i) + L".m4a";
}

// A track as the player writes it, padded with the keys it also writes.
void writeTrack(std::ofstream& out, int i) {
    const int id = 1000 + 2 * i;
    out << "\t\t<key>" << id << "</key>\n\t\t<dict>\n";
    out << "\t\t\t<key>Track ID</key><integer>" << id << "</integer>\n";
    out << "\t\t\t<key>Name</key><string>Track " << i << "</string>\n";
    out << "\t\t\t<key>Artist</key><string>Artist " << i % 997 << "</string>\n";
    out << "\t\t\t<key>Album</key><string>Album &#38; Co " << i % 4999 << "</string>\n";
    out << "\t\t\t<key>Genre</key><string>Electronic</string>\n";
    out << "\t\t\t<key>Kind</key><string>AAC audio file</string>\n";
    out << "\t\t\t<key>Size</key><integer>" << 4000000 + i << "</integer>\n";
    out << "\t\t\t<key>Total Time</key><integer>" << 200000 + i % 100000 << "</integer>\n";
    out << "\t\t\t<key>Disc Number</key><integer>1</integer>\n";
    out << "\t\t\t<key>Track Number</key><integer>" << i % 20 + 1 << "</integer>\n";
    out << "\t\t\t<key>Track Count</key><integer>20</integer>\n";
    out << "\t\t\t<key>Year</key><integer>" << 1970 + i % 50 << "</integer>\n";
    out << "\t\t\t<key>Date Modified</key><date>2019-05-04T10:11:12Z</date>\n";
    out << "\t\t\t<key>Date Added</key><date>2019-05-04T10:11:12Z</date>\n";
    out << "\t\t\t<key>Bit Rate</key><integer>256</integer>\n";
    out << "\t\t\t<key>Sample Rate</key><integer>44100</integer>\n";
    out << "\t\t\t<key>Play Count</key><integer>" << i % 40 << "</integer>\n";
    out << "\t\t\t<key>Play Date</key><integer>3640000000</integer>\n";
    out << "\t\t\t<key>Play Date UTC</key><date>2019-05-04T10:11:12Z</date>\n";
    out << "\t\t\t<key>Skip Count</key><integer>1</integer>\n";
    out << "\t\t\t<key>Rating</key><integer>60</integer>\n";
    out << "\t\t\t<key>Album Rating</key><integer>60</integer>\n";
    out << "\t\t\t<key>Artwork Count</key><integer>1</integer>\n";
    out << "\t\t\t<key>Persistent ID</key><string>" << std::hex << 0x1000000000000000ull + i * 7919ull << std::dec
        << "</string>\n";
    out << "\t\t\t<key>Track Type</key><string>File</string>\n";
    out << "\t\t\t<key>Purchased</key><true/>\n";
    out << tavelapp::MusicLibraryParser::targetLine(pathOf(i)) << "\n";
    out << "\t\t\t<key>File Folder Count</key><integer>5</integer>\n";
    out << "\t\t\t<key>Library Folder Count</key><integer>1</integer>\n";
    out << "\t\t</dict>\n";
}

bool makeLibrary() {
    std::ifstream existing(kFile, std::ios::binary | std::ios::ate);
    if (existing && existing.tellg() > 100000000) return true;
    std::ofstream out(kFile, std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST "
           "1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n<dict>\n"
           "\t<key>Major Version</key><integer>1</integer>\n\t<key>Minor Version</key><integer>1</integer>\n"
           "\t<key>Tracks</key>\n\t<dict>\n";
    for (int i = 0; i < kTracks; ++i)
        writeTrack(out, i);
    out << "\t</dict>\n\t<key>Playlists</key>\n\t<array>\n\t\t<dict>\n\t\t\t<key>Name</key><string>Library</string>\n"
           "\t\t\t<key>Master</key><true/>\n\t\t\t<key>Playlist Items</key>\n\t\t\t<array>\n";
    for (int i = 0; i < kTracks; ++i)
        out << "\t\t\t\t<dict>\n\t\t\t\t\t<key>Track ID</key><integer>" << 1000 + 2 * i
            << "</integer>\n\t\t\t\t</dict>\n";
    out << "\t\t\t</array>\n\t\t</dict>\n\t</array>\n</dict>\n</plist>\n";
    return static_cast<bool>(out);
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long peakKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main() {
    if (!makeLibrary()) {
        std::fprintf(stderr, "cannot write %s\n", kFile);
        return 1;
    }
    std::ifstream sizeOf(kFile, std::ios::binary | std::ios::ate);
    std::printf("library file: %s, %.1f MB, %d tracks\n", kFile, static_cast<double>(sizeOf.tellg()) / 1e6, kTracks);

    std::vector<std::wstring> paths;
    for (int k = 0; k < 10; ++k)
        paths.push_back(pathOf(k == 9 ? kTracks - 3 : k * (kTracks / 10) + 17));
    const long before = peakKiB();
    double best = 1e9;
    std::size_t found = 0;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        tavelapp::MusicLibraryParser parser(paths, std::wstring(kFile, kFile + std::char_traits<char>::length(kFile)));
        best = std::min(best, seconds(start));
        found = parser.results().size();
    }
    std::printf("parser: %zu of 10 files found, best of 3: %.3f s\n", found, best);

    std::ofstream("library-scan-bench.target", std::ios::binary)
        << tavelapp::MusicLibraryParser::targetLine(paths.back());
    double grepBest = 1e9;
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const int rc = std::system("grep -F -x -c -f library-scan-bench.target library-scan-bench.xml > /dev/null");
        grepBest = std::min(grepBest, seconds(start));
        if (rc != 0) std::printf("grep did not find the line (%d)\n", rc);
    }
    std::printf("grep -F (last file's line): best of 3: %.3f s; parser / grep = %.2f\n", grepBest, best / grepBest);
    std::printf("peak memory: %ld KiB before the scans, %ld KiB after\n", before, peakKiB());
    return 0;
}

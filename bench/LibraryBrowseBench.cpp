// The remote's library browse against simplayer.exe over COM, on a library of
// 20 000 tracks written to a temporary folder: p50/p95 of a search and of one
// 50-track page of a playlist, each a whole LibraryBrowse call (queue, worker,
// COM). Prints figures; asserts nothing about time.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "base/WorkerPool.h"
#include "player/LibraryBrowse.h"
#include "player/PlayerHost.h"
#include "player/com/Dispatch.h"
#include "player/com/ITunesCom.h"
#include "win/file/FileSystem.h"
#include "win/util/StringUtil.h"

using namespace tavelapp;
using Browse = itunes::LibraryBrowse;

namespace {

const int kTracks = 20000;
const int kMixTracks = 5000;
const int kRuns = 30;

std::wstring folderOfThisProgram() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    std::wstring path(buffer, n);
    return path.substr(0, path.find_last_of(L'\\'));
}

// The player's library file: 400 artists of 5 albums of 10 tracks, a user
// playlist of every fourth track and a smart one.
std::string libraryText() {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n\t<key>Tracks</key>\n\t<dict>\n";
    char line[640];
    for (int i = 1; i <= kTracks; ++i) {
        const int artist = (i - 1) / 50 + 1, album = (i - 1) / 10 + 1;
        std::snprintf(line, sizeof(line),
                      "\t\t<key>%d</key>\n\t\t<dict>\n\t\t\t<key>Track ID</key><integer>%d</integer>\n"
                      "\t\t\t<key>Name</key><string>Song %d of Harbour %d</string>\n"
                      "\t\t\t<key>Artist</key><string>Artist %d</string>\n"
                      "\t\t\t<key>Album</key><string>Album %d</string>\n"
                      "\t\t\t<key>Genre</key><string>Genre %d</string>\n"
                      "\t\t\t<key>Total Time</key><integer>%d</integer>\n"
                      "\t\t\t<key>Persistent ID</key><string>%016X</string>\n\t\t</dict>\n",
                      i, i, i, i % 97, artist, album, i % 20, 120000 + i % 180000, 0x10000000u + i);
        out += line;
    }
    out += "\t</dict>\n\t<key>Playlists</key>\n\t<array>\n";
    const auto playlist = [&out, &line](const char* name, unsigned id, bool master, bool smart, int step) {
        std::snprintf(line, sizeof(line),
                      "\t\t<dict>\n\t\t\t<key>Name</key><string>%s</string>\n%s"
                      "\t\t\t<key>Playlist Persistent ID</key><string>%016X</string>\n%s"
                      "\t\t\t<key>Playlist Items</key>\n\t\t\t<array>\n",
                      name, master ? "\t\t\t<key>Master</key><true/>\n" : "", id,
                      smart ? "\t\t\t<key>Smart Info</key>\n\t\t\t<data>\n\t\t\tAQE=\n\t\t\t</data>\n" : "");
        out += line;
        for (int i = step; i <= kTracks; i += step) {
            std::snprintf(line, sizeof(line),
                          "\t\t\t\t<dict>\n\t\t\t\t\t<key>Track ID</key><integer>%d</integer>\n\t\t\t\t</dict>\n", i);
            out += line;
        }
        out += "\t\t\t</array>\n\t\t</dict>\n";
    };
    playlist("Library", 0x100, true, false, 1);
    playlist("Big Mix", 0x101, false, false, kTracks / kMixTracks);
    playlist("Every Tenth", 0x102, false, true, 10);
    out += "\t</array>\n</dict>\n</plist>\n";
    return out;
}

double milliseconds(long long ticks) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

// Wall time per call, and the COM round trips inside it.
struct Timer {
    std::vector<double> ms;
    long calls = 0;
    double inCalls = 0;
    template <class F>
    void time(F&& f) {
        const long callsBefore = itunes::Dispatch::callCount();
        const long long ticksBefore = itunes::Dispatch::callTicks();
        const auto start = std::chrono::steady_clock::now();
        f();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        calls += itunes::Dispatch::callCount() - callsBefore;
        inCalls += milliseconds(itunes::Dispatch::callTicks() - ticksBefore);
    }
    void print(const char* label, const char* extra) {
        std::sort(ms.begin(), ms.end());
        const auto at = [this](double share) {
            return ms[std::min(ms.size() - 1, static_cast<std::size_t>(share * static_cast<double>(ms.size())))];
        };
        const double n = static_cast<double>(ms.size());
        std::printf(
            "%-34s p50 %7.1f ms  p95 %7.1f ms  max %7.1f ms  (%zu runs%s; %.0f COM calls per run, %.2f ms "
            "each)\n",
            label, at(0.5), at(0.95), ms.back(), ms.size(), extra, calls / n, calls ? inCalls / calls : 0.0);
    }
};

}  // namespace

int wmain() {
    ::CoInitialize(nullptr);
    if (itunes::PlayerHost::instance().isRunning()) {
        std::printf("a player is running already: quit it first\n");
        return 1;
    }
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"kolibrix-browse-bench";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring library = folder + L"\\iTunes Music Library.xml";
    if (!tavel::win::file::writeFileAtomically(library, libraryText())) {
        std::printf("cannot write %ls\n", library.c_str());
        return 1;
    }

    // As a user starts the player, with the generated library.
    std::wstring command = L"\"" + folderOfThisProgram() + L"\\simplayer.exe\" /library \"" + library + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("simplayer.exe could not be started\n");
        return 1;
    }
    ::CloseHandle(process.hThread);
    for (int i = 0; i < 300 && !itunes::PlayerHost::instance().isRunning(); ++i)
        ::Sleep(100);

    // Workers keep their connection between jobs, as in the program.
    WorkerPool::ConnectionHooks hooks;
    hooks.keep = [] { itunes::PlayerHost::keepConnectionOnThisThread(true); };
    hooks.release = [] { itunes::PlayerHost::releaseThreadConnection(); };
    hooks.end = [] { itunes::PlayerHost::releaseThreadConnection(); };
    WorkerPool::setConnectionHooks(hooks);
    Browse browse(itunes::PlayerHost::instance(), WorkerPool::instance(), std::chrono::seconds(30));

    const Browse::Playlists lists = browse.playlists();
    std::string mix;
    for (const Browse::Playlist& p : lists.playlists) {
        std::printf("playlist %-12ls %-8s %6ld tracks\n", p.name.c_str(), p.kind.c_str(), p.trackCount);
        if (p.name == L"Big Mix") mix = p.id;
    }
    if (mix.empty()) {
        std::printf("the library did not load\n");
        return 1;
    }
    browse.search(L"warm up", Browse::Field::All, 0, 50);

    Timer search, searchArtist, page, libraryPage;
    long found = 0, foundArtist = 0;
    for (int i = 0; i < kRuns; ++i) {
        // One word over all fields (matches 1 in 97 tracks), and two words over artists.
        search.time(
            [&] { found = browse.search(L"harbour " + std::to_wstring(i + 1), Browse::Field::All, 0, 50).total; });
        searchArtist.time([&] {
            foundArtist = browse.search(L"artist " + std::to_wstring(i * 6 + 1), Browse::Field::Artists, 0, 50).total;
        });
        page.time([&] { browse.tracks(mix, (i * 397) % (kMixTracks - 50), 50); });
        libraryPage.time([&] { browse.tracks(lists.playlists[0].id, (i * 3331) % (kTracks - 50), 50); });
    }
    char extra[64];
    std::snprintf(extra, sizeof(extra), ", ~%ld matches, 50 read", found);
    search.print("search, all fields", extra);
    std::snprintf(extra, sizeof(extra), ", ~%ld matches, up to 50 read", foundArtist);
    searchArtist.print("search, artists", extra);
    page.print("page of 50, user playlist (5000)", "");
    libraryPage.print("page of 50, library (20000)", "");
    std::printf("goals: search p95 <= 150 ms, page p95 <= 100 ms\n");

    {
        ITunesCom com;
        if (com.connect()) com.app()->quit();
    }
    ::WaitForSingleObject(process.hProcess, 10000);
    ::CloseHandle(process.hProcess);
    ::DeleteFileW(library.c_str());
    ::RemoveDirectoryW(folder.c_str());
    ::CoUninitialize();
    return 0;
}

// Drives Kolibrix from outside in tests and demos, as a user's system would:
//   kxctl wait-app [timeout-ms]       waits for the program's window; prints its count
//   kxctl count-app                   prints how many copies have their window
//   kxctl quit [code]                 posts the quit message to every copy
//   kxctl start <exe> <raw-args> [ms] starts exe with the raw command line tail and
//                                     prints "exit <code>" or "running" after ms
//   kxctl wait-window <class> [ms]    waits for a top-level window of that class
//                                     (e.g. the hot keys' window); prints 1 or 0
//   kxctl ping-window <class> <ms>    sends a message to the first top-level window
//                                     whose class starts with <class> and prints
//                                     "answered <ms>", "silent" (no answer within
//                                     ms) or "none" (no such window)
//   kxctl player                      prints the running player's state as one line
//                                     "state=<n> volume=<n> track=<id> position=<s>
//                                     playlist=<name> name=<name>"
//                                     or "not-running"; never starts the player
//   kxctl tracks [playlist]           prints the tracks of the running player's
//                                     playlist of that name (default: the library),
//                                     one line each "<id> rating=<n> album=<album>",
//                                     then "count=<n>"; or "none" without such a list
//   kxctl player-play [s]             makes a running player play and, given s, puts
//                                     it s seconds before the current track's end;
//                                     prints "ok" or "failed"
//   kxctl player-quit [ms]            asks a running player to quit and waits for
//                                     its window to go; prints "gone" or "running"
//   kxctl hold-hotkey <mods> <vk> <ms> holds a global hot key as another program
//                                     would: prints "held" (or "failed <error>"),
//                                     then after ms "pressed <count>"
//   kxctl sim <command words...>      sends the words as one command to the running
//                                     simulated player (busy <ms>, modal on|off,
//                                     refuse-advise on|off, fire <event> [args],
//                                     status); prints "ok" or "failed"
//   kxctl player-volume <n>           sets the running player's volume; prints
//                                     "at <ms since 1970>" (the wall clock just
//                                     before the call, for latency benchmarks),
//                                     then "ok" or "failed"
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "player/com/ITunesCom.h"

namespace {

const wchar_t kPrefix[] = L"tavelapp:AppWnd:";

BOOL CALLBACK collect(HWND hwnd, LPARAM param) {
    wchar_t name[256];
    if (::GetClassNameW(hwnd, name, 256) > 0 && std::wcsncmp(name, kPrefix, std::wcslen(kPrefix)) == 0) {
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    }
    return TRUE;
}

std::vector<HWND> appWindows() {
    std::vector<HWND> windows;
    ::EnumWindows(&collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::string utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n =
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// A test driver reports at once instead of waiting minutes for a player.
void useShortWaits() {
    tavelapp::ITunesCom::Waits waits;
    waits.windowTries = 0;
    waits.createTries = 3;
    waits.pauseMs = 300;
    tavelapp::ITunesCom::setWaits(waits);
}

// Runs body with the running player's application object; false when the
// player is not running (connecting would start it) or failed on the way.
template <class Body>
bool withRunningPlayer(Body body) {
    if (!tavelapp::isITunesRunning()) return false;
    useShortWaits();
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool done = false;
    try {
        tavelapp::ITunesCom com;
        body(com.app());
        done = true;
    } catch (...) {
    }
    ::CoUninitialize();
    return done;
}

int printPlayer() {
    if (!tavelapp::isITunesRunning()) {
        std::printf("not-running\n");
        return 1;
    }
    const bool read = withRunningPlayer([](auto& app) {
        const long state = app->playerState();
        const long volume = app->soundVolume();
        long track = 0;
        std::wstring name;
        if (auto current = app->currentTrack()) {
            track = current->trackId();
            name = current->name();
        }
        const long position = app->playerPosition();
        std::wstring playlist;
        if (auto current = app->currentPlaylist()) playlist = current->name();
        std::printf("state=%ld volume=%ld track=%ld position=%ld playlist=%s name=%s\n", state, volume, track, position,
                    utf8(playlist).c_str(), utf8(name).c_str());
    });
    if (!read) std::printf("unreachable\n");
    return read ? 0 : 1;
}

int printTracks(const std::wstring& playlistName) {
    bool found = false;
    const bool read = withRunningPlayer([&](auto& app) {
        tavelapp::itunes::PlaylistPtr playlist;
        if (playlistName.empty()) {
            playlist = app->libraryPlaylist();
        } else if (auto source = app->librarySource()) {
            auto playlists = source->playlists();
            const long count = playlists ? playlists->count() : 0;
            for (long i = 1; i <= count && !playlist; ++i) {
                auto p = playlists->item(i);
                if (p && tavelapp::itunes::sameText(p->name(), playlistName)) playlist = p;
            }
        }
        auto tracks = playlist ? playlist->tracks() : nullptr;
        if (!tracks) return;
        found = true;
        const long count = tracks->count();
        for (long i = 1; i <= count; ++i) {
            if (auto t = tracks->item(i)) {
                std::printf("%ld rating=%ld album=%s\n", t->trackId(), t->rating(), utf8(t->album()).c_str());
            }
        }
        std::printf("count=%ld\n", count);
    });
    if (!read || !found) std::printf("none\n");
    return read && found ? 0 : 1;
}

int playNearEnd(long secondsBeforeEnd) {
    const bool played = withRunningPlayer([secondsBeforeEnd](auto& app) {
        app->play();
        if (secondsBeforeEnd >= 0) {
            if (auto current = app->currentTrack()) app->setPlayerPosition(current->duration() - secondsBeforeEnd);
        }
    });
    std::printf(played ? "ok\n" : "failed\n");
    return played ? 0 : 1;
}

int quitPlayer(DWORD wait) {
    useShortWaits();
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    tavelapp::quitITunes();
    ::CoUninitialize();
    const DWORD startTick = ::GetTickCount();
    while (tavelapp::isITunesRunning() && ::GetTickCount() - startTick < wait)
        ::Sleep(100);
    const bool gone = !tavelapp::isITunesRunning();
    std::printf(gone ? "gone\n" : "running\n");
    return gone ? 0 : 1;
}

int holdHotKey(UINT mods, UINT vk, DWORD ms) {
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue receives the key
    if (!::RegisterHotKey(nullptr, 1, mods, vk)) {
        std::printf("failed %lu\n", ::GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    int pressed = 0;
    const DWORD startTick = ::GetTickCount();
    for (DWORD elapsed = 0; elapsed < ms; elapsed = ::GetTickCount() - startTick) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - elapsed, QS_ALLINPUT);
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_HOTKEY) ++pressed;
            ::DispatchMessageW(&msg);
        }
    }
    ::UnregisterHotKey(nullptr, 1);
    std::printf("pressed %d\n", pressed);
    return 0;
}

// The simulated player takes its test commands as UTF-16 text in WM_COPYDATA
// with this tag, and answers 1 when it did what was asked.
const ULONG_PTR kSimControlDataId = 0x4B58;

struct ClassSearch {
    std::wstring prefix;
    HWND found = nullptr;
};

BOOL CALLBACK findByClassPrefix(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    wchar_t name[256];
    if (::GetClassNameW(hwnd, name, 256) > 0 &&
        std::wcsncmp(name, search->prefix.c_str(), search->prefix.size()) == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Whether a program's window thread answers, as the shell asks it.
int pingWindow(const std::wstring& classPrefix, DWORD ms) {
    ClassSearch search;
    search.prefix = classPrefix;
    ::EnumWindows(&findByClassPrefix, reinterpret_cast<LPARAM>(&search));
    if (search.found == nullptr) {
        std::printf("none\n");
        return 1;
    }
    const DWORD startTick = ::GetTickCount();
    DWORD_PTR result = 0;
    if (::SendMessageTimeoutW(search.found, WM_NULL, 0, 0, SMTO_NORMAL, ms, &result) == 0) {
        std::printf("silent\n");
        return 1;
    }
    std::printf("answered %lu\n", static_cast<unsigned long>(::GetTickCount() - startTick));
    return 0;
}

int simPlayerCommand(const std::wstring& command) {
    const HWND window = ::FindWindowW(L"iTunes", nullptr);
    COPYDATASTRUCT data{};
    data.dwData = kSimControlDataId;
    data.cbData = static_cast<DWORD>(command.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(command.data());
    DWORD_PTR answer = 0;
    const bool ok = window != nullptr &&
                    ::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                                          5000, &answer) != 0 &&
                    answer == 1;
    std::printf(ok ? "ok\n" : "failed\n");
    return ok ? 0 : 1;
}

// The wall clock as every process of the machine reads it, Linux ones too
// under Wine: a benchmark compares it with when the change reached a page.
std::string unixMs() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return std::to_string(ticks / 10000ULL - 11644473600000ULL);
}

int setPlayerVolume(long volume) {
    std::string at;
    const bool set = withRunningPlayer([&](auto& app) {
        at = unixMs();
        app->setSoundVolume(volume);
    });
    if (set) std::printf("at %s\n", at.c_str());
    std::printf(set ? "ok\n" : "failed\n");
    return set ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring command = argv[1];
    if (command == L"wait-app" || command == L"count-app") {
        const DWORD timeout = (command == L"wait-app" && argc > 2) ? std::wcstoul(argv[2], nullptr, 10) : 0;
        const DWORD startTick = ::GetTickCount();
        std::vector<HWND> windows = appWindows();
        while (command == L"wait-app" && windows.empty() && ::GetTickCount() - startTick < timeout) {
            ::Sleep(100);
            windows = appWindows();
        }
        std::printf("%u\n", static_cast<unsigned>(windows.size()));
        return (command == L"wait-app" && windows.empty()) ? 1 : 0;
    }
    if (command == L"quit") {
        const WPARAM code = argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 0;
        std::vector<HWND> windows = appWindows();
        for (HWND hwnd : windows) {
            const DWORD thread = ::GetWindowThreadProcessId(hwnd, nullptr);
            ::PostThreadMessageW(thread, WM_QUIT, code, 0);
        }
        std::printf("%u\n", static_cast<unsigned>(windows.size()));
        return windows.empty() ? 1 : 0;
    }
    if (command == L"start" && argc >= 4) {
        std::wstring line = L"\"" + std::wstring(argv[2]) + L"\"" + argv[3];
        const DWORD wait = argc > 4 ? std::wcstoul(argv[4], nullptr, 10) : 5000;
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!::CreateProcessW(argv[2], &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            std::printf("failed %lu\n", ::GetLastError());
            return 1;
        }
        ::CloseHandle(pi.hThread);
        DWORD code = 0;
        if (::WaitForSingleObject(pi.hProcess, wait) == WAIT_OBJECT_0 && ::GetExitCodeProcess(pi.hProcess, &code)) {
            std::printf("exit %lu\n", code);
        } else {
            std::printf("running\n");
        }
        ::CloseHandle(pi.hProcess);
        return 0;
    }
    if (command == L"wait-window" && argc > 2) {
        const DWORD timeout = argc > 3 ? std::wcstoul(argv[3], nullptr, 10) : 0;
        const DWORD startTick = ::GetTickCount();
        bool found = ::FindWindowW(argv[2], nullptr) != nullptr;
        while (!found && ::GetTickCount() - startTick < timeout) {
            ::Sleep(100);
            found = ::FindWindowW(argv[2], nullptr) != nullptr;
        }
        std::printf("%d\n", found ? 1 : 0);
        return found ? 0 : 1;
    }
    if (command == L"ping-window" && argc > 3) return pingWindow(argv[2], std::wcstoul(argv[3], nullptr, 10));
    if (command == L"player") return printPlayer();
    if (command == L"tracks") return printTracks(argc > 2 ? argv[2] : L"");
    if (command == L"player-play") return playNearEnd(argc > 2 ? std::wcstol(argv[2], nullptr, 10) : -1);
    if (command == L"player-quit") return quitPlayer(argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : 10000);
    if (command == L"sim" && argc > 2) {
        std::wstring words = argv[2];
        for (int i = 3; i < argc; ++i)
            words += std::wstring(L" ") + argv[i];
        return simPlayerCommand(words);
    }
    if (command == L"player-volume" && argc > 2) return setPlayerVolume(std::wcstol(argv[2], nullptr, 10));
    if (command == L"hold-hotkey" && argc >= 5) {
        return holdHotKey(std::wcstoul(argv[2], nullptr, 0), std::wcstoul(argv[3], nullptr, 0),
                          std::wcstoul(argv[4], nullptr, 10));
    }
    return 2;
}

// From a key press to the player, against simplayer.exe, in one run:
//  - the floor: a program that registered Ctrl+Alt+Right and calls NextTrack
//    over one connection made at its start;
//  - Kolibrix.exe itself (a copy with its default settings), same key;
// each press sent with SendInput, the time taken until a COM probe reads a new
// current track. Then, with the program's own controller in this process, how
// many player-state captures a NextTrack, a volume key and the start cost, and
// how many COM calls one capture makes.
//
//   key_latency_bench.exe [presses]     (simplayer.exe and Kolibrix.exe beside it)
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "action/ActionList.h"
#include "action/ActionRunner.h"
#include "base/AppPaths.h"
#include "base/RunningThreads.h"
#include "base/WorkerPool.h"
#include "app/ZEvared.h"
#include "notify/PlayerStateFactory.h"
#include "player/com/Dispatch.h"
#include "player/com/ITunesCom.h"
#include "win/util/MainThread.h"

using namespace tavelapp;

namespace {

std::wstring folderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::wstring programFolder() {
    wchar_t buffer[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return folderOf(std::wstring(buffer, n));
}

double nowMs() {
    LARGE_INTEGER counter, frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void pump(DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

bool waitForWindow(const wchar_t* className, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (::FindWindowW(className, nullptr) == nullptr) {
        if (::GetTickCount() - start > ms) return false;
        ::Sleep(20);
    }
    return true;
}

HANDLE startProgram(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring line = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return nullptr;
    }
    ::CloseHandle(pi.hThread);
    return pi.hProcess;
}

void copyTree(const std::wstring& from, const std::wstring& to) {
    ::CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((from + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            copyTree(from + L"\\" + name, to + L"\\" + name);
        } else if (name != L"Option.ini") {
            ::CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

void pressCtrlAltRight() {
    INPUT in[6] = {};
    const WORD keys[3] = {VK_CONTROL, VK_MENU, VK_RIGHT};
    for (int i = 0; i < 3; ++i) {
        in[i].type = INPUT_KEYBOARD;
        in[i].ki.wVk = keys[i];
        in[5 - i].type = INPUT_KEYBOARD;
        in[5 - i].ki.wVk = keys[i];
        in[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    ::SendInput(6, in, sizeof(INPUT));
}

// Presses the key and reads the current track until it changed; the times in ms.
std::vector<double> measurePresses(itunes::App& probe, int presses) {
    std::vector<double> times;
    for (int i = 0; i < presses; ++i) {
        // Never run off the end of the playlist, where NextTrack stops.
        if (i % 20 == 0 || probe.playerState() != 1) {
            probe.libraryPlaylist()->tracks()->item(1)->play();
            pump(300);
        }
        const long before = probe.currentTrack() ? probe.currentTrack()->trackId() : 0;
        const double start = nowMs();
        pressCtrlAltRight();
        for (;;) {
            const long now = probe.currentTrack() ? probe.currentTrack()->trackId() : 0;
            if (now != before) {
                times.push_back(nowMs() - start);
                break;
            }
            if (nowMs() - start > 3000) break;
        }
        // Let the press's own aftermath (the capture, the notification) pass.
        pump(300);
    }
    return times;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// The floor: one hot key, one connection, NextTrack on each press.
class FloorProgram {
public:
    FloorProgram() : ready_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this] { run(); });
        ::WaitForSingleObject(ready_, 10000);
    }
    ~FloorProgram() {
        ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
        ::CloseHandle(ready_);
    }
    bool ok() const { return ok_; }

private:
    void run() {
        threadId_ = ::GetCurrentThreadId();
        ::CoInitialize(nullptr);
        {
            ITunesCom com;
            MSG msg;
            ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue
            ok_ = com.connect() && ::RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, VK_RIGHT);
            ::SetEvent(ready_);
            while (ok_ && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (msg.message == WM_HOTKEY) com.app()->nextTrack();
            }
            ::UnregisterHotKey(nullptr, 1);
        }
        ::CoUninitialize();
    }
    HANDLE ready_;
    std::thread thread_;
    DWORD threadId_ = 0;
    bool ok_ = false;
};

void progress(const char* what) {
    std::fprintf(stderr, "... %s\n", what);
    std::fflush(stderr);
}

void printTimes(const char* label, const std::vector<double>& times) {
    std::printf("%-9s p50 %6.2f ms   p95 %6.2f ms   (%zu presses)\n", label, percentile(times, 0.5),
                percentile(times, 0.95), times.size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int presses = argc > 1 ? _wtoi(argv[1]) : 40;
    const std::wstring here = programFolder();
    ::CoInitialize(nullptr);
    tavel::win::util::MainThread::attach();

    runningThreads();
    HANDLE player = nullptr;
    if (::FindWindowW(L"iTunes", nullptr) == nullptr) {
        HANDLE reg = startProgram(here + L"\\simplayer.exe", L"/regserver");
        if (reg != nullptr) {
            ::WaitForSingleObject(reg, 20000);
            ::CloseHandle(reg);
        }
        player = startProgram(here + L"\\simplayer.exe", L"");
    }
    if (!waitForWindow(L"iTunes", 20000)) {
        std::printf("simplayer.exe did not start\n");
        return 1;
    }
    int result = 0;
    {
        ITunesCom probeConnection;
        if (!probeConnection.connect()) {
            std::printf("no connection to the player\n");
            return 1;
        }
        itunes::App& probe = *probeConnection.app();
        progress("connected");
        probe.libraryPlaylist()->tracks()->item(1)->play();

        std::vector<double> floor;
        {
            FloorProgram program;
            if (!program.ok()) {
                std::printf("the floor program could not register Ctrl+Alt+Right\n");
                return 1;
            }
            progress("floor");
            floor = measurePresses(probe, presses);
        }

        // Kolibrix as a user has it, in a folder of its own with the shipped defaults.
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        const std::wstring folder = std::wstring(temp) + L"kolibrix-bench";
        ::CreateDirectoryW(folder.c_str(), nullptr);
        ::CopyFileW((here + L"\\Kolibrix.exe").c_str(), (folder + L"\\Kolibrix.exe").c_str(), FALSE);
        copyTree(here + L"\\Kolibrix", folder + L"\\Kolibrix");
        ::DeleteFileW((folder + L"\\Kolibrix\\Option.ini").c_str());
        HANDLE kolibrix = startProgram(folder + L"\\Kolibrix.exe", L"-f");
        std::vector<double> program;
        if (kolibrix != nullptr && waitForWindow(L"Kolibrix_HotKey_EventHandlerWnd", 20000)) {
            pump(1000);
            progress("program");
            program = measurePresses(probe, presses);
            HWND window = ::FindWindowW(L"Kolibrix_HotKey_EventHandlerWnd", nullptr);
            ::PostThreadMessageW(::GetWindowThreadProcessId(window, nullptr), WM_QUIT, 0, 0);
            ::WaitForSingleObject(kolibrix, 20000);
            ::CloseHandle(kolibrix);
        } else {
            std::printf("Kolibrix.exe did not come up\n");
            result = 1;
        }

        std::printf("key to player (SendInput until the current track changed):\n");
        printTimes("floor", floor);
        printTimes("Kolibrix", program);
        if (!floor.empty() && !program.empty()) {
            std::printf("ratio     p50 %.2fx   p95 %.2fx\n", percentile(program, 0.5) / percentile(floor, 0.5),
                        percentile(program, 0.95) / percentile(floor, 0.95));
        }

        // Captures, counted with the program's own controller in this process.
        std::fflush(stdout);
        progress("captures");
        AppPaths::setProgramPath(folder + L"\\Kolibrix.exe");
        {
            ZEvared controller;
            pump(1500);
            PlayerStateFactory& factory = PlayerStateFactory::instance();
            const unsigned long atStart = factory.captureCount();
            ActionList::instance().parse(L"Bench", L"[bench]\nBenchVolumeUp\tVolume\t+5\n");
            const auto count = [&](const wchar_t* name) {
                const unsigned long before = factory.captureCount();
                ActionRunner::instance().runByName(name, false);
                pump(1500);
                return factory.captureCount() - before;
            };
            const unsigned long next = count(L"NextTrack");
            const unsigned long volume = count(L"BenchVolumeUp");
            long calls;
            {
                PlayerStateFactory::Guard guard;
                calls = itunes::Dispatch::callCount();
                factory.update();
                calls = itunes::Dispatch::callCount() - calls;
            }
            // What the player is asked for: the values of lines 9 to 37 of a snapshot.
            const int bareReads = PlayerState::FieldCount - PlayerState::Volume;
            std::printf("captures: start %lu, NextTrack %lu, volume key %lu\n", atStart, next, volume);
            std::printf("COM calls per capture: %ld for %d values (%.2fx)\n", calls, bareReads,
                        static_cast<double>(calls) / bareReads);
        }
        runningThreads().waitAll();
        std::fflush(stdout);
        probe.quit();
    }
    if (player != nullptr) {
        ::WaitForSingleObject(player, 10000);
        ::CloseHandle(player);
    }
    // The workers let go of their connections while COM still runs.
    static_cast<void>(WorkerPool::instance().shutdown(std::chrono::seconds(10)));
    tavel::win::util::MainThread::detach();
    ::CoUninitialize();
    return result;
}

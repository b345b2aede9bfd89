// Test library that poses as a player plug-in. Extra exports let a test
// switch the player on and off, hold an action at a gate and make the
// library fill whole buffers without a terminator.
#include <windows.h>

#include <atomic>

namespace {

HWND hostWindow = nullptr;
UINT hostMessage = 0;
UINT pluginIndex = 0;

std::atomic<bool> running{false};
std::atomic<bool> observing{false};
std::atomic<bool> overfill{false};
std::atomic<int> holders{0};

HANDLE gate() {
    // Manual reset, closed at first.
    static const HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    return event;
}

void post(LPARAM code) {
    if (hostWindow != nullptr) ::PostMessageW(hostWindow, hostMessage, pluginIndex, code);
}

bool named(const wchar_t* name, const wchar_t* expected) { return ::lstrcmpW(name, expected) == 0; }

void fill(wchar_t* buffer, int bufferBytes, const wchar_t* text) {
    const int chars = bufferBytes / 2;
    if (overfill) {
        // Every character used, no terminator; the text's start survives.
        int i = 0;
        for (; i < chars && text[i] != L'\0'; ++i)
            buffer[i] = text[i];
        for (; i < chars; ++i)
            buffer[i] = L'x';
    } else {
        ::lstrcpynW(buffer, text, chars);
    }
}

}  // namespace

extern "C" {

int WINAPI Initialize(HWND window, UINT message, UINT index) {
    hostWindow = window;
    hostMessage = message;
    pluginIndex = index;
    return 0;
}

int WINAPI GetPluginInfo(int kind, wchar_t* buffer, int bufferBytes) {
    if (kind == 1) fill(buffer, bufferBytes, L"Player/Fake");
    if (kind == 4) fill(buffer, bufferBytes, L"Fake Player");
    return 0;
}

BOOL WINAPI ActionExists(const wchar_t* name) {
    return named(name, L"fake_hold") || named(name, L"fake_play") || named(name, L"fake_unavailable");
}

BOOL WINAPI IsActionAvailable(const wchar_t* name) { return !named(name, L"fake_unavailable"); }

BOOL WINAPI IsPlayerAction(const wchar_t*) { return TRUE; }

int WINAPI RunAction(const wchar_t* name, const wchar_t**, int) {
    if (named(name, L"fake_hold")) {
        ++holders;
        // Bounded, so a broken test cannot hang the host for ever.
        ::WaitForSingleObject(gate(), 10000);
        --holders;
    }
    post(1);
    return 0;
}

BOOL WINAPI IsPlayerRunning() { return running; }

BOOL WINAPI GetCurrentPlayerState(wchar_t* buffer, int bufferBytes) {
    if (!running) return FALSE;
    fill(buffer, bufferBytes, L"Name=Fake Song\r\nArtist=Fake Artist\r\nPlayerState=Playing\r\n");
    return TRUE;
}

BOOL WINAPI StartObservation() {
    observing = true;
    post(2);
    return TRUE;
}

BOOL WINAPI EndObservation() {
    observing = false;
    post(3);
    return TRUE;
}

BOOL WINAPI IsObserving() { return observing; }

int WINAPI SetPlayerRunning(BOOL on) {
    running = on != FALSE;
    return 0;
}

int WINAPI SetOverfill(BOOL on) {
    overfill = on != FALSE;
    return 0;
}

int WINAPI SetGate(BOOL open) {
    if (open) {
        ::SetEvent(gate());
    } else {
        ::ResetEvent(gate());
    }
    return 0;
}

// How many fake_hold actions are waiting at the gate.
int WINAPI Holders() { return holders; }

}  // extern "C"

// A Wiimote.dll for the tests: the remotes and their button reports come from
// a script, and every call and output report is written to a log.
//
// WiimoteScript.txt beside the library is read as it grows, one command a line:
//   devices N        N remotes (ids 1 to N) from now on; the program is told
//   buttons XXXX     a core-button report (0x30) with that field, in hex
//   report II XXXX   an input report of another id, same two data bytes
// WiimoteLog.txt beside it gets one line per call, e.g. "SendData 1 11 10".
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "input/WiimoteLibrary.h"
#include "input/WiimoteRules.h"

namespace {

struct State {
    CRITICAL_SECTION lock;
    HWND window = nullptr;
    UINT message = 0;
    int devices = 1;
    int acquired = 0;
    HANDLE thread = nullptr;
    HANDLE stop = nullptr;
    std::wstring folder;
};

State& state() {
    static State* s = [] {
        auto* created = new State;
        ::InitializeCriticalSection(&created->lock);
        return created;
    }();
    return *s;
}

std::wstring besideLibrary(const wchar_t* name) {
    State& s = state();
    if (s.folder.empty()) {
        HMODULE self = nullptr;
        ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<LPCWSTR>(&besideLibrary), &self);
        wchar_t path[MAX_PATH] = L"";
        ::GetModuleFileNameW(self, path, MAX_PATH);
        s.folder = path;
        s.folder.erase(s.folder.find_last_of(L'\\') + 1);
    }
    return s.folder + name;
}

void log(const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof(line), format, args);
    va_end(args);
    State& s = state();
    ::EnterCriticalSection(&s.lock);
    if (FILE* f = _wfopen(besideLibrary(L"WiimoteLog.txt").c_str(), L"ab")) {
        std::fprintf(f, "%s\n", line);
        std::fclose(f);
    }
    ::LeaveCriticalSection(&s.lock);
}

void sendReport(unsigned id, unsigned field) {
    State& s = state();
    ::EnterCriticalSection(&s.lock);
    const int device = s.acquired;
    ::LeaveCriticalSection(&s.lock);
    if (device == 0) {
        log("Report %02X %04X dropped", id, field);
        return;
    }
    const BYTE data[2] = {static_cast<BYTE>(field >> 8), static_cast<BYTE>(field & 0xFF)};
    tavelapp::WiimoteRules::InputRecord record;
    record.device = static_cast<std::uint8_t>(device);
    record.reportId = static_cast<std::uint8_t>(id);
    record.data = data;
    DWORD_PTR result = 0;
    const bool delivered = ::SendMessageTimeoutW(s.window, s.message, WiimoteLibrary::kInputReport,
                                                 reinterpret_cast<LPARAM>(&record), SMTO_NORMAL, 5000, &result) != 0;
    log("Report %02X %04X %s", id, field, delivered ? "delivered" : "lost");
}

void runLine(const char* line) {
    unsigned a = 0, b = 0;
    int count = 0;
    if (std::sscanf(line, "devices %d", &count) == 1) {
        State& s = state();
        ::EnterCriticalSection(&s.lock);
        s.devices = count;
        if (s.acquired > count) s.acquired = 0;
        ::LeaveCriticalSection(&s.lock);
        log("Devices %d", count);
        ::PostMessageW(s.window, s.message, WiimoteLibrary::kDevicesChanged, 0);
    } else if (std::sscanf(line, "buttons %x", &a) == 1) {
        sendReport(tavelapp::WiimoteRules::kButtonsReport, a);
    } else if (std::sscanf(line, "report %x %x", &a, &b) == 2) {
        sendReport(a, b);
    }
}

DWORD WINAPI scriptThread(void*) {
    State& s = state();
    long offset = 0;
    std::string pending;
    while (::WaitForSingleObject(s.stop, 20) == WAIT_TIMEOUT) {
        FILE* f = _wfopen(besideLibrary(L"WiimoteScript.txt").c_str(), L"rb");
        if (f == nullptr) continue;
        std::fseek(f, offset, SEEK_SET);
        char buffer[512];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0) {
            pending.append(buffer, n);
            offset += static_cast<long>(n);
        }
        std::fclose(f);
        // Only whole lines: the writer may be half-way through one.
        std::size_t end = 0;
        while ((end = pending.find('\n')) != std::string::npos) {
            runLine(pending.substr(0, end).c_str());
            pending.erase(0, end + 1);
        }
    }
    return 0;
}

}  // namespace

extern "C" {

BOOL WINAPI Initialize(HWND window, UINT message, DWORD, DWORD) {
    State& s = state();
    s.window = window;
    s.message = message;
    log("Initialize %u", message);
    if (s.thread == nullptr) {
        s.stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
        s.thread = ::CreateThread(nullptr, 0, scriptThread, nullptr, 0, nullptr);
    }
    return TRUE;
}

BOOL WINAPI Open() {
    log("Open");
    return TRUE;
}

int WINAPI EnumDevices(WiimoteLibrary::EnumCallback callback, void* context, DWORD) {
    State& s = state();
    ::EnterCriticalSection(&s.lock);
    const int count = s.devices;
    ::LeaveCriticalSection(&s.lock);
    log("EnumDevices %d", count);
    for (int id = 1; id <= count; ++id)
        if (!callback(id, context)) break;
    return count;
}

BOOL WINAPI Acquire(int id) {
    State& s = state();
    ::EnterCriticalSection(&s.lock);
    s.acquired = id;
    ::LeaveCriticalSection(&s.lock);
    log("Acquire %d", id);
    return TRUE;
}

BOOL WINAPI Unacquire(int id) {
    State& s = state();
    ::EnterCriticalSection(&s.lock);
    if (s.acquired == id) s.acquired = 0;
    ::LeaveCriticalSection(&s.lock);
    log("Unacquire %d", id);
    return TRUE;
}

BOOL WINAPI SendData(int id, const BYTE* report, DWORD size, DWORD* written) {
    log("SendData %d %02X %02X %lu", id, report[0], report[1], static_cast<unsigned long>(size));
    if (written != nullptr) *written = size;
    return TRUE;
}

void WINAPI Close() { log("Close"); }

void WINAPI Terminate() {
    State& s = state();
    if (s.thread != nullptr) {
        ::SetEvent(s.stop);
        ::WaitForSingleObject(s.thread, 5000);
        ::CloseHandle(s.thread);
        ::CloseHandle(s.stop);
        s.thread = nullptr;
        s.stop = nullptr;
    }
    log("Terminate");
}

BOOL WINAPI IsAvailable() { return TRUE; }

// Exported as GetVersion (the .def file), a name windows.h already declares.
DWORD WINAPI LibraryVersion() { return 0x0100; }

}  // extern "C"

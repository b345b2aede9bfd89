// Wiimote.dll of the project's own: talks to Wii remotes (RVL-CNT-01 and
// RVL-CNT-01-TR) paired with Windows, through the HID class driver. It reports
// the set of remotes and their core buttons to the program's window, and
// writes the program's output reports to the remote.
#include <windows.h>

// MinGW's HID header declares the functions without C linkage.
extern "C" {
#include <hidsdi.h>
}
#include <setupapi.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "input/WiimoteHidCodec.h"
#include "input/WiimoteLibrary.h"
#include "input/WiimoteRules.h"

namespace {

using tavelapp::WiimoteHidCodec::Input;

const DWORD kScanMs = 2000;

struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    Handle() = default;
    explicit Handle(HANDLE handle) : h(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (h != INVALID_HANDLE_VALUE && h != nullptr) ::CloseHandle(h);
    }
    bool valid() const { return h != INVALID_HANDLE_VALUE && h != nullptr; }
};

// One acquired remote; shared by the table and its reading thread.
struct Reader {
    int id = 0;
    Handle device;
    Handle stop{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::size_t inputLength = 0;
    std::size_t outputLength = 0;
    bool rumble = false;
};

struct Library {
    CRITICAL_SECTION lock;
    HWND window = nullptr;
    UINT message = 0;
    std::map<std::wstring, int> ids;  // device path -> id, kept for the process
    std::vector<std::wstring> present;
    std::map<int, std::shared_ptr<Reader>> acquired;
    HANDLE monitor = nullptr;
    std::shared_ptr<Handle> monitorStop;  // the running monitor's own
    LONG readers = 0;
};

Library& library() {
    static Library* lib = [] {
        auto* created = new Library;
        ::InitializeCriticalSection(&created->lock);
        return created;
    }();
    return *lib;
}

struct Locked {
    Locked() { ::EnterCriticalSection(&library().lock); }
    ~Locked() { ::LeaveCriticalSection(&library().lock); }
};

// Each thread of the library holds a reference to it, given back as the
// thread ends: the program may free the library while one still runs (Close
// waits only so long), and the code must stay until the thread is out of it.
HMODULE holdLibrary() {
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&holdLibrary), &self);
    return self;
}

bool startThread(LPTHREAD_START_ROUTINE routine, void* parameter) {
    HMODULE held = holdLibrary();
    HANDLE thread = ::CreateThread(nullptr, 0, routine, parameter, 0, nullptr);
    if (thread == nullptr) {
        if (held != nullptr) ::FreeLibrary(held);
        return false;
    }
    ::CloseHandle(thread);
    return true;
}

[[noreturn]] void endThread() {
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&endThread), &self);
    ::FreeLibraryAndExitThread(self, 0);
}

// Where the reports go, or nothing once the program let the library go.
bool target(HWND& window, UINT& message) {
    Library& lib = library();
    Locked locked;
    window = lib.window;
    message = lib.message;
    return window != nullptr;
}

// The device paths of the Wii remotes present now.
std::vector<std::wstring> scan() {
    std::vector<std::wstring> out;
    GUID hid;
    ::HidD_GetHidGuid(&hid);
    HDEVINFO set = ::SetupDiGetClassDevsW(&hid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return out;
    SP_DEVICE_INTERFACE_DATA item{};
    item.cbSize = sizeof(item);
    for (DWORD i = 0; ::SetupDiEnumDeviceInterfaces(set, nullptr, &hid, i, &item); ++i) {
        DWORD size = 0;
        ::SetupDiGetDeviceInterfaceDetailW(set, &item, nullptr, 0, &size, nullptr);
        if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
        std::vector<BYTE> buffer(size);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        if (!::SetupDiGetDeviceInterfaceDetailW(set, &item, detail, size, nullptr, nullptr)) continue;
        // No access asked: the attributes are readable even while another program holds the device.
        Handle device(::CreateFileW(detail->DevicePath, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    0, nullptr));
        if (!device.valid()) continue;
        HIDD_ATTRIBUTES attributes{};
        attributes.Size = sizeof(attributes);
        if (::HidD_GetAttributes(device.h, &attributes) &&
            tavelapp::WiimoteHidCodec::isRemote(attributes.VendorID, attributes.ProductID))
            out.push_back(detail->DevicePath);
    }
    ::SetupDiDestroyDeviceInfoList(set);
    std::sort(out.begin(), out.end());
    return out;
}

// Takes the scan as the present set; true when it differs from the last one.
bool takeScan(const std::vector<std::wstring>& paths) {
    Library& lib = library();
    Locked locked;
    for (const std::wstring& path : paths)
        if (lib.ids.count(path) == 0 && lib.ids.size() < 255) lib.ids[path] = static_cast<int>(lib.ids.size()) + 1;
    const bool changed = paths != lib.present;
    lib.present = paths;
    return changed;
}

bool write(Reader& reader, const std::vector<BYTE>& report) {
    if (report.empty() || !reader.device.valid()) return false;
    OVERLAPPED done{};
    Handle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    done.hEvent = event.h;
    DWORD written = 0;
    if (::WriteFile(reader.device.h, report.data(), static_cast<DWORD>(report.size()), nullptr, &done) ||
        (::GetLastError() == ERROR_IO_PENDING && ::WaitForSingleObject(event.h, 1000) == WAIT_OBJECT_0))
        return ::GetOverlappedResult(reader.device.h, &done, &written, FALSE) != 0;
    ::CancelIo(reader.device.h);
    // Some Bluetooth stacks take output reports only through the control channel.
    return ::HidD_SetOutputReport(reader.device.h, const_cast<BYTE*>(report.data()),
                                  static_cast<ULONG>(report.size())) != 0;
}

// Posted, the report inside the message: nothing of this thread is read
// later, and a program that is busy never holds the reader. A full queue
// drops the report.
void deliver(const Reader& reader, std::uint16_t buttons) {
    HWND window = nullptr;
    UINT message = 0;
    if (target(window, message))
        ::PostMessageW(window, message, WiimoteLibrary::kButtons, WiimoteLibrary::packButtons(reader.id, buttons));
}

void readRemote(void* parameter) {
    try {
        std::unique_ptr<std::shared_ptr<Reader>> owned(static_cast<std::shared_ptr<Reader>*>(parameter));
        Reader& reader = **owned;
        std::vector<BYTE> buffer(std::max<std::size_t>(reader.inputLength, 23));
        Handle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        for (;;) {
            OVERLAPPED done{};
            done.hEvent = event.h;
            ::ResetEvent(event.h);
            DWORD got = 0;
            if (!::ReadFile(reader.device.h, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, &done) &&
                ::GetLastError() != ERROR_IO_PENDING)
                break;  // the remote went away; the next scan tells the program
            const HANDLE waits[2] = {reader.stop.h, event.h};
            if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
                ::CancelIo(reader.device.h);
                ::GetOverlappedResult(reader.device.h, &done, &got, TRUE);
                break;
            }
            if (!::GetOverlappedResult(reader.device.h, &done, &got, FALSE)) break;
            const Input in = tavelapp::WiimoteHidCodec::decodeInput(buffer.data(), got);
            // After a status report the remote waits to be told its reporting mode again.
            if (in.kind == Input::kStatus)
                write(reader, tavelapp::WiimoteHidCodec::reportingMode(reader.rumble, reader.outputLength));
            if (in.kind != Input::kNone && ::WaitForSingleObject(reader.stop.h, 0) != WAIT_OBJECT_0)
                deliver(reader, in.buttons);
        }
    } catch (...) {
        // Nothing may leave into the program.
    }
}

DWORD WINAPI readThread(void* parameter) {
    readRemote(parameter);
    // Terminate waits for this count, so that no reader reads on after it.
    ::InterlockedDecrement(&library().readers);
    endThread();
}

void monitor(void* parameter) {
    try {
        std::unique_ptr<std::shared_ptr<Handle>> stop(static_cast<std::shared_ptr<Handle>*>(parameter));
        while (::WaitForSingleObject((*stop)->h, kScanMs) == WAIT_TIMEOUT) {
            HWND window = nullptr;
            UINT message = 0;
            if (takeScan(scan()) && target(window, message))
                ::PostMessageW(window, message, WiimoteLibrary::kDevicesChanged, 0);
        }
    } catch (...) {
        // Nothing may leave into the program.
    }
}

DWORD WINAPI monitorThread(void* parameter) {
    monitor(parameter);
    endThread();
}

std::shared_ptr<Reader> acquiredReader(int id) {
    Library& lib = library();
    Locked locked;
    const auto it = lib.acquired.find(id);
    return it == lib.acquired.end() ? nullptr : it->second;
}

std::wstring pathOf(int id) {
    Library& lib = library();
    Locked locked;
    for (const auto& entry : lib.ids)
        if (entry.second == id && std::find(lib.present.begin(), lib.present.end(), entry.first) != lib.present.end())
            return entry.first;
    return std::wstring();
}

}  // namespace

extern "C" {

BOOL WINAPI Initialize(HWND window, UINT message, DWORD, DWORD) {
    Library& lib = library();
    Locked locked;
    lib.window = window;
    lib.message = message;
    return TRUE;
}

BOOL WINAPI Open() {
    try {
        Library& lib = library();
        takeScan(scan());
        if (lib.monitor == nullptr) {
            auto stop = std::make_shared<Handle>(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
            if (!stop->valid()) return FALSE;
            auto* forThread = new std::shared_ptr<Handle>(stop);
            HMODULE held = holdLibrary();
            lib.monitor = ::CreateThread(nullptr, 0, monitorThread, forThread, 0, nullptr);
            if (lib.monitor == nullptr) {
                delete forThread;
                if (held != nullptr) ::FreeLibrary(held);
                return FALSE;
            }
            lib.monitorStop = stop;
        }
        return TRUE;
    } catch (...) {
        // Nothing may leave into the program.
        return FALSE;
    }
}

int WINAPI EnumDevices(WiimoteLibrary::EnumCallback callback, void* context, DWORD) {
    try {
        std::vector<int> ids;
        {
            Library& lib = library();
            Locked locked;
            for (const std::wstring& path : lib.present)
                ids.push_back(lib.ids[path]);
        }
        for (int id : ids)
            if (!callback(id, context)) break;
        return static_cast<int>(ids.size());
    } catch (...) {
        // Nothing may leave into the program.
        return 0;
    }
}

BOOL WINAPI Acquire(int id) {
    try {
        if (acquiredReader(id)) return TRUE;
        const std::wstring path = pathOf(id);
        if (path.empty()) return FALSE;
        auto reader = std::make_shared<Reader>();
        reader->id = id;
        reader->device.h = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
        if (!reader->device.valid()) return FALSE;
        PHIDP_PREPARSED_DATA preparsed = nullptr;
        HIDP_CAPS caps{};
        if (::HidD_GetPreparsedData(reader->device.h, &preparsed)) {
            ::HidP_GetCaps(preparsed, &caps);
            ::HidD_FreePreparsedData(preparsed);
        }
        reader->inputLength = caps.InputReportByteLength;
        reader->outputLength = caps.OutputReportByteLength != 0 ? caps.OutputReportByteLength : 22;
        write(*reader, tavelapp::WiimoteHidCodec::reportingMode(false, reader->outputLength));

        Library& lib = library();
        auto* forThread = new std::shared_ptr<Reader>(reader);
        ::InterlockedIncrement(&lib.readers);
        if (!startThread(readThread, forThread)) {
            delete forThread;
            ::InterlockedDecrement(&lib.readers);
            return FALSE;
        }
        Locked locked;
        lib.acquired[id] = reader;
        return TRUE;
    } catch (...) {
        // Nothing may leave into the program.
        return FALSE;
    }
}

BOOL WINAPI Unacquire(int id) {
    std::shared_ptr<Reader> reader;
    {
        Library& lib = library();
        Locked locked;
        const auto it = lib.acquired.find(id);
        if (it == lib.acquired.end()) return FALSE;
        reader = it->second;
        lib.acquired.erase(it);
    }
    // Not waited for: the reader may be handing a report to the caller's own window.
    ::SetEvent(reader->stop.h);
    return TRUE;
}

BOOL WINAPI SendData(int id, const BYTE* report, DWORD size, DWORD* written) {
    try {
        if (written != nullptr) *written = 0;
        const std::shared_ptr<Reader> reader = acquiredReader(id);
        if (!reader || report == nullptr || size < 2) return FALSE;
        const std::vector<BYTE> out = tavelapp::WiimoteHidCodec::encodeOutput(report, size, reader->outputLength);
        if (out.empty()) return FALSE;
        reader->rumble = (report[1] & 1) != 0;
        if (!write(*reader, out)) return FALSE;
        if (written != nullptr) *written = size;
        return TRUE;
    } catch (...) {
        // Nothing may leave into the program.
        return FALSE;
    }
}

void WINAPI Close() {
    Library& lib = library();
    if (lib.monitor != nullptr) {
        // A scan that does not end in time ends later, on its own stop event
        // and with its own hold on the library.
        ::SetEvent(lib.monitorStop->h);
        ::WaitForSingleObject(lib.monitor, 5000);
        ::CloseHandle(lib.monitor);
        lib.monitor = nullptr;
        lib.monitorStop.reset();
    }
}

void WINAPI Terminate() {
    try {
        Library& lib = library();
        std::vector<int> ids;
        {
            Locked locked;
            for (const auto& entry : lib.acquired)
                ids.push_back(entry.first);
        }
        for (int id : ids)
            Unacquire(id);
        {
            // Nothing more for the program's window, which goes next.
            Locked locked;
            lib.window = nullptr;
        }
        // The readers hold the library themselves; this only lets them stop first.
        for (int i = 0; i < 300 && ::InterlockedCompareExchange(&lib.readers, 0, 0) != 0; ++i)
            ::Sleep(10);
    } catch (...) {
        // Nothing may leave into the program.
        return;
    }
}

BOOL WINAPI IsAvailable() {
    Library& lib = library();
    Locked locked;
    return lib.present.empty() ? FALSE : TRUE;
}

// Exported as GetVersion (the .def file), a name windows.h already declares.
DWORD WINAPI LibraryVersion() { return 0x0100; }

}  // extern "C"

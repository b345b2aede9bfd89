// A scripted stand-in for the system's DirectInput (dinput.dll), loaded
// instead of it under Wine with WINEDLLOVERRIDES="dinput=n,b". It lists up to
// four game pads with two axes and twelve buttons, keeps to the rules of the
// calls a program makes (data format, ranges, buffer, notification,
// acquisition) and plays stick moves, button presses and pads coming and
// going from commands: lines of a control file that it follows (the path in
// DINPUT_DOUBLE_SCRIPT, else dinput-double.txt beside it) or DInputDoubleCommand.
//
//   attach P | detach P          a pad comes or goes (P is 1 to 4)
//   axis P x|y PERCENT           the stick, 0 to 100 of the range (50 the centre)
//   button P B down|up           button B (1 to 12)
//   press P B                    down, then up
//   wait MS                      (control file only)
//   list-delay MS                each listing of the devices takes that long
//
// DINPUT_DOUBLE_PADS says how many pads are attached at the start (default 1).
#define DIRECTINPUT_VERSION 0x0500
#include <windows.h>
#include <dbt.h>
#include <dinput.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const int kPads = 4;
const int kAxes = 2;
const int kButtons = 12;
const DWORD kUnmapped = 0xFFFFFFFF;

struct Pad {
    bool attached = false;
    int percent[kAxes] = {50, 50};
    bool buttons[kButtons] = {};
};

GUID padGuid(int pad) {
    GUID guid = {0x6B6F6C00u + static_cast<unsigned>(pad), 0x4A6F, 0x7900, {0x80, 0, 0, 0, 0, 0, 0, 0}};
    guid.Data4[7] = static_cast<unsigned char>(pad);
    return guid;
}

const GUID kProductGuid = {0x6B6F6CFF, 0x4A6F, 0x7900, {0x80, 0, 0, 0, 0, 0, 0, 0xFF}};

DWORD axisId(int axis) { return DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(axis); }
DWORD buttonId(int button) { return DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(button); }

class Device;

// Everything the double's objects share, under one lock.
struct State {
    std::mutex lock;
    Pad pads[kPads];
    std::vector<Device*> devices;
    // What the program did last, for DInputDoubleQuery.
    long acquisitions = 0;
    long bufferSize = 0;
    long rangeMin = 0;
    long rangeMax = 0;
    long formatSize = 0;
    long formatObjects = 0;
    long cooperative = 0;
    long notification = 0;
    long listings = 0;       // EnumDevices calls
    long listingThread = 0;  // the thread of the last one
    DWORD listDelay = 0;
    bool scriptStarted = false;
};

State& state() {
    static State s;
    return s;
}

void broadcastDeviceChange() {
    // Posted, never sent: the caller may be the very thread whose window hears it.
    ::PostMessageW(HWND_BROADCAST, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
}

class Device final : public IDirectInputDeviceW {
public:
    explicit Device(int pad) : pad_(pad) {
        for (int i = 0; i < kAxes; ++i) {
            axisOfs_[i] = kUnmapped;
            min_[i] = 0;
            max_[i] = 65535;
        }
        for (int i = 0; i < kButtons; ++i)
            buttonOfs_[i] = kUnmapped;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDirectInputDeviceW)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) {
            {
                std::lock_guard<std::mutex> guard(state().lock);
                auto& all = state().devices;
                for (auto it = all.begin(); it != all.end(); ++it) {
                    if (*it == this) {
                        all.erase(it);
                        break;
                    }
                }
            }
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetCapabilities(LPDIDEVCAPS caps) override {
        if (caps == nullptr || (caps->dwSize != sizeof(DIDEVCAPS) && caps->dwSize != sizeof(DIDEVCAPS_DX3)))
            return DIERR_INVALIDPARAM;
        std::lock_guard<std::mutex> guard(state().lock);
        const DWORD size = caps->dwSize;
        std::memset(caps, 0, size);
        caps->dwSize = size;
        caps->dwFlags = state().pads[pad_].attached ? DIDC_ATTACHED : 0;
        caps->dwDevType = DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_GAMEPAD << 8);
        caps->dwAxes = kAxes;
        caps->dwButtons = kButtons;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKW callback, LPVOID ref, DWORD flags) override {
        if (callback == nullptr) return DIERR_INVALIDPARAM;
        const DWORD wanted = DIDFT_GETTYPE(flags);
        for (int i = 0; i < kAxes + kButtons; ++i) {
            const bool axis = i < kAxes;
            const DWORD id = axis ? axisId(i) : buttonId(i - kAxes);
            if (wanted != 0 && (DIDFT_GETTYPE(id) & wanted) == 0) continue;
            DIDEVICEOBJECTINSTANCEW object{};
            object.dwSize = sizeof object;
            object.guidType = axis ? (i == 0 ? GUID_XAxis : GUID_YAxis) : GUID_Button;
            object.dwOfs = axis ? i * 4 : 48 + (i - kAxes);
            object.dwType = id;
            std::swprintf(object.tszName, MAX_PATH, axis ? L"Axis %d" : L"Button %d", axis ? i : i - kAxes + 1);
            if (callback(&object, ref) == DIENUM_STOP) break;
        }
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE GetProperty(REFGUID property, LPDIPROPHEADER header) override {
        if (header == nullptr || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
        std::lock_guard<std::mutex> guard(state().lock);
        if (&property == &DIPROP_BUFFERSIZE && header->dwSize == sizeof(DIPROPDWORD)) {
            reinterpret_cast<DIPROPDWORD*>(header)->dwData = bufferSize_;
            return DI_OK;
        }
        if (&property == &DIPROP_RANGE && header->dwSize == sizeof(DIPROPRANGE)) {
            const int axis = axisOf(header);
            if (axis < 0) return DIERR_OBJECTNOTFOUND;
            reinterpret_cast<DIPROPRANGE*>(header)->lMin = min_[axis];
            reinterpret_cast<DIPROPRANGE*>(header)->lMax = max_[axis];
            return DI_OK;
        }
        return DIERR_UNSUPPORTED;
    }

    HRESULT STDMETHODCALLTYPE SetProperty(REFGUID property, LPCDIPROPHEADER header) override {
        if (header == nullptr || header->dwHeaderSize != sizeof(DIPROPHEADER)) return DIERR_INVALIDPARAM;
        std::lock_guard<std::mutex> guard(state().lock);
        if (acquired_) return DIERR_ACQUIRED;
        if (&property == &DIPROP_BUFFERSIZE) {
            if (header->dwSize != sizeof(DIPROPDWORD) || header->dwHow != DIPH_DEVICE) return DIERR_INVALIDPARAM;
            bufferSize_ = reinterpret_cast<const DIPROPDWORD*>(header)->dwData;
            state().bufferSize = static_cast<long>(bufferSize_);
            return DI_OK;
        }
        if (&property == &DIPROP_RANGE) {
            if (header->dwSize != sizeof(DIPROPRANGE)) return DIERR_INVALIDPARAM;
            const auto* range = reinterpret_cast<const DIPROPRANGE*>(header);
            if (range->lMin >= range->lMax) return DIERR_INVALIDPARAM;
            const int axis = axisOf(header);
            if (axis < 0 && header->dwHow != DIPH_DEVICE) return DIERR_OBJECTNOTFOUND;
            for (int i = 0; i < kAxes; ++i) {
                if (axis >= 0 && i != axis) continue;
                min_[i] = range->lMin;
                max_[i] = range->lMax;
            }
            state().rangeMin = range->lMin;
            state().rangeMax = range->lMax;
            return DI_OK;
        }
        return DIERR_UNSUPPORTED;
    }

    HRESULT STDMETHODCALLTYPE Acquire() override {
        std::lock_guard<std::mutex> guard(state().lock);
        if (!formatSet_) return DIERR_INVALIDPARAM;
        if (!state().pads[pad_].attached) return DIERR_UNPLUGGED;
        if (acquired_) return S_FALSE;
        acquired_ = true;
        ++state().acquisitions;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE Unacquire() override {
        std::lock_guard<std::mutex> guard(state().lock);
        if (!acquired_) return S_FALSE;
        acquired_ = false;
        buffer_.clear();
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) override {
        std::lock_guard<std::mutex> guard(state().lock);
        if (!acquired_) return lost_ ? DIERR_INPUTLOST : DIERR_NOTACQUIRED;
        if (data == nullptr || size != dataSize_) return DIERR_INVALIDPARAM;
        auto* bytes = static_cast<unsigned char*>(data);
        std::memset(bytes, 0, size);
        const Pad& pad = state().pads[pad_];
        for (int i = 0; i < kAxes; ++i) {
            if (axisOfs_[i] == kUnmapped || axisOfs_[i] + 4 > size) continue;
            const LONG value = scaled(i, pad.percent[i]);
            std::memcpy(bytes + axisOfs_[i], &value, sizeof value);
        }
        for (int i = 0; i < kButtons; ++i) {
            if (buttonOfs_[i] < size) bytes[buttonOfs_[i]] = pad.buttons[i] ? 0x80 : 0;
        }
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDeviceData(DWORD itemSize, LPDIDEVICEOBJECTDATA items, LPDWORD count,
                                            DWORD flags) override {
        if (count == nullptr || itemSize < sizeof(DIDEVICEOBJECTDATA_DX3)) return DIERR_INVALIDPARAM;
        std::lock_guard<std::mutex> guard(state().lock);
        if (!acquired_) return lost_ ? DIERR_INPUTLOST : DIERR_NOTACQUIRED;
        if (bufferSize_ == 0) return DIERR_NOTBUFFERED;
        const DWORD room = *count;
        DWORD taken = 0;
        while (taken < room && taken < buffer_.size()) {
            if (items != nullptr) {
                auto* out = reinterpret_cast<unsigned char*>(items) + taken * itemSize;
                std::memset(out, 0, itemSize);
                std::memcpy(out, &buffer_[taken], sizeof(DIDEVICEOBJECTDATA_DX3));
            }
            ++taken;
        }
        if ((flags & DIGDD_PEEK) == 0) buffer_.erase(buffer_.begin(), buffer_.begin() + taken);
        *count = taken;
        const bool overflowed = overflow_;
        overflow_ = false;
        return overflowed ? DI_BUFFEROVERFLOW : DI_OK;
    }

    HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override {
        if (format == nullptr || format->dwSize != sizeof(DIDATAFORMAT) ||
            format->dwObjSize != sizeof(DIOBJECTDATAFORMAT) || (format->dwDataSize % 4) != 0) {
            return DIERR_INVALIDPARAM;
        }
        std::lock_guard<std::mutex> guard(state().lock);
        if (acquired_) return DIERR_ACQUIRED;
        for (int i = 0; i < kAxes; ++i)
            axisOfs_[i] = kUnmapped;
        for (int i = 0; i < kButtons; ++i)
            buttonOfs_[i] = kUnmapped;
        int nextButton = 0;
        for (DWORD i = 0; i < format->dwNumObjs; ++i) {
            const DIOBJECTDATAFORMAT& object = format->rgodf[i];
            const GUID* guid = object.pguid;
            if ((object.dwType & DIDFT_AXIS) != 0 && guid != nullptr) {
                if (IsEqualGUID(*guid, GUID_XAxis)) axisOfs_[0] = object.dwOfs;
                if (IsEqualGUID(*guid, GUID_YAxis)) axisOfs_[1] = object.dwOfs;
            } else if ((object.dwType & DIDFT_BUTTON) != 0 && (guid == nullptr || IsEqualGUID(*guid, GUID_Button))) {
                const DWORD instance = DIDFT_GETINSTANCE(object.dwType);
                const int button = instance == 0xFFFF ? nextButton : static_cast<int>(instance);
                if (button < kButtons && buttonOfs_[button] == kUnmapped) buttonOfs_[button] = object.dwOfs;
                while (nextButton < kButtons && buttonOfs_[nextButton] != kUnmapped)
                    ++nextButton;
            }
        }
        dataSize_ = format->dwDataSize;
        formatSet_ = true;
        state().formatSize = static_cast<long>(format->dwDataSize);
        state().formatObjects = static_cast<long>(format->dwNumObjs);
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE SetEventNotification(HANDLE event) override {
        std::lock_guard<std::mutex> guard(state().lock);
        if (acquired_) return DIERR_ACQUIRED;
        event_ = event;
        state().notification = event != nullptr ? 1 : 0;
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override {
        const DWORD exclusive = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
        const DWORD ground = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
        if (exclusive == 0 || exclusive == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE) || ground == 0 ||
            ground == (DISCL_FOREGROUND | DISCL_BACKGROUND)) {
            return DIERR_INVALIDPARAM;
        }
        // A top-level window of this process, as the system asks.
        DWORD process = 0;
        if (!::IsWindow(window) || ::GetAncestor(window, GA_ROOT) != window) return E_HANDLE;
        ::GetWindowThreadProcessId(window, &process);
        if (process != ::GetCurrentProcessId()) return E_HANDLE;
        std::lock_guard<std::mutex> guard(state().lock);
        if (acquired_) return DIERR_ACQUIRED;
        state().cooperative = static_cast<long>(flags);
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE GetObjectInfo(LPDIDEVICEOBJECTINSTANCEW, DWORD, DWORD) override {
        return DIERR_UNSUPPORTED;
    }

    HRESULT STDMETHODCALLTYPE GetDeviceInfo(LPDIDEVICEINSTANCEW info) override {
        if (info == nullptr || info->dwSize != sizeof(DIDEVICEINSTANCEW)) return DIERR_INVALIDPARAM;
        describe(pad_, *info);
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE RunControlPanel(HWND, DWORD) override { return DI_OK; }
    HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE, DWORD, REFGUID) override { return DI_OK; }

    static void describe(int pad, DIDEVICEINSTANCEW& info) {
        const DWORD size = info.dwSize;
        std::memset(&info, 0, size);
        info.dwSize = size;
        info.guidInstance = padGuid(pad + 1);
        info.guidProduct = kProductGuid;
        info.dwDevType = DIDEVTYPE_JOYSTICK | (DIDEVTYPEJOYSTICK_GAMEPAD << 8);
        std::swprintf(info.tszInstanceName, MAX_PATH, L"Double Pad %d", pad + 1);
        std::swprintf(info.tszProductName, MAX_PATH, L"Double Pad %d", pad + 1);
    }

    // Under the lock. An input change of this device's pad; offset by the
    // program's data format, scaled to its range.
    void input(bool axis, int index, int value) {
        if (!acquired_ || bufferSize_ == 0) return;
        const DWORD offset = axis ? axisOfs_[index] : buttonOfs_[index];
        if (offset == kUnmapped) return;
        DIDEVICEOBJECTDATA_DX3 item{};
        item.dwOfs = offset;
        item.dwData = axis ? static_cast<DWORD>(scaled(index, value)) : (value != 0 ? 0x80 : 0);
        item.dwTimeStamp = ::GetTickCount();
        item.dwSequence = ++sequence_;
        if (buffer_.size() >= bufferSize_) {
            overflow_ = true;
        } else {
            buffer_.push_back(item);
        }
        if (event_ != nullptr) ::SetEvent(event_);
    }

    // Under the lock: the pad was pulled out.
    void unplugged() {
        if (acquired_) {
            acquired_ = false;
            lost_ = true;
            buffer_.clear();
        }
        if (event_ != nullptr) ::SetEvent(event_);
    }

    int pad() const { return pad_; }

private:
    int axisOf(LPCDIPROPHEADER header) const {
        if (header->dwHow != DIPH_BYID) return -1;
        for (int i = 0; i < kAxes; ++i) {
            if (header->dwObj == axisId(i)) return i;
        }
        return -1;
    }
    LONG scaled(int axis, int percent) const {
        return min_[axis] + static_cast<LONG>((static_cast<long long>(max_[axis]) - min_[axis]) * percent / 100);
    }

    LONG refs_ = 1;
    int pad_;
    bool acquired_ = false;
    bool lost_ = false;
    bool formatSet_ = false;
    DWORD dataSize_ = 0;
    DWORD axisOfs_[kAxes];
    DWORD buttonOfs_[kButtons];
    LONG min_[kAxes];
    LONG max_[kAxes];
    DWORD bufferSize_ = 0;
    std::deque<DIDEVICEOBJECTDATA_DX3> buffer_;
    bool overflow_ = false;
    DWORD sequence_ = 0;
    HANDLE event_ = nullptr;
};

class Input final : public IDirectInputW {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDirectInputW)) {
            *out = this;
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICEW* out, LPUNKNOWN outer) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        std::lock_guard<std::mutex> guard(state().lock);
        for (int pad = 0; pad < kPads; ++pad) {
            if (!IsEqualGUID(guid, padGuid(pad + 1))) continue;
            if (!state().pads[pad].attached) return DIERR_DEVICENOTREG;
            auto* device = new Device(pad);
            state().devices.push_back(device);
            *out = device;
            return DI_OK;
        }
        return DIERR_DEVICENOTREG;
    }

    HRESULT STDMETHODCALLTYPE EnumDevices(DWORD type, LPDIENUMDEVICESCALLBACKW callback, LPVOID ref,
                                          DWORD flags) override {
        if (callback == nullptr) return DIERR_INVALIDPARAM;
        if (type != 0 && GET_DIDEVICE_TYPE(type) != DIDEVTYPE_JOYSTICK) return DI_OK;
        std::vector<int> listed;
        DWORD delay = 0;
        {
            std::lock_guard<std::mutex> guard(state().lock);
            ++state().listings;
            state().listingThread = static_cast<long>(::GetCurrentThreadId());
            delay = state().listDelay;
            for (int pad = 0; pad < kPads; ++pad) {
                if (state().pads[pad].attached || (flags & DIEDFL_ATTACHEDONLY) == 0) listed.push_back(pad);
            }
        }
        ::Sleep(delay);
        // Called without the lock: the program creates devices from the callback.
        for (int pad : listed) {
            DIDEVICEINSTANCEW info{};
            info.dwSize = sizeof info;
            Device::describe(pad, info);
            if (callback(&info, ref) == DIENUM_STOP) break;
        }
        return DI_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDeviceStatus(REFGUID guid) override {
        std::lock_guard<std::mutex> guard(state().lock);
        for (int pad = 0; pad < kPads; ++pad) {
            if (IsEqualGUID(guid, padGuid(pad + 1))) return state().pads[pad].attached ? DI_OK : DI_NOTATTACHED;
        }
        return DIERR_DEVICENOTREG;
    }
    HRESULT STDMETHODCALLTYPE RunControlPanel(HWND, DWORD) override { return DI_OK; }
    HRESULT STDMETHODCALLTYPE Initialize(HINSTANCE, DWORD) override { return DI_OK; }

private:
    LONG refs_ = 1;
};

// Runs one command; false when it cannot be read.
bool run(const std::string& line) {
    std::istringstream in(line);
    std::string verb;
    if (!(in >> verb) || verb[0] == '#') return true;
    if (verb == "wait") {
        int ms = 0;
        if (!(in >> ms) || ms < 0) return false;
        ::Sleep(static_cast<DWORD>(ms));
        return true;
    }
    if (verb == "list-delay") {
        int ms = 0;
        if (!(in >> ms) || ms < 0) return false;
        std::lock_guard<std::mutex> guard(state().lock);
        state().listDelay = static_cast<DWORD>(ms);
        return true;
    }
    int pad = 0;
    if (!(in >> pad) || pad < 1 || pad > kPads) return false;
    --pad;
    bool changed = false;
    {
        std::lock_guard<std::mutex> guard(state().lock);
        Pad& p = state().pads[pad];
        auto each = [pad](auto f) {
            for (Device* device : state().devices) {
                if (device->pad() == pad) f(*device);
            }
        };
        if (verb == "attach" || verb == "detach") {
            const bool attach = verb == "attach";
            changed = p.attached != attach;
            p = Pad();
            p.attached = attach;
            if (!attach) each([](Device& d) { d.unplugged(); });
        } else if (verb == "axis") {
            std::string axis;
            int percent = 0;
            if (!(in >> axis >> percent) || (axis != "x" && axis != "y") || percent < 0 || percent > 100) return false;
            if (!p.attached) return true;
            const int index = axis == "x" ? 0 : 1;
            p.percent[index] = percent;
            each([index, percent](Device& d) { d.input(true, index, percent); });
        } else if (verb == "button" || verb == "press") {
            int button = 0;
            std::string how = "press";
            if (!(in >> button) || button < 1 || button > kButtons) return false;
            if (verb == "button" && (!(in >> how) || (how != "down" && how != "up"))) return false;
            if (!p.attached) return true;
            const int index = button - 1;
            if (how != "up") {
                p.buttons[index] = true;
                each([index](Device& d) { d.input(false, index, 1); });
            }
            if (how != "down") {
                p.buttons[index] = false;
                each([index](Device& d) { d.input(false, index, 0); });
            }
        } else {
            return false;
        }
    }
    if (changed) broadcastDeviceChange();
    return true;
}

std::wstring scriptPath() {
    wchar_t value[MAX_PATH] = L"";
    if (::GetEnvironmentVariableW(L"DINPUT_DOUBLE_SCRIPT", value, MAX_PATH) > 0) return value;
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&scriptPath), &self);
    ::GetModuleFileNameW(self, value, MAX_PATH);
    std::wstring path = value;
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"dinput-double.txt";
}

// Follows the control file: new complete lines run as they appear.
void followScript(std::wstring path) {
    std::string pending;
    long long done = 0;
    for (;;) {
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            LARGE_INTEGER at;
            at.QuadPart = done;
            ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
            char chunk[4096];
            DWORD got = 0;
            while (::ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) {
                pending.append(chunk, got);
                done += got;
            }
            ::CloseHandle(file);
        }
        std::size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            run(line);
        }
        ::Sleep(20);
    }
}

void startOnce() {
    {
        std::lock_guard<std::mutex> guard(state().lock);
        if (state().scriptStarted) return;
        state().scriptStarted = true;
        wchar_t value[16] = L"";
        int pads = 1;
        if (::GetEnvironmentVariableW(L"DINPUT_DOUBLE_PADS", value, 16) > 0) pads = _wtoi(value);
        for (int pad = 0; pad < kPads; ++pad)
            state().pads[pad].attached = pad < pads;
    }
    // The thread lives as long as the process: the library stays loaded.
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                         reinterpret_cast<LPCWSTR>(&startOnce), &self);
    std::thread(followScript, scriptPath()).detach();
}

}  // namespace

extern "C" HRESULT WINAPI DirectInputCreateW(HINSTANCE, DWORD version, LPDIRECTINPUTW* out, LPUNKNOWN outer) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (version < 0x0300 || version > 0x0700) return DIERR_OLDDIRECTINPUTVERSION;
    try {
        startOnce();
        *out = new Input;
        return DI_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// Runs one command at once (wait is refused); 0 when done, -1 when it cannot be read.
extern "C" int WINAPI DInputDoubleCommand(const char* command) {
    try {
        if (command == nullptr || std::strncmp(command, "wait", 4) == 0) return -1;
        startOnce();
        return run(command) ? 0 : -1;
    } catch (...) {
        return -1;
    }
}

// What the program asked for last: "acquisitions", "buffer-size", "range-min",
// "range-max", "format-size", "format-objects", "cooperative", "notification",
// "devices" (device objects alive), "listings" (EnumDevices calls),
// "listing-thread" (the thread of the last); -1 for anything else.
extern "C" long WINAPI DInputDoubleQuery(const char* name) {
    if (name == nullptr) return -1;
    State& s = state();
    std::lock_guard<std::mutex> guard(s.lock);
    const std::string what = name;
    if (what == "acquisitions") return s.acquisitions;
    if (what == "buffer-size") return s.bufferSize;
    if (what == "range-min") return s.rangeMin;
    if (what == "range-max") return s.rangeMax;
    if (what == "format-size") return s.formatSize;
    if (what == "format-objects") return s.formatObjects;
    if (what == "cooperative") return s.cooperative;
    if (what == "notification") return s.notification;
    if (what == "devices") return static_cast<long>(s.devices.size());
    if (what == "listings") return s.listings;
    if (what == "listing-thread") return s.listingThread;
    return -1;
}

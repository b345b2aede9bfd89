#pragma once
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0500
#endif
#include <windows.h>
#include <dinput.h>

#include <memory>
#include <string>
#include <vector>

#include "config/Ini.h"
#include "win/util/ComPtr.h"

namespace tavelapp {

// The process's DirectInput: the interface (reference counted by its users)
// and the one game controller chosen in the settings. Main thread only, but
// for list(); the listening thread holds a reference of its own to the device.
class DInput {
public:
    struct JoyInfo {
        std::wstring productName;
        GUID instance;
    };
    using JoyInfoPtr = std::shared_ptr<JoyInfo>;
    // What one listing found: the attached controllers, and the wanted one
    // opened and set up (ready) when it is among them.
    struct Listing {
        std::vector<JoyInfoPtr> devices;
        tavel::win::util::ComPtr<IDirectInputDeviceW> device;
        DIDEVCAPS capabilities{};
        bool ready = false;
        bool listed = false;  // false when the system could not list them
    };

    static DInput& instance();

    // Takes a reference; the first creates the interface. Throws AppException
    // "JoyInitialize" when DirectInput is not there.
    void initialize();
    // Gives one back; the last lets the device and the interface go.
    void release();

    // Lists the attached controllers and opens the wanted one (all zeros or
    // none: the first listed) and sets it up for the window. False when the
    // system could not list them.
    bool enumerate(const GUID* wanted, HWND window = nullptr);
    // enumerate() in two halves: the listing, on any thread (it may take long
    // with many devices attached), and taking it up, on the main thread.
    static Listing list(const tavel::win::util::ComPtr<IDirectInputW>& input, const GUID* wanted, HWND window);
    void adopt(Listing listing);
    // The interface, with a reference of the caller's; empty before initialize().
    tavel::win::util::ComPtr<IDirectInputW> input() const { return input_; }
    // Closes the device, so that the next enumeration opens it anew.
    void releaseDevice();

    IDirectInputDeviceW* device() const { return device_.get(); }
    const std::vector<JoyInfoPtr>& devices() const { return devices_; }
    const DIDEVCAPS& capabilities() const { return capabilities_; }
    // Whether every set-up step succeeded for the open device.
    bool ready() const { return ready_; }

    // The controller's GUID as settings hold it, and back.
    static GUID settingsGuid(const Ini::Item::Joy& joy);
    static void storeGuid(const GUID& guid, Ini::Item::Joy& joy);

private:
    DInput();
    struct Lister;
    static BOOL CALLBACK onDevice(LPCDIDEVICEINSTANCEW info, LPVOID context);
    static BOOL CALLBACK onAxis(LPCDIDEVICEOBJECTINSTANCEW object, LPVOID context);
    static void addDevice(Lister& lister, const DIDEVICEINSTANCEW& info);
    static bool setUp(Listing& listing, HWND window);

    HMODULE library_ = nullptr;
    int references_ = 0;
    tavel::win::util::ComPtr<IDirectInputW> input_;
    tavel::win::util::ComPtr<IDirectInputDeviceW> device_;
    std::vector<JoyInfoPtr> devices_;
    DIDEVCAPS capabilities_{};
    bool ready_ = false;
};

}  // namespace tavelapp

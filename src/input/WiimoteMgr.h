#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "input/WiimoteLibrary.h"
#include "input/WiimoteRules.h"
#include "win/timer/Timer.h"
#include "win/util/Window.h"

namespace tavelapp {

class WiimoteMgr;

class WiimoteMgrListener {
public:
    virtual void onButton(WiimoteMgr& manager, std::uint32_t index, bool pressed) = 0;

protected:
    ~WiimoteMgrListener() = default;
};

// Talks to the first Wii remote that Wiimote.dll reports: decodes its button
// reports for the listeners and drives its LEDs and rumble. Main thread only,
// except where a member says otherwise.
class WiimoteMgr : public tavel::win::timer::Timer::Listener {
public:
    struct Wiimote {
        std::uint8_t id = 0;
    };

    class EventHandlerWnd : public tavel::win::util::Window {
    public:
        explicit EventHandlerWnd(WiimoteMgr& manager);

    protected:
        LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    private:
        WiimoteMgr& manager_;
    };

    static WiimoteMgr& instance();

    // The library from the settings folder's Libraries folder.
    void load();
    // A library missing one of the ten entry points is refused: calling it would crash.
    bool load(const std::wstring& path);
    void unload();
    bool isLoaded() const { return loaded_.load(); }
    // The Error key that tells why no library is loaded.
    const std::wstring& loadError() const { return loadError_; }

    void connect();
    void release();
    void reconnect();
    void setLEDs(std::uint8_t pattern);
    void startEffect(int pattern);
    // The configured LEDs from the newest snapshot.
    void refreshLEDs();

    // From any thread: handed to the main thread when the library is loaded.
    static void requestEffect(int pattern);
    static void requestLEDs(std::uint8_t pattern);

    void addListener(WiimoteMgrListener* listener);
    void removeListener(WiimoteMgrListener* listener);

    bool acquired() const { return acquired_; }
    const std::vector<std::shared_ptr<Wiimote>>& devices() const { return devices_; }
    bool effectRunning() const { return effectRunning_; }
    HWND hwnd() const { return window_ ? window_->hwnd() : nullptr; }

    void onTimer(tavel::win::timer::Timer& timer) override;

private:
    struct Library;

    WiimoteMgr();
    ~WiimoteMgr();
    static BOOL CALLBACK onDevice(int deviceId, void* context);
    void onLibraryMessage(WPARAM wParam, LPARAM lParam);
    void onInputReport(const WiimoteRules::InputRecord& record);
    void send(const WiimoteRules::OutputReport& report);

    std::set<WiimoteMgrListener*> listeners_;
    std::shared_ptr<EventHandlerWnd> window_;
    std::unique_ptr<Library> library_;
    std::atomic<bool> loaded_{false};
    std::wstring loadError_ = L"WiimoteDllLoadError";
    std::vector<std::shared_ptr<Wiimote>> devices_;
    std::uint16_t buttons_ = 0;
    int effect_ = 0;
    std::uint8_t pattern_ = 0;
    bool effectRunning_ = false;
    int step_ = 0;
    bool acquired_ = false;
    // Only while the library is loaded: a timer kept by this never-destroyed
    // object would keep the shared timer window for the whole process.
    std::unique_ptr<tavel::win::timer::Timer> effectTimer_;
};

}  // namespace tavelapp

#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "input/KeyRepeatFilter.h"
#include "win/util/Window.h"

namespace tavelapp {

// Turns the configured system-wide key combinations into action runs. Lives on
// the main thread; a changed binding list takes effect with a new server.
class HotKeyServer {
public:
    // One binding's registration; unregisters itself when it goes.
    class HotKey {
    public:
        // An id of 0 registers nothing.
        HotKey(HWND window, int id, std::uint32_t mods, std::uint32_t vk, std::wstring action);
        ~HotKey();
        HotKey(const HotKey&) = delete;
        HotKey& operator=(const HotKey&) = delete;

        bool failed() const { return failed_; }
        int id() const { return id_; }
        std::uint32_t mods() const { return mods_; }
        std::uint32_t vk() const { return vk_; }
        const std::wstring& action() const { return action_; }

    private:
        bool failed_ = false;
        HWND window_;
        int id_;  // 0 once the system refused it, so nothing is unregistered
        std::uint32_t mods_;
        std::uint32_t vk_;
        std::wstring action_;
    };

    class EventHandlerWnd : public tavel::win::util::Window {
    public:
        explicit EventHandlerWnd(HotKeyServer& server);

    protected:
        LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    private:
        HotKeyServer& server_;
    };

    using KeyMap = std::map<int, std::shared_ptr<HotKey>>;

    static const int kFirstId = 0xC000;

    // Registers every binding of the settings; keys that fail are reported once
    // and the others work. Throws AppException "HotkeyCreateWindow" when there
    // is no window to receive the keys.
    HotKeyServer();
    ~HotKeyServer();
    HotKeyServer(const HotKeyServer&) = delete;
    HotKeyServer& operator=(const HotKeyServer&) = delete;

    HWND hwnd() const { return window_ ? window_->hwnd() : nullptr; }
    const KeyMap& keys() const { return keys_; }

    // How a binding reads in the settings dialogs, e.g. "Alt + Ctrl + F5".
    static std::wstring displayName(std::uint32_t mods, std::uint32_t vk);

private:
    std::shared_ptr<HotKey> addKey(std::uint32_t mods, std::uint32_t vk, const std::wstring& action);
    void registerBindings();
    // The raw keyboard input tells a held key's repeats from new presses.
    void watchKeyboard();
    void unwatchKeyboard();
    void onRawInput(LPARAM input);
    void onHotKey(int id, std::uint32_t time);

    KeyMap keys_;
    KeyRepeatFilter repeats_;
    bool watching_ = false;
    int nextId_ = kFirstId;
    std::unique_ptr<EventHandlerWnd> window_;
};

}  // namespace tavelapp

#include "input/HotKeyServer.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "action/ActionRunner.h"
#include "base/ActionOrigin.h"
#include "base/AppException.h"
#include "base/NotifyWndInfo.h"
#include "base/Util.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "input/HotKeyRules.h"

namespace tavelapp {
namespace {

const wchar_t kClassName[] = L"Kolibrix_HotKey_EventHandlerWnd";
const int kKeyNameLength = 128;
const USHORT kUsagePageGeneric = 0x01;
const USHORT kUsageKeyboard = 0x06;

}  // namespace

HotKeyServer::HotKey::HotKey(HWND window, int id, std::uint32_t mods, std::uint32_t vk, std::wstring action)
    : window_(window), id_(id), mods_(mods), vk_(vk), action_(std::move(action)) {
    if (id_ == 0) return;
    if (!::RegisterHotKey(window_, id_, mods_, vk_)) {
        failed_ = true;
        id_ = 0;
    }
}

HotKeyServer::HotKey::~HotKey() {
    if (id_ != 0) ::UnregisterHotKey(window_, id_);
}

HotKeyServer::EventHandlerWnd::EventHandlerWnd(HotKeyServer& server) : server_(server) {
    registerClass(kClassName);
    create(kClassName, L"", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, nullptr);
}

LRESULT HotKeyServer::EventHandlerWnd::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HOTKEY) {
        // The hot key's time is that of the key event; read before the raw
        // input below is taken from the queue.
        const auto time = static_cast<std::uint32_t>(::GetMessageTime());
        // Posted messages come before input: the raw event of this very press
        // may still wait in the queue.
        MSG raw{};
        while (::PeekMessageW(&raw, hwnd(), WM_INPUT, WM_INPUT, PM_REMOVE)) {
            server_.onRawInput(raw.lParam);
            defaultHandling(WM_INPUT, raw.wParam, raw.lParam);
        }
        server_.onHotKey(static_cast<int>(wParam), time);
        return 0;
    }
    if (message == WM_INPUT) {
        server_.onRawInput(lParam);
        return defaultHandling(message, wParam, lParam);
    }
    return defaultHandling(message, wParam, lParam);
}

HotKeyServer::HotKeyServer() {
    window_ = std::make_unique<EventHandlerWnd>(*this);
    if (!window_->exists()) throw AppException(L"HotkeyCreateWindow");
    // The controller checks this too; a server built anyway stays empty.
    if (Ini::instance().hotKey.disable) return;
    registerBindings();
    watchKeyboard();
}

HotKeyServer::~HotKeyServer() {
    unwatchKeyboard();
    // Unregister while the window still exists, then let the window go.
    keys_.clear();
    window_.reset();
}

void HotKeyServer::watchKeyboard() {
    // Keyboard events of the whole session, also while another program has
    // the focus; without them every hot key counts as a press of its own.
    RAWINPUTDEVICE keyboard{kUsagePageGeneric, kUsageKeyboard, RIDEV_INPUTSINK, window_->hwnd()};
    watching_ = ::RegisterRawInputDevices(&keyboard, 1, sizeof(keyboard)) != FALSE;
}

void HotKeyServer::unwatchKeyboard() {
    if (!watching_) return;
    watching_ = false;
    // The registration is the process's: a newer server may have taken it over.
    UINT count = 0;
    if (::GetRegisteredRawInputDevices(nullptr, &count, sizeof(RAWINPUTDEVICE)) != 0 || count == 0) return;
    std::vector<RAWINPUTDEVICE> devices(count);
    if (::GetRegisteredRawInputDevices(devices.data(), &count, sizeof(RAWINPUTDEVICE)) == static_cast<UINT>(-1)) {
        return;
    }
    for (UINT i = 0; i < count; ++i) {
        const RAWINPUTDEVICE& d = devices[i];
        if (d.usUsagePage == kUsagePageGeneric && d.usUsage == kUsageKeyboard && d.hwndTarget == window_->hwnd()) {
            RAWINPUTDEVICE remove{kUsagePageGeneric, kUsageKeyboard, RIDEV_REMOVE, nullptr};
            ::RegisterRawInputDevices(&remove, 1, sizeof(remove));
        }
    }
}

void HotKeyServer::onRawInput(LPARAM input) {
    RAWINPUT data{};
    UINT size = sizeof(data);
    const UINT got =
        ::GetRawInputData(reinterpret_cast<HRAWINPUT>(input), RID_INPUT, &data, &size, sizeof(RAWINPUTHEADER));
    if (got == static_cast<UINT>(-1) || data.header.dwType != RIM_TYPEKEYBOARD) return;
    const RAWKEYBOARD& key = data.data.keyboard;
    // Only the bound keys are of interest; nothing else typed is kept.
    const bool bound = std::any_of(keys_.begin(), keys_.end(),
                                   [&](const KeyMap::value_type& k) { return k.second->vk() == key.VKey; });
    if (!bound) return;
    const auto time = static_cast<std::uint32_t>(::GetMessageTime());
    if (key.Flags & RI_KEY_BREAK) {
        repeats_.keyUp(key.VKey, time);
    } else {
        repeats_.keyDown(key.VKey, time);
    }
}

std::shared_ptr<HotKeyServer::HotKey> HotKeyServer::addKey(std::uint32_t mods, std::uint32_t vk,
                                                           const std::wstring& action) {
    const int id = nextId_++;
    auto key = std::make_shared<HotKey>(window_->hwnd(), id, mods, vk, action);
    keys_[id] = key;
    return key;
}

void HotKeyServer::registerBindings() {
    std::vector<std::wstring> failures;
    for (const auto& binding : Ini::instance().hotKeys) {
        if (binding.vk == 0) continue;
        const std::shared_ptr<HotKey> key = addKey(binding.mods, binding.vk, binding.action);
        if (!key || key->failed()) failures.push_back(HotKeyRules::actionDisplayName(binding.action));
    }
    const std::wstring message =
        HotKeyRules::failureMessage(Lang::instance().text(L"Error", L"HotkeyRegist"), failures);
    if (!message.empty()) Util::notify("HotkeyServer_InitError", message, NotifyWndInfo::kInformation);
}

void HotKeyServer::onHotKey(int id, std::uint32_t time) {
    const auto it = keys_.find(id);
    if (it == keys_.end()) return;
    // The action may end this server (the options sheet rebuilds the servers):
    // nothing of it is touched after the call.
    const std::wstring action = it->second->action();
    const std::uint32_t vk = it->second->vk();
    const std::string binding = "HotKey " + std::to_string(it->second->mods()) + "+" + std::to_string(vk);
    // A repeat that waited runs only while the key is still held.
    ActionOrigin::Scope scope(ActionOrigin(binding, repeats_.isRepeat(vk, time),
                                           [vk] { return (::GetAsyncKeyState(static_cast<int>(vk)) & 0x8000) != 0; }));
    ActionRunner::instance().runByName(action, true);
}

std::wstring HotKeyServer::displayName(std::uint32_t mods, std::uint32_t vk) {
    if (vk == 0) return Lang::instance().text(L"Others", L"HotkeyNothing");
    const UINT scanCode = ::MapVirtualKeyW(vk, 0);
    wchar_t name[kKeyNameLength] = L"";
    const int length = ::GetKeyNameTextW(HotKeyRules::keyNameParam(scanCode, vk), name, kKeyNameLength);
    return HotKeyRules::joinBinding(mods, std::wstring(name, length > 0 ? length : 0));
}

}  // namespace tavelapp

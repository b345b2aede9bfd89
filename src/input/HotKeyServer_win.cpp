#include "input/HotKeyServer.h"

#include <utility>
#include <vector>

#include "action/ActionRunner.h"
#include "app/AppException.h"
#include "app/NotifyWndInfo.h"
#include "app/Util.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "input/HotKeyRules.h"

namespace tavelapp {
namespace {

const wchar_t kClassName[] = L"Kolibrix_HotKey_EventHandlerWnd";
const int kKeyNameLength = 128;

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
        server_.onHotKey(static_cast<int>(wParam));
        return 0;
    }
    return defaultHandling(message, wParam, lParam);
}

HotKeyServer::HotKeyServer() {
    window_ = std::make_unique<EventHandlerWnd>(*this);
    if (!window_->exists()) throw AppException(L"HotkeyCreateWindow");
    // The controller checks this too; a server built anyway stays empty.
    if (Ini::instance().hotKey.disable) return;
    registerBindings();
}

HotKeyServer::~HotKeyServer() {
    // Unregister while the window still exists, then let the window go.
    keys_.clear();
    window_.reset();
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
        if (!binding || binding->vk == 0) continue;
        const std::shared_ptr<HotKey> key = addKey(binding->mods, binding->vk, binding->action);
        if (!key || key->failed()) failures.push_back(HotKeyRules::actionDisplayName(binding->action));
    }
    const std::wstring message =
        HotKeyRules::failureMessage(Lang::instance().text(L"Error", L"HotkeyRegist"), failures);
    if (!message.empty()) Util::notify("HotkeyServer_InitError", message, NotifyWndInfo::kInformation);
}

void HotKeyServer::onHotKey(int id) {
    const auto it = keys_.find(id);
    if (it == keys_.end()) return;
    // The action may end this server (the options sheet rebuilds the servers):
    // nothing of it is touched after the call.
    const std::wstring action = it->second->action();
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

#include <windows.h>

#include "action/ActionPluginDLL.h"
#include "action/ActionPluginMgr.h"
#include "win/util/Window.h"

namespace tavelapp {
namespace {

const wchar_t kClassName[] = L"tavelapp_ActionPluginMgr_EventHandlerWnd";

class EventHandlerWnd : public tavel::win::util::Window {
public:
    explicit EventHandlerWnd(ActionPluginMgr& manager) : manager_(manager) {
        registerClass(kClassName);
        create(kClassName, L"", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, nullptr);
    }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_USER) {
            manager_.onPluginMessage(static_cast<std::uintptr_t>(wParam), static_cast<std::intptr_t>(lParam));
            return 0;
        }
        if (message == WM_TIMER) return 0;
        return defaultHandling(message, wParam, lParam);
    }

private:
    ActionPluginMgr& manager_;
};

}  // namespace

void ActionPluginMgr::createWindow() {
    auto window = std::make_shared<EventHandlerWnd>(*this);
    window_ = window->hwnd();
    windowObject_ = window;
}

void ActionPluginMgr::destroyWindow() {
    windowObject_.reset();
    window_ = nullptr;
}

std::shared_ptr<ActionPlugin> ActionPluginMgr::loadLibrary(const std::wstring& path, int index) {
    return std::make_shared<ActionPluginDLL>(window_, index, path);
}

bool ActionPluginMgr::waitForActions(unsigned int ms) {
    const DWORD start = ::GetTickCount();
    for (const auto& plugin : plugins_) {
        auto* library = dynamic_cast<ActionPluginDLL*>(plugin.get());
        if (library == nullptr) continue;
        const DWORD spent = ::GetTickCount() - start;
        if (!library->waitForActions(spent < ms ? ms - spent : 0)) return false;
    }
    return true;
}

void ActionPluginMgr::endLibraries() {
    for (const auto& plugin : plugins_) {
        if (auto* library = dynamic_cast<ActionPluginDLL*>(plugin.get())) library->end();
    }
}

void postPluginNotification(void* window, int index, int code) {
    // Nothing to free when it fails: the manager's window is gone at exit only.
    ::PostMessageW(static_cast<HWND>(window), WM_USER, static_cast<WPARAM>(index), static_cast<LPARAM>(code));
}

}  // namespace tavelapp

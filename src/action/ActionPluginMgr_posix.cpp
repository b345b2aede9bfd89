#include "action/ActionPluginMgr.h"

namespace tavelapp {

// Off Windows there is no window: notifications reach the manager directly,
// and plug-in libraries (Windows DLLs) do not load.
void ActionPluginMgr::createWindow() { window_ = this; }
void ActionPluginMgr::destroyWindow() { window_ = nullptr; }

std::shared_ptr<ActionPlugin> ActionPluginMgr::loadLibrary(const std::wstring&, int) { return nullptr; }
bool ActionPluginMgr::waitForActions(unsigned int) { return true; }

void ActionPluginMgr::endLibraries() {}

void postPluginNotification(void* window, int index, int code) {
    if (window != nullptr)
        static_cast<ActionPluginMgr*>(window)->onPluginMessage(static_cast<std::uintptr_t>(index), code);
}

}  // namespace tavelapp

#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "action/ActionPlugin.h"

namespace tavelapp {

class ActionPluginMgr;

class ActionPluginMgrListener {
public:
    virtual void onActionPluginNotify(ActionPluginMgr& manager, const std::shared_ptr<ActionPlugin>& plugin,
                                      int code) = 0;

protected:
    ~ActionPluginMgrListener() = default;
};

// Owns every action plug-in, chooses the action target and dispatches named
// actions. Plug-ins report through the manager's hidden window (WM_USER,
// wParam = plug-in index, lParam = code).
class ActionPluginMgr {
public:
    enum Code { StateChanged0 = 0, StateChanged = 1, ObservationStarted = 2, ObservationEnded = 3 };

    // The one manager: its window, the player plug-in and the utilities.
    static ActionPluginMgr& instance();
    // The utilities (the program's own actions and the system's) belong to
    // the features they drive, a layer above: the program hands them in
    // before the manager is first used.
    using UtilityPlugins = std::vector<std::shared_ptr<ActionPlugin>> (*)();
    static void setUtilityPlugins(UtilityPlugins make);

    // For tests: a manager over the given plug-ins, without a window.
    explicit ActionPluginMgr(std::vector<std::shared_ptr<ActionPlugin>> plugins);
    ~ActionPluginMgr();
    ActionPluginMgr(const ActionPluginMgr&) = delete;
    ActionPluginMgr& operator=(const ActionPluginMgr&) = delete;

    void setListener(ActionPluginMgrListener* listener) { listener_ = listener; }
    // Loads a plug-in library and appends it.
    void addPlugin(const std::wstring& path);
    void addPlugin(const std::shared_ptr<ActionPlugin>& plugin);
    std::shared_ptr<ActionPlugin> findPlugin(const std::wstring& name) const;
    std::shared_ptr<ActionPlugin> getActionTarget() const;
    const std::vector<std::shared_ptr<ActionPlugin>>& plugins() const { return plugins_; }
    const std::vector<std::shared_ptr<ActionPlugin>>& playerPlugins() const { return playerPlugins_; }

    void startObservationAll();
    void endObservationAll();
    bool isObservingAll() const;

    // What a dispatch came to.
    enum class Outcome { Ran, NotAvailable, Cancelled, DoesNotExist };
    struct Result {
        Outcome outcome = Outcome::DoesNotExist;
        std::wstring targetName;  // of the plug-in that said the action is not available
    };
    // Runs the (lowered) action with the plug-in that should have it; shows the
    // failure notification when nothing ran.
    Result dispatch(const ActionListItemPtr& entry, const std::wstring& name, const std::vector<std::wstring>& params,
                    bool playSound);
    // Written on the main thread, read by change detection on workers.
    std::uint32_t lastDispatchTime() const { return lastDispatchTime_.load(); }

    // Waits up to ms for the plug-in libraries' running actions (at exit,
    // while the settings and the libraries still exist); true when all ended.
    bool waitForActions(unsigned int ms);
    // Ends every plug-in library (observation, then Terminate); at exit, on
    // the main thread, after their actions.
    void endLibraries();

    // A plug-in's notification, as it arrives at the window.
    void onPluginMessage(std::uintptr_t index, std::intptr_t code);
    void* window() const { return window_; }

private:
    ActionPluginMgr();
    void append(const std::shared_ptr<ActionPlugin>& plugin);
    bool runWith(ActionPlugin& plugin, const ActionListItemPtr& entry, const std::wstring& name,
                 const std::vector<std::wstring>& params, bool playSound, Result& result);

    // Platform parts: the window and the library loader.
    void createWindow();
    void destroyWindow();
    std::shared_ptr<ActionPlugin> loadLibrary(const std::wstring& path, int index);

    std::vector<std::shared_ptr<ActionPlugin>> plugins_;
    std::vector<std::shared_ptr<ActionPlugin>> playerPlugins_;
    void* window_ = nullptr;
    std::shared_ptr<void> windowObject_;  // the platform's window object, if any
    int nextIndex_ = 0;
    ActionPluginMgrListener* listener_ = nullptr;
    std::atomic<std::uint32_t> lastDispatchTime_{0};
};

// Posts a plug-in notification to the manager's window; off Windows it is
// handed to the manager at once.
void postPluginNotification(void* window, int index, int code);

}  // namespace tavelapp

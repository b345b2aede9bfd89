#include "action/ActionPluginMgr.h"

#include "action/ActionPluginITunes.h"
#include "action/ActionRunner.h"
#include "base/NotifyWndInfo.h"
#include "base/Util.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "player/PlayerHost.h"
#include "win/util/MainThread.h"
#include "win/util/System.h"

namespace tavelapp {

namespace {
std::atomic<ActionPluginMgr::UtilityPlugins> utilityPlugins{nullptr};
}  // namespace

ActionPluginMgr& ActionPluginMgr::instance() {
    static ActionPluginMgr manager;
    return manager;
}

void ActionPluginMgr::setUtilityPlugins(UtilityPlugins make) { utilityPlugins = make; }

ActionPluginMgr::ActionPluginMgr() {
    createWindow();
    append(std::make_shared<ActionPluginITunes>(window_, nextIndex_));
    if (UtilityPlugins make = utilityPlugins.load()) {
        for (const std::shared_ptr<ActionPlugin>& plugin : make())
            append(plugin);
    }
}

ActionPluginMgr::ActionPluginMgr(std::vector<std::shared_ptr<ActionPlugin>> plugins) {
    createWindow();
    for (auto& plugin : plugins)
        append(plugin);
}

ActionPluginMgr::~ActionPluginMgr() {
    // Plug-ins go before the window they post to.
    playerPlugins_.clear();
    plugins_.clear();
    destroyWindow();
}

void ActionPluginMgr::append(const std::shared_ptr<ActionPlugin>& plugin) {
    plugin->notifyWindow = window_;
    plugin->index = nextIndex_++;
    plugins_.push_back(plugin);
    if (!plugin->IsUtility()) playerPlugins_.push_back(plugin);
}

void ActionPluginMgr::addPlugin(const std::wstring& path) {
    if (std::shared_ptr<ActionPlugin> plugin = loadLibrary(path, nextIndex_)) append(plugin);
}

void ActionPluginMgr::addPlugin(const std::shared_ptr<ActionPlugin>& plugin) { append(plugin); }

std::shared_ptr<ActionPlugin> ActionPluginMgr::findPlugin(const std::wstring& name) const {
    for (const auto& plugin : plugins_) {
        if (plugin->GetName() == name) return plugin;
    }
    return nullptr;
}

std::shared_ptr<ActionPlugin> ActionPluginMgr::getActionTarget() const {
    // Workers ask too (change detection, notifications): the published settings.
    const std::wstring setting = Ini::snapshot()->actionTarget.id;
    if (setting != L"Auto") {
        if (auto plugin = findPlugin(setting)) return plugin;
    } else {
        for (const auto& plugin : plugins_) {
            if (!plugin->IsUtility() && plugin->IsPlayerRunning()) return plugin;
        }
    }
    return findPlugin(L"Player/iTunes");
}

void ActionPluginMgr::startObservationAll() {
    tavel::win::util::MainThread::check("ActionPluginMgr observation");
    for (const auto& plugin : plugins_) {
        if (!plugin->IsObserving()) plugin->StartObservation();
    }
}

void ActionPluginMgr::endObservationAll() {
    tavel::win::util::MainThread::check("ActionPluginMgr observation");
    for (const auto& plugin : plugins_) {
        if (plugin->IsObserving()) plugin->EndObservation();
    }
}

bool ActionPluginMgr::isObservingAll() const {
    for (const auto& plugin : plugins_) {
        if (!plugin->IsObserving()) return false;
    }
    return true;
}

bool ActionPluginMgr::runWith(ActionPlugin& plugin, const ActionListItemPtr& entry, const std::wstring& name,
                              const std::vector<std::wstring>& params, bool playSound, Result& result) {
    if (!plugin.IsActionAvailable(name)) {
        result.outcome = Outcome::NotAvailable;
        result.targetName = plugin.GetTargetName();
        return false;
    }
    if (playSound) ActionRunner::instance().playStartSound();
    plugin.RunAction(entry, name, params);
    result.outcome = Outcome::Ran;
    return true;
}

ActionPluginMgr::Result ActionPluginMgr::dispatch(const ActionListItemPtr& entry, const std::wstring& name,
                                                  const std::vector<std::wstring>& params, bool playSound) {
    // Dispatch runs on the main thread (the runner posts there). Of a library's
    // exports only IsPlayerRunning and GetCurrentPlayerState are also asked on
    // workers, by snapshots and change detection, as its documentation says.
    tavel::win::util::MainThread::check("ActionPluginMgr::dispatch");
    Result result;
    bool cancelled = false;
    const std::shared_ptr<ActionPlugin> target = getActionTarget();
    const bool targetHasIt = target && target->ActionExists(name);

    // Must this action leave a stopped player alone?
    bool keepPlayerDown = false;
    if (targetHasIt) {
        keepPlayerDown = target->IsPlayerAction(name);
    } else {
        for (const auto& plugin : plugins_) {
            if (plugin->ActionExists(name) && plugin->IsPlayerAction(name)) {
                keepPlayerDown = true;
                break;
            }
        }
    }
    keepPlayerDown = keepPlayerDown && Ini::instance().detail.disableBootITunes &&
                     !itunes::PlayerHost::instance().isRunning() && name != L"boot" && name != L"bootquit";

    if (targetHasIt) {
        if (keepPlayerDown && !target->IsUtility() && !target->IsPlayerRunning()) {
            cancelled = true;
        } else {
            runWith(*target, entry, name, params, playSound, result);
        }
    } else {
        for (const auto& plugin : plugins_) {
            if (!plugin->ActionExists(name)) continue;
            if (keepPlayerDown && !plugin->IsUtility() && !plugin->IsPlayerRunning()) {
                cancelled = true;
                continue;
            }
            runWith(*plugin, entry, name, params, playSound, result);
            break;
        }
    }
    lastDispatchTime_.store(tavel::win::util::tickCount());

    if (result.outcome != Outcome::Ran) {
        if (result.outcome != Outcome::NotAvailable && cancelled) result.outcome = Outcome::Cancelled;
        const wchar_t* key = result.outcome == Outcome::NotAvailable ? L"ActionIsNotAvailable"
                             : result.outcome == Outcome::Cancelled  ? L"CancelRunAction"
                                                                     : L"ActionDoesNotExist";
        // Started by bare name there is no display name: the name itself is what the user knows.
        const std::wstring shownName = entry ? entry->displayName() : name;
        Util::notify("cancelRunAction",
                     formatText(Lang::instance().text(L"Notification", key), shownName, result.targetName),
                     NotifyWndInfo::kInformation);
    }
    return result;
}

void ActionPluginMgr::onPluginMessage(std::uintptr_t index, std::intptr_t code) {
    for (const auto& plugin : plugins_) {
        if (static_cast<std::uintptr_t>(plugin->index) == index) {
            if (listener_ != nullptr) listener_->onActionPluginNotify(*this, plugin, static_cast<int>(code));
            return;
        }
    }
}

}  // namespace tavelapp

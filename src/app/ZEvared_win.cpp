#include "app/ZEvared.h"

#include <cstdlib>
#include <ctime>
#include <exception>
#include <vector>

#include "action/ActionList.h"
#include "base/ActionQueue.h"
#include "base/AppException.h"
#include "base/AppPaths.h"
#include "base/NotifyQueue.h"
#include "app/ControllerRules.h"
#include "app/NotifyDrain.h"
#include "app/TrayMenu.h"
#include "res/resource.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "config/LossNotice.h"
#include "base/RunningThreads.h"
#include "feature/BackupThread.h"
#include "feature/ClockTimer.h"
#include "feature/CountdownTimerIni.h"
#include "feature/EventAction.h"
#include "feature/ExitSystem.h"
#include "feature/InterruptPlay.h"
#include "player/PlayTrackByID.h"
#include "player/PlayerHost.h"
#include "notify/PlayerStateFactory.h"
#include "input/HotKeyServer.h"
#include "input/IRServer.h"
#include "input/JoyServer.h"
#include "input/WiimoteMgr.h"
#include "input/WiimoteServer.h"
#include "notify/NotifyThreads.h"
#include "notify/NotifyWndSkinMgr.h"
#include "option/OptionSheet.h"
#include "option/PairingDlg.h"
#include "web/ProgramBackend.h"
#include "web/WebServer.h"
#include "notify/ChangeDetector.h"
#include "win/file/File.h"
#include "win/util/CallbackGuard.h"
#include "win/util/Com.h"
#include "win/util/MainThread.h"
#include "win/util/System.h"

namespace tavelapp {
namespace {

using tavel::win::util::MainThread;

const unsigned int kSoonMs = 200;
// The live controller, set and cleared on the main thread: work posted from
// workers finds it there, or finds it gone.
ZEvared* liveController = nullptr;
const unsigned int kBackupDelayMs = 600000;

// The first two snapshots, made without the main thread: a player that shows
// a dialog answers nobody for minutes, and the tray icon and the hot keys
// must be up meanwhile. Change detection waits for them under the factory lock.
void takeFirstCaptures() {
    PlayerStateFactory::StatePtr latest;
    {
        PlayerStateFactory::Guard guard;
        PlayerStateFactory& factory = PlayerStateFactory::instance();
        factory.reset();
        latest = factory.latest();
    }
    const bool posted = MainThread::post([latest] {
        if (ZEvared* controller = ZEvared::live()) controller->updateToolTip(*latest);
    });
    // Not posted: the program is ending and has no tool tip left to set.
    static_cast<void>(posted);
}

// Waits for a player that does not answer yet, on a thread of its own.
class FirstCapturesThread : public Thread {
protected:
    int run() override {
        tavel::win::util::ComApartment com;
        takeFirstCaptures();
        return 0;
    }
};

// The first job of the action queue, queued before the hot keys exist: a key
// pressed at once finds the state from before it, for its action waits its
// turn. A player that does not answer is waited for off the queue instead.
void firstCapturesJob(bool run) {
    if (!run) return;
    // Nothing may leave a worker's job; the next detection captures.
    tavel::win::util::guarded("first captures", [] {
        itunes::PlayerHost& host = itunes::PlayerHost::instance();
        if (host.isRunning() && !host.answersNow()) {
            // Handed over once: that thread waits with the connection's pauses,
            // where queueing this job again would spin.
            runningThreads().start(std::make_shared<FirstCapturesThread>());
            return;
        }
        takeFirstCaptures();
    });
}

// The notification queue was armed, on any thread: the live controller's
// drain decides when it is shown. One still being made shows the queue once
// it is up (this is handed in only while a controller exists).
void armNotifyDrain() {
    const bool posted = MainThread::run([] {
        if (ZEvared* controller = ZEvared::live()) controller->notifyArmed();
    });
    if (!posted) static_cast<void>(NotifyQueue::instance().take());
}

// Every change of track, the interrupt-play ones too, flashes the remote.
void lightWiimote() {
    if (WiimoteMgr::instance().isLoaded())
        WiimoteMgr::requestEffect(WiimoteRules::trackChangeEffect(tavel::win::util::tickCount()));
}

// What follows a change of the player, on the worker that found it: it
// needs nothing of the controller, so no worker ever waits for it, and the
// main thread only gets what it must show.
class PlayerChanges : public Util::ChangeListener {
public:
    void onTrackChanged(const PlayerState& state) override {
        auto copy = std::make_shared<const PlayerState>(state);
        static_cast<void>(MainThread::post([copy] {
            if (ZEvared* controller = ZEvared::live()) controller->updateToolTip(*copy);
        }));
        const InterruptPlay::Outcome outcome = ControllerRules::onTrackChanged(
            state, InterruptPlay::instance(), EventAction::instance(), [](const InterruptPlay::Item& item) {
                // Found again by its texts: the library file's track IDs are not the player's.
                itunes::PlayTrackByID::Target target;
                target.name = item.name;
                target.album = item.album;
                target.artist = item.artist;
                target.playlistName = item.playlistName;
                runningThreads().start(std::make_shared<itunes::PlayTrackByID>(target));
            });
        // Interrupt play's notice stands for the track notification.
        if (outcome != InterruptPlay::Outcome::Nothing) {
            Util::notify("InterruptPlay_Handled", InterruptPlay::noticeText(outcome), NotifyWndInfo::kInformation);
        } else if (Ini::snapshot()->notify.notifyTrack) {
            showTrackNotification();
        }
        lightWiimote();
    }
    void onPlayerStateChanged(const PlayerState& state) override {
        EventAction::instance().onPlayerStateChanged(state);
    }
};

}  // namespace

ZEvared::Servers::~Servers() {
    web.reset();
    wiimote.reset();
    joy.reset();
    irCom.reset();
    hotKey.reset();
}

ZEvared* ZEvared::live() {
    MainThread::check("ZEvared::live");
    return liveController;
}

ZEvared::ZEvared() {
    std::srand(static_cast<unsigned int>(std::time(nullptr)));
    static PlayerChanges playerChanges;
    Util::setChangeListener(&playerChanges);
    Util::setDrainArm(&armNotifyDrain);
    // Same-key windows replace each other unless they are to stack.
    Util::setSameKeyReplaces([] { return !Ini::snapshot()->notify.arrowContinuousNotify; });
    ChangeDetector::setSnapshotListener(&WebServer::snapshotTaken);
    observationTimer_.setListener(this);
    backupTimer_.setListener(this);

    trayIcon_ = std::make_shared<TrayIcon>();
    trayIcon_->setListener(this);

    Ini& settings = Ini::instance();
    settings.load();
    Lang::instance().reload();
    WiimoteMgr::instance().load();
    ClockTimerIni::instance().load();
    if (ClockTimerIni::instance().alwaysEnabled) ClockTimer::instance().start();
    CountdownTimerIni::instance().load();
    EventActionIni::instance().load();
    ActionList::instance().load();

    checkObservationSoon();
    notifyWndMgr_.setListener(this);
    NotifyWndSkinMgr::instance().load(settings.skin.id);

    if (tavel::win::file::File(AppPaths::programFolder() + L"\\brunvelt.dll").exists()) {
        Util::notify("", AppException(L"OldVersionInstalled").text(), NotifyWndInfo::kWarning);
    }

    // Made here without asking the player; both snapshots are filled on a
    // worker, so the first change detection compares real states.
    PlayerStateFactory::instance();
    if (ActionQueue::actions().submit(&firstCapturesJob) != ActionQueue::Admission::Queued)
        runningThreads().start(std::make_shared<FirstCapturesThread>());

    createServers();
    // Published last: nothing reaches a controller that is half made.
    liveController = this;
    Util::setController(this);
    ActionPluginMgr::instance().setListener(this);
    ActionRunner::instance().setListener(this);
    // What the start had to say waited for the controller; shown from the
    // message loop, once the owner listens.
    if (NotifyQueue::instance().size() > 0) {
        static_cast<void>(MainThread::post([] {
            if (ZEvared* controller = live()) controller->notifyArmed();
        }));
    }
    runStartupOrEndupAction(settings.detail.startupAction);

    trayImage_.reset(static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    trayIcon_->setIcon(trayImage_.get());
    trayIcon_->updateIcon();
    trayIcon_->addIcon();
    updateToolTip(*PlayerStateFactory::instance().latest());

    if (settings.detail.backupEnabled && !backupTimerStarted_) {
        static_cast<void>(backupTimer_.start(kBackupDelayMs));
        backupTimerStarted_ = true;
    }
}

void ZEvared::beginExit() {
    if (exiting_) return;
    exiting_ = true;
    if (trayIcon_) {
        trayIcon_->setListener(nullptr);
        trayIcon_.reset();
    }
    trayImage_.reset();
    saveSettings();
}

ZEvared::~ZEvared() {
    // Nothing from a worker may reach the tray icon while it goes: the icon's
    // users run on this thread and find the controller gone first.
    liveController = nullptr;
    beginExit();

    runStartupOrEndupAction(Ini::instance().detail.endupAction);
    // Exit chosen during a shutdown countdown: the countdown goes with the controller.
    closeExitSystemDlg();

    observationTimer_.setListener(nullptr);
    backupTimer_.setListener(nullptr);
    notifyWndMgr_.setListener(nullptr);
    ActionRunner::instance().setListener(nullptr);
    ActionPluginMgr::instance().setListener(nullptr);
    Util::setController(nullptr);
    // Both live on; a worker that found them a moment ago still may use them.
    Util::setChangeListener(nullptr);
    Util::setDrainArm(nullptr);
    Util::setSameKeyReplaces(nullptr);
    // Nobody is left to show what still waits.
    static_cast<void>(NotifyQueue::instance().take());
    listener_ = nullptr;
    releaseServers();

    WiimoteMgr::instance().unload();
    endObservation();
}

void ZEvared::saveSettings() {
    BackupThread::keepBackupTime(Ini::instance());
    Ini::publish();
    LossNotice::save(Ini::instance());
}

namespace {

// A server that cannot start is told and left out; the others run. Any
// failure counts: a thread the system refused throws no AppException.
template <typename Make>
void startServer(const char* key, Make make) {
    try {
        make();
    } catch (const AppException& e) {
        if (key != nullptr) Util::notify(key, e.text(), NotifyWndInfo::kWarning);
    } catch (const std::exception&) {
        if (key != nullptr) Util::notify(key, AppException(L"ServerNotStarted").text(), NotifyWndInfo::kWarning);
    }
}

}  // namespace

void ZEvared::createServers() {
    const Ini& settings = Ini::instance();
    if (settings.detail.disable) {
        Util::notify("Notify_AppIsDisabled", Lang::instance().text(L"Notification", L"AppIsDisabled"),
                     NotifyWndInfo::kInformation);
        return;
    }
    // The input servers join their slots as they are built; a failing one stays
    // empty and reports itself, the others run.
    servers_ = std::make_shared<Servers>();
    if (!settings.hotKey.disable) {
        // No window, no hot keys; keys that failed the server reports itself.
        startServer("HotKeyServer_InitError", [this] { servers_->hotKey = std::make_shared<HotKeyServer>(); });
    }
    if (!settings.joy.disable) {
        startServer("JoyServer_InitError", [this] {
            servers_->joy = std::make_shared<JoyServer>();
            // It waits for the controller to be plugged in; the user hears why nothing answers yet.
            if (!servers_->joy->connected()) {
                Util::notify("JoyServer_InitError", AppException(L"JoyInitialize").text(), NotifyWndInfo::kWarning);
            }
        });
    }
    if (!settings.irCom.disable) {
        startServer("IRServer_InitError", [this] { servers_->irCom = std::make_shared<IRServer>(); });
    }
    if (settings.webRemote.port != 0) {
        startServer("WebServer_InitError", [this] { servers_->web = std::make_shared<WebServer>(); });
    }
    restartWiimoteServer();
}

void ZEvared::releaseServers() { servers_.reset(); }

void ZEvared::restartWiimoteServer() {
    if (!servers_) return;
    servers_->wiimote.reset();
    if (Ini::instance().wiimote.disable) return;
    startServer("WiimoteServer_InitError", [this] { servers_->wiimote = std::make_shared<WiimoteServer>(); });
}

void ZEvared::runStartupOrEndupAction(const std::wstring& value) {
    const ControllerRules::SettingAction action = ControllerRules::resolveSettingAction(value, false);
    if (action.kind == ControllerRules::SettingAction::Run) runActionByName(action.name, false);
}

void ZEvared::runTrayAction(const std::wstring& value) {
    const ControllerRules::SettingAction action = ControllerRules::resolveSettingAction(value, true);
    if (action.kind == ControllerRules::SettingAction::ShowOption) {
        showOption();
    } else if (action.kind == ControllerRules::SettingAction::Run) {
        runActionByName(action.name, false);
    }
}

void ZEvared::runActionByName(const std::wstring& name, bool playSound) {
    ActionRunner::instance().runByName(name, playSound);
}

void ZEvared::showOption() {
    if (optionOpen_ || OptionSheet::exists()) return;
    optionOpen_ = true;
    // No input may run an action while its bindings are being edited, and the
    // capture dialogs use the devices themselves.
    releaseServers();
    Ini& settings = Ini::instance();
    // The sheet edits a copy and its preview draws with that: the live
    // settings change here, once, when there is something to keep.
    const std::wstring languageBefore = settings.lang.id;
    bool keep = false;
    // The sheet could not be shown: nothing changed.
    tavel::win::util::guarded("options sheet", [&] {
        OptionSheet sheet(settings);
        if (sheet.show(::GetActiveWindow())) {
            settings = sheet.result();
            Ini::publish();
            keep = true;
        }
    });
    if (keep) {
        saveSettings();
        if (settings.lang.id != languageBefore) Lang::instance().reload();
    }
    NotifyWndSkinMgr::instance().load(settings.skin.id);
    optionOpen_ = false;
    createServers();
    if (OptionSheet::takePairingAsked()) showPairing(std::string());
}

void ZEvared::showPairing(const std::string& requester) {
    // The options sheet holds the servers released; it asks again as it closes.
    if (optionOpen_) return;
    if (!servers_) {
        notify("Notify_AppIsDisabled", Lang::instance().text(L"Notification", L"AppIsDisabled"), nullptr,
               NotifyWndInfo::kInformation);
        return;
    }
    Ini& settings = Ini::instance();
    unsigned turnedOn = 0;
    if (!servers_->web) {
        if (settings.webRemote.port == 0) {
            settings.webRemote.port = WebServer::kSuggestedPort;
            Ini::publish();
            saveSettings();
            turnedOn = WebServer::kSuggestedPort;
        }
        try {
            servers_->web = std::make_shared<WebServer>();
        } catch (const AppException& e) {
            notify("WebServer_InitError", e.text(), nullptr, NotifyWndInfo::kWarning);
            return;
        }
    }
    PairingDlg::show(requester, turnedOn);
}

void ZEvared::updateToolTip(const PlayerState& state) {
    MainThread::check("ZEvared::updateToolTip");
    std::shared_ptr<ActionPlugin> target = ActionPluginMgr::instance().getActionTarget();
    const bool observing = target && target->IsObserving();
    if (TrayIcon* icon = trayIcon_.get()) icon->setTip(ControllerRules::toolTipText(state, observing));
}

void ZEvared::onLButtonDblClk(TrayIcon&) { runTrayAction(Ini::instance().detail.trayIconAction); }

void ZEvared::onRButtonUp(TrayIcon& icon) {
    TrayMenu menu(*this);
    menu.show(icon.hwnd());
}

void ZEvared::onMButtonDown(TrayIcon&) { runTrayAction(Ini::instance().detail.trayIconWheelClickAction); }

void ZEvared::notify(const std::string& key, const std::wstring& text, const PicturePtr& picture, int kind) {
    MainThread::check("ZEvared::notify");
    NotifyWndInfo info;
    info.messageKey = key;
    info.text = text;
    info.picture = picture;
    info.kind = kind;
    info.displayTime = ControllerRules::displayTimeFor(key, *Ini::snapshot());
    if (listener_ != nullptr) {
        listener_->showNotifyWnd(*this, info);
    } else {
        showNotifyWndDirect(info);
    }
}

void ZEvared::notifyArmed() { notifyDrain_.armed(); }

void ZEvared::checkObservationSoon() {
    if (observationArmed_.exchange(true)) return;
    if (!observationTimer_.start(kSoonMs)) observationArmed_ = false;
}

void ZEvared::onTimer(tavel::win::timer::Timer& timer) {
    timer.stop();
    if (&timer == &observationTimer_) {
        observationArmed_ = false;
        observationCheck();
    } else if (&timer == &backupTimer_) {
        // Fires once per run; the thread decides whether a set is due.
        runningThreads().start(std::make_shared<BackupThread>());
    }
}

void ZEvared::observationCheck() {
    if (Ini::instance().detail.disable) return;
    ActionPluginMgr& manager = ActionPluginMgr::instance();
    manager.startObservationAll();
    if (!manager.isObservingAll()) restartObservationTimer();
}

void ZEvared::restartObservationTimer() {
    const unsigned int delay = ControllerRules::observationRetryMs(Ini::instance().detail.synchroTime);
    if (delay == 0 || observationArmed_.exchange(true)) return;
    if (!observationTimer_.start(delay)) observationArmed_ = false;
}

void ZEvared::onActionFinished(ActionRunner&) { checkObservationSoon(); }

void ZEvared::onActionPluginNotify(ActionPluginMgr&, const std::shared_ptr<ActionPlugin>& plugin, int code) {
    switch (code) {
        case ActionPluginMgr::StateChanged0:
        case ActionPluginMgr::StateChanged:
            if (!servers_) return;
            ActionRunner::instance().notifyChanges();
            if (listener_ != nullptr) {
                if (code == ActionPluginMgr::StateChanged0) {
                    listener_->onPluginChange0(*this);
                } else {
                    listener_->onPluginChange1(*this);
                }
            }
            return;
        case ActionPluginMgr::ObservationEnded:
        case ActionPluginMgr::ObservationStarted:
            if (code == ActionPluginMgr::ObservationEnded) {
                restartObservationTimer();
                // The player went: no detection follows, so its followers are told here.
                ChangeDetector::publish(std::make_shared<const PlayerState>());
            } else {
                // The player is back, maybe idle with no event to come: a fresh
                // snapshot replaces the empty one at once.
                ChangeDetector::requestSoon();
            }
            if (Ini::instance().detail.notifyObservationState) {
                const wchar_t* key =
                    code == ActionPluginMgr::ObservationStarted ? L"StartObservation" : L"EndObservation";
                std::wstring player = plugin->GetTargetName();
                if (player.empty()) player = plugin->GetName();
                Util::notify("Notify_ITunesObservation",
                             formatText(Lang::instance().text(L"Notification", key), player),
                             NotifyWndInfo::kInformation);
            }
            return;
        default:
            return;
    }
}

void ZEvared::showNotifyWndDirect(const NotifyWndInfo& info) {
    notifyWndMgr_.show(info.messageKey, info.text, info.picture, info.kind, info.displayTime);
}

void ZEvared::onNotifyWndEvent(NotifyWndMgr&, NotifyWnd& window, int event) {
    if (event != 1 || !servers_) return;
    // A device asks to pair: the click is the PC's user saying yes.
    const std::string& key = window.key();
    const std::string ask = ProgramBackend::kPairAskKey;
    if (key.compare(0, ask.size(), ask) == 0) {
        showPairing(key.substr(ask.size()));
        return;
    }
    const Ini& settings = Ini::instance();
    if (!settings.notify.runClickActionOnlyTrackNotify || window.key() == "track") {
        runActionByName(settings.notify.clickAction, true);
    }
}

void ZEvared::endObservation() { ActionPluginMgr::instance().endObservationAll(); }

}  // namespace tavelapp

#pragma once
#include <atomic>
#include <memory>
#include <string>

#include "action/ActionPluginMgr.h"
#include "action/ActionRunner.h"
#include "app/NotifyDrain.h"
#include "app/TrayIcon.h"
#include "base/NotifyWndInfo.h"
#include "base/Util.h"
#include "notify/NotifyWndMgr.h"
#include "win/timer/Timer.h"
#include "win/util/Handle.h"

namespace tavelapp {

class HotKeyServer;
class IRServer;
class JoyServer;
class WiimoteServer;
class WebServer;

// The controller: loads the settings, owns the input servers, marshals
// notifications onto the main thread and keeps observation going. Lives exactly
// as long as the application window's object.
class ZEvared : public Util::UtilListener,
                public ActionRunner::ActionRunnerListener,
                public NotifyWndMgr::NotifyWndMgrListener,
                public tavel::win::timer::Timer::Listener,
                public TrayIcon::TrayIconListener,
                public ActionPluginMgrListener {
public:
    using NotifyWndInfo = tavelapp::NotifyWndInfo;

    // The owner (the application window).
    class ZEvaredListener {
    public:
        virtual void showNotifyWnd(ZEvared& controller, const NotifyWndInfo& info) = 0;
        virtual void onPluginChange0(ZEvared& controller) = 0;
        virtual void onPluginChange1(ZEvared& controller) = 0;

    protected:
        ~ZEvaredListener() = default;
    };

    // Input servers; each slot stays empty when its input is off or failed to start.
    class Servers {
    public:
        Servers() = default;
        Servers(const Servers&) = delete;
        Servers& operator=(const Servers&) = delete;
        // The web remote goes first, then the Wii remote, game controller, infrared and hot keys.
        ~Servers();

        std::shared_ptr<HotKeyServer> hotKey;
        std::shared_ptr<IRServer> irCom;
        std::shared_ptr<JoyServer> joy;
        std::shared_ptr<void> reserved;  // kept empty
        std::shared_ptr<WiimoteServer> wiimote;
        std::shared_ptr<WebServer> web;
    };

    ZEvared();
    ~ZEvared() override;
    // The controller while it lives; main thread only.
    static ZEvared* live();
    ZEvared(const ZEvared&) = delete;
    ZEvared& operator=(const ZEvared&) = delete;

    void setListener(ZEvaredListener* listener) { listener_ = listener; }

    // Util::UtilListener, on the main thread: a drained request is shown now.
    void notify(const std::string& key, const std::wstring& text, const PicturePtr& picture, int kind) override;
    void checkObservationSoon() override;
    void restartWiimoteServer() override;
    void showOption() override;
    // Opens the pairing window (for the device at `requester`, when one
    // asked), turning the web remote on at the suggested port if it is off.
    void showPairing(const std::string& requester);

    // The notification queue was armed: shown now or at its window's end.
    void notifyArmed();

    // Shows a drained request; the owner hands requests back here.
    void showNotifyWndDirect(const NotifyWndInfo& info);

    bool enabled() const { return servers_ != nullptr; }
    bool backupTimerStarted() const { return backupTimerStarted_; }

    // The first steps of the exit, before the quit message and the time
    // bound: the tray icon goes and the settings are saved (a failure is told
    // while a message box can still be seen). Once; the destructor does the rest.
    void beginExit();
    bool exiting() const { return exiting_; }

    // Tells the player plug-ins to end observation (session end).
    void endObservation();
    // Writes Option.ini now (the session ends; tray choices must not be lost).
    void saveSettings();

    // TrayIcon::TrayIconListener
    void onLButtonDblClk(TrayIcon& icon) override;
    void onRButtonUp(TrayIcon& icon) override;
    void onMButtonDown(TrayIcon& icon) override;
    TrayIcon* trayIcon() const { return trayIcon_.get(); }
    // The tool tip for a snapshot: the playlist, rating and track while observed.
    void updateToolTip(const PlayerState& state);

    // Runs TrayIconAction / TrayIconWheelClickAction ("showoption" opens the options).
    void runTrayAction(const std::wstring& value);

    void onActionFinished(ActionRunner& runner) override;
    void onNotifyWndEvent(NotifyWndMgr& manager, NotifyWnd& window, int event) override;
    NotifyWndMgr& notifyWndMgr() { return notifyWndMgr_; }
    void onActionPluginNotify(ActionPluginMgr& manager, const std::shared_ptr<ActionPlugin>& plugin, int code) override;

protected:
    void onTimer(tavel::win::timer::Timer& timer) override;

private:
    void createServers();
    void releaseServers();
    void runStartupOrEndupAction(const std::wstring& value);
    void restartObservationTimer();
    void runActionByName(const std::wstring& name, bool playSound);
    void observationCheck();

    std::shared_ptr<Servers> servers_;
    ZEvaredListener* listener_ = nullptr;
    tavel::win::timer::Timer observationTimer_;
    // Set while the observation timer runs: asked again meanwhile, it is not
    // pushed back (the actions of a held key would starve it).
    std::atomic<bool> observationArmed_{false};
    tavel::win::timer::Timer backupTimer_;
    bool backupTimerStarted_ = false;
    bool exiting_ = false;
    NotifyDrain notifyDrain_;
    NotifyWndMgr notifyWndMgr_;
    std::shared_ptr<TrayIcon> trayIcon_;
    tavel::win::util::Icon trayImage_;
    bool optionOpen_ = false;
};

}  // namespace tavelapp

#pragma once
#include <memory>

#include "app/CommandChannel.h"
#include "app/ZEvared.h"
#include "win/util/Window.h"

namespace tavelapp {

// The hidden top-level window that owns the controller.
class AppWnd : public tavel::win::util::Window,
               public ZEvared::ZEvaredListener,
               public CommandChannel::CommandChannelListener {
public:
    // Class names start with this, followed by a generated part.
    static const wchar_t kClassPrefix[];

    AppWnd() = default;
    ~AppWnd() override;

    bool create();
    ZEvared* controller() const { return controller_; }
    // The message loop ended: the tray icon goes and the settings are saved.
    void beginExit();

    // ZEvared::ZEvaredListener
    void showNotifyWnd(ZEvared& controller, const NotifyWndInfo& info) override;
    void onPluginChange0(ZEvared& controller) override;
    void onPluginChange1(ZEvared& controller) override;

    // CommandChannel::CommandChannelListener: the command line is the local
    // user, so every action may run, as from the tray.
    int onCommandRequest(const CommandRequest& request) override;

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    ZEvared* controller_ = nullptr;
    std::shared_ptr<ZEvared> controllerOwner_;
};

}  // namespace tavelapp

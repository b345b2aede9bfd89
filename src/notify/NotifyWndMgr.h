#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "base/Picture.h"
#include "config/Ini.h"
#include "notify/NotifyDesktop.h"
#include "notify/NotifyWnd.h"
#include "win/util/Window.h"

namespace tavelapp {

class NotifyWndSkinMgr;

// Creates the notification windows, replaces an older one of the same key and
// stacks the open ones in the corner of the work area. Main thread only.
class NotifyWndMgr : public NotifyWnd::NotifyWndListener {
public:
    class NotifyWndMgrListener {
    public:
        virtual void onNotifyWndEvent(NotifyWndMgr& manager, NotifyWnd& window, int event) = 0;

    protected:
        ~NotifyWndMgrListener() = default;
    };

    // Never shown; it owns every notification window so none shows in the taskbar.
    class DummyParentWnd : public tavel::win::util::Window {
    public:
        static const wchar_t kClassName[];
        bool create();
    };

    using WindowList = std::vector<std::shared_ptr<NotifyWnd>>;

    NotifyWndMgr();
    // Monitors, taskbar and quiet state from `desktop` instead of the system.
    explicit NotifyWndMgr(std::shared_ptr<const NotifyDesktop> desktop);
    NotifyWndMgr(const NotifyWndMgr&) = delete;
    NotifyWndMgr& operator=(const NotifyWndMgr&) = delete;
    virtual ~NotifyWndMgr();

    void setListener(NotifyWndMgrListener* listener) { listener_ = listener; }

    // From now on new windows draw with `settings` and the skin they name
    // instead of the published settings and the current skin (the options
    // preview): the live ones stay as they are.
    void useOwnLook(std::shared_ptr<const Settings> settings);

    // Nothing is shown (and nothing kept for later) while the desktop is quiet:
    // a full-screen program, a presentation, a locked screen.
    void show(const std::string& key, const std::wstring& text, const PicturePtr& picture, int kind, int displayTime);
    void layout();
    // The monitor work area and DPI notifications use now.
    NotifyPlacement::Place place() const;

    // In stacking order, first nearest the screen corner; closed ones stay until the next show.
    const WindowList& windows() const { return windows_; }
    HWND parentWindow() const { return parent_.hwnd(); }

    void onNotifyWndEvent(NotifyWnd& window, int event) override;

private:
    // What the next window draws with.
    std::shared_ptr<const Settings> settings() const;
    NotifyWndSkinMgr& skins();

    std::shared_ptr<const NotifyDesktop> desktop_;
    std::shared_ptr<const Settings> ownSettings_;
    std::unique_ptr<NotifyWndSkinMgr> ownSkins_;
    NotifyWndMgrListener* listener_ = nullptr;
    DummyParentWnd parent_;
    WindowList windows_;
};

}  // namespace tavelapp

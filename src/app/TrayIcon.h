#pragma once
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <mutex>
#include <string>

namespace tavelapp {

// The icon in the taskbar notification area: kept there when the shell
// restarts, its tool tip kept current, its mouse events reported.
class TrayIcon {
public:
    static const UINT kCallbackMessage = WM_USER + 1;

    class TrayIconListener {
    public:
        virtual void onLButtonDown(TrayIcon&) {}
        virtual void onLButtonUp(TrayIcon&) {}
        virtual void onLButtonDblClk(TrayIcon&) {}
        virtual void onRButtonDown(TrayIcon&) {}
        virtual void onRButtonUp(TrayIcon&) {}
        virtual void onRButtonDblClk(TrayIcon&) {}
        virtual void onMButtonDown(TrayIcon&) {}
        virtual void onMButtonUp(TrayIcon&) {}
        virtual void onMButtonDblClk(TrayIcon&) {}
        virtual void onMouseMove(TrayIcon&) {}

    protected:
        ~TrayIconListener() = default;
    };

    TrayIcon();
    virtual ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    void setListener(TrayIconListener* listener) { listener_ = listener; }
    void setIcon(HICON icon) { record_.hIcon = icon; }
    bool addIcon();
    void updateIcon();
    // Cut to 63 characters, the record's limit.
    void setTip(const std::wstring& text);
    std::wstring tip() const {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        return record_.szTip;
    }
    bool added() const { return added_; }
    HWND hwnd() const;
    // How often the icon was added (the shell restarting adds it again).
    int additions() const { return additions_; }

    class EventHandlerWnd;

private:
    void onCallback(LPARAM mouseMessage);
    friend class EventHandlerWnd;

    TrayIconListener* listener_ = nullptr;
    std::shared_ptr<EventHandlerWnd> window_;
    mutable std::recursive_mutex lock_;  // the tool tip is also set from worker threads
    NOTIFYICONDATAW record_{};
    bool added_ = false;
    int additions_ = 0;
};

}  // namespace tavelapp

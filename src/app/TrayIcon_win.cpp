#include "app/TrayIcon.h"

#include <cwchar>

#include "win/util/MainThread.h"
#include "win/util/Window.h"

namespace tavelapp {
namespace {
const wchar_t kClassName[] = L"tavelapp_TrayIcon_EventHandlerWnd";
// The first-version record: what every shell understands.
const DWORD kRecordSize = 152;
}  // namespace

class TrayIcon::EventHandlerWnd : public tavel::win::util::Window {
public:
    explicit EventHandlerWnd(TrayIcon& owner) : owner_(owner) {
        registerClass(kClassName);
        create(kClassName, L"", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, nullptr);
    }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) {
            taskbarCreated_ = ::RegisterWindowMessageW(L"TaskbarCreated");
            return 0;
        }
        if (message == TrayIcon::kCallbackMessage) {
            owner_.onCallback(lParam);
            return 0;
        }
        if (taskbarCreated_ != 0 && message == taskbarCreated_) {
            owner_.addIcon();
            return 1;
        }
        if (message == WM_CLOSE) return 0;
        return defaultHandling(message, wParam, lParam);
    }

private:
    TrayIcon& owner_;
    UINT taskbarCreated_ = 0;
};

TrayIcon::TrayIcon() : window_(std::make_shared<EventHandlerWnd>(*this)) {
    record_.cbSize = kRecordSize;
    record_.hWnd = window_->hwnd();
    record_.uID = 0;
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record_.uCallbackMessage = kCallbackMessage;
}

TrayIcon::~TrayIcon() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (added_) ::Shell_NotifyIconW(NIM_DELETE, &record_);
    window_.reset();
}

HWND TrayIcon::hwnd() const { return window_->hwnd(); }

bool TrayIcon::addIcon() {
    tavel::win::util::MainThread::check("TrayIcon::addIcon");
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (added_) ::Shell_NotifyIconW(NIM_DELETE, &record_);
    record_.cbSize = kRecordSize;
    record_.hWnd = window_->hwnd();
    record_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record_.uCallbackMessage = kCallbackMessage;
    added_ = ::Shell_NotifyIconW(NIM_ADD, &record_) != FALSE;
    ++additions_;
    return added_;
}

void TrayIcon::updateIcon() {
    tavel::win::util::MainThread::check("TrayIcon::updateIcon");
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (added_) ::Shell_NotifyIconW(NIM_MODIFY, &record_);
}

void TrayIcon::setTip(const std::wstring& text) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    std::size_t length = text.size() < 63 ? text.size() : 63;
    // Never keep half of a surrogate pair.
    if (length == 63 && text[62] >= 0xD800 && text[62] <= 0xDBFF) --length;
    std::wmemcpy(record_.szTip, text.data(), length);
    record_.szTip[length] = L'\0';
    updateIcon();
}

void TrayIcon::onCallback(LPARAM mouseMessage) {
    if (listener_ == nullptr) return;
    switch (static_cast<UINT>(mouseMessage)) {
        case WM_LBUTTONDOWN:
            listener_->onLButtonDown(*this);
            break;
        case WM_LBUTTONUP:
            listener_->onLButtonUp(*this);
            break;
        case WM_LBUTTONDBLCLK:
            listener_->onLButtonDblClk(*this);
            break;
        case WM_RBUTTONDOWN:
            listener_->onRButtonDown(*this);
            break;
        case WM_RBUTTONUP:
            listener_->onRButtonUp(*this);
            break;
        case WM_RBUTTONDBLCLK:
            listener_->onRButtonDblClk(*this);
            break;
        case WM_MBUTTONDOWN:
            listener_->onMButtonDown(*this);
            break;
        case WM_MBUTTONUP:
            listener_->onMButtonUp(*this);
            break;
        case WM_MBUTTONDBLCLK:
            listener_->onMButtonDblClk(*this);
            break;
        case WM_MOUSEMOVE:
            listener_->onMouseMove(*this);
            break;
        default:
            break;
    }
}

}  // namespace tavelapp

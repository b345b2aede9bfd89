#include "win/timer/Timer.h"

#include <windows.h>

#include <atomic>
#include <map>
#include <memory>

#include "win/util/Window.h"

namespace tavel {
namespace win {
namespace timer {
namespace {

const wchar_t kClassName[] = L"tavel_win_timer_Timer_EventHandlerWnd";
// Requests from other threads: wParam = id, lParam = interval (start) or unused (stop).
const UINT kStartRequest = WM_APP + 1;
const UINT kStartNowRequest = WM_APP + 2;
const UINT kStopRequest = WM_APP + 3;

std::atomic<int> nextId{0};

class EventHandlerWnd : public util::Window {
public:
    EventHandlerWnd() {
        registerClass(kClassName);
        create(kClassName, L"", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, nullptr);
    }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// Changed only on the main thread (construction and destruction of timers).
std::map<int, Timer*> registry;
int livingTimers = 0;
std::unique_ptr<EventHandlerWnd> window;
// Read by other threads to post their requests.
std::atomic<HWND> windowHandle{nullptr};

Timer* findTimer(int id) {
    auto it = registry.find(id);
    return it == registry.end() ? nullptr : it->second;
}

LRESULT EventHandlerWnd::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (Timer* t = findTimer(static_cast<int>(wParam))) {
                if (Timer::Listener* l = t->listener()) l->onTimer(*t);
            }
            return 0;
        case kStartRequest:
        case kStartNowRequest:
            if (Timer* t = findTimer(static_cast<int>(wParam))) {
                static_cast<void>(t->start(static_cast<unsigned int>(lParam), message == kStartNowRequest));
            }
            return 0;
        case kStopRequest:
            if (Timer* t = findTimer(static_cast<int>(wParam))) t->stop();
            return 0;
        default:
            return defaultHandling(message, wParam, lParam);
    }
}

bool onWindowThread(HWND h) { return ::GetWindowThreadProcessId(h, nullptr) == ::GetCurrentThreadId(); }

}  // namespace

Timer::Timer() : id_(nextId++) {
    registry[id_] = this;
    if (livingTimers++ == 0 && window == nullptr) {
        window = std::make_unique<EventHandlerWnd>();
        windowHandle = window->hwnd();
    }
}

Timer::~Timer() {
    stop();
    registry.erase(id_);
    listener_ = nullptr;
    if (--livingTimers == 0 && window != nullptr) {
        windowHandle = nullptr;
        window.reset();
    }
}

bool Timer::start(unsigned int intervalMs, bool fireNow) {
    HWND h = windowHandle;
    if (h != nullptr && !onWindowThread(h)) {
        // SetTimer only works on windows of the calling thread.
        return ::PostMessageW(h, fireNow ? kStartNowRequest : kStartRequest, static_cast<WPARAM>(id_),
                              static_cast<LPARAM>(intervalMs)) != 0;
    }
    if (fireNow && listener_ != nullptr) listener_->onTimer(*this);
    h = windowHandle;
    if (h == nullptr) return false;
    ::KillTimer(h, static_cast<UINT_PTR>(id_));
    return ::SetTimer(h, static_cast<UINT_PTR>(id_), intervalMs, nullptr) != 0;
}

void Timer::stop() {
    HWND h = windowHandle;
    if (h == nullptr) return;
    if (!onWindowThread(h)) {
        ::PostMessageW(h, kStopRequest, static_cast<WPARAM>(id_), 0);
        return;
    }
    ::KillTimer(h, static_cast<UINT_PTR>(id_));
}

}  // namespace timer
}  // namespace win
}  // namespace tavel

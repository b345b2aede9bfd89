#include <windows.h>

#include "config/LossNotice.h"
#include "feature/Alarm.h"
#include "win/timer/Timer.h"
#include "win/util/MainThread.h"
#include "win/util/Window.h"

namespace tavelapp {
namespace {

const wchar_t kClassName[] = L"tavelapp_Alarm_EventHandlerWnd";

// The window timer does the waiting; a hidden top-level window hears the
// system's broadcasts about the clock.
class WindowAlarm : public Alarm, private tavel::win::timer::Timer::Listener {
public:
    ~WindowAlarm() override {
        if (timer_) timer_->stop();
    }
    void setListener(Alarm::Listener* listener) override { listener_ = listener; }
    void start(unsigned int ms) override {
        tavel::win::util::MainThread::check("Alarm::start");
        ensureCreated();
        if (!timer_->start(ms)) LossNotice::timerRefused();
    }
    void stop() override {
        if (timer_) timer_->stop();
    }

private:
    class EventHandlerWnd : public tavel::win::util::Window {
    public:
        explicit EventHandlerWnd(WindowAlarm& owner) : owner_(owner) {
            registerClass(kClassName);
            create(kClassName, L"", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, nullptr);
        }

    protected:
        LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
            switch (message) {
                case WM_TIMECHANGE:
                    owner_.clockChanged();
                    return 0;
                case WM_POWERBROADCAST:
                    if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) owner_.clockChanged();
                    return TRUE;
                default:
                    return defaultHandling(message, wParam, lParam);
            }
        }

    private:
        WindowAlarm& owner_;
    };

    // Made on first use on the main thread: the object itself may be created
    // anywhere (a snapshot asks whether a timer runs).
    void ensureCreated() {
        if (timer_) return;
        timer_ = std::make_unique<tavel::win::timer::Timer>();
        timer_->setListener(this);
        window_ = std::make_unique<EventHandlerWnd>(*this);
    }
    void onTimer(tavel::win::timer::Timer& timer) override {
        timer.stop();
        if (listener_ != nullptr) listener_->onAlarm();
    }
    void clockChanged() {
        if (listener_ != nullptr) listener_->onClockChanged();
    }

    Alarm::Listener* listener_ = nullptr;
    std::unique_ptr<tavel::win::timer::Timer> timer_;
    std::unique_ptr<EventHandlerWnd> window_;
};

}  // namespace

std::unique_ptr<Alarm> Alarm::create() { return std::make_unique<WindowAlarm>(); }

}  // namespace tavelapp

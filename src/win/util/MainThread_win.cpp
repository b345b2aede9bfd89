#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "win/util/MainThread.h"
#include "win/util/Window.h"
#include "win/util/CallbackGuard.h"

namespace tavel {
namespace win {
namespace util {
namespace {

const wchar_t kClassName[] = L"tavel_win_util_MainThread_EventHandlerWnd";
const UINT kRunTask = WM_APP + 1;

std::atomic<HWND> target{nullptr};
std::atomic<DWORD> mainThreadId{0};
std::atomic<long> violationCount{0};

// A message-only window: no broadcast reaches it, nothing can show it.
class EventHandlerWnd : public Window {
public:
    EventHandlerWnd() {
        registerClass(kClassName);
        create(kClassName, L"", 0, 0, HWND_MESSAGE, 0, 0, 0, 0);
    }

protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kRunTask) {
            std::unique_ptr<MainThread::Task> task(reinterpret_cast<MainThread::Task*>(lParam));
            // One failed task must not take the message loop down.
            guarded("MainThread task", [&] {
                if (task && *task) (*task)();
            });
            return 0;
        }
        return defaultHandling(message, wParam, lParam);
    }
};

std::unique_ptr<EventHandlerWnd> window;

void freePending(HWND h) {
    MSG message;
    while (::PeekMessageW(&message, h, kRunTask, kRunTask, PM_REMOVE)) {
        delete reinterpret_cast<MainThread::Task*>(message.lParam);
    }
}

}  // namespace

void MainThread::attach() {
    if (window && mainThreadId.load() == ::GetCurrentThreadId()) return;
    window = std::make_unique<EventHandlerWnd>();
    mainThreadId = ::GetCurrentThreadId();
    target = window->hwnd();
}

void MainThread::detach() {
    // The thread stays the main thread: after this, work from workers is
    // dropped, never run on the worker itself.
    HWND h = target.exchange(nullptr);
    if (h != nullptr) freePending(h);
    window.reset();
}

bool MainThread::isCurrent() {
    const DWORD id = mainThreadId.load();
    return id == 0 || id == ::GetCurrentThreadId();
}

bool MainThread::post(Task task) {
    if (mainThreadId.load() == 0) {
        if (task) task();
        return true;
    }
    HWND h = target.load();
    if (h == nullptr || !task) return false;
    auto* payload = new Task(std::move(task));
    if (!::PostMessageW(h, kRunTask, 0, reinterpret_cast<LPARAM>(payload))) {
        delete payload;
        return false;
    }
    return true;
}

bool MainThread::run(Task task) {
    if (isCurrent()) {
        if (task) task();
        return true;
    }
    return post(std::move(task));
}

void MainThread::check(const char* where) {
    if (isCurrent()) return;
    ++violationCount;
    std::string text = "Kolibrix: main-thread object used from another thread: ";
    text += where != nullptr ? where : "?";
    text += "\n";
    ::OutputDebugStringA(text.c_str());
}

long MainThread::violations() { return violationCount.load(); }

}  // namespace util
}  // namespace win
}  // namespace tavel

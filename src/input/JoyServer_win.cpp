#include "input/JoyServer.h"

#include <dbt.h>

#include <functional>
#include <utility>

#include "action/ActionRunner.h"
#include "base/AppException.h"
#include "base/RunningThreads.h"
#include "config/Ini.h"
#include "win/util/MainThread.h"

namespace tavelapp {
namespace {

using tavel::win::util::MainThread;

const wchar_t kClassName[] = L"Kolibrix_Joy_EventHandlerWnd";

// Lists the controllers and opens the wanted one, then hands the listing to
// the main thread. A listing the main thread no longer takes goes with the task.
class ScanThread : public Thread {
public:
    using Then = std::function<void(const std::shared_ptr<DInput::Listing>&)>;
    ScanThread(tavel::win::util::ComPtr<IDirectInputW> input, const GUID& wanted, HWND window, Then then)
        : input_(std::move(input)), wanted_(wanted), window_(window), then_(std::move(then)) {}
    ~ScanThread() override { wait(); }

protected:
    int run() override {
        auto listing = std::make_shared<DInput::Listing>(DInput::list(input_, &wanted_, window_));
        input_.reset();
        static_cast<void>(MainThread::post([then = then_, listing] { then(listing); }));
        return 0;
    }

private:
    tavel::win::util::ComPtr<IDirectInputW> input_;
    GUID wanted_;
    HWND window_;
    Then then_;
};

}  // namespace

JoyServer::EventHandlerWnd::EventHandlerWnd(JoyServer& server) : server_(server) {
    registerClass(kClassName);
    create(kClassName, L"", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, nullptr);
}

LRESULT JoyServer::EventHandlerWnd::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DEVICECHANGE) {
        server_.onDeviceChange();
        return TRUE;
    }
    return defaultHandling(message, wParam, lParam);
}

JoyServer::JoyServer()
    : wanted_(DInput::settingsGuid(Ini::instance().joy)),
      shift_(Ini::instance().joy.useShift, Ini::instance().joy.shift),
      self_(std::make_shared<JoyServer*>(this)) {
    window_ = std::make_unique<EventHandlerWnd>(*this);
    DInput::instance().initialize();
    initialized_ = true;
    try {
        connect();
    } catch (...) {
        DInput::instance().release();
        initialized_ = false;
        throw;
    }
}

JoyServer::~JoyServer() {
    *self_ = nullptr;
    // The thread first: it uses the device until it has ended.
    thread_.reset();
    if (initialized_) DInput::instance().release();
    window_.reset();
}

bool JoyServer::connect() {
    MainThread::check("JoyServer::connect");
    thread_.reset();
    DInput::instance().enumerate(&wanted_, hwnd());
    return listen();
}

bool JoyServer::listen() {
    if (DInput::instance().device() == nullptr) return false;
    // A fresh controller starts with nothing held.
    shift_ = JoyRules::ShiftLayer(Ini::instance().joy.useShift, Ini::instance().joy.shift);
    auto thread = std::make_shared<JoyListenThread>(this);
    thread->start();
    thread_ = thread;
    return true;
}

void JoyServer::onDeviceChange() {
    if (thread_) {
        // Let the thread find out whether its controller is still there.
        thread_->wake();
        return;
    }
    rescan();
}

void JoyServer::rescan() {
    // With many devices attached a listing takes long: never on this thread,
    // one at a time, and the changes meanwhile ask for one more.
    if (scanning_) {
        rescanWanted_ = true;
        return;
    }
    tavel::win::util::ComPtr<IDirectInputW> input = DInput::instance().input();
    if (!input) return;
    scanning_ = true;
    rescanWanted_ = false;
    std::weak_ptr<JoyServer*> self = self_;
    runningThreads().start(std::make_shared<ScanThread>(std::move(input), wanted_, hwnd(),
                                                        [self](const std::shared_ptr<DInput::Listing>& listing) {
                                                            const std::shared_ptr<JoyServer*> server = self.lock();
                                                            if (server && *server != nullptr)
                                                                (*server)->scanned(std::move(*listing));
                                                        }));
}

void JoyServer::scanned(DInput::Listing listing) {
    scanning_ = false;
    if (!thread_) {
        DInput::instance().adopt(std::move(listing));
        try {
            listen();
        } catch (const AppException&) {
            // Still nothing to listen to; the next change tries again.
        }
    }
    if (rescanWanted_ && !thread_) rescan();
    rescanWanted_ = false;
}

void JoyServer::onJoyLost(JoyListenThread&) {
    // The thread cannot end itself: the main thread replaces it.
    std::weak_ptr<JoyServer*> self = self_;
    static_cast<void>(MainThread::post([self] {
        const std::shared_ptr<JoyServer*> server = self.lock();
        if (!server || *server == nullptr) return;
        (*server)->thread_.reset();
        DInput::instance().releaseDevice();
        // Gone for now, or back at once: the listing tells.
        (*server)->rescan();
    }));
}

void JoyServer::onJoyEvent(JoyListenThread&, std::uint32_t code, bool pressed) {
    const std::optional<std::uint32_t> lookup = shift_.lookup(code, pressed);
    if (!lookup) return;
    // On the listening thread: the published settings.
    const std::shared_ptr<const Settings> settings = Ini::snapshot();
    for (const std::wstring& action : JoyRules::actionsFor(*lookup, settings->joyKeys))
        ActionRunner::instance().runByName(action, true);
}

}  // namespace tavelapp

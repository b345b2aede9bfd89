#include "input/JoyServer.h"

#include <dbt.h>

#include "action/ActionRunner.h"
#include "base/AppException.h"
#include "config/Ini.h"
#include "win/util/MainThread.h"

namespace tavelapp {
namespace {

const wchar_t kClassName[] = L"Kolibrix_Joy_EventHandlerWnd";

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
    tavel::win::util::MainThread::check("JoyServer::connect");
    thread_.reset();
    DInput& input = DInput::instance();
    input.enumerate(&wanted_, hwnd());
    if (input.device() == nullptr) return false;
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
    try {
        connect();
    } catch (const AppException&) {
        // Still nothing to listen to; the next change tries again.
    }
}

void JoyServer::onJoyLost(JoyListenThread&) {
    // The thread cannot end itself: the main thread replaces it.
    std::weak_ptr<JoyServer*> self = self_;
    static_cast<void>(tavel::win::util::MainThread::post([self] {
        const std::shared_ptr<JoyServer*> server = self.lock();
        if (!server || *server == nullptr) return;
        try {
            (*server)->connect();
        } catch (const AppException&) {
            // Gone for now; a device change brings it back.
        }
    }));
}

void JoyServer::onJoyEvent(JoyListenThread&, std::uint32_t code, bool pressed) {
    const std::optional<std::uint32_t> lookup = shift_.lookup(code, pressed);
    if (!lookup) return;
    // On the listening thread: the published settings.
    const std::shared_ptr<const Ini> settings = Ini::snapshot();
    for (const std::wstring& action : JoyRules::actionsFor(settings->joyKeys, *lookup))
        ActionRunner::instance().runByName(action, true);
}

}  // namespace tavelapp

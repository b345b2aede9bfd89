#include "app/AppWnd.h"

#include <cstdio>

#include "action/ActionRequest.h"
#include "win/util/MainThread.h"

namespace tavelapp {

const wchar_t AppWnd::kClassPrefix[] = L"tavelapp:AppWnd:";

AppWnd::~AppWnd() {
    destroy();
    // Dropping the last reference runs the controller's orderly shut-down.
    controller_ = nullptr;
    controllerOwner_.reset();
}

bool AppWnd::create() {
    static wchar_t className[64] = L"";
    if (className[0] == L'\0') {
        std::swprintf(className, sizeof(className) / sizeof(className[0]), L"%ls%08lX", kClassPrefix,
                      static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(&className) & 0xFFFFFFFFu));
        if (!registerClass(className, ::LoadCursorW(nullptr, IDC_ARROW),
                           reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1)))) {
            className[0] = L'\0';
            return false;
        }
    }
    return Window::create(className, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                          WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, nullptr) != nullptr;
}

LRESULT AppWnd::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            controllerOwner_ = std::make_shared<ZEvared>();
            controller_ = controllerOwner_.get();
            controller_->setListener(this);
            return 0;
        case WM_QUERYENDSESSION:
            if (controller_ != nullptr) controller_->endObservation();
            return TRUE;
        case WM_ENDSESSION:
            // The session ends without the quit message: what was chosen from
            // the tray since start would be lost.
            if (wParam != FALSE && controller_ != nullptr) controller_->saveSettings();
            return 0;
        case WM_COPYDATA:
            // Answered at once: what takes long (the pairing window) runs after the answer.
            return CommandChannel::receive(reinterpret_cast<const COPYDATASTRUCT*>(lParam), *this);
        case WM_DESTROY:
            CommandChannel::unmarkTarget(hwnd());
            // A top-level frame ends the message loop when it goes. After the
            // loop the quit message would only close the boxes shown at exit.
            if (controller_ == nullptr || !controller_->exiting()) {
                if (controller_ != nullptr) controller_->beginExit();
                ::PostQuitMessage(1);
            }
            return 0;
        default:
            return defaultHandling(message, wParam, lParam);
    }
}

void AppWnd::beginExit() {
    if (controller_ != nullptr) controller_->beginExit();
}

void AppWnd::showNotifyWnd(ZEvared& controller, const NotifyWndInfo& info) {
    if (controller_ != nullptr) controller.showNotifyWndDirect(info);
}

int AppWnd::onCommandRequest(const CommandRequest& request) {
    const bool exiting = controller_ != nullptr && controller_->exiting();
    switch (request.kind) {
        case CommandRequest::Kind::Quit:
            // As the tray's Exit; once the exit began, a further quit would only close its boxes.
            if (!exiting) ::PostQuitMessage(0);
            return CommandRequest::kDone;
        case CommandRequest::Kind::Pair: {
            if (exiting) return CommandRequest::kNotRunning;
            const bool posted = tavel::win::util::MainThread::post([] {
                if (ZEvared* controller = ZEvared::live()) controller->showPairing(std::string());
            });
            return posted ? CommandRequest::kDone : CommandRequest::kBusy;
        }
        case CommandRequest::Kind::Action:
            break;
    }
    if (exiting) return CommandRequest::kNotRunning;
    // Still starting, or the inputs are off (the options sheet is open, or Kolibrix is turned off).
    if (controller_ == nullptr || !controller_->enabled()) return CommandRequest::kBusy;
    switch (action::runRequest(action::RequestTarget::running(), request.name, request.params, true, true)) {
        case action::RequestOutcome::Queued:
            return CommandRequest::kDone;
        case action::RequestOutcome::Unknown:
        case action::RequestOutcome::Forbidden:
            return CommandRequest::kUnknownAction;
        case action::RequestOutcome::PlayerNotRunning:
            return CommandRequest::kPlayerOff;
        case action::RequestOutcome::Busy:
            break;
    }
    return CommandRequest::kBusy;
}

void AppWnd::onPluginChange0(ZEvared&) {}

void AppWnd::onPluginChange1(ZEvared&) {}

}  // namespace tavelapp

#include "app/AppWnd.h"

#include <cstdio>

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
        case WM_DESTROY:
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

void AppWnd::onPluginChange0(ZEvared&) {}

void AppWnd::onPluginChange1(ZEvared&) {}

}  // namespace tavelapp

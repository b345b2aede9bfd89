#include "win/winsock/Winsock.h"

#include "win/winsock/Exception.h"
#include "win/winsock/SocketCalls.h"

namespace tavel {
namespace win {
namespace winsock {
namespace {

const wchar_t kClassName[] = L"tavel_win_winsock_Winsock_EventHandlerWnd";

}  // namespace

Winsock::EventHandlerWnd::EventHandlerWnd(Winsock* owner) : owner_(owner) {
    registerClass(kClassName);
    create(kClassName, L"", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, nullptr);
}

LRESULT Winsock::EventHandlerWnd::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kSocketMessage) {
        if (owner_) owner_->dispatch(wParam, lParam);
        return 0;
    }
    if (message == kResolveMessage) {
        if (owner_) owner_->resolved(wParam, lParam);
        return 0;
    }
    return defaultHandling(message, wParam, lParam);
}

Winsock::Winsock() : Socket(AF_INET, SOCK_STREAM, 0) {}

Winsock::~Winsock() { closeAll(); }

bool Winsock::create(bool async, int family, int type, int protocol) {
    if (window_) stopNotifications();
    close(false);
    async_ = async;
    handle_ = SocketCalls::current().socket(family, type, protocol);
    owned_ = true;
    if (handle_ == INVALID_SOCKET) return false;
    if (async_) startNotifications();
    return true;
}

void Winsock::attach(bool async, SOCKET handle, bool owned) {
    if (window_) stopNotifications();
    close(false);
    handle_ = handle;
    owned_ = owned;
    async_ = async;
    if (async_ && handle_ != INVALID_SOCKET) startNotifications();
}

void Winsock::close(bool shutdownFirst) {
    if (handle_ == INVALID_SOCKET) return;
    if (owned_) {
        if (shutdownFirst) SocketCalls::current().shutdown(handle_, SD_BOTH);
        SocketCalls::current().closesocket(handle_);
    }
    handle_ = INVALID_SOCKET;
}

void Winsock::closeAll() {
    if (window_) stopNotifications();
    close(false);
}

void Winsock::startNotifications() {
    if (window_) stopNotifications();
    auto window = std::make_shared<EventHandlerWnd>(this);
    if (!window->exists()) throw Exception("socket event window not created");
    window_ = window;
    if (SocketCalls::current().asyncSelect(handle_, window_->hwnd(), kSocketMessage, kAllEvents) == SOCKET_ERROR) {
        stopNotifications();
        throw Exception("WSAAsyncSelect failed");
    }
}

void Winsock::stopNotifications() {
    if (handle_ != INVALID_SOCKET) SocketCalls::current().asyncSelect(handle_, window_->hwnd(), 0, 0);
    // Messages already queued for the window die with it.
    window_->detach();
    window_->destroy();
    window_.reset();
}

void Winsock::dispatch(WPARAM wParam, LPARAM lParam) {
    if (!listener_) return;
    switch (WSAGETSELECTEVENT(lParam)) {
        case FD_READ:
            listener_->onReceive(*this, static_cast<SOCKET>(wParam));
            break;
        case FD_WRITE:
            listener_->onSend(*this);
            break;
        case FD_ACCEPT:
            listener_->onAccept(*this);
            break;
        case FD_CONNECT:
            listener_->onConnect(*this);
            break;
        case FD_CLOSE:
            listener_->onClose(*this, static_cast<SOCKET>(wParam));
            break;
        default:
            break;
    }
}

void Winsock::resolved(WPARAM wParam, LPARAM lParam) {
    const auto it = lookups_.find(reinterpret_cast<HANDLE>(wParam));
    if (it == lookups_.end()) return;
    const std::shared_ptr<std::vector<char>> result = it->second;
    lookups_.erase(it);
    if (listener_) listener_->onResolve(*this, WSAGETASYNCERROR(lParam) == 0, *result);
}

}  // namespace winsock
}  // namespace win
}  // namespace tavel

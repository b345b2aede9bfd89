#pragma once
#include <winsock2.h>

#include <map>
#include <memory>
#include <vector>

#include "win/util/Window.h"
#include "win/winsock/Socket.h"

namespace tavel {
namespace win {
namespace winsock {

// A socket whose events arrive as window messages on the creating thread.
class Winsock : public Socket {
public:
    class Listener {
    public:
        virtual void onAccept(Winsock& winsock) = 0;
        virtual void onConnect(Winsock& winsock) = 0;
        virtual void onSend(Winsock& winsock) = 0;
        virtual void onReceive(Winsock& winsock, SOCKET handle) = 0;
        virtual void onClose(Winsock& winsock, SOCKET handle) = 0;
        virtual void onResolve(Winsock& winsock, bool success, const std::vector<char>& result) = 0;
        virtual ~Listener() = default;
    };

    static const UINT kSocketMessage = WM_USER + 1;
    static const UINT kResolveMessage = WM_USER + 2;
    static const long kAllEvents = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

    class EventHandlerWnd : public util::Window {
    public:
        explicit EventHandlerWnd(Winsock* owner);
        void detach() { owner_ = nullptr; }

    protected:
        LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    private:
        Winsock* owner_;
    };

    // An IPv4 stream socket, without notifications.
    Winsock();
    ~Winsock() override;

    void setListener(Listener* listener) { listener_ = listener; }
    Listener* listener() const { return listener_; }

    // A new socket in place of the current one (closed without shutdown).
    // Throws tavel::Exception when notifications cannot be started.
    bool create(bool async, int family, int type, int protocol);
    void attach(bool async, SOCKET handle, bool owned);
    void close(bool shutdownFirst);
    // Stops notifications, then closes without shutdown.
    void closeAll();

private:
    void startNotifications();
    void stopNotifications();
    void dispatch(WPARAM wParam, LPARAM lParam);
    void resolved(WPARAM wParam, LPARAM lParam);

    bool async_ = false;
    Listener* listener_ = nullptr;
    // Host-name look-ups in flight, by request handle, with their result buffers.
    std::map<HANDLE, std::shared_ptr<std::vector<char>>> lookups_;
    std::shared_ptr<EventHandlerWnd> window_;
};

}  // namespace winsock
}  // namespace win
}  // namespace tavel

#pragma once
#include <winsock2.h>

namespace tavel {
namespace win {
namespace winsock {

// The socket functions the socket classes call, behind one seam: the base
// class calls the system, a test double records or fails them (IrDA, which
// few systems still have, is tested only this way).
class SocketCalls {
public:
    virtual ~SocketCalls() = default;

    virtual int startup(WORD version, WSADATA* data) { return ::WSAStartup(version, data); }
    virtual int cleanup() { return ::WSACleanup(); }
    virtual SOCKET socket(int family, int type, int protocol) { return ::socket(family, type, protocol); }
    virtual int closesocket(SOCKET s) { return ::closesocket(s); }
    virtual int shutdown(SOCKET s, int how) { return ::shutdown(s, how); }
    virtual int setsockopt(SOCKET s, int level, int name, const char* value, int length) {
        return ::setsockopt(s, level, name, value, length);
    }
    virtual int bind(SOCKET s, const sockaddr* address, int length) { return ::bind(s, address, length); }
    virtual int listen(SOCKET s, int backlog) { return ::listen(s, backlog); }
    virtual SOCKET accept(SOCKET s, sockaddr* address, int* length) { return ::accept(s, address, length); }
    virtual int recv(SOCKET s, char* buffer, int length, int flags) { return ::recv(s, buffer, length, flags); }
    virtual int send(SOCKET s, const char* buffer, int length, int flags) { return ::send(s, buffer, length, flags); }
    virtual int ioctlsocket(SOCKET s, long command, u_long* argument) { return ::ioctlsocket(s, command, argument); }
    virtual int asyncSelect(SOCKET s, HWND window, unsigned int message, long events) {
        return ::WSAAsyncSelect(s, window, message, events);
    }
    virtual int lastError() { return ::WSAGetLastError(); }

    // The calls in use: the system's unless a test put its own in place.
    static SocketCalls& current();
    // nullptr restores the system's. Main thread, with no socket open.
    static void setCurrent(SocketCalls* calls);
};

}  // namespace winsock
}  // namespace win
}  // namespace tavel

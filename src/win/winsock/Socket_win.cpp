#include "win/winsock/Socket.h"

#include <mutex>

#include "win/util/SystemLibrary.h"
#include "win/winsock/SocketCalls.h"

namespace tavel {
namespace win {
namespace winsock {
namespace {

std::mutex startupLock;
int startupCount = 0;
bool libraryReady = false;
SocketCalls systemCalls;
SocketCalls* currentCalls = &systemCalls;

// Without the system's socket library every call fails as on a system whose
// network is not ready, so that its callers report their usual error.
class NoLibraryCalls : public SocketCalls {
public:
    int startup(WORD, WSADATA*) override { return WSASYSNOTREADY; }
    int cleanup() override { return SOCKET_ERROR; }
    SOCKET socket(int, int, int) override { return INVALID_SOCKET; }
    int closesocket(SOCKET) override { return SOCKET_ERROR; }
    int shutdown(SOCKET, int) override { return SOCKET_ERROR; }
    int setsockopt(SOCKET, int, int, const char*, int) override { return SOCKET_ERROR; }
    int bind(SOCKET, const sockaddr*, int) override { return SOCKET_ERROR; }
    int listen(SOCKET, int) override { return SOCKET_ERROR; }
    SOCKET accept(SOCKET, sockaddr*, int*) override { return INVALID_SOCKET; }
    int recv(SOCKET, char*, int, int) override { return SOCKET_ERROR; }
    int send(SOCKET, const char*, int, int) override { return SOCKET_ERROR; }
    int ioctlsocket(SOCKET, long, u_long*) override { return SOCKET_ERROR; }
    int asyncSelect(SOCKET, HWND, unsigned int, long) override { return SOCKET_ERROR; }
    int lastError() override { return WSASYSNOTREADY; }
};
NoLibraryCalls noLibraryCalls;

}  // namespace

SocketCalls& SocketCalls::current() {
    if (currentCalls == &systemCalls && !tavel::win::util::SystemLibrary::load(L"ws2_32.dll")) return noLibraryCalls;
    return *currentCalls;
}

void SocketCalls::setCurrent(SocketCalls* calls) { currentCalls = calls ? calls : &systemCalls; }

Socket::Startup::Startup() {
    std::lock_guard<std::mutex> guard(startupLock);
    if (startupCount++ == 0) {
        WSADATA data;
        libraryReady = SocketCalls::current().startup(MAKEWORD(1, 1), &data) == 0;
    }
}

Socket::Startup::~Startup() {
    std::lock_guard<std::mutex> guard(startupLock);
    if (--startupCount == 0) {
        if (libraryReady) SocketCalls::current().cleanup();
        libraryReady = false;
    }
}

bool Socket::Startup::ready() {
    std::lock_guard<std::mutex> guard(startupLock);
    return libraryReady;
}

Socket::Socket(int family, int type, int protocol) {
    handle_ = SocketCalls::current().socket(family, type, protocol);
    owned_ = true;
}

Socket::~Socket() {
    if (owned_ && handle_ != INVALID_SOCKET) SocketCalls::current().closesocket(handle_);
}

SOCKET Socket::accept(sockaddr* address, int* length) {
    return SocketCalls::current().accept(handle_, address, length);
}

int Socket::recv(char* buffer, int length, int flags) {
    return SocketCalls::current().recv(handle_, buffer, length, flags);
}

int Socket::send(const char* buffer, int length, int flags) {
    return SocketCalls::current().send(handle_, buffer, length, flags);
}

bool Socket::setOption(int level, int name, const char* value, int length) {
    return SocketCalls::current().setsockopt(handle_, level, name, value, length) != SOCKET_ERROR;
}

bool Socket::bind(const sockaddr* address, int length) {
    return SocketCalls::current().bind(handle_, address, length) != SOCKET_ERROR;
}

bool Socket::listen(int backlog) { return SocketCalls::current().listen(handle_, backlog) != SOCKET_ERROR; }

bool Socket::ioctl(long command, u_long* argument) {
    return SocketCalls::current().ioctlsocket(handle_, command, argument) != SOCKET_ERROR;
}

}  // namespace winsock
}  // namespace win
}  // namespace tavel

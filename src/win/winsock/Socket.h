#pragma once
#include <winsock2.h>

namespace tavel {
namespace win {
namespace winsock {

// A socket handle with its share of the process-wide socket-library start-up.
class Socket {
public:
    // One reference on the library: the first starts it (version 1.1), the
    // last cleans it up.
    class Startup {
    public:
        Startup();
        ~Startup();
        Startup(const Startup&) = delete;
        Startup& operator=(const Startup&) = delete;
        // The library started successfully.
        static bool ready();
    };

    // Creates the socket at once, owned.
    Socket(int family, int type, int protocol);
    virtual ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    SOCKET handle() const { return handle_; }
    bool valid() const { return handle_ != INVALID_SOCKET; }

    SOCKET accept(sockaddr* address, int* length);
    int recv(char* buffer, int length, int flags);
    int send(const char* buffer, int length, int flags);
    bool setOption(int level, int name, const char* value, int length);
    bool bind(const sockaddr* address, int length);
    bool listen(int backlog);
    bool ioctl(long command, u_long* argument);

protected:
    Startup startup_;
    SOCKET handle_ = INVALID_SOCKET;
    bool owned_ = false;
};

}  // namespace winsock
}  // namespace win
}  // namespace tavel

#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace tavelapp {

class PlayerState;

// The web remote: an HTTP server for the page and the API, on one thread of
// its own, with at most kMaxConnections connections. It reaches the program
// only as the other inputs do (posted to the main thread, actions through the
// runner); made and destroyed on the main thread.
class WebServer {
public:
    struct Options {
        std::uint16_t port = 0;
        std::wstring address;  // empty: every address of the machine
        std::wstring allow;
        bool allowAllActions = false;
        std::wstring devicesPath;  // WebDevices.ini
    };
    static const int kMaxConnections = 32;
    static const int kIdleSeconds = 60;

    // From the settings. Throws AppException with the failing step's key.
    WebServer();
    explicit WebServer(const Options& options);
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    std::uint16_t port() const;

    // The change detector's new snapshot, from any thread: it goes to the
    // pages that follow the event stream.
    static void snapshotTaken(const std::shared_ptr<const PlayerState>& state);

    struct Core;

private:
    std::shared_ptr<Core> core_;
    std::thread thread_;
};

}  // namespace tavelapp

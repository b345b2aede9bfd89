#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "web/PairingStore.h"

namespace tavelapp {

class PlayerState;

// The web remote: an HTTP server for the page and the API, on one thread of
// its own, with at most kMaxConnections connections, kMaxPerGroup of them
// from one peer group; when full, the oldest connection without a paired
// token makes room. It reaches the program only as the other inputs do
// (posted to the main thread, actions through the runner); made and
// destroyed on the main thread.
class WebServer {
public:
    struct Options {
        std::uint16_t port = 0;
        std::wstring address;  // empty: every address of the machine
        std::wstring allow;
        bool allowAllActions = false;
        std::wstring devicesPath;  // WebDevices.ini
    };
    // The port the pairing window turns the web remote on at when it is off.
    static const unsigned kSuggestedPort = 8765;
    static const int kMaxConnections = 32;
    static const int kMaxPerGroup = 6;
    static const int kIdleSeconds = 60;
    // A new connection's first request must have come whole by then.
    static const int kFirstRequestSeconds = 10;
    // A port still held by connections of the server before is tried again for so long.
    static const int kRebindMs = 5000;

    // What the pairing window shows.
    struct Pairing {
        PairingStore::Window window;
        std::uint16_t port = 0;
        // The addresses a phone can use, the one with the default route first.
        std::vector<std::string> addresses;
        std::string computerName;
    };

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

    // The PC's user opens pairing (for the device at `requester`, when one
    // asked). False when no server runs or no random bytes came.
    static bool openPairing(const std::string& requester);
    // The open pairing window's state; false when no server runs.
    static bool pairing(Pairing& out);
    static void closePairing();

    struct Core;

private:
    std::shared_ptr<Core> core_;
    std::thread thread_;
};

}  // namespace tavelapp

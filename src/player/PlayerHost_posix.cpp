#include "base/AppException.h"
#include "player/PlayerHost.h"

namespace tavelapp {
namespace itunes {
namespace {

// No player exists off Windows unless a test installs one.
class NoPlayerConnection : public PlayerConnection {
public:
    App& app() override { throw AppException(); }
};

class NoPlayerHost : public PlayerHost {
public:
    std::unique_ptr<PlayerConnection> open() override { return std::make_unique<NoPlayerConnection>(); }
    bool isRunning() override { return false; }
    bool isWindowVisible() override { return false; }
    void activateWindow() override {}
    void minimizeWindow() override {}
};

}  // namespace

PlayerHost& platformPlayerHost() {
    static NoPlayerHost host;
    return host;
}

// Nothing is kept without COM.
void PlayerHost::releaseThreadConnection() {}

}  // namespace itunes
}  // namespace tavelapp

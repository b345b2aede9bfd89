#include "player/PlayerHost.h"

#include <atomic>

namespace tavelapp {
namespace itunes {
namespace {
std::atomic<PlayerHost*> installed{nullptr};
}  // namespace

PlayerHost& PlayerHost::instance() {
    PlayerHost* host = installed.load();
    return host != nullptr ? *host : platformPlayerHost();
}

void PlayerHost::install(PlayerHost* host) { installed = host; }

}  // namespace itunes
}  // namespace tavelapp

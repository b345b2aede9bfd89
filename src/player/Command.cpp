#include "player/Command.h"

#include <mutex>

#include "config/Ini.h"

namespace tavelapp {
namespace itunes {
namespace {

std::recursive_mutex& commandLock() {
    static std::recursive_mutex lock;
    return lock;
}

}  // namespace

void Command::begin() {
    noLock_ = Ini::snapshot()->detail.ignoreWaitingAction;
    if (!noLock_) {
        commandLock().lock();
        locked_ = true;
    }
}

void Command::end() {
    if (locked_) {
        locked_ = false;
        commandLock().unlock();
    }
}

}  // namespace itunes
}  // namespace tavelapp

#pragma once
#include "base/Thread.h"

namespace tavelapp {
namespace itunes {

// A player command on a thread of its own. Unless IgnoreWaitingAction is on,
// commands wait for each other on a lock of their own (not the action lock).
class Command : public Thread {
public:
    Command() { runOnWorker(); }

protected:
    void begin() override;
    void end() override;

private:
    bool noLock_ = false;
    bool locked_ = false;
};

}  // namespace itunes
}  // namespace tavelapp

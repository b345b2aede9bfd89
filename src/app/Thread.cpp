#include "app/Thread.h"

#include <functional>

namespace tavelapp {

Thread::~Thread() {
    // Derived classes that own state used by run() should wait() in their own
    // destructor; this one only guarantees the thread never outlives its object.
    wait();
}

bool Thread::start() {
    if (started_) return false;
    started_ = true;
    handle_ = std::thread(&Thread::procedure, this);
    return true;
}

void Thread::wait() {
    if (!handle_.joinable()) return;
    if (handle_.get_id() == std::this_thread::get_id()) {
        // The last owner let go on the thread itself: it cannot wait for itself.
        handle_.detach();
        return;
    }
    handle_.join();
}

namespace {

// Runs end() however run() leaves: end() releases locks that every later
// action waits for.
class EndGuard {
public:
    explicit EndGuard(std::function<void()> end) : end_(std::move(end)) {}
    ~EndGuard() {
        try {
            end_();
        } catch (...) {
            // Nothing may leave a thread entry.
        }
    }
    EndGuard(const EndGuard&) = delete;
    EndGuard& operator=(const EndGuard&) = delete;

private:
    std::function<void()> end_;
};

}  // namespace

void Thread::procedure() {
    int code = 0;
    try {
        begin();
        EndGuard guard([this] { end(); });
        try {
            code = run();
        } catch (...) {
            code = -1;
        }
    } catch (...) {
        // begin() failed: nothing was taken that end() would give back.
        code = -1;
    }
    exitCode_ = code;
    finished_ = true;
}

}  // namespace tavelapp

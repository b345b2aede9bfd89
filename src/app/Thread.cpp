#include "app/Thread.h"

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

void Thread::procedure() {
    int code = 0;
    try {
        begin();
        code = run();
        end();
    } catch (...) {
        // Nothing may leave a thread entry.
        code = -1;
    }
    exitCode_ = code;
    finished_ = true;
}

}  // namespace tavelapp

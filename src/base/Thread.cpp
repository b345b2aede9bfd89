#include "base/Thread.h"

#include <condition_variable>
#include <functional>
#include <mutex>

#include "base/ActionOrigin.h"
#include "base/ActionQueue.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {

Thread::~Thread() {
    // Derived classes that own state used by run() should wait() in their own
    // destructor; this one only guarantees the thread never outlives its object.
    wait();
}

struct Thread::Completion {
    std::mutex lock;
    std::condition_variable done;
    bool over = false;
    std::thread::id worker;
};

ActionQueue& Thread::queue() { return ActionQueue::sideBySide(); }

bool Thread::start() {
    if (started_) return false;
    started_ = true;
    if (pooled_) {
        completion_ = std::make_shared<Completion>();
        // Tagged with the input that started it, so a held key's repeats can be told apart.
        const ActionQueue::Admission admission = queue().submit(
            [this, completion = completion_](bool run) {
                {
                    std::lock_guard<std::mutex> guard(completion->lock);
                    completion->worker = std::this_thread::get_id();
                }
                if (run) {
                    procedure();
                } else {
                    exitCode_ = -1;
                    finished_ = true;
                }
                // Nothing of this object is touched from here on: it may be gone.
                std::lock_guard<std::mutex> guard(completion->lock);
                completion->over = true;
                completion->done.notify_all();
            },
            ActionOrigin::current());
        if (admission != ActionQueue::Admission::Queued) {
            exitCode_ = -1;
            finished_ = true;
            std::lock_guard<std::mutex> guard(completion_->lock);
            completion_->over = true;
        }
        return true;
    }
    handle_ = std::thread(&Thread::procedure, this);
    return true;
}

void Thread::wait() {
    if (completion_) {
        std::unique_lock<std::mutex> guard(completion_->lock);
        // Released on its own worker: it cannot wait for itself.
        if (completion_->worker == std::this_thread::get_id()) return;
        completion_->done.wait(guard, [this] { return completion_->over; });
        return;
    }
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
    // Nothing may leave a thread entry.
    ~EndGuard() { tavel::win::util::guarded("Thread end", end_); }
    EndGuard(const EndGuard&) = delete;
    EndGuard& operator=(const EndGuard&) = delete;

private:
    std::function<void()> end_;
};

}  // namespace

void Thread::procedure() {
    using tavel::win::util::guardedOr;
    // When begin() fails nothing was taken that end() would give back.
    const int code = guardedOr("Thread begin", -1, [this] {
        begin();
        EndGuard guard([this] { end(); });
        return guardedOr("Thread run", -1, [this] { return run(); });
    });
    exitCode_ = code;
    finished_ = true;
}

}  // namespace tavelapp

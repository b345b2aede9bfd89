#pragma once
#include <atomic>
#include <memory>
#include <thread>

namespace tavelapp {

class ActionQueue;

// Base of every worker. begin, run and end run in that order on the new thread;
// the destructor waits for a started thread without time limit.
class Thread {
public:
    Thread() = default;
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    virtual ~Thread();

    // Starts the thread once; false when it was already started. A pooled
    // thread its queue turned away counts as finished at once (exit code -1)
    // without running.
    bool start();
    void wait();
    bool started() const { return started_; }
    bool finished() const { return finished_.load(); }
    int exitCode() const { return exitCode_.load(); }

protected:
    // Runs on one of the long-lived workers (WorkerPool) instead of a thread
    // of its own, after waiting its turn in queue(); call before start().
    void runOnWorker() { pooled_ = true; }
    // Where a pooled thread waits for a worker: by default side by side with
    // the others. Asked once, by start(), on the starting thread.
    virtual ActionQueue& queue();

    virtual void begin() {}
    virtual int run() = 0;
    virtual void end() {}

private:
    void procedure();

    // Signalled when a worker's run of procedure() is over; shared, because
    // the object may go the moment its finished flag is set.
    struct Completion;

    std::thread handle_;
    std::shared_ptr<Completion> completion_;
    bool pooled_ = false;
    bool started_ = false;
    std::atomic<bool> finished_{false};
    std::atomic<int> exitCode_{0};
};

}  // namespace tavelapp

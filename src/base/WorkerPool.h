#pragma once
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace tavelapp {

// Long-lived worker threads for short jobs (actions, notifications). A
// worker keeps its COM apartment and its player connection between jobs, so
// a key press does not pay for a thread, COM start-up and a new connection.
// The number of workers has a fixed upper bound: when every worker is busy, a
// job waits for one. A worker idle for a while ends, and a later job starts a
// new one. What waits here is bounded by the queues in front (ActionQueue).
class WorkerPool {
public:
    static const std::size_t kMaxWorkers = 6;
    static constexpr std::chrono::milliseconds kIdleLimit{30000};

    static WorkerPool& instance();

    // What a worker does about its player connection (the player layer's,
    // above this one, handed in at start): keep one between jobs from its
    // start, let it go when asked, and end it at the worker's end.
    struct ConnectionHooks {
        void (*keep)() = nullptr;
        void (*release)() = nullptr;
        void (*end)() = nullptr;
    };
    static void setConnectionHooks(const ConnectionHooks& hooks);

    explicit WorkerPool(std::size_t maxWorkers = kMaxWorkers, std::chrono::milliseconds idleLimit = kIdleLimit);
    // Waits a moment for the workers, which use the object: a pool that is
    // not the process's own ends with its owner (tests).
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Queues the job; false (and the job never runs) once shutdown began.
    [[nodiscard]] bool submit(std::function<void()> job);
    // Every worker lets go of the player connection it keeps (the player is
    // about to quit and waits for its clients): idle ones at once, busy ones
    // after their job. Any thread may ask.
    void releasePlayerConnections();
    // Runs what is queued, then ends every worker, waiting at most limit;
    // false when a worker was still busy then (it is left running). Later
    // jobs are refused. At exit, after the jobs that matter ended.
    bool shutdown(std::chrono::milliseconds limit);

    std::size_t maxWorkers() const { return max_; }
    // Workers alive now, and the most there ever were at once.
    std::size_t workers() const;
    std::size_t peakWorkers() const;

private:
    void work();
    void startWorker();

    const std::size_t max_;
    const std::chrono::milliseconds idleLimit_;
    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::condition_variable gone_;
    std::deque<std::function<void()>> jobs_;
    std::size_t alive_ = 0;
    std::size_t peak_ = 0;
    std::size_t idle_ = 0;
    unsigned long release_ = 0;  // bumped to make workers drop their connections
    bool stopping_ = false;
};

}  // namespace tavelapp

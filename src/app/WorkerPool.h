#pragma once
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tavelapp {

// Long-lived worker threads for short jobs (actions, notifications). A
// worker keeps its COM apartment and its player connection between jobs, so
// a key press does not pay for a thread, COM start-up and a new connection.
// A job never waits for a worker: when none is free, one more is started.
class WorkerPool {
public:
    static WorkerPool& instance();

    WorkerPool() = default;
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void submit(std::function<void()> job);
    // Every worker lets go of the player connection it keeps (the player is
    // about to quit and waits for its clients): idle ones at once, busy ones
    // after their job. Any thread may ask.
    void releasePlayerConnections();
    // Runs what is queued, then ends every worker; later jobs get a thread of
    // their own. At exit, after the jobs that matter ended.
    void shutdown();
    std::size_t workers() const;

private:
    void work();

    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    std::vector<std::thread> threads_;
    std::size_t idle_ = 0;
    unsigned long release_ = 0;  // bumped to make workers drop their connections
    bool stopping_ = false;
};

}  // namespace tavelapp

#pragma once
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

#include "base/ActionOrigin.h"

namespace tavelapp {

class WorkerPool;

// Jobs waiting their turn without holding a thread: a bounded queue in front
// of the worker pool that runs at most `parallel` of its jobs at once (one for
// a serial queue). Only a job whose turn came takes a worker.
//
// A held key's repeats never pile up: a repeat is dropped while a job of the
// same binding still waits. When the queue is full, further jobs are dropped
// and the owner is told once, and again only after the queue drained.
class ActionQueue {
public:
    // Runs the job (true), or tells it that it was passed over (false): a
    // repeat whose key was let go before its turn came.
    using Job = std::function<void(bool run)>;
    enum class Admission { Queued, DroppedRepeat, DroppedFull };
    static const std::size_t kCapacity = 32;

    // The action lock's turn, the library actions' turn, and the jobs that
    // run side by side (as many as the pool has workers but two). They live
    // to the end of the process.
    static ActionQueue& actions();
    // How the user is told that input was dropped for want of room (the
    // language layer's text, above this one, handed in at start).
    using FullNotice = void (*)();
    static void setFullNotice(FullNotice notice);
    static ActionQueue& library();
    static ActionQueue& sideBySide();

    // full: called once when a job is dropped for want of room (outside the
    // queue's lock, on the submitting thread).
    ActionQueue(WorkerPool& pool, std::size_t parallel, std::size_t capacity, std::function<void()> full);
    // Waits for the jobs that were handed to the pool.
    ~ActionQueue();
    ActionQueue(const ActionQueue&) = delete;
    ActionQueue& operator=(const ActionQueue&) = delete;

    // A dropped job is not called.
    Admission submit(Job job, const ActionOrigin& origin = ActionOrigin());
    std::size_t waiting() const;
    std::size_t running() const;
    // True once nothing waits or runs; false when that took longer than limit.
    bool waitIdle(std::chrono::milliseconds limit) const;

private:
    struct Entry {
        Job job;
        ActionOrigin origin;
    };

    void drain();

    WorkerPool& pool_;
    const std::size_t parallel_;
    const std::size_t capacity_;
    const std::function<void()> full_;
    mutable std::mutex lock_;
    mutable std::condition_variable idle_;
    std::deque<Entry> waiting_;
    std::size_t running_ = 0;  // drain loops handed to the pool
    bool told_ = false;
};

}  // namespace tavelapp

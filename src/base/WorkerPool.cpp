#include "base/WorkerPool.h"

#include <algorithm>
#include <system_error>
#include <thread>

#include "win/util/CallbackGuard.h"
#include "win/util/Com.h"

namespace tavelapp {
namespace {

// Set once at start, before the first worker.
WorkerPool::ConnectionHooks& connectionHooks() {
    static WorkerPool::ConnectionHooks hooks;
    return hooks;
}

void call(void (*hook)()) {
    if (hook != nullptr) hook();
}

}  // namespace

void WorkerPool::setConnectionHooks(const ConnectionHooks& hooks) { connectionHooks() = hooks; }

constexpr std::chrono::milliseconds WorkerPool::kIdleLimit;

WorkerPool& WorkerPool::instance() {
    // Never destroyed: the process ends without waiting for its workers.
    static WorkerPool* pool = new WorkerPool();
    return *pool;
}

WorkerPool::WorkerPool(std::size_t maxWorkers, std::chrono::milliseconds idleLimit)
    : max_(std::max<std::size_t>(1, maxWorkers)), idleLimit_(idleLimit) {}

WorkerPool::~WorkerPool() {
    // Bounded like every wait; a worker still busy then would use a freed
    // pool, so that one is waited for after all (only a stuck test job).
    if (!shutdown(std::chrono::seconds(10))) {
        std::unique_lock<std::mutex> guard(lock_);
        gone_.wait(guard, [this] { return alive_ == 0; });
    }
}

void WorkerPool::startWorker() {
    // Called with the lock held. Workers are detached: one that retires must
    // not wait to be joined, and shutdown waits for the count instead.
    try {
        std::thread(&WorkerPool::work, this).detach();
    } catch (const std::system_error&) {
        // No thread now: the job waits for a worker that is running or for the
        // next submission.
        return;
    }
    ++alive_;
    peak_ = std::max(peak_, alive_);
}

bool WorkerPool::submit(std::function<void()> job) {
    std::lock_guard<std::mutex> guard(lock_);
    // The process is ending: no thread may start that nobody waits for.
    if (stopping_) return false;
    jobs_.push_back(std::move(job));
    if (jobs_.size() > idle_ && alive_ < max_) startWorker();
    wake_.notify_one();
    return true;
}

void WorkerPool::releasePlayerConnections() {
    std::lock_guard<std::mutex> guard(lock_);
    ++release_;
    wake_.notify_all();
}

bool WorkerPool::shutdown(std::chrono::milliseconds limit) {
    std::unique_lock<std::mutex> guard(lock_);
    stopping_ = true;
    wake_.notify_all();
    return gone_.wait_for(guard, limit, [this] { return alive_ == 0; });
}

std::size_t WorkerPool::workers() const {
    std::lock_guard<std::mutex> guard(lock_);
    return alive_;
}

std::size_t WorkerPool::peakWorkers() const {
    std::lock_guard<std::mutex> guard(lock_);
    return peak_;
}

void WorkerPool::work() {
    {
        tavel::win::util::ComApartment com;
        call(connectionHooks().keep);
        std::unique_lock<std::mutex> guard(lock_);
        unsigned long released = release_;
        for (;;) {
            ++idle_;
            const bool woken =
                wake_.wait_for(guard, idleLimit_, [&] { return !jobs_.empty() || stopping_ || release_ != released; });
            --idle_;
            if (release_ != released) {
                released = release_;
                guard.unlock();
                call(connectionHooks().release);
                guard.lock();
                continue;
            }
            // Idle too long, or stopping with nothing left: this worker ends.
            if (!woken || jobs_.empty()) break;
            std::function<void()> job = std::move(jobs_.front());
            jobs_.pop_front();
            guard.unlock();
            // A job's failure stays with the job.
            tavel::win::util::guarded("worker job", job);
            guard.lock();
        }
        guard.unlock();
        // The connection goes on its own thread, before the apartment ends.
        call(connectionHooks().end);
    }
    std::lock_guard<std::mutex> guard(lock_);
    --alive_;
    // A job that came while this worker was on its way out must not wait for
    // a busy one when there is room for a new worker.
    if (!stopping_ && jobs_.size() > idle_ && alive_ < max_) startWorker();
    gone_.notify_all();
}

}  // namespace tavelapp

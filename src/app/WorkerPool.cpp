#include "app/WorkerPool.h"

#include "player/PlayerHost.h"
#include "win/util/Com.h"

namespace tavelapp {

WorkerPool& WorkerPool::instance() {
    static WorkerPool pool;
    return pool;
}

WorkerPool::~WorkerPool() { shutdown(); }

void WorkerPool::submit(std::function<void()> job) {
    std::lock_guard<std::mutex> guard(lock_);
    if (stopping_) {
        threads_.emplace_back(std::move(job));
        return;
    }
    jobs_.push_back(std::move(job));
    // Every queued job needs a worker of its own: actions that do not wait for
    // each other must not queue behind each other here.
    if (jobs_.size() > idle_) threads_.emplace_back(&WorkerPool::work, this);
    wake_.notify_one();
}

void WorkerPool::releasePlayerConnections() {
    std::lock_guard<std::mutex> guard(lock_);
    ++release_;
    wake_.notify_all();
}

void WorkerPool::shutdown() {
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
        wake_.notify_all();
        threads.swap(threads_);
    }
    for (std::thread& t : threads) {
        if (t.get_id() == std::this_thread::get_id()) {
            t.detach();
        } else if (t.joinable()) {
            t.join();
        }
    }
}

std::size_t WorkerPool::workers() const {
    std::lock_guard<std::mutex> guard(lock_);
    return threads_.size();
}

void WorkerPool::work() {
    tavel::win::util::ComApartment com;
    itunes::PlayerHost::keepConnectionOnThisThread(true);
    std::unique_lock<std::mutex> guard(lock_);
    unsigned long released = release_;
    for (;;) {
        ++idle_;
        wake_.wait(guard, [&] { return !jobs_.empty() || stopping_ || release_ != released; });
        --idle_;
        if (release_ != released) {
            released = release_;
            guard.unlock();
            itunes::PlayerHost::releaseThreadConnection();
            guard.lock();
            continue;
        }
        if (jobs_.empty()) break;  // stopping, nothing left
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        guard.unlock();
        try {
            job();
        } catch (...) {
            // A job's failure stays with the job.
        }
        guard.lock();
    }
    guard.unlock();
    // The connection goes on its own thread, before the apartment ends.
    itunes::PlayerHost::releaseThreadConnection();
    itunes::PlayerHost::keepConnectionOnThisThread(false);
}

}  // namespace tavelapp

#include "base/RunningThreads.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace tavelapp {

RunningThreads::~RunningThreads() { waitAll(); }

void RunningThreads::add(const std::shared_ptr<Thread>& thread) {
    std::vector<std::shared_ptr<Thread>> done;
    {
        std::lock_guard<std::mutex> guard(lock_);
        auto firstDone = std::stable_partition(threads_.begin(), threads_.end(),
                                               [](const std::shared_ptr<Thread>& t) { return !t->finished(); });
        done.assign(std::make_move_iterator(firstDone), std::make_move_iterator(threads_.end()));
        threads_.erase(firstDone, threads_.end());
        threads_.push_back(thread);
    }
    // Finished threads are released outside the lock: their destructors may start threads too.
}

void RunningThreads::start(const std::shared_ptr<Thread>& thread) {
    add(thread);
    thread->start();
}

void RunningThreads::waitAll() {
    for (;;) {
        std::vector<std::shared_ptr<Thread>> batch;
        {
            std::lock_guard<std::mutex> guard(lock_);
            batch.swap(threads_);
        }
        if (batch.empty()) return;
        // Wait before releasing: a derived object must not die under its running thread.
        for (auto& t : batch)
            t->wait();
    }
}

bool RunningThreads::waitAllFor(unsigned int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        // Only finished threads are joined (their last instructions are left),
        // so no join outlasts the deadline; a thread added but not started yet
        // counts as running, and one started meanwhile is found next round.
        std::vector<std::shared_ptr<Thread>> done;
        bool empty = false;
        {
            std::lock_guard<std::mutex> guard(lock_);
            auto firstDone = std::stable_partition(threads_.begin(), threads_.end(),
                                                   [](const std::shared_ptr<Thread>& t) { return !t->finished(); });
            done.assign(std::make_move_iterator(firstDone), std::make_move_iterator(threads_.end()));
            threads_.erase(firstDone, threads_.end());
            empty = threads_.empty();
        }
        for (auto& t : done)
            t->wait();
        // Released outside the lock: their destructors may start threads too.
        done.clear();
        if (empty) {
            std::lock_guard<std::mutex> guard(lock_);
            if (threads_.empty()) return true;
            continue;
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::size_t RunningThreads::size() const {
    std::lock_guard<std::mutex> guard(lock_);
    return threads_.size();
}

RunningThreads& runningThreads() {
    // Never destroyed: the process ends without joining what still runs.
    static RunningThreads* instance = new RunningThreads();
    return *instance;
}

}  // namespace tavelapp

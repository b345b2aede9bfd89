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
        bool allFinished = true;
        {
            std::lock_guard<std::mutex> guard(lock_);
            for (const auto& t : threads_)
                allFinished = allFinished && (!t->started() || t->finished());
        }
        // Finished threads only have their last instructions left: joining is quick.
        if (allFinished) {
            waitAll();
            return true;
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
    static RunningThreads instance;
    return instance;
}

}  // namespace tavelapp

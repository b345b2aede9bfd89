#include "app/RunningThreads.h"

#include <algorithm>

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

std::size_t RunningThreads::size() const {
    std::lock_guard<std::mutex> guard(lock_);
    return threads_.size();
}

RunningThreads& runningThreads() {
    static RunningThreads instance;
    return instance;
}

}  // namespace tavelapp

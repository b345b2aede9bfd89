#pragma once
#include <memory>
#include <mutex>
#include <vector>

#include "base/NotifyWndInfo.h"

namespace tavelapp {

// Notification requests from any thread, drained in arrival order on the main thread.
class NotifyQueue {
public:
    using Item = std::shared_ptr<NotifyWndInfo>;

    void push(Item item);
    // Hands every queued item to fn in order, holding the lock while doing so,
    // so a worker blocks at most for one drain; then empties the queue.
    // A request made from inside fn (same thread) is queued for the next drain.
    template <typename Fn>
    void drain(Fn&& fn) {
        std::lock_guard<std::recursive_mutex> guard(lock());
        std::vector<Item> batch;
        batch.swap(items_);
        for (const Item& item : batch)
            fn(item);
    }
    std::size_t size() const;

    // The one process-wide lock over every queue (a single controller exists).
    static std::recursive_mutex& lock();

private:
    std::vector<Item> items_;
};

}  // namespace tavelapp

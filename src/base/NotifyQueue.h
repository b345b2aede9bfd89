#pragma once
#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "base/NotifyWndInfo.h"

namespace tavelapp {

// Notification requests from any thread, taken in arrival order on the main
// thread. Bounded: a newer request with the same key replaces the waiting
// one (a held volume key shows its last value), and when the queue is full
// the oldest request goes. So a worker never waits for the main thread, and
// a main thread that is busy elsewhere never finds an unbounded backlog.
class NotifyQueue {
public:
    using Item = std::shared_ptr<NotifyWndInfo>;
    static constexpr std::size_t kCapacity = 64;

    // The process-wide queue; lives to the end of the process, so workers may
    // queue after the controller went (their requests are then dropped).
    static NotifyQueue& instance();

    explicit NotifyQueue(std::size_t capacity = kCapacity);
    NotifyQueue(const NotifyQueue&) = delete;
    NotifyQueue& operator=(const NotifyQueue&) = delete;

    // True when this request arms the queue: nothing was waiting since the
    // last take(), so the caller must see that one drain follows.
    bool push(Item item);
    // Empties the queue and disarms it; requests pushed from now on arm again.
    std::vector<Item> take();
    std::size_t size() const;
    bool armed() const;
    // Requests that went for want of room (replaced ones do not count).
    unsigned long dropped() const;

private:
    const std::size_t capacity_;
    mutable std::mutex lock_;
    std::vector<Item> items_;
    bool armed_ = false;
    unsigned long dropped_ = 0;
};

}  // namespace tavelapp

#include "base/NotifyQueue.h"

#include <algorithm>

namespace tavelapp {

NotifyQueue& NotifyQueue::instance() {
    // Never destroyed: a worker may still queue while the process ends.
    static NotifyQueue* queue = new NotifyQueue();
    return *queue;
}

NotifyQueue::NotifyQueue(std::size_t capacity) : capacity_(std::max<std::size_t>(1, capacity)) {}

bool NotifyQueue::push(Item item) {
    if (!item) return false;
    std::lock_guard<std::mutex> guard(lock_);
    // Requests without a key (errors, notices) are all different.
    if (!item->messageKey.empty()) {
        items_.erase(std::remove_if(items_.begin(), items_.end(),
                                    [&](const Item& waiting) { return waiting->messageKey == item->messageKey; }),
                     items_.end());
    }
    if (items_.size() >= capacity_) {
        items_.erase(items_.begin());
        ++dropped_;
    }
    items_.push_back(std::move(item));
    const bool arms = !armed_;
    armed_ = true;
    return arms;
}

std::vector<NotifyQueue::Item> NotifyQueue::take() {
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<Item> batch;
    batch.swap(items_);
    armed_ = false;
    return batch;
}

std::size_t NotifyQueue::size() const {
    std::lock_guard<std::mutex> guard(lock_);
    return items_.size();
}

bool NotifyQueue::armed() const {
    std::lock_guard<std::mutex> guard(lock_);
    return armed_;
}

unsigned long NotifyQueue::dropped() const {
    std::lock_guard<std::mutex> guard(lock_);
    return dropped_;
}

}  // namespace tavelapp

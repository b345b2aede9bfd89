#include "app/NotifyQueue.h"

namespace tavelapp {

std::recursive_mutex& NotifyQueue::lock() {
    static std::recursive_mutex controllerLock;
    return controllerLock;
}

void NotifyQueue::push(Item item) {
    std::lock_guard<std::recursive_mutex> guard(lock());
    items_.push_back(std::move(item));
}

std::size_t NotifyQueue::size() const {
    std::lock_guard<std::recursive_mutex> guard(lock());
    return items_.size();
}

}  // namespace tavelapp

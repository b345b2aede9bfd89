#pragma once
#include <atomic>

namespace tavelapp {
namespace amazon {

// Handed to a cover search by whoever started it, to end it early from any
// thread: the search stops at its next step and fetches nothing more.
class SearchCancel {
public:
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }

private:
    std::atomic<bool> cancelled_{false};
};

}  // namespace amazon
}  // namespace tavelapp

#include "web/RateLimiter.h"

#include <algorithm>

namespace tavelapp {

RateLimiter::RateLimiter(double burst, double perSecond, std::size_t maxAddresses)
    : burst_(burst), perMs_(perSecond / 1000.0), maxAddresses_(maxAddresses < 1 ? 1 : maxAddresses) {}

void RateLimiter::makeRoom(std::int64_t nowMs) {
    for (auto it = buckets_.begin(); it != buckets_.end();) {
        const double refilled = it->second.tokens + static_cast<double>(nowMs - it->second.updatedMs) * perMs_;
        it = refilled >= burst_ ? buckets_.erase(it) : std::next(it);
    }
}

bool RateLimiter::admit(const std::string& address, std::int64_t nowMs) {
    auto it = buckets_.find(address);
    if (it == buckets_.end()) {
        if (buckets_.size() >= maxAddresses_) makeRoom(nowMs);
        // Forgetting a spent bucket would fill it again: a full table holds everyone new back instead.
        if (buckets_.size() >= maxAddresses_) return false;
        it = buckets_.emplace(address, Bucket{burst_, nowMs}).first;
    }
    Bucket& bucket = it->second;
    // A clock that went back refills nothing.
    const std::int64_t elapsed = nowMs > bucket.updatedMs ? nowMs - bucket.updatedMs : 0;
    bucket.tokens = std::min(burst_, bucket.tokens + static_cast<double>(elapsed) * perMs_);
    bucket.updatedMs = nowMs;
    if (bucket.tokens < 1.0) return false;
    bucket.tokens -= 1.0;
    return true;
}

}  // namespace tavelapp

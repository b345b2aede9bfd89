#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace tavelapp {

// Requests per address (or peer group): a bucket of `burst` requests that
// refills at `perSecond`. The table has a fixed size; when it is full,
// addresses whose bucket is full again are forgotten, and while none is, a
// new address is refused rather than a spent bucket forgotten.
class RateLimiter {
public:
    RateLimiter(double burst, double perSecond, std::size_t maxAddresses);

    // Takes one request from the address's bucket; false when it is empty.
    bool admit(const std::string& address, std::int64_t nowMs);

private:
    struct Bucket {
        double tokens = 0;
        std::int64_t updatedMs = 0;
    };
    void makeRoom(std::int64_t nowMs);

    double burst_;
    double perMs_;
    std::size_t maxAddresses_;
    std::unordered_map<std::string, Bucket> buckets_;
};

}  // namespace tavelapp

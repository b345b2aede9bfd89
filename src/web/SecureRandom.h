#pragma once
#include <cstddef>
#include <cstdint>

namespace tavelapp {

// The system's cryptographic random generator (BCryptGenRandom on Windows).
class SecureRandom {
public:
    // False when the system gave no random bytes: nothing may be made of them then.
    static bool fill(std::uint8_t* out, std::size_t size);
};

}  // namespace tavelapp

#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tavelapp {

// SHA-256, small and portable: the web remote keeps only this hash of each
// paired browser's token, so a copy of its settings file pairs nobody.
class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    static Digest hash(const void* data, std::size_t size);
    // Lower-case hexadecimal, 64 characters.
    static std::string hexHash(const std::string& data);
    static std::string hex(const std::uint8_t* data, std::size_t size);
};

}  // namespace tavelapp

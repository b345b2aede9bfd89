#include <fstream>

#include "web/SecureRandom.h"

namespace tavelapp {

bool SecureRandom::fill(std::uint8_t* out, std::size_t size) {
    std::ifstream source("/dev/urandom", std::ios::binary);
    return source.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(size)).good();
}

}  // namespace tavelapp

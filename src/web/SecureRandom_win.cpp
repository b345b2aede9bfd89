#include <windows.h>

#include <bcrypt.h>

#include "web/SecureRandom.h"

namespace tavelapp {

bool SecureRandom::fill(std::uint8_t* out, std::size_t size) {
    if (size > 0xFFFFFFFFu) return false;
    const NTSTATUS status = ::BCryptGenRandom(nullptr, out, static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    return status >= 0;
}

}  // namespace tavelapp

#pragma once

namespace tavel {
namespace win {
namespace util {

// COM for the calling thread (single-threaded apartment); nothing off Windows.
void comInitialize();
void comUninitialize();

}  // namespace util
}  // namespace win
}  // namespace tavel

#pragma once
#include <string>

namespace tavel {
namespace win {
namespace util {

// Lower-cases ASCII letters only, as names of actions and languages are compared.
std::wstring asciiLower(std::wstring text);

}  // namespace util
}  // namespace win
}  // namespace tavel

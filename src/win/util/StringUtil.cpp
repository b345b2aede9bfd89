#include "win/util/StringUtil.h"

namespace tavel {
namespace win {
namespace util {

std::wstring asciiLower(std::wstring text) {
    for (wchar_t& c : text) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return text;
}

}  // namespace util
}  // namespace win
}  // namespace tavel

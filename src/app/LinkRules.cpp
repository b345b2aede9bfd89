#include "app/LinkRules.h"

#include "win/util/StringUtil.h"

namespace tavelapp {
namespace LinkRules {

bool isWebAddress(const std::wstring& address) {
    const std::wstring lowered = tavel::win::util::asciiLower(address);
    std::size_t host = 0;
    if (lowered.compare(0, 7, L"http://") == 0) {
        host = 7;
    } else if (lowered.compare(0, 8, L"https://") == 0) {
        host = 8;
    } else {
        return false;
    }
    if (host >= address.size() || address[host] == L'/' || address[host] == L'\\') return false;
    for (const wchar_t c : address) {
        if (c <= L' ' || c == L'"' || c == 0x7F) return false;
    }
    return true;
}

}  // namespace LinkRules
}  // namespace tavelapp

// The peers allowed to reach the phone server come from a setting a user may
// paste anything into: any list must read or be refused whole, and what it
// lets in must follow from the entries that were read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "input/AddressFilter.h"
#include "win/file/FileSystem.h"

using namespace tavelapp;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    AddressFilter filter;
    std::wstring bad;
    const bool read = filter.parse(tavel::win::file::decodeAnsi(bytes), &bad);
    if (read != bad.empty()) __builtin_trap();

    // Every word as one address: one that reads must be let in by a list of itself.
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of(" \t\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        const std::string word = bytes.substr(start, end - start);
        start = end + 1;
        AddressFilter::Address address;
        if (!AddressFilter::parseAddress(word, address)) continue;
        if (address.family != 4 && address.family != 6) __builtin_trap();
        const std::size_t length = address.family == 4 ? 4 : 16;
        AddressFilter alone;
        if (word.find_first_of("\x0b\x0c") == std::string::npos &&
            alone.parse(std::wstring(word.begin(), word.end())) && !alone.allows(address.bytes.data(), length))
            __builtin_trap();
        filter.allows(address.bytes.data(), length);
    }
    // Raw peer bytes of every size, as the socket layer hands them over.
    for (std::size_t n : {std::size_t(4), std::size_t(16), size}) {
        if (n <= size) filter.allows(data, n);
    }
    return 0;
}

#include "input/AddressFilter.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace tavelapp {
namespace {

bool parseDecimal(const std::string& text, unsigned max, unsigned& value) {
    if (text.empty() || text.size() > 3) return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= max;
}

bool parseV4(const std::string& text, std::uint8_t* out) {
    std::size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = text.find('.', start);
        if ((dot == std::string::npos) != (part == 3)) return false;
        unsigned value = 0;
        if (!parseDecimal(text.substr(start, dot == std::string::npos ? std::string::npos : dot - start), 255, value))
            return false;
        out[part] = static_cast<std::uint8_t>(value);
        start = dot + 1;
    }
    return true;
}

bool parseGroups(const std::string& text, std::vector<std::uint16_t>& groups, bool allowV4Tail) {
    if (text.empty()) return true;
    std::size_t start = 0;
    for (;;) {
        const std::size_t colon = text.find(':', start);
        const std::string group = text.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        if (colon == std::string::npos && allowV4Tail && group.find('.') != std::string::npos) {
            std::uint8_t v4[4];
            if (!parseV4(group, v4)) return false;
            groups.push_back(static_cast<std::uint16_t>(v4[0] << 8 | v4[1]));
            groups.push_back(static_cast<std::uint16_t>(v4[2] << 8 | v4[3]));
            return true;
        }
        if (group.empty() || group.size() > 4) return false;
        unsigned value = 0;
        for (const char c : group) {
            int digit = -1;
            if (c >= '0' && c <= '9') digit = c - '0';
            if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            if (digit < 0) return false;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        groups.push_back(static_cast<std::uint16_t>(value));
        if (colon == std::string::npos) return true;
        start = colon + 1;
    }
}

bool parseV6(const std::string& text, std::uint8_t* out) {
    std::vector<std::uint16_t> head, tail;
    const std::size_t gap = text.find("::");
    if (gap == std::string::npos) {
        if (!parseGroups(text, head, true) || head.size() != 8) return false;
    } else {
        if (text.find("::", gap + 1) != std::string::npos) return false;
        if (!parseGroups(text.substr(0, gap), head, false) || !parseGroups(text.substr(gap + 2), tail, true))
            return false;
        if (head.size() + tail.size() > 7) return false;
        head.resize(8 - tail.size(), 0);
        head.insert(head.end(), tail.begin(), tail.end());
    }
    for (int i = 0; i < 8; ++i) {
        out[2 * i] = static_cast<std::uint8_t>(head[i] >> 8);
        out[2 * i + 1] = static_cast<std::uint8_t>(head[i] & 0xFF);
    }
    return true;
}

const std::uint8_t kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF};

bool samePrefix(const std::uint8_t* a, const std::uint8_t* b, unsigned bits) {
    const unsigned whole = bits / 8;
    if (std::memcmp(a, b, whole) != 0) return false;
    const unsigned rest = bits % 8;
    if (rest == 0) return true;
    const std::uint8_t mask = static_cast<std::uint8_t>(0xFF << (8 - rest));
    return (a[whole] & mask) == (b[whole] & mask);
}

}  // namespace

bool AddressFilter::parseAddress(const std::string& text, Address& address) {
    address = Address();
    if (text.find(':') != std::string::npos) {
        address.family = 6;
        return parseV6(text, address.bytes.data());
    }
    address.family = 4;
    return parseV4(text, address.bytes.data());
}

bool AddressFilter::parse(const std::wstring& list, std::wstring* badEntry) {
    entries_.clear();
    std::wistringstream words(list);
    std::wstring word;
    while (words >> word) {
        std::string narrow;
        for (const wchar_t c : word)
            narrow.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        Entry entry;
        const std::size_t slash = narrow.find('/');
        bool ok = parseAddress(narrow.substr(0, slash), entry.address);
        const unsigned maxPrefix = entry.address.family == 4 ? 32 : 128;
        entry.prefix = maxPrefix;
        if (ok && slash != std::string::npos) ok = parseDecimal(narrow.substr(slash + 1), maxPrefix, entry.prefix);
        // Peers seen through a dual-stack socket are matched as IPv4, so an
        // entry written as a mapped address must be one too.
        if (ok && entry.address.family == 6 && entry.prefix >= 96 &&
            std::memcmp(entry.address.bytes.data(), kMapped, 12) == 0) {
            entry.address.family = 4;
            std::memmove(entry.address.bytes.data(), entry.address.bytes.data() + 12, 4);
            std::fill(entry.address.bytes.begin() + 4, entry.address.bytes.end(), std::uint8_t(0));
            entry.prefix -= 96;
        }
        if (!ok) {
            entries_.clear();
            if (badEntry) *badEntry = word;
            return false;
        }
        entries_.push_back(entry);
    }
    return true;
}

bool AddressFilter::allows(const std::uint8_t* bytes, std::size_t size) const {
    int family = 0;
    if (size == 4) {
        family = 4;
    } else if (size == 16 && std::memcmp(bytes, kMapped, 12) == 0) {
        family = 4;
        bytes += 12;
    } else if (size == 16) {
        family = 6;
    }
    if (family == 0) return false;
    for (const Entry& entry : entries_) {
        if (entry.address.family == family && samePrefix(entry.address.bytes.data(), bytes, entry.prefix)) return true;
    }
    return false;
}

}  // namespace tavelapp

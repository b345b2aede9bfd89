#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavelapp {

// Which network peers may talk to the server: blank-separated addresses and
// prefixes ("127.0.0.0/8 ::1 192.168.1.0/24 fe80::/10"). IPv4 peers seen
// through a dual-stack socket (::ffff:a.b.c.d) count as IPv4.
class AddressFilter {
public:
    struct Address {
        int family = 0;  // 4 or 6
        std::array<std::uint8_t, 16> bytes{};
    };

    // Numeric only, no host names; false for anything else.
    static bool parseAddress(const std::string& text, Address& address);

    // Replaces the list; false (and the list empty, so nobody is allowed) when
    // an entry does not read, with the entry in badEntry.
    bool parse(const std::wstring& list, std::wstring* badEntry = nullptr);

    // bytes: 4 for IPv4, 16 for IPv6, in network order.
    bool allows(const std::uint8_t* bytes, std::size_t size) const;

private:
    struct Entry {
        Address address;
        unsigned prefix = 0;
    };
    std::vector<Entry> entries_;
};

}  // namespace tavelapp

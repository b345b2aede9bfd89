#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "action/ActionList.h"
#include "config/Lang.h"
#include "input/AddressFilter.h"
#include "input/IRRules.h"

using namespace tavelapp;

namespace {

Settings::Key binding(std::uint32_t key, const std::wstring& action) { return {key, action}; }

}  // namespace

TEST(IRRules, LinesBecomeTheActionsTheyName) {
    const Settings::KeyList bindings = {binding(1, L"NextTrack"), binding(0, L"Volume_Up5"), binding(1, L"NotifyTrack"),
                                        binding(0x100, L"PrevPlaylist"), binding(5, L"Rating_1")};
    const struct {
        std::wstring line;
        std::vector<std::wstring> actions;
    } cases[] = {
        {L"KEY:1", {L"NextTrack", L"NotifyTrack"}},  // same code: both, in list order
        {L"KEY:  1  ", {L"NextTrack", L"NotifyTrack"}},
        {L"KEY:   ", {L"Volume_Up5"}},  // no digits reads as 0
        {L"KEY:x5", {L"Volume_Up5"}},
        {L"KEY:256", {L"PrevPlaylist"}},
        {L"KEY:5\r", {L"Rating_1"}},  // digits lead, the rest is ignored
        {L"KEY:-1", {L"Volume_Up5"}},
        {L"KEY:4294967297", {}},  // huge numbers do not wrap onto a binding
        {L"KEY:7", {}},
        {L"RUN: Volume_Down5 ", {L"Volume_Down5"}},
        {L"RUN:Volume_Down5\r", {L"Volume_Down5"}},  // a CR LF sender's line
        {L"RUN: Volume_Down5 \r", {L"Volume_Down5"}},
        {L"RUN:Volume_Down5\r\r", {L"Volume_Down5\r"}},  // one CR only
        {L"RUN:", {}},                                   // the empty reference runs nothing
        {L"key:1", {}},
        {L" KEY:1", {}},
        {L"KEY", {}},
        {L"", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> actions = IRRules::actionsFor(IRRules::parseLine(c.line), bindings);
        // The runner takes "no action" for an empty reference; drop it here for the comparison.
        if (actions.size() == 1 && actions[0].empty()) actions.clear();
        EXPECT_EQ(c.actions, actions) << std::string(c.line.begin(), c.line.end());
    }
}

TEST(IRRules, FromTheNetworkAKeysBindingsObeyTheNetworkRule) {
    ActionList::instance().clear();
    ActionList::instance().parse(L"Default",
                                 L"[volume]\nVolume_Down5\tVolume\t-5\n[system]\nShutdown\tExitSystem\tShutdown\n"
                                 L"Browser\tShellExecute\thttp://example.invalid/\n");
    // A key's bindings obey the same rule from the network; infrared runs them all.
    const Settings::KeyList bindings = {binding(7, L"Shutdown"), binding(8, L"Volume_Down5"), binding(8, L"Browser"),
                                        binding(8, L"NextTrack")};
    const struct {
        const wchar_t* line;
        bool network;
        bool allowAll;
        std::vector<std::wstring> actions;
    } lines[] = {
        {L"KEY:7", true, false, {}},
        {L"KEY:7", true, true, {L"Shutdown"}},
        {L"KEY:7", false, false, {L"Shutdown"}},
        {L"KEY:8", true, false, {L"Volume_Down5", L"NextTrack"}},
        {L"KEY:8", false, false, {L"Volume_Down5", L"Browser", L"NextTrack"}},
        {L"RUN:Shutdown", true, false, {}},
        {L"RUN:Shutdown", false, false, {L"Shutdown"}},
    };
    for (const auto& l : lines) {
        EXPECT_EQ(l.actions, IRRules::actionsToRun(IRRules::parseLine(l.line), bindings, l.network, l.allowAll))
            << std::string(l.line, l.line + wcslen(l.line)) << " network " << l.network << " all " << l.allowAll;
    }
    ActionList::instance().clear();
}

TEST(IRRules, KeyNamesFromTheLanguageFileAndFixedTexts) {
    TempFolder dir;
    dir.write("en.lng", "[Others]\r\nIRComKeyUp=Up\r\nIRComKeySelect=Select\r\nIRComKeyShift=Shift\r\n");
    Lang::instance().setFiles(dir.winPath("en.lng"), {});
    EXPECT_EQ(L"Up", IRRules::displayName(0));
    EXPECT_EQ(L"Shift + Select", IRRules::displayName(0x104));
    EXPECT_EQ(L"1", IRRules::displayName(5));
    EXPECT_EQ(L"Shift + 9", IRRules::displayName(0x10D));
    EXPECT_EQ(L"*", IRRules::displayName(14));
    EXPECT_EQ(L"0", IRRules::displayName(15));
    EXPECT_EQ(L"#", IRRules::displayName(16));
    EXPECT_EQ(L"", IRRules::displayName(17));
    EXPECT_EQ(L"Shift + ", IRRules::displayName(0x1FF));
    Lang::instance().setFiles(std::wstring(), {});
}

TEST(AddressFilter, AllowsListedAddressesAndPrefixesOnly) {
    AddressFilter filter;
    ASSERT_TRUE(filter.parse(L"127.0.0.0/8  ::1\t192.168.1.0/24 10.1.2.3 FE80::/10 2001:db8::1:0:0:1"));
    // With the last and the first address past each prefix; capitals read as hex digits.
    const struct {
        const char* address;
        bool allowed;
    } cases[] = {
        {"127.0.0.1", true},     {"127.255.1.2", true},      {"128.0.0.1", false},       {"192.168.1.77", true},
        {"192.168.2.1", false},  {"10.1.2.3", true},         {"10.1.2.4", false},        {"::1", true},
        {"::2", false},          {"fe80::1234", true},       {"fec0::1", false},         {"2001:db8:0:0:1::1", true},
        {"2001:db8::2", false},  {"::ffff:127.0.0.3", true}, {"::ffff:8.8.8.8", false},  {"0.0.0.0", false},
        {"192.168.1.255", true}, {"192.168.2.0", false},     {"127.255.255.255", true},  {"126.255.255.255", false},
        {"FEBF:FFFF::1", true},  {"FEC0::", false},          {"::FFFF:127.0.0.1", true},
    };
    for (const auto& c : cases) {
        AddressFilter::Address address;
        ASSERT_TRUE(AddressFilter::parseAddress(c.address, address)) << c.address;
        EXPECT_EQ(c.allowed, filter.allows(address.bytes.data(), address.family == 4 ? 4 : 16)) << c.address;
    }
    // Odd sizes are nobody.
    const std::uint8_t bytes[8] = {127, 0, 0, 1};
    EXPECT_FALSE(filter.allows(bytes, 8));

    // An entry written as a mapped address is matched as the IPv4 prefix it names.
    AddressFilter mapped;
    ASSERT_TRUE(mapped.parse(L"::ffff:172.16.0.0/108"));
    const std::uint8_t inside[4] = {172, 31, 0, 1}, outside[4] = {172, 32, 0, 1};
    EXPECT_TRUE(mapped.allows(inside, 4));
    EXPECT_FALSE(mapped.allows(outside, 4));

    AddressFilter single;
    ASSERT_TRUE(single.parse(L"127.0.0.2"));
    const std::uint8_t two[4] = {127, 0, 0, 2}, three[4] = {127, 0, 0, 3};
    EXPECT_TRUE(single.allows(two, 4));
    EXPECT_FALSE(single.allows(three, 4));
}

TEST(AddressFilter, ListsThatDoNotReadAllowNobody) {
    // Each limit on its edge (reads) and one past it (does not).
    const struct {
        const wchar_t* edge;
        const wchar_t* past;
    } limits[] = {
        {L"255.255.255.255", L"256.1.1.1"},
        {L"127.0.0.0/32", L"127.0.0.0/33"},
        {L"::/128", L"fe80::/129"},
        {L"1.2.3.4/032", L"1.2.3.4/0032"},
        {L"001.2.3.4", L"0001.2.3.4"},
        {L"FFFF::", L"12345::"},
        {L"1:2:3:4:5:6:7:8", L"1:2:3:4:5:6:7:8:9"},
        {L"1:2:3:4:5:6::7", L"1:2:3:4:5:6:7::8"},
        {L"1:2:3:4:5:6:1.2.3.4", L"1:2:3:4:5:6:7:1.2.3.4"},
    };
    for (const auto& limit : limits) {
        AddressFilter filter;
        EXPECT_TRUE(filter.parse(limit.edge)) << std::string(limit.edge, limit.edge + wcslen(limit.edge));
    }
    std::vector<const wchar_t*> bad = {L"127.0.0.1 localhost", L"1.2.3", L"1.2.3.4.5", L"::1::2",
                                       L"127.0.0.1/",          L"/8",    L"1.2.3.4/x"};
    for (const auto& limit : limits)
        bad.push_back(limit.past);
    for (const wchar_t* list : bad) {
        AddressFilter filter;
        std::wstring entry;
        EXPECT_FALSE(filter.parse(list, &entry)) << std::string(list, list + wcslen(list));
        EXPECT_FALSE(entry.empty());
        const std::uint8_t loopback[4] = {127, 0, 0, 1};
        EXPECT_FALSE(filter.allows(loopback, 4));
    }
    AddressFilter empty;
    EXPECT_TRUE(empty.parse(L"  "));
    const std::uint8_t loopback[4] = {127, 0, 0, 1};
    EXPECT_FALSE(empty.allows(loopback, 4));
}

#include <gtest/gtest.h>

#include <string>

#include "app/LinkRules.h"

using namespace tavelapp;

TEST(LinkRules, OnlyWebAddressesAreOpened) {
    const struct {
        const wchar_t* address;
        bool opened;
    } cases[] = {
        {L"http://example.com/", true},
        {L"https://example.com/path?q=1#top", true},
        {L"HTTPS://Example.com", true},
        {L"hTtP://example.com:8080/x", true},
        {L"file:///C:/Windows/System32/calc.exe", false},
        {L"javascript:alert(1)", false},
        {L"C:\\x.exe", false},
        {L"x.exe", false},
        {L"..\\tools\\x.bat", false},
        {L"\\\\server\\share\\x.exe", false},
        {L"https:\\\\server\\share", false},
        {L"http://", false},
        {L"http:///x", false},
        {L"https:example.com", false},
        {L" https://example.com", false},
        {L"https://example.com\" --some-switch", false},
        {L"https://example.com/a b", false},
        {L"https://example.com/\r\nx", false},
        {L"ftp://example.com/", false},
        {L"", false},
    };
    for (const auto& c : cases) {
        const std::wstring address = c.address;
        EXPECT_EQ(c.opened, LinkRules::isWebAddress(address)) << std::string(address.begin(), address.end());
    }
}

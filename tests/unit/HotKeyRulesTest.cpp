#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "config/Lang.h"
#include "input/HotKeyRules.h"

using namespace tavelapp;

TEST(HotKeyRules, BindingTextListsModifiersInFixedOrder) {
    EXPECT_EQ(L"Alt + Ctrl + F5", HotKeyRules::joinBinding(3, L"F5"));
    EXPECT_EQ(L"F5", HotKeyRules::joinBinding(0, L"F5"));
    EXPECT_EQ(L"Ctrl + Shift + End", HotKeyRules::joinBinding(6, L"End"));
    // The Windows key is registered but never shown.
    EXPECT_EQ(L"Alt + Ctrl + Shift + A", HotKeyRules::joinBinding(15, L"A"));
    EXPECT_EQ(L"A", HotKeyRules::joinBinding(8, L"A"));
}

TEST(HotKeyRules, CursorBlockAndNumLockAskForTheExtendedName) {
    for (std::uint32_t vk : {0x21u, 0x22u, 0x23u, 0x24u, 0x25u, 0x26u, 0x27u, 0x28u, 0x2Du, 0x2Eu, 0x90u}) {
        EXPECT_TRUE(HotKeyRules::isExtendedKey(vk)) << vk;
    }
    // Neighbours: Space, Select, Print Screen, F5, the number-pad keys, Scroll Lock.
    for (std::uint32_t vk : {0x20u, 0x29u, 0x2Cu, 0x2Fu, 0x74u, 0x60u, 0x66u, 0x91u, 0x0Du}) {
        EXPECT_FALSE(HotKeyRules::isExtendedKey(vk)) << vk;
    }
    EXPECT_EQ(0x014D0000, HotKeyRules::keyNameParam(0x4D, 0x27));  // Right
    EXPECT_EQ(0x003F0000, HotKeyRules::keyNameParam(0x3F, 0x74));  // F5
}

TEST(HotKeyRules, FailureMessageNamesEightThenDots) {
    EXPECT_EQ(L"", HotKeyRules::failureMessage(L"Refused:", {}));
    EXPECT_EQ(L"Refused:\n\n\u30FBNext Track\n", HotKeyRules::failureMessage(L"Refused:", {L"Next Track"}));

    std::vector<std::wstring> names;
    for (int i = 1; i <= 10; ++i)
        names.push_back(L"a" + std::to_wstring(i));
    std::wstring expected = L"Refused:\n\n";
    for (int i = 1; i <= 8; ++i)
        expected += L"\u30FBa" + std::to_wstring(i) + L"\n";
    expected += L"...\n";
    EXPECT_EQ(expected, HotKeyRules::failureMessage(L"Refused:", names));

    // Exactly nine: the ninth is only the dots.
    names.resize(9);
    EXPECT_EQ(expected, HotKeyRules::failureMessage(L"Refused:", names));
    names.resize(8);
    EXPECT_EQ(expected.substr(0, expected.size() - 4), HotKeyRules::failureMessage(L"Refused:", names));
}

TEST(HotKeyRules, ActionNamesComeFromTheLanguageFileOrAreTheReference) {
    TempFolder dir;
    dir.write("en.lng", "[ActionName]\r\nNextTrack=Next Track\r\n");
    dir.write("Pack/en.lng", "[ActionName]\r\nMyAction=Package action\r\n");
    Lang::instance().setFiles(dir.winPath("en.lng"), {dir.winPath("Pack/en.lng")});
    EXPECT_EQ(L"Next Track", HotKeyRules::actionDisplayName(L"NextTrack"));
    EXPECT_EQ(L"Next Track", HotKeyRules::actionDisplayName(L"nexttrack"));
    EXPECT_EQ(L"Package action", HotKeyRules::actionDisplayName(L"MyAction"));
    EXPECT_EQ(L"Volume_Up7", HotKeyRules::actionDisplayName(L"Volume_Up7"));
    Lang::instance().setFiles(std::wstring(), {});
}

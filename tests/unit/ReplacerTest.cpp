#include <gtest/gtest.h>

#include <string>

#include "base/Replacer.h"

using tavelapp::Replacer;

namespace {

std::wstring repeat(const std::wstring& piece, int times) {
    std::wstring text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

}  // namespace

TEST(Replacer, InsertsValuesLiterallyAndLeavesOtherTextAlone) {
    Replacer replacer;
    replacer.add(L"\\n", L"\n");
    replacer.add(L"%Name%", L"100% %Artist% a\\nb");
    replacer.add(L"%Artist%", L"Someone");
    // A value that looks like a key or like a line break is never scanned again.
    EXPECT_EQ(L"[100% %Artist% a\\nb|100% %Artist% a\\nb]\nSomeone", replacer.apply(L"[%Name%|%Name%]\\n%Artist%"));
    // Unknown percent words, a lone percent sign and a real line feed stay as written.
    EXPECT_EQ(L"%Unknown% 5% Someone\nend\n", replacer.apply(L"%Unknown% 5% %Artist%\nend\\n"));
    EXPECT_EQ(L"no keys here", replacer.apply(L"no keys here"));
    EXPECT_EQ(L"", replacer.apply(L""));
}

TEST(Replacer, StopsAfter512ReplacementsAndCopiesTheRest) {
    Replacer replacer;
    replacer.add(L"%A%", L"x");
    replacer.add(L"%B%", L"y");
    EXPECT_EQ(repeat(L"xy", 256) + repeat(L"%A%%B%", 44), replacer.apply(repeat(L"%A%%B%", 300)));
    // The budget counts replacements, not distinct keys or characters.
    EXPECT_EQ(repeat(L"x", 512) + L"%A%-", replacer.apply(repeat(L"%A%", 513) + L"-"));
}

TEST(Replacer, AtTheSamePositionTheFirstKeyInOrderWins) {
    Replacer replacer;
    replacer.add(L"%Track%", L"whole");
    replacer.add(L"%Track", L"prefix");
    // Both keys start at 0; the shorter one sorts first and takes the text.
    EXPECT_EQ(L"prefix%", replacer.apply(L"%Track%"));
    // The earliest occurrence wins over key order.
    EXPECT_EQ(L"a prefix b", replacer.apply(L"a %Track b"));
}

TEST(Replacer, AddingAKeyAgainKeepsTheSecondValue) {
    Replacer replacer;
    replacer.add(L"%Name%", L"first");
    replacer.add(L"%Name%", L"second");
    replacer.add(L"%name%", L"lower");  // keys are case-sensitive
    EXPECT_EQ(L"second lower", replacer.apply(L"%Name% %name%"));
    // An empty key would match everywhere.
    replacer.add(L"", L"!");
    EXPECT_EQ(L"abc", replacer.apply(L"abc"));
}

TEST(Replacer, KeysSortByUtf16CodeUnits) {
    const Replacer::KeyOrder less;
    // U+1F600 is D83D DE00 in UTF-16: below U+FF01, although its code point is higher.
    EXPECT_TRUE(less(L"%\U0001F600%", L"%\uFF01%"));
    EXPECT_FALSE(less(L"%\uFF01%", L"%\U0001F600%"));
    EXPECT_TRUE(less(L"%\uD7FF%", L"%\U0001F600%"));
    EXPECT_TRUE(less(L"%\U0001F600%", L"%\U0001F601%"));
    EXPECT_TRUE(less(L"%A", L"%A%"));
    EXPECT_FALSE(less(L"%A%", L"%A%"));
}

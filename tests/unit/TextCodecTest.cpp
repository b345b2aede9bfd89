#include <gtest/gtest.h>

#include "win/util/TextCodec.h"

using namespace tavel::win::util;

namespace {
// U+1F600 as the platform's wide characters.
std::wstring grinning() { return utf8ToWide("\xF0\x9F\x98\x80"); }
}  // namespace

TEST(TextCodec, RoundTripsAcrossPlanes) {
    const std::string utf8 = "a\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80z";  // a é 日 😀 z
    const std::wstring wide = utf8ToWide(utf8);
    EXPECT_EQ(wideToUtf8(wide), utf8);
    EXPECT_EQ(utf16Length(wide), 6u);  // the emoji takes two UTF-16 units
    EXPECT_EQ(wideToUtf16(wide), std::u16string(u"a\u00e9\u65e5\U0001F600z"));
    EXPECT_EQ(utf16leToWide(std::string("a\0\xE9\0\xE5\x65\x3D\xD8\x00\xDEz\0", 12)), wide);
}

TEST(TextCodec, MalformedUtf8BecomesReplacementCharacters) {
    const std::wstring fffd(1, static_cast<wchar_t>(0xFFFD));
    // Overlong, encoded surrogate, above U+10FFFF, stray continuation, cut off at the end.
    for (const std::string bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\xE6\x97"}) {
        EXPECT_FALSE(isValidUtf8(bad)) << bad.size();
        const std::wstring decoded = utf8ToWide("x" + bad + "y");
        ASSERT_GE(decoded.size(), 3u);
        EXPECT_EQ(decoded.front(), L'x');
        EXPECT_EQ(decoded.back(), L'y');
        EXPECT_NE(decoded.find(fffd), std::wstring::npos);
    }
    // A truncated sequence swallows only its own bytes, not the next character.
    EXPECT_EQ(utf8ToWide("\xE6\x97"
                         "A"),
              fffd + L"A");
    EXPECT_TRUE(isValidUtf8("plain \xE6\x97\xA5"));
}

TEST(TextCodec, MalformedUtf16AndWideInput) {
    const std::wstring fffd(1, static_cast<wchar_t>(0xFFFD));
    // Lone high surrogate, lone low surrogate, odd trailing byte.
    EXPECT_EQ(utf16leToWide(std::string("\x3D\xD8"
                                        "A\0",
                                        4)),
              fffd + L"A");
    EXPECT_EQ(utf16leToWide(std::string("\x00\xDC", 2)), fffd);
    EXPECT_EQ(utf16leToWide(std::string("A\0B", 3)), L"A" + fffd);
    std::wstring loneSurrogate(1, static_cast<wchar_t>(0xD800));
    EXPECT_EQ(wideToUtf8(loneSurrogate + L"x"), "\xEF\xBF\xBDx");
}

TEST(TextCodec, TruncateCountsUtf16UnitsAndKeepsPairsWhole) {
    const std::wstring text = L"ab" + grinning() + L"c";
    EXPECT_EQ(truncateUtf16(text, 2), L"ab");
    EXPECT_EQ(truncateUtf16(text, 3), L"ab");  // half an emoji is dropped
    EXPECT_EQ(truncateUtf16(text, 4), L"ab" + grinning());
    EXPECT_EQ(truncateUtf16(text, 100), text);
}

#include <gtest/gtest.h>

#include <random>

#include "win/file/FileSystem.h"
#include "win/file/IniDocument.h"
#include "win/util/TextCodec.h"

using tavel::win::file::IniDocument;

namespace {
const std::string bom = "\xEF\xBB\xBF";
}

TEST(IniDocument, NamesAreCaseInsensitiveAndTrimmed) {
    const IniDocument doc = IniDocument::parse("  [ Main Section ]\r\n\t Key One \t=  spaced value \t\r\n");
    EXPECT_EQ(doc.getString(L"main section", L"KEY ONE", L"def"), L"spaced value");
    EXPECT_EQ(doc.getString(L"MAIN SECTION", L"key one", L"def"), L"spaced value");
    EXPECT_TRUE(doc.hasKey(L"Main Section", L"Key One"));
    EXPECT_FALSE(doc.hasKey(L"Main", L"Key One"));
    EXPECT_EQ(doc.sectionNames(), std::vector<std::wstring>{L"Main Section"});
}

TEST(IniDocument, MissingKeyGivesDefaultButEmptyValueStaysEmpty) {
    const IniDocument doc = IniDocument::parse("[s]\nempty=\nblank=   \nquotedEmpty=\"\"\n");
    EXPECT_EQ(doc.getString(L"s", L"missing", L"def"), L"def");
    EXPECT_EQ(doc.getString(L"other", L"empty", L"def"), L"def");
    EXPECT_EQ(doc.getString(L"s", L"empty", L"def"), L"");
    EXPECT_EQ(doc.getString(L"s", L"blank", L"def"), L"");
    EXPECT_EQ(doc.getString(L"s", L"quotedEmpty", L"def"), L"");
    EXPECT_EQ(doc.getInt(L"s", L"empty", 42), 42);
    EXPECT_EQ(doc.getInt(L"s", L"missing", -3), -3);
}

TEST(IniDocument, OnlyMatchingEnclosingQuotesAreRemoved) {
    const IniDocument doc = IniDocument::parse(
        "[q]\n"
        "double=\" padded \"\n"
        "single='x'\n"
        "mixed=\"x'\n"
        "lone=\"\n"
        "inner=a \"b\" c\n"
        "twice=\"\"x\"\"\n");
    EXPECT_EQ(doc.getString(L"q", L"double", L""), L" padded ");
    EXPECT_EQ(doc.getString(L"q", L"single", L""), L"x");
    EXPECT_EQ(doc.getString(L"q", L"mixed", L""), L"\"x'");
    EXPECT_EQ(doc.getString(L"q", L"lone", L""), L"\"");
    EXPECT_EQ(doc.getString(L"q", L"inner", L""), L"a \"b\" c");
    EXPECT_EQ(doc.getString(L"q", L"twice", L""), L"\"x\"");
}

TEST(IniDocument, CommentsJunkAndDuplicatesFollowTheProfileRules) {
    const IniDocument doc = IniDocument::parse(
        "orphan=before any section\n"
        "[A]\n"
        "; note=1\n"
        "  ;indented=1\n"
        "no equals sign\n"
        "=nameless\n"
        "key=first\n"
        "KEY=second\n"
        "[broken\n"
        "lost=1\n"
        "[b]\n"
        "x=1\n"
        "[a]\n"
        "key=third\n"
        "extra=only in the repeated section\n");
    EXPECT_EQ(doc.sectionNames(), (std::vector<std::wstring>{L"A", L"b"}));
    EXPECT_EQ(doc.keyNames(L"a"), std::vector<std::wstring>{L"key"});
    EXPECT_EQ(doc.getString(L"a", L"key", L""), L"first");
    EXPECT_FALSE(doc.hasKey(L"a", L"extra"));
    EXPECT_FALSE(doc.hasKey(L"a", L"; note"));
    EXPECT_FALSE(doc.hasKey(L"a", L"lost"));
    EXPECT_EQ(doc.getInt(L"b", L"x", 0), 1);
}

TEST(IniDocument, AcceptsCrLfLfAndCrLineEnds) {
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        const IniDocument doc = IniDocument::parse("[s]" + eol + "a=1" + eol + eol + "b=2" + eol);
        EXPECT_EQ(doc.getString(L"s", L"a", L""), L"1");
        EXPECT_EQ(doc.getString(L"s", L"b", L""), L"2");
    }
}

TEST(IniDocument, StringsAreCutTo511Characters) {
    const std::string longValue(600, 'v');
    const IniDocument doc = IniDocument::parse("[s]\nlong=" + longValue + "\nquoted=\"" + longValue + "\"\n");
    EXPECT_EQ(doc.getString(L"s", L"long", L""), std::wstring(511, L'v'));
    EXPECT_EQ(doc.getString(L"s", L"quoted", L""), std::wstring(511, L'v'));
    EXPECT_EQ(doc.getString(L"s", L"missing", std::wstring(600, L'd')), std::wstring(511, L'd'));
    const IniDocument exact = IniDocument::parse("[s]\nv=" + std::string(511, 'x') + "\n");
    EXPECT_EQ(exact.getString(L"s", L"v", L"").size(), 511u);
}

TEST(IniDocument, IntegersParseLikeGetPrivateProfileInt) {
    const struct {
        const char* text;
        std::int32_t expected;
    } cases[] = {
        {"42", 42},         {"-7", -7},        {"+5", 5},
        {"0x1F", 31},       {"0X1f", 31},      {"-0x10", -16},
        {"abc", 0},         {"12abc", 12},     {"1 2", 1},
        {"-", 0},           {"0x", 0},         {"0xZ", 0},
        {"'12'", 12},       {"\" 8\"", 8},     {"2147483647", 2147483647},
        {"4294967295", -1}, {"4294967296", 0}, {"2147483648", INT32_MIN},
        {"007", 7},         {"1e3", 1},        {"0x7fffffff", INT32_MAX},
    };
    for (const auto& c : cases) {
        const IniDocument doc = IniDocument::parse(std::string("[n]\nv=") + c.text + "\n");
        EXPECT_EQ(doc.getInt(L"n", L"v", 99), c.expected) << c.text;
    }
}

TEST(IniDocument, DecodesEveryEncodingTheFilesComeIn) {
    const std::wstring japanese = tavel::win::util::utf8ToWide("\xE6\x97\xA5\xE6\x9C\xAC");  // 日本
    // UTF-8 with and without BOM.
    EXPECT_EQ(IniDocument::parse(bom + "[s]\r\nv=\xE6\x97\xA5\xE6\x9C\xAC\r\n").getString(L"s", L"v", L""), japanese);
    EXPECT_EQ(IniDocument::parse("[s]\nv=\xE6\x97\xA5\xE6\x9C\xAC\n").getString(L"s", L"v", L""), japanese);
    // A BOM must not become part of the first section name.
    EXPECT_TRUE(IniDocument::parse(bom + "[s]\nv=1").hasKey(L"s", L"v"));

    // UTF-16LE with BOM.
    const std::string utf16("\xFF\xFE[\0s\0]\0\r\0\n\0v\0=\0\xE5\x65\x2C\x67\r\0\n\0", 24);
    EXPECT_EQ(IniDocument::parse(utf16).getString(L"s", L"v", L""), japanese);

    // Not valid UTF-8: the ANSI code page.
    const std::string ansi = "caf\xE9";
    EXPECT_EQ(IniDocument::parse("[s]\nv=" + ansi + "\n").getString(L"s", L"v", L""),
              tavel::win::file::decodeAnsi(ansi));
}

TEST(IniDocument, SerializeWritesUtf8BomCrLfInInsertionOrder) {
    IniDocument doc;
    doc.set(L"Second", L"b", L"2");
    doc.set(L"First", L"a", L"\xE9");
    doc.set(L"second", L"A", L"3");
    doc.set(L"SECOND", L"B", L"replaced");
    EXPECT_EQ(doc.serialize(), bom +
                                   "[Second]\r\n"
                                   "b=replaced\r\n"
                                   "A=3\r\n"
                                   "\r\n"
                                   "[First]\r\n"
                                   "a=\xC3\xA9\r\n");
}

TEST(IniDocument, ValuesTheReaderWouldAlterSurviveARoundTrip) {
    const std::vector<std::wstring> values = {
        L"", L" lead", L"trail\t", L"\"quoted\"", L"'single'", L"\"", L"'x\"", L"a=b;c", L"[not a section]",
    };
    IniDocument doc;
    for (std::size_t i = 0; i < values.size(); ++i)
        doc.set(L"s", L"k" + std::to_wstring(i), values[i]);
    doc.set(L"s", L"newline", L"one\r\ntwo\n[Injected]\nx=1");

    const IniDocument back = IniDocument::parse(doc.serialize());
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(back.getString(L"s", L"k" + std::to_wstring(i), L"missing"), values[i]) << i;
    // A line break cannot be stored; it must not split the entry or add sections.
    EXPECT_EQ(back.getString(L"s", L"newline", L""), L"one  two [Injected] x=1");
    EXPECT_EQ(back.sectionNames(), std::vector<std::wstring>{L"s"});
}

TEST(IniDocument, ArbitraryBytesNeverBreakTheParser) {
    const std::vector<std::string> edges = {
        "",
        "[",
        "]",
        "[]",
        "=",
        "\r",
        "\xEF\xBB",
        "\xEF\xBB\xBF",
        "\xFF\xFE",
        "\xFF\xFE[",
        "\xFF\xFE\x00\xD8",
        std::string("[s]\0\nk\0=\0v", 10),
        "[s]\nk=\xFF\xFE",
        "[[[]]]\n=]=[\n",
    };
    std::mt19937 random(12345);
    const char alphabet[] = "[]=;'\"\r\n \t0x-+abAB\xC3\xA9\xFF\xFE\xEF\xBB\xBF\xED\xA0\x80";
    std::vector<std::string> inputs = edges;
    for (int n = 0; n < 2000; ++n) {
        std::string bytes(random() % 200, '\0');
        for (char& c : bytes)
            c = (random() % 4 == 0) ? static_cast<char>(random() & 0xFF) : alphabet[random() % (sizeof alphabet - 1)];
        if (n % 3 == 0) bytes.insert(0, n % 2 ? "\xFF\xFE" : "\xEF\xBB\xBF");
        inputs.push_back(bytes);
    }
    for (const std::string& bytes : inputs) {
        const IniDocument doc = IniDocument::parse(bytes);
        for (const std::wstring& section : doc.sectionNames()) {
            for (const std::wstring& key : doc.keyNames(section)) {
                EXPECT_TRUE(doc.hasKey(section, key));
                doc.getString(section, key, L"");
                doc.getInt(section, key, 0);
            }
        }
        // Whatever was understood is written so that it reads back the same.
        const std::string written = doc.serialize();
        ASSERT_EQ(IniDocument::parse(written).serialize(), written);
    }
}

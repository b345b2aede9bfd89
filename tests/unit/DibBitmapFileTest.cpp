#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "win/dib/BitmapFile.h"
#include "win/file/FileSystem.h"

using namespace tavel::win::dib;

namespace {

void put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// A bitmap file: file header, an info header of `headerSize` bytes (40 and
// up; masks at 40 when the header has room), `extra` (palette or masks), then
// the rows as given.
struct Bmp {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t bpp = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::uint32_t headerSize = 40;
    std::uint32_t headerMasks[3] = {0, 0, 0};
    std::string extra;
    std::string rows;

    std::string bytes() const {
        std::string header;
        put32(header, headerSize);
        put32(header, static_cast<std::uint32_t>(width));
        put32(header, static_cast<std::uint32_t>(height));
        put16(header, 1);
        put16(header, bpp);
        put32(header, compression);
        put32(header, static_cast<std::uint32_t>(rows.size()));
        put32(header, 2835);
        put32(header, 2835);
        put32(header, colorsUsed);
        put32(header, 0);
        if (headerSize >= 52)
            for (std::uint32_t m : headerMasks)
                put32(header, m);
        header.resize(headerSize, '\0');
        const std::uint32_t offset = static_cast<std::uint32_t>(14 + header.size() + extra.size());
        std::string file = "BM";
        put32(file, static_cast<std::uint32_t>(offset + rows.size()));
        put32(file, 0);
        put32(file, offset);
        return file + header + extra + rows;
    }
};

std::string bgra(std::uint8_t b, std::uint8_t g, std::uint8_t r, std::uint8_t x = 0) {
    return std::string{static_cast<char>(b), static_cast<char>(g), static_cast<char>(r), static_cast<char>(x)};
}

std::vector<std::uint32_t> rowValues(const DIB& dib, int y) {
    std::vector<std::uint32_t> values;
    for (int x = 0; x < dib.width(); ++x)
        values.push_back(dib.pixel(x, y));
    return values;
}

// 2 x 2, 24 bits, bottom-up: rows padded to 8 bytes.
Bmp twoByTwo() {
    Bmp bmp;
    bmp.width = 2;
    bmp.height = 2;
    bmp.rows = std::string("\x01\x02\x03\x04\x05\x06\0\0", 8) + std::string("\x0A\x0B\x0C\x0D\x0E\x0F\0\0", 8);
    return bmp;
}

}  // namespace

TEST(DibBitmapFileTest, TrueColourBottomUpAndTopDown) {
    DIB dib;
    ASSERT_TRUE(readBitmapFile(twoByTwo().bytes(), dib));
    EXPECT_EQ(2, dib.width());
    EXPECT_EQ(2, dib.height());
    EXPECT_EQ(32, dib.bitsPerPixel());
    EXPECT_EQ((std::vector<std::uint32_t>{0x000C0B0A, 0x000F0E0D}), rowValues(dib, 0)) << "the last file row on top";
    EXPECT_EQ((std::vector<std::uint32_t>{0x00030201, 0x00060504}), rowValues(dib, 1));

    Bmp top;
    top.width = 2;
    top.height = -1;
    top.bpp = 32;
    top.rows = bgra(1, 2, 3, 0xFF) + bgra(4, 5, 6, 0x80);
    ASSERT_TRUE(readBitmapFile(top.bytes(), dib));
    EXPECT_EQ(1, dib.height());
    EXPECT_EQ((std::vector<std::uint32_t>{0x00030201, 0x00060504}), rowValues(dib, 0)) << "fourth byte 0";

    // V5 header with bit fields: red in the high byte.
    Bmp v5;
    v5.headerSize = 124;
    v5.width = 1;
    v5.height = 1;
    v5.bpp = 32;
    v5.compression = 3;
    v5.headerMasks[0] = 0xFF000000;
    v5.headerMasks[1] = 0x00FF0000;
    v5.headerMasks[2] = 0x0000FF00;
    v5.rows = bgra(0x00, 0x33, 0x22, 0x11);
    ASSERT_TRUE(readBitmapFile(v5.bytes(), dib));
    EXPECT_EQ(0x00112233u, dib.pixel(0, 0));
}

TEST(DibBitmapFileTest, PalettesAndSixteenBits) {
    DIB dib;
    // 8 bits, two palette entries; index 5 lies past the short palette.
    Bmp eight;
    eight.width = 3;
    eight.height = 1;
    eight.bpp = 8;
    eight.colorsUsed = 2;
    eight.extra = bgra(0x10, 0x20, 0x30) + bgra(0x40, 0x50, 0x60);
    eight.rows = std::string("\x01\x00\x05\x00", 4);
    ASSERT_TRUE(readBitmapFile(eight.bytes(), dib));
    EXPECT_EQ((std::vector<std::uint32_t>{0x00605040, 0x00302010, 0}), rowValues(dib, 0));

    // 1 bit across a byte boundary, most significant bit first.
    Bmp one;
    one.width = 10;
    one.height = 1;
    one.bpp = 1;
    one.extra = bgra(0, 0, 0) + bgra(0xFF, 0xFF, 0xFF);
    one.rows = std::string("\xA0\x40\x00\x00", 4);  // 1010 0000 01...
    ASSERT_TRUE(readBitmapFile(one.bytes(), dib));
    const std::uint32_t w = 0x00FFFFFF;
    EXPECT_EQ((std::vector<std::uint32_t>{w, 0, w, 0, 0, 0, 0, 0, 0, w}), rowValues(dib, 0));

    Bmp four;
    four.width = 3;
    four.height = 1;
    four.bpp = 4;
    for (int i = 0; i < 16; ++i)
        four.extra += bgra(static_cast<std::uint8_t>(i), 0, 0);
    four.rows = std::string("\x2F\x70\x00\x00", 4);
    ASSERT_TRUE(readBitmapFile(four.bytes(), dib));
    EXPECT_EQ((std::vector<std::uint32_t>{2, 15, 7}), rowValues(dib, 0));

    // 16 bits: plain 5-5-5, and 5-6-5 by bit fields after a 40-byte header.
    Bmp rgb555;
    rgb555.width = 2;
    rgb555.height = 1;
    rgb555.bpp = 16;
    rgb555.rows = std::string("\x00\x7C\x10\x00", 4);  // pure red, blue 16 of 31
    ASSERT_TRUE(readBitmapFile(rgb555.bytes(), dib));
    EXPECT_EQ((std::vector<std::uint32_t>{0x00FF0000, 0x00000084}), rowValues(dib, 0));

    Bmp rgb565 = rgb555;
    rgb565.compression = 3;
    put32(rgb565.extra, 0xF800);
    put32(rgb565.extra, 0x07E0);
    put32(rgb565.extra, 0x001F);
    rgb565.rows = std::string("\xE0\x07\x1F\x00", 4);  // pure green, pure blue
    ASSERT_TRUE(readBitmapFile(rgb565.bytes(), dib));
    EXPECT_EQ((std::vector<std::uint32_t>{0x0000FF00, 0x000000FF}), rowValues(dib, 0));

    // The old core header: 16-bit sizes and three-byte palette entries.
    std::string core = "BM";
    put32(core, 14 + 12 + 6 + 4);
    put32(core, 0);
    put32(core, 14 + 12 + 6);
    put32(core, 12);
    put16(core, 2);
    put16(core, 1);
    put16(core, 1);
    put16(core, 1);
    core += std::string("\x01\x02\x03\x04\x05\x06", 6);
    core += std::string("\x40\x00\x00\x00", 4);
    ASSERT_TRUE(readBitmapFile(core, dib));
    EXPECT_EQ((std::vector<std::uint32_t>{0x00030201, 0x00060504}), rowValues(dib, 0));
}

TEST(DibBitmapFileTest, TheArtworkFixtureReads) {
    std::string path = KOLIBRIX_SOURCE_DIR "/tests/fixtures/artwork/aoi-tsuki.bmp";
    std::wstring wide(path.begin(), path.end());
    for (wchar_t& c : wide)
        if (c == L'/') c = L'\\';
    std::string bytes;
    ASSERT_TRUE(tavel::win::file::readFileBytes(wide, bytes));
    DIB dib;
    ASSERT_TRUE(readBitmapFile(bytes, dib));
    EXPECT_EQ(64, dib.width());
    EXPECT_EQ(64, dib.height());
    // Bottom-up: the file's first pixel is the picture's bottom left.
    const std::uint32_t first = static_cast<std::uint8_t>(bytes[54]) | static_cast<std::uint8_t>(bytes[55]) << 8 |
                                static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[56])) << 16;
    EXPECT_EQ(first, dib.pixel(0, 63));
}

TEST(DibBitmapFileTest, TruncatedFilesNeverRead) {
    Bmp eight;
    eight.width = 5;
    eight.height = 3;
    eight.bpp = 8;
    for (int i = 0; i < 256; ++i)
        eight.extra += bgra(static_cast<std::uint8_t>(i), 0, 0);
    eight.rows = std::string(8 * 3, '\x07');
    const std::string whole = eight.bytes();
    DIB dib;
    ASSERT_TRUE(readBitmapFile(whole, dib));
    for (std::size_t length = 0; length < whole.size(); ++length) {
        // A copy of exactly `length` bytes, so the sanitizer sees any read past it.
        const std::string cut(whole.data(), length);
        EXPECT_FALSE(readBitmapFile(cut, dib)) << length;
        EXPECT_TRUE(dib.empty()) << "a failure leaves no picture behind";
    }
}

TEST(DibBitmapFileTest, LyingHeadersAreRefused) {
    const std::string good = twoByTwo().bytes();
    auto patched = [&](std::size_t at, std::uint32_t value, int bytes = 4) {
        std::string s = good;
        std::string v;
        put32(v, value);
        s.replace(at, static_cast<std::size_t>(bytes), v.substr(0, static_cast<std::size_t>(bytes)));
        return s;
    };
    DIB dib;
    EXPECT_FALSE(readBitmapFile("XM" + good.substr(2), dib)) << "no signature";
    EXPECT_FALSE(readBitmapFile(patched(10, 0xFFFFFFF0), dib)) << "pixels past the end, offset near overflow";
    EXPECT_FALSE(readBitmapFile(patched(10, 60), dib)) << "offset leaves too few bytes for the rows";
    EXPECT_FALSE(readBitmapFile(patched(10, 20), dib)) << "pixels inside the header";
    EXPECT_FALSE(readBitmapFile(patched(14, 0xFFFFFFF0), dib)) << "header size near overflow";
    EXPECT_FALSE(readBitmapFile(patched(14, 64), dib)) << "unknown header";
    EXPECT_FALSE(readBitmapFile(patched(18, 0), dib)) << "no width";
    EXPECT_FALSE(readBitmapFile(patched(18, 16385), dib)) << "too wide";
    EXPECT_FALSE(readBitmapFile(patched(18, 0x80000000u), dib)) << "negative width";
    EXPECT_FALSE(readBitmapFile(patched(22, 0x80000000u), dib)) << "the most negative height";
    EXPECT_FALSE(readBitmapFile(patched(22, 16000), dib)) << "rows far past the end";
    EXPECT_FALSE(readBitmapFile(patched(26, 2, 2), dib)) << "two planes";
    EXPECT_FALSE(readBitmapFile(patched(28, 2, 2), dib)) << "two bits per pixel";
    EXPECT_FALSE(readBitmapFile(patched(30, 1), dib)) << "RLE8";
    EXPECT_FALSE(readBitmapFile(patched(30, 4), dib)) << "embedded JPEG";
    EXPECT_FALSE(readBitmapFile(patched(30, 3), dib)) << "bit fields on 24 bits";

    Bmp masks;
    masks.width = 1;
    masks.height = 1;
    masks.bpp = 16;
    masks.compression = 3;
    put32(masks.extra, 0xF00F);  // not contiguous
    put32(masks.extra, 0x00F0);
    put32(masks.extra, 0x0F00);
    masks.rows = std::string(4, '\0');
    EXPECT_FALSE(readBitmapFile(masks.bytes(), dib));
    masks.extra.clear();
    put32(masks.extra, 0x1F0000);  // beyond 16 bits
    put32(masks.extra, 0x07E0);
    put32(masks.extra, 0x001F);
    EXPECT_FALSE(readBitmapFile(masks.bytes(), dib));

    // A colour count beyond the depth is capped; the table must still be in the file.
    Bmp many;
    many.width = 1;
    many.height = 1;
    many.bpp = 1;
    many.colorsUsed = 0xFFFFFFFF;
    many.extra = bgra(0, 0, 0) + bgra(9, 9, 9);
    many.rows = std::string("\x80\0\0\0", 4);
    ASSERT_TRUE(readBitmapFile(many.bytes(), dib));
    EXPECT_EQ(0x00090909u, dib.pixel(0, 0));
    many.extra = bgra(0, 0, 0);
    many.rows.clear();
    EXPECT_FALSE(readBitmapFile(many.bytes(), dib)) << "palette and rows missing";
    EXPECT_TRUE(dib.empty());
}

TEST(DibBitmapFileTest, SizeLimitsHoldOnTheEdgeAndRefuseOnePast) {
    const struct {
        int width;
        int height;
        bool reads;
    } cases[] = {
        {kMaxBitmapSide, 1, true},
        {kMaxBitmapSide + 1, 1, false},
        {1, kMaxBitmapSide, true},
        {1, kMaxBitmapSide + 1, false},
        {kMaxBitmapSide, static_cast<int>(kMaxBitmapPixels / kMaxBitmapSide), true},
        {kMaxBitmapSide, static_cast<int>(kMaxBitmapPixels / kMaxBitmapSide) + 1, false},
    };
    for (const auto& c : cases) {
        // One bit per pixel with every row in the file: only the size can refuse it.
        Bmp bmp;
        bmp.width = c.width;
        bmp.height = c.height;
        bmp.bpp = 1;
        bmp.extra = bgra(0, 0, 0) + bgra(9, 9, 9);
        bmp.rows.assign(static_cast<std::size_t>((c.width + 31) / 32 * 4) * static_cast<std::size_t>(c.height), '\xFF');
        DIB dib;
        EXPECT_EQ(c.reads, readBitmapFile(bmp.bytes(), dib)) << c.width << " x " << c.height;
        if (c.reads) EXPECT_EQ(0x00090909u, dib.pixel(c.width - 1, c.height - 1));
    }
}

namespace {

std::string stream(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes)
        s += static_cast<char>(b);
    return s;
}

// An RLE8 (8 bits) or RLE4 (4 bits) file whose palette entry i is 0x8000ii,
// so that every pixel tells which entry it shows.
Bmp rleFile(std::uint32_t bpp, int width, int height, const std::string& data) {
    Bmp bmp;
    bmp.width = width;
    bmp.height = height;
    bmp.bpp = bpp;
    bmp.compression = bpp == 8 ? 1 : 2;
    for (std::uint32_t i = 0; i < (1u << bpp); ++i)
        bmp.extra += bgra(static_cast<std::uint8_t>(i), 0, 0x80);
    bmp.rows = data;
    return bmp;
}

// The picture as rows of palette indices (hex digits), top row first; '?' for
// a pixel that is no palette entry below 16.
std::vector<std::string> indexRows(const DIB& dib) {
    std::vector<std::string> rows;
    for (int y = 0; y < dib.height(); ++y) {
        std::string row;
        for (std::uint32_t value : rowValues(dib, y))
            row += (value & 0xFFFF00) == 0x800000 && (value & 0xFF) < 16 ? "0123456789ABCDEF"[value & 0xFF] : '?';
        rows.push_back(row);
    }
    return rows;
}

struct RleCase {
    const char* what;
    std::uint32_t bpp;
    int width;
    int height;
    std::string data;
    std::vector<std::string> picture;  // top row first
};

void expectRle(const RleCase& c) {
    DIB dib;
    ASSERT_TRUE(readBitmapFile(rleFile(c.bpp, c.width, c.height, c.data).bytes(), dib)) << c.what;
    EXPECT_EQ(c.picture, indexRows(dib)) << c.what;
}

}  // namespace

TEST(DibBitmapFileTest, RleCodesPaintTheirPixels) {
    const RleCase cases[] = {
        {"encoded runs, the bottom row first", 8, 4, 2, stream({3, 5, 1, 7, 0, 0, 2, 9, 0, 1}), {"9900", "5557"}},
        {"an absolute run is padded to 16 bits", 8, 4, 1, stream({0, 3, 1, 2, 3, 0xEE, 1, 4, 0, 1}), {"1234"}},
        {"a delta moves right and up; skipped pixels show entry 0",
         8,
         4,
         2,
         stream({1, 5, 0, 2, 2, 1, 1, 6, 0, 1}),
         {"0006", "5000"}},
        {"end of bitmap leaves the rest at entry 0", 8, 3, 2, stream({2, 3, 0, 1, 4, 4}), {"000", "330"}},
        {"an RLE4 run alternates its two nibbles", 4, 6, 1, stream({5, 0x12, 0, 1}), {"121210"}},
        {"an odd RLE4 absolute run ignores its last nibble and is padded",
         4,
         6,
         1,
         stream({0, 5, 0x34, 0x56, 0x7A, 0xEE, 1, 0xF0, 0, 1}),
         {"34567F"}},
        {"an RLE4 absolute run of two bytes needs no padding",
         4,
         6,
         1,
         stream({0, 4, 0x12, 0x34, 2, 0x56, 0, 1}),
         {"123456"}},
    };
    for (const RleCase& c : cases)
        expectRle(c);
}

// Streams that lie about the picture: nothing lands outside it (the
// sanitizer build checks the writes) and what the stream did paint stays.
TEST(DibBitmapFileTest, LyingRleStreamsAreClippedToThePicture) {
    const RleCase cases[] = {
        {"a run past the row end is clipped, not wrapped", 8, 4, 2, stream({6, 5, 0, 0, 1, 7, 0, 1}), {"7000", "5555"}},
        {"an absolute run past the row end is clipped and its bytes skipped",
         8,
         4,
         2,
         stream({0, 6, 1, 2, 3, 4, 5, 6, 1, 7, 0, 0, 1, 8, 0, 1}),
         {"8000", "1234"}},
        {"past a delta beyond the right edge nothing shows until the end of line",
         8,
         4,
         2,
         stream({0, 2, 9, 0, 1, 5, 0, 0, 1, 6, 0, 1}),
         {"6000", "0000"}},
        {"a delta beyond the top ends decoding", 8, 2, 2, stream({1, 3, 0, 2, 0, 5, 2, 5, 0, 1}), {"00", "30"}},
        {"ends of line beyond the top end decoding", 8, 2, 2, stream({0, 0, 0, 0, 0, 0, 2, 1, 0, 1}), {"00", "00"}},
        {"no end of bitmap: what was painted stays", 8, 4, 2, stream({2, 5, 0, 0, 1, 6}), {"6000", "5500"}},
        {"a cut delta", 8, 4, 1, stream({1, 5, 0, 2, 1}), {"5000"}},
        {"a cut absolute run paints none of it", 8, 4, 1, stream({1, 5, 0, 4, 1, 2}), {"5000"}},
        {"an RLE4 absolute run past the row end", 4, 3, 1, stream({0, 7, 0x12, 0x34, 0x56, 0x70, 0, 1}), {"123"}},
        {"an index past a short palette is black", 8, 2, 1, stream({1, 0xFF, 0, 1}), {"?0"}},
    };
    for (const RleCase& c : cases)
        expectRle(c);
}

TEST(DibBitmapFileTest, CutRleFilesKeepTheirFirstRows) {
    const std::string whole =
        rleFile(8, 5, 3, stream({5, 1, 0, 0, 0, 5, 2, 3, 4, 5, 6, 0, 0, 0, 0, 2, 2, 0, 3, 8, 0, 1})).bytes();
    DIB full;
    ASSERT_TRUE(readBitmapFile(whole, full));
    ASSERT_EQ((std::vector<std::string>{"00888", "23456", "11111"}), indexRows(full));
    const std::size_t streamStart = whole.size() - 22;
    for (std::size_t length = 0; length < whole.size(); ++length) {
        const std::string cut(whole.data(), length);
        DIB dib;
        if (length <= streamStart) {
            EXPECT_FALSE(readBitmapFile(cut, dib)) << "headers, palette or the whole stream missing: " << length;
            continue;
        }
        ASSERT_TRUE(readBitmapFile(cut, dib)) << length;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x)
                EXPECT_TRUE(dib.pixel(x, y) == full.pixel(x, y) || dib.pixel(x, y) == 0x800000)
                    << "cut at " << length << ", pixel " << x << "," << y;
    }
}

TEST(DibBitmapFileTest, RleHeadersMustFit) {
    DIB dib;
    const std::string lone = stream({0, 1});
    Bmp wrongDepth = rleFile(8, 2, 2, lone);
    wrongDepth.bpp = 4;
    EXPECT_FALSE(readBitmapFile(wrongDepth.bytes(), dib)) << "RLE8 on 4 bits";
    wrongDepth = rleFile(4, 2, 2, lone);
    wrongDepth.bpp = 8;
    EXPECT_FALSE(readBitmapFile(wrongDepth.bytes(), dib)) << "RLE4 on 8 bits";
    EXPECT_FALSE(readBitmapFile(rleFile(8, 2, -2, lone).bytes(), dib)) << "top-down";
    EXPECT_FALSE(readBitmapFile(rleFile(8, 2, 2, "").bytes(), dib)) << "no stream at all";
    EXPECT_TRUE(dib.empty());

    // Two bytes may stand for 512 pixels, no more: a tiny file never makes a huge picture.
    EXPECT_TRUE(readBitmapFile(rleFile(8, 32, 16, lone).bytes(), dib));
    EXPECT_FALSE(readBitmapFile(rleFile(8, 32, 17, lone).bytes(), dib));
    EXPECT_FALSE(readBitmapFile(rleFile(4, 16384, 4096, lone).bytes(), dib));
}

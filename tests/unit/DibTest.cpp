#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <utility>
#include <vector>

#include "win/dib/Bitmap.h"
#include "win/dib/DIB.h"

using namespace tavel::win::dib;

namespace {

DIB filled(int width, int height, std::uint32_t value) {
    DIB dib;
    EXPECT_TRUE(dib.create(width, height, 32));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            dib.setPixel(x, y, value);
    return dib;
}

std::vector<std::uint32_t> rowValues(const DIB& dib, int y) {
    std::vector<std::uint32_t> values;
    for (int x = 0; x < dib.width(); ++x)
        values.push_back(dib.pixel(x, y));
    return values;
}

}  // namespace

TEST(DibTest, CreateSizesAndOwnership) {
    DIB dib;
    EXPECT_TRUE(dib.empty());
    EXPECT_EQ(32, dib.bitsPerPixel());

    ASSERT_TRUE(dib.create(3, 2, 32));
    EXPECT_TRUE(dib.ownsBuffer());
    EXPECT_EQ(12, dib.bytesPerRow());
    EXPECT_EQ(24u, dib.byteSize());
    EXPECT_EQ(0u, dib.pixel(2, 1)) << "a new buffer is zeroed";
    dib.setPixel(2, 1, 0x00ABCDEF);
    EXPECT_EQ(0xEF, dib.row(1)[8]) << "blue first";
    EXPECT_EQ(0xAB, dib.row(1)[10]);
    EXPECT_EQ(0x00ABCDEFu, dib.pixel(2, 1));
    EXPECT_EQ(0u, dib.pixel(3, 0)) << "outside reads 0";
    dib.setPixel(-1, 0, 1);  // ignored

    ASSERT_TRUE(dib.create(-4, -1, 24));
    EXPECT_EQ(0, dib.width());
    EXPECT_EQ(0, dib.height());
    EXPECT_TRUE(dib.empty());

    EXPECT_FALSE(dib.create(INT_MAX, INT_MAX, 32)) << "an absurd size is refused, not wrapped";
    EXPECT_TRUE(dib.empty());
}

TEST(DibTest, CopiesAreDeepAndMovesEmptyTheSource) {
    DIB original = filled(2, 2, 0x00112233);
    DIB copy(original);
    copy.setPixel(0, 0, 0x00FFFFFF);
    EXPECT_EQ(0x00112233u, original.pixel(0, 0));
    EXPECT_NE(original.pixels(), copy.pixels());

    DIB assigned;
    assigned = copy;
    EXPECT_EQ(0x00FFFFFFu, assigned.pixel(0, 0));

    DIB moved(std::move(copy));
    EXPECT_EQ(0x00FFFFFFu, moved.pixel(0, 0));
    EXPECT_TRUE(copy.empty());
    EXPECT_EQ(nullptr, copy.pixels());
}

TEST(DibTest, AttachedBuffersAreUsedInPlaceAndCopiedOut) {
    std::vector<std::uint8_t> foreign(2 * 2 * 4, 0);
    {
        DIB view;
        view.attach(foreign.data(), 2, 2, 32, false);
        EXPECT_FALSE(view.ownsBuffer());
        view.setPixel(1, 1, 0x00010203);
        EXPECT_EQ(0x03, foreign[12]);

        DIB copy(view);
        EXPECT_TRUE(copy.ownsBuffer());
        EXPECT_EQ(0x00010203u, copy.pixel(1, 1));
    }
    EXPECT_EQ(0x03, foreign[12]) << "a foreign buffer outlives its view untouched";

    std::unique_ptr<std::uint8_t[]> buffer = DIB::allocate(4);
    DIB owner;
    owner.attach(buffer.release(), 1, 1, 32, true);  // freed by the DIB (the sanitizer build checks)
    EXPECT_TRUE(owner.ownsBuffer());

    // A later setSize cannot reach beyond the buffer.
    DIB small = filled(1, 1, 7);
    small.setSize(100, 100, 32);
    EXPECT_EQ(nullptr, small.row(50));
    EXPECT_EQ(0u, small.pixel(50, 50));
}

TEST(DibTest, FitKeepsTheAspectRatio) {
    auto fit = [](int bw, int bh, int pw, int ph) {
        const Size s = fitSize(bw, bh, pw, ph);
        return std::make_pair(s.width, s.height);
    };
    EXPECT_EQ(std::make_pair(100, 50), fit(100, 100, 500, 250));
    EXPECT_EQ(std::make_pair(50, 100), fit(100, 100, 250, 500));
    EXPECT_EQ(std::make_pair(100, 100), fit(100, 100, 30, 30)) << "small pictures grow";
    EXPECT_EQ(std::make_pair(120, 60), fit(120, 80, 2, 1));
    EXPECT_EQ(std::make_pair(0, 0), fit(0, 100, 500, 250));
    EXPECT_EQ(std::make_pair(0, 0), fit(100, 100, 0, 250));
    EXPECT_EQ(std::make_pair(0, 0), fit(100, 100, 250, 0));
    EXPECT_EQ(std::make_pair(100, 0), fit(100, 100, 1000, 1)) << "a very flat picture fits to nothing high";
    EXPECT_EQ(std::make_pair(2, 1), fit(INT_MAX, 1, INT_MAX, INT_MAX / 2)) << "no overflow";
}

TEST(DibTest, BilinearScalingSamplesClampsAndRounds) {
    DIB source;
    ASSERT_TRUE(source.create(2, 1, 32));
    source.setPixel(0, 0, 0x00000000);
    source.setPixel(1, 0, 0xC8C8C8C8);  // 200 in every byte, the fourth too

    // x * 2 / 4 = 0, 0.5, 1, 1.5; the right neighbour of 1 is clamped to 1.
    const DIB wide = scaleBilinear(source, 4, 1);
    ASSERT_EQ(4, wide.width());
    EXPECT_EQ((std::vector<std::uint32_t>{0x00000000, 0x64646464, 0xC8C8C8C8, 0xC8C8C8C8}), rowValues(wide, 0));

    // 0.5 is added before truncating: 3 x 0.25 = 0.75 gives 1, 3 x 0.75 = 2.25 gives 2.
    DIB ramp;
    ASSERT_TRUE(ramp.create(2, 1, 32));
    ramp.setPixel(1, 0, 0x00030303);
    const DIB eighths = scaleBilinear(ramp, 8, 1);
    EXPECT_EQ((std::vector<std::uint32_t>{0, 0x00010101, 0x00020202, 0x00020202, 0x00030303, 0x00030303, 0x00030303,
                                          0x00030303}),
              rowValues(eighths, 0));

    // Two dimensions: the centre of a 2 x 2 scaled to 4 x 4 mixes all four.
    DIB square;
    ASSERT_TRUE(square.create(2, 2, 32));
    square.setPixel(0, 0, 0x00000000);
    square.setPixel(1, 0, 0x00000064);
    square.setPixel(0, 1, 0x000000C8);
    square.setPixel(1, 1, 0x000000FF);
    const DIB big = scaleBilinear(square, 4, 4);
    EXPECT_EQ(0x00000000u, big.pixel(0, 0));
    EXPECT_EQ(0x0000008Bu, big.pixel(1, 1)) << "(0 + 100 + 200 + 255) / 4 = 138.75";
    EXPECT_EQ(0x00000064u, big.pixel(0, 1)) << "halfway down the left edge";

    const DIB same = scaleBilinear(square, 2, 2);
    for (int y = 0; y < 2; ++y)
        EXPECT_EQ(rowValues(square, y), rowValues(same, y));

    EXPECT_TRUE(scaleBilinear(square, 0, 4).empty());
    EXPECT_TRUE(scaleBilinear(DIB(), 4, 4).empty());
    EXPECT_TRUE(scaleBilinear(square, 100000, 100000).empty()) << "refused, not allocated";
    // The side limit on its edge and one past it; one pixel past the pixel limit.
    const struct {
        int width;
        int height;
        bool scales;
    } sizes[] = {{16384, 1, true}, {16385, 1, false}, {1, 16384, true}, {1, 16385, false}, {8193, 8192, false}};
    for (const auto& size : sizes)
        EXPECT_EQ(size.scales, !scaleBilinear(square, size.width, size.height).empty())
            << size.width << "x" << size.height;
}

TEST(DibTest, ColorKeyedDrawingSkipsTheKeyAndClips) {
    DIB dest = filled(4, 3, 0x00111111);
    DIB source = filled(3, 2, 0x00AAAAAA);
    source.setPixel(1, 0, kMagenta);

    drawColorKeyed(dest, 2, 2, source, 0, 0, 3, 2, kMagenta);
    EXPECT_EQ((std::vector<std::uint32_t>{0x00111111, 0x00111111, 0x00111111, 0x00111111}), rowValues(dest, 1));
    EXPECT_EQ((std::vector<std::uint32_t>{0x00111111, 0x00111111, 0x00AAAAAA, 0x00111111}), rowValues(dest, 2))
        << "magenta keeps the background; the rest is cut at the edges";

    dest = filled(4, 3, 0x00111111);
    drawColorKeyed(dest, -1, -1, source, 0, 0, 3, 2, kMagenta);
    EXPECT_EQ((std::vector<std::uint32_t>{0x00AAAAAA, 0x00AAAAAA, 0x00111111, 0x00111111}), rowValues(dest, 0));

    dest = filled(4, 3, 0x00111111);
    drawColorKeyed(dest, 0, 0, source, -2, 1, 10, 10, kMagenta);
    EXPECT_EQ((std::vector<std::uint32_t>{0x00111111, 0x00111111, 0x00AAAAAA, 0x00AAAAAA}), rowValues(dest, 0))
        << "a negative source origin shifts the destination";

    // A pixel equal only in colour, not in its fourth byte, is no key.
    source.setPixel(0, 0, 0x01FF00FF);
    dest = filled(4, 3, 0x00111111);
    drawColorKeyed(dest, 0, 0, source, 0, 0, 1, 1, kMagenta);
    EXPECT_EQ(0x01FF00FFu, dest.pixel(0, 0));

    drawColorKeyed(dest, INT_MAX, INT_MIN, source, INT_MIN, INT_MAX, INT_MAX, INT_MAX, kMagenta);  // nothing, safely
}

TEST(DibTest, VolumeBarsShowTheFilledColumnsOfTheRightFrames) {
    EXPECT_EQ(18, barFilledColumns(37, 50));
    EXPECT_EQ(0, barFilledColumns(-5, 50));
    EXPECT_EQ(50, barFilledColumns(250, 50));
    EXPECT_EQ(0, barFilledColumns(50, -3));

    // Four frames 10 wide: muted empty, muted full, unmuted empty, unmuted full.
    const std::uint32_t frames[4] = {0x00000001, 0x00000002, 0x00000003, 0x00000004};
    DIB strip;
    ASSERT_TRUE(strip.create(40, 1, 32));
    for (int x = 0; x < 40; ++x)
        strip.setPixel(x, 0, frames[x / 10]);
    strip.setPixel(29, 0, kMagenta);  // the unmuted empty frame's last column is transparent

    DIB dest = filled(12, 1, 0x00FFFFFF);
    drawBar(dest, 1, 0, strip, 10, 1, false, 37, kMagenta);
    std::vector<std::uint32_t> expected(12, 3);
    expected[0] = expected[10] = expected[11] = 0x00FFFFFF;
    expected[1] = expected[2] = expected[3] = 4;
    EXPECT_EQ(expected, rowValues(dest, 0));

    dest = filled(12, 1, 0x00FFFFFF);
    drawBar(dest, 0, 0, strip, 10, 1, true, 100, kMagenta);
    EXPECT_EQ(2u, dest.pixel(9, 0));
    EXPECT_EQ(0x00FFFFFFu, dest.pixel(10, 0));

    dest = filled(2, 1, 0x00FFFFFF);
    drawStripFrame(dest, 0, 0, strip, 1, 10, 1);
    EXPECT_EQ(2u, dest.pixel(0, 0));
    drawStripFrame(dest, 0, 0, strip, 4, 10, 1);  // no such frame: nothing
    EXPECT_EQ(2u, dest.pixel(0, 0));
}

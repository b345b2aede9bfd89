#include <gtest/gtest.h>

#include "notify/DpiScale.h"

using namespace tavelapp;
using tavel::win::dib::DIB;

TEST(DpiScaleTest, Lengths) {
    struct Case {
        int value, dpi, expected;
    };
    const Case cases[] = {
        {200, 96, 200}, {200, 144, 300},
        {7, 144, 11},   {5, 120, 6},
        {-7, 144, -11}, {0, 192, 0},
        {13, 72, 10},   {10, 0, 10},
        {10, -5, 10},   {2000000000, 192, 2147483647},
        {1, 144, 2},    {-1, 144, -2},
        {-12, 96, -12}, {-2000000000, 192, -2147483647 - 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " at " << c.dpi);
        EXPECT_EQ(c.expected, DpiScale::scale(c.value, c.dpi));
    }
}

namespace {

// Frames of a strip: a 2-pixel magenta border round a solid colour per frame.
DIB strip(int frameWidth, int height, int frames, int leftover) {
    DIB d;
    d.create(frameWidth * frames + leftover, height, 32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < d.width(); ++x) {
            const int fx = x % frameWidth;
            const bool border = fx < 2 || fx >= frameWidth - 2 || y < 2 || y >= height - 2;
            d.setPixel(x, y, border ? 0x00FF00FFu : (x / frameWidth == 0 ? 0x00FF0000u : 0x000000FFu));
        }
    }
    return d;
}

}  // namespace

TEST(DpiScaleTest, SkinAt144Dpi) {
    SkinData base;
    base.width = 250;
    base.body.font.size = 14;
    base.body.marginLeft = 7;
    base.body.text.marginTop = 3;
    base.artworkWidth = 64;
    base.body.background.image.create(250, 10, 32);
    base.icon.image = strip(16, 16, 2, 5);  // two frames and 5 stray columns
    base.icon.width = 16;
    base.icon.height = 16;
    base.icon.left = 5;
    base.volumeBar.image = strip(50, 8, 4, 0);
    base.volumeBar.width = 50;
    base.volumeBar.height = 8;

    const SkinData s = DpiScale::skin(base, 144);
    EXPECT_EQ(375, s.width);
    EXPECT_EQ(21, s.body.font.size);
    EXPECT_EQ(11, s.body.marginLeft);
    EXPECT_EQ(5, s.body.text.marginTop);
    EXPECT_EQ(96, s.artworkWidth);
    EXPECT_EQ(375, s.body.background.image.width());
    EXPECT_EQ(15, s.body.background.image.height());
    EXPECT_EQ(8, s.icon.left);
    EXPECT_EQ(24, s.icon.width);
    EXPECT_EQ(48, s.icon.image.width()) << "whole frames only";
    EXPECT_EQ(24, s.icon.image.height());
    EXPECT_EQ(300, s.volumeBar.image.width()) << "still four frames of the bar's width";
    EXPECT_EQ(75, s.volumeBar.width);

    // The transparent colour stays exact and never tints the opaque pixels.
    for (int y = 0; y < s.icon.image.height(); ++y) {
        for (int x = 0; x < s.icon.image.width(); ++x) {
            const std::uint32_t p = s.icon.image.pixel(x, y) & 0xFFFFFFu;
            const std::uint32_t solid = x < 24 ? 0x00FF0000u : 0x000000FFu;
            ASSERT_TRUE(p == 0x00FF00FFu || p == solid) << x << "," << y << " is " << std::hex << p;
        }
    }
    EXPECT_EQ(0x00FF0000u, s.icon.image.pixel(12, 12) & 0xFFFFFFu);
    EXPECT_EQ(0x00FF00FFu, s.icon.image.pixel(0, 12) & 0xFFFFFFu);

    // At 96 DPI nothing changes.
    const SkinData same = DpiScale::skin(base, 96);
    EXPECT_EQ(250, same.width);
    EXPECT_EQ(37, same.icon.image.width());
}

TEST(DpiScaleTest, StripsPastThePictureLimitsAreDropped) {
    // The side limit on its edge and past it; one row past the pixel limit.
    const struct {
        int width, height, dpi;
        bool kept;
    } cases[] = {{1, 4096, 4 * 96, true}, {1, 4097, 4 * 96, false}, {256, 65, 64 * 96, false}};
    for (const auto& c : cases) {
        SkinData base;
        base.icon.image = strip(c.width, c.height, 1, 0);
        base.icon.width = c.width;
        base.icon.height = c.height;
        EXPECT_EQ(c.kept, !DpiScale::skin(base, c.dpi).icon.image.empty()) << c.width << "x" << c.height;
    }
}

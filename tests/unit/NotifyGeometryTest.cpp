#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <vector>

#include "notify/NotifyGeometry.h"
#include "notify/SkinData.h"

using namespace tavelapp;

namespace {

// W 200, header 20, footer 10; body margins 5/6/7/8, text margins 1/2/3/4;
// a 50 x 40 artwork with margins 9/10/11/12.
NotifyGeometry::Input base(int objectAlign, bool artwork) {
    NotifyGeometry::Input in;
    in.width = 200;
    in.headerHeight = 20;
    in.footerHeight = 10;
    in.marginLeft = 5;
    in.marginTop = 6;
    in.marginRight = 7;
    in.marginBottom = 8;
    in.textMarginLeft = 1;
    in.textMarginTop = 2;
    in.textMarginRight = 3;
    in.textMarginBottom = 4;
    in.headerTextMarginLeft = 4;
    in.headerTextMarginTop = 3;
    in.headerTextMarginRight = 2;
    in.hasArtwork = artwork;
    in.artworkWidth = 50;
    in.artworkHeight = 40;
    in.artworkMarginLeft = 9;
    in.artworkMarginTop = 10;
    in.artworkMarginRight = 11;
    in.artworkMarginBottom = 12;
    in.objectAlign = objectAlign;
    return in;
}

struct Measured {
    int height;
    std::vector<int> widths;
    NotifyGeometry::MeasureText callback() {
        return [this](int wrap) {
            widths.push_back(wrap);
            return height;
        };
    }
};

using Box = std::tuple<int, int, int, int>;
Box box(const NotifyGeometry::Rect& r) { return Box{r.x, r.y, r.width, r.height}; }

}  // namespace

TEST(NotifyGeometryTest, ArtworkBesideTheText) {
    Measured text{30, {}};
    const NotifyGeometry::Result left = NotifyGeometry::compute(base(0, true), text.callback());
    EXPECT_EQ(std::vector<int>{114}, text.widths) << "measured once, at TW minus the text margins";
    EXPECT_EQ(118, left.textAreaWidth);
    EXPECT_EQ(50, left.slotWidth);
    EXPECT_EQ(62, left.contentHeight) << "the artwork is taller than the text";
    EXPECT_EQ(40, left.slotHeight);
    EXPECT_EQ(200, left.windowWidth);
    EXPECT_EQ(106, left.windowHeight);
    EXPECT_EQ(20, left.bodyBandTop);
    EXPECT_EQ(76, left.bodyBandHeight);
    EXPECT_EQ(26, left.bodyTop);
    EXPECT_EQ(Box(76, 41, 114, 56), box(left.text)) << "right of the artwork, centred in its box";
    EXPECT_EQ(14, left.artworkX);
    EXPECT_EQ(36, left.artworkY);
    EXPECT_EQ(Box(4, 3, 194, 76), box(left.headerText));

    const NotifyGeometry::Result right = NotifyGeometry::compute(base(2, true), text.callback());
    EXPECT_EQ(Box(6, 41, 114, 56), box(right.text));
    EXPECT_EQ(132, right.artworkX);
    EXPECT_EQ(36, right.artworkY);
    EXPECT_EQ(106, right.windowHeight);

    // Text taller than the artwork: the slot grows and valign places the picture in it.
    NotifyGeometry::Input tall = base(0, true);
    Measured longText{100, {}};
    tall.artworkVAlign = 0;
    NotifyGeometry::Result r = NotifyGeometry::compute(tall, longText.callback());
    EXPECT_EQ(106, r.contentHeight);
    EXPECT_EQ(84, r.slotHeight);
    EXPECT_EQ(58, r.artworkY);
    EXPECT_EQ(28, r.text.y);
    tall.artworkVAlign = 1;
    EXPECT_EQ(80, NotifyGeometry::compute(tall, longText.callback()).artworkY);
    tall.artworkVAlign = -1;
    EXPECT_EQ(36, NotifyGeometry::compute(tall, longText.callback()).artworkY);
}

TEST(NotifyGeometryTest, ArtworkAboveOrBelowTheText) {
    Measured text{30, {}};
    const NotifyGeometry::Result above = NotifyGeometry::compute(base(1, true), text.callback());
    EXPECT_EQ(std::vector<int>{184}, text.widths) << "the text has the full width";
    EXPECT_EQ(188, above.textAreaWidth);
    EXPECT_EQ(168, above.slotWidth);
    EXPECT_EQ(98, above.contentHeight);
    EXPECT_EQ(142, above.windowHeight);
    EXPECT_EQ(Box(6, 90, 184, 30), box(above.text)) << "below the artwork's slot";
    EXPECT_EQ(73, above.artworkX) << "centred in the content width";
    EXPECT_EQ(36, above.artworkY);

    const NotifyGeometry::Result below = NotifyGeometry::compute(base(3, true), text.callback());
    EXPECT_EQ(Box(6, 28, 184, 30), box(below.text));
    EXPECT_EQ(73, below.artworkX);
    EXPECT_EQ(72, below.artworkY) << "under the text box and its margins";
    EXPECT_EQ(142, below.windowHeight);
}

TEST(NotifyGeometryTest, WithoutArtworkEveryAlignmentLaysOutTheSame) {
    for (int objectAlign = 0; objectAlign <= 3; ++objectAlign) {
        Measured text{30, {}};
        const NotifyGeometry::Result r = NotifyGeometry::compute(base(objectAlign, false), text.callback());
        EXPECT_EQ(std::vector<int>{184}, text.widths) << objectAlign;
        EXPECT_EQ(0, r.slotWidth);
        EXPECT_EQ(0, r.slotHeight);
        EXPECT_EQ(36, r.contentHeight);
        EXPECT_EQ(80, r.windowHeight) << objectAlign;
        EXPECT_EQ(Box(6, 28, 184, 30), box(r.text)) << objectAlign;
    }
}

TEST(NotifyGeometryTest, HostileNumbersStaySane) {
    // An unknown alignment counts as "left".
    Measured text{30, {}};
    EXPECT_EQ(box(NotifyGeometry::compute(base(0, true), text.callback()).text),
              box(NotifyGeometry::compute(base(7, true), text.callback()).text));

    // Margins wider than the window: nothing negative to measure or draw into.
    NotifyGeometry::Input narrow = base(0, true);
    narrow.width = 0;
    Measured none{-5, {}};
    const NotifyGeometry::Result r = NotifyGeometry::compute(narrow, none.callback());
    EXPECT_EQ(std::vector<int>{0}, none.widths);
    EXPECT_EQ(0, r.text.width);
    EXPECT_EQ(0, r.textHeight) << "a negative measurement counts as 0";
    EXPECT_EQ(0, r.headerText.width);

    NotifyGeometry::Input huge = base(1, true);
    huge.width = INT_MAX;
    huge.marginLeft = INT_MIN;
    huge.artworkMarginTop = INT_MAX;
    huge.footerHeight = INT_MAX;
    const NotifyGeometry::Result big = NotifyGeometry::compute(huge, [](int) { return INT_MAX; });
    EXPECT_EQ(INT_MAX, big.windowHeight) << "saturates instead of wrapping";
    EXPECT_EQ(INT_MAX, big.textAreaWidth);
}

TEST(NotifyGeometryTest, InputsFromASkin) {
    SkinData skin;
    skin.width = 300;
    ASSERT_TRUE(skin.header.background.image.create(300, 24, 32));
    ASSERT_TRUE(skin.footer.image.create(300, 7, 32));
    skin.body.marginLeft = 1;
    skin.body.text.marginTop = 2;
    skin.artworkBody.marginLeft = 10;
    skin.artworkBody.text.marginTop = 20;
    skin.header.text.marginLeft = 3;
    skin.objectAlign = 2;
    skin.artworkVAlign = 1;
    skin.artworkMarginBottom = 4;

    NotifyGeometry::Input in = NotifyGeometry::inputFor(skin, 0, 0);
    EXPECT_FALSE(in.hasArtwork);
    EXPECT_EQ(300, in.width);
    EXPECT_EQ(24, in.headerHeight);
    EXPECT_EQ(7, in.footerHeight);
    EXPECT_EQ(1, in.marginLeft) << "the body group without artwork";
    EXPECT_EQ(2, in.textMarginTop);
    EXPECT_EQ(3, in.headerTextMarginLeft);

    in = NotifyGeometry::inputFor(skin, 60, 50);
    EXPECT_TRUE(in.hasArtwork);
    EXPECT_EQ(10, in.marginLeft) << "the artwork group with artwork";
    EXPECT_EQ(20, in.textMarginTop);
    EXPECT_EQ(60, in.artworkWidth);
    EXPECT_EQ(50, in.artworkHeight);
    EXPECT_EQ(4, in.artworkMarginBottom);
    EXPECT_EQ(2, in.objectAlign);
    EXPECT_EQ(1, in.artworkVAlign);

    EXPECT_FALSE(NotifyGeometry::inputFor(skin, 60, 0).hasArtwork) << "a zero fitted size means no artwork";
    skin.header.background.image.reset();
    EXPECT_EQ(0, NotifyGeometry::inputFor(skin, 0, 0).headerHeight) << "a missing image counts 0 x 0";
}

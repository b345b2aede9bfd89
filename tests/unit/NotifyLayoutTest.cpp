#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <utility>
#include <vector>

#include "notify/NotifyLayout.h"

using namespace tavelapp;
using Rect = NotifyLayout::Rect;

namespace {

std::vector<NotifyLayout::Window> windows(const std::vector<std::pair<int, int>>& sizes) {
    std::vector<NotifyLayout::Window> list;
    for (const auto& s : sizes)
        list.push_back({s.first, s.second, false});
    return list;
}

}  // namespace

TEST(NotifyLayoutTest, ColumnsFillUpwardsFromTheBottomRight) {
    const Rect work{0, 0, 1024, 768};
    ASSERT_TRUE(NotifyLayout::anchoredAtBottom(work));
    const auto targets = NotifyLayout::layout(work, 0, windows({{200, 300}, {250, 300}, {200, 300}, {100, 100}}));
    ASSERT_EQ(4u, targets.size());
    EXPECT_EQ((Rect{804, 468, 1004, 768}), *targets[0]) << "20 pixels in from the right edge";
    EXPECT_EQ((Rect{754, 168, 1004, 468}), *targets[1]);
    EXPECT_EQ((Rect{554, 468, 754, 768}), *targets[2]) << "a new column, left by the widest so far";
    EXPECT_EQ((Rect{654, 368, 754, 468}), *targets[3]);

    // SlideDir 1 slides from the very edge.
    EXPECT_EQ((Rect{824, 468, 1024, 768}), *NotifyLayout::layout(work, 1, windows({{200, 300}}))[0]);
}

TEST(NotifyLayoutTest, TaskbarAtTheTopStacksDownwards) {
    const Rect work{0, 30, 1024, 768};
    EXPECT_FALSE(NotifyLayout::anchoredAtBottom(work));
    const auto targets = NotifyLayout::layout(work, 0, windows({{200, 300}, {200, 300}, {200, 300}}));
    EXPECT_EQ((Rect{804, 30, 1004, 330}), *targets[0]);
    EXPECT_EQ((Rect{804, 330, 1004, 630}), *targets[1]);
    EXPECT_EQ((Rect{604, 30, 804, 330}), *targets[2]) << "738 pixels hold two";
}

TEST(NotifyLayoutTest, ClosedWindowsLeaveNoGap) {
    const Rect work{0, 0, 1024, 768};
    std::vector<NotifyLayout::Window> list = windows({{200, 100}, {200, 150}, {200, 120}});
    list[0].closed = true;
    const auto targets = NotifyLayout::layout(work, 0, list);
    EXPECT_FALSE(targets[0].has_value());
    EXPECT_EQ((Rect{804, 618, 1004, 768}), *targets[1]);
    EXPECT_EQ((Rect{804, 498, 1004, 618}), *targets[2]);
}

TEST(NotifyLayoutTest, AFullScreenOfColumnsStartsAgainAtTheRight) {
    // 150 wide windows of 400 in a 500 x 500 area: one per column.
    const Rect work{0, 0, 500, 500};
    const auto targets = NotifyLayout::layout(work, 0, windows({{150, 400}, {150, 400}, {150, 400}, {150, 400}}));
    EXPECT_EQ(480, targets[0]->right);
    EXPECT_EQ(330, targets[1]->right);
    EXPECT_EQ(180, targets[2]->right) << "330 - 2 x 150 >= 0: one more column";
    EXPECT_EQ(480, targets[3]->right) << "180 - 2 x 150 < 0: back to the right";
}

TEST(NotifyLayoutTest, AppearanceBySlideOrFade) {
    const Rect target{100, 200, 300, 320};  // 200 x 120
    using A = NotifyLayout::Appearance;
    auto at = [&](int progress, int effect, int slideDir, bool bottom, bool layered) {
        return NotifyLayout::progressRect(target, progress, effect, slideDir, bottom, layered);
    };
    A a = at(30, 0, 0, true, true);
    EXPECT_EQ(target, a.rect);
    EXPECT_EQ(255, a.opacity);

    a = at(60, 2, 0, true, true);
    EXPECT_EQ(target, a.rect);
    EXPECT_EQ(127, a.opacity);
    a = at(60, 2, 0, true, false);
    EXPECT_EQ((Rect{100, 260, 300, 320}), a.rect) << "no layered windows: the fade slides";
    EXPECT_EQ(255, a.opacity);

    EXPECT_EQ((Rect{100, 290, 300, 320}), at(30, 1, 0, true, true).rect) << "rising from the bottom edge";
    EXPECT_EQ((Rect{100, 200, 300, 230}), at(30, 1, 0, false, true).rect) << "growing down from the top";
    EXPECT_EQ((Rect{250, 200, 300, 320}), at(30, 1, 1, true, true).rect) << "growing leftwards";
    EXPECT_EQ(255, at(30, 1, 1, true, true).opacity);
    EXPECT_EQ(63, at(30, 3, 1, true, true).opacity);
    EXPECT_EQ(255, at(30, 3, 1, true, false).opacity);
    EXPECT_EQ(target, at(120, 3, 0, true, true).rect);
    EXPECT_EQ((Rect{100, 320, 300, 320}), at(-5, 1, 0, true, true).rect) << "progress is kept to 0-120";
    EXPECT_EQ(target, at(500, 1, 0, true, true).rect);
}

TEST(NotifyLayoutTest, AlphaAndSettingFallbacks) {
    // Transparency is kept to 0-100 and the factor to 0-255: each on its edge and past it.
    const struct {
        int transparency, factor, alpha;
    } alphas[] = {{0, 255, 255},  {-1, 255, 255}, {-40, 255, 255}, {100, 255, 0}, {101, 255, 0}, {180, 255, 0},
                  {50, 255, 127}, {50, 127, 63},  {0, 256, 255},   {0, 0, 0},     {0, -1, 0}};
    for (const auto& a : alphas)
        EXPECT_EQ(a.alpha, NotifyLayout::alphaFor(a.transparency, a.factor)) << a.transparency << " " << a.factor;

    EXPECT_EQ(2, NotifyLayout::effectiveEffect(-1, 2));
    EXPECT_EQ(0, NotifyLayout::effectiveEffect(0, 2));
    EXPECT_EQ(30, NotifyLayout::effectiveTransparency(-1, 30));
    EXPECT_EQ(50, NotifyLayout::effectiveTransparency(50, 30));
    // A skin with effect 0 and transparency 50 shows at once, half transparent.
    const Rect target{0, 0, 10, 10};
    const NotifyLayout::Appearance first = NotifyLayout::progressRect(target, 0, 0, 0, true, true);
    EXPECT_EQ(target, first.rect);
    EXPECT_EQ(127, NotifyLayout::alphaFor(50, first.opacity));

    EXPECT_EQ(10000, NotifyLayout::displayMilliseconds(-1));
    EXPECT_EQ(0, NotifyLayout::displayMilliseconds(0));
    EXPECT_EQ(0, NotifyLayout::displayMilliseconds(-2));
    EXPECT_EQ(5000, NotifyLayout::displayMilliseconds(5));
    EXPECT_EQ(INT_MAX / 1000 * 1000, NotifyLayout::displayMilliseconds(INT_MAX / 1000));
    EXPECT_EQ(INT_MAX, NotifyLayout::displayMilliseconds(INT_MAX / 1000 + 1)) << "never wraps";
}

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "notify/NotifyPlacement.h"

using namespace tavelapp;
using Rect = NotifyLayout::Rect;
using Monitor = NotifyPlacement::Monitor;

namespace {

// A 1280 x 1024 monitor at 144 DPI left of (and lower than) the primary 1920 x 1080 one.
const Monitor kLeft{{-1280, 200, 0, 1224}, {-1280, 200, 0, 1184}, 144, false};
const Monitor kPrimary{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 96, true};

}  // namespace

TEST(NotifyPlacementTest, TheMonitorWithTheNotificationArea) {
    const std::vector<Monitor> both{kLeft, kPrimary};
    struct Case {
        const char* what;
        std::optional<Rect> area;
        std::size_t expected;
    };
    const Case cases[] = {
        {"taskbar on the primary", Rect{1700, 1040, 1920, 1080}, 1},
        {"taskbar on the left, negative coordinates", Rect{-300, 1184, -1, 1224}, 0},
        {"centre off both, overlapping the left most", Rect{-100, 1180, 40, 1300}, 0},
        {"no taskbar: the primary", std::nullopt, 1},
        {"taskbar off every monitor: the primary", Rect{5000, 5000, 5100, 5040}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, NotifyPlacement::chooseMonitor(both, c.area));
    }
    EXPECT_EQ(0u, NotifyPlacement::chooseMonitor({kLeft}, std::nullopt)) << "no primary listed: the first";
    EXPECT_FALSE(NotifyPlacement::chooseMonitor({}, Rect{0, 0, 10, 10}).has_value());
}

// Windows stack inside the chosen monitor's work area, wherever it lies.
TEST(NotifyPlacementTest, StacksInsideTheLeftMonitor) {
    const auto place = NotifyPlacement::place({kPrimary, kLeft}, Rect{-300, 1184, -1, 1224});
    ASSERT_TRUE(place.has_value());
    EXPECT_EQ(144, place->dpi);
    EXPECT_TRUE(place->anchoredBottom);
    std::vector<NotifyLayout::Window> windows(5, NotifyLayout::Window{300, 450, false});
    const auto targets = NotifyLayout::layout(place->work, place->anchoredBottom, 0, windows);
    EXPECT_EQ((Rect{-320, 734, -20, 1184}), *targets[0]);
    EXPECT_EQ((Rect{-320, 284, -20, 734}), *targets[1]);
    EXPECT_EQ((Rect{-620, 734, -320, 1184}), *targets[2]) << "a new column to the left";
    EXPECT_EQ((Rect{-620, 284, -320, 734}), *targets[3]);
    EXPECT_EQ((Rect{-920, 734, -620, 1184}), *targets[4]);
    // Two more columns would leave the monitor: back at the right edge.
    windows.assign(9, NotifyLayout::Window{300, 450, false});
    EXPECT_EQ((Rect{-320, 734, -20, 1184}), *NotifyLayout::layout(place->work, true, 0, windows)[8]);

    // Taskbar along the top of the left monitor: stacked downwards from the work area's top.
    const Monitor topBar{kLeft.bounds, {-1280, 240, 0, 1224}, 120, false};
    const auto top = NotifyPlacement::place({kPrimary, topBar}, Rect{-300, 200, -1, 240});
    ASSERT_TRUE(top.has_value());
    EXPECT_FALSE(top->anchoredBottom);
    EXPECT_EQ((Rect{-320, 240, -20, 690}),
              *NotifyLayout::layout(top->work, top->anchoredBottom, 0, {{300, 450, false}})[0]);
}

TEST(NotifyPlacementTest, QuietWhileFullScreenPresentingOrAway) {
    const bool expected[] = {false, true, true, true, true, false, false, false, false};
    for (int state = 0; state <= 8; ++state) {
        SCOPED_TRACE(state);
        EXPECT_EQ(expected[state], NotifyPlacement::quiet(state));
    }
}

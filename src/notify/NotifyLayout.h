#pragma once
#include <optional>
#include <vector>

namespace tavelapp {

// Where the notification windows go and how far in they are: the manager's
// stacking and a window's appearance, as pure functions of numbers.
class NotifyLayout {
public:
    struct Rect {
        int left = 0, top = 0, right = 0, bottom = 0;
        int width() const { return right - left; }
        int height() const { return bottom - top; }
        bool operator==(const Rect& o) const {
            return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
        }
        bool operator!=(const Rect& o) const { return !(*this == o); }
    };

    struct Window {
        int width = 0;
        int height = 0;
        bool closed = false;
    };

    // With the work area starting at the screen's top the taskbar is below (or
    // beside) it, so windows sit at the bottom and stack upwards.
    static bool anchoredAtBottom(const Rect& workArea) { return workArea.top == 0; }

    // Target rectangles in list order (first = nearest the corner); closed
    // windows get none and take no room. Columns go right to left, 20 pixels
    // in from the right edge when slideDir is 0.
    static std::vector<std::optional<Rect>> layout(const Rect& workArea, int slideDir,
                                                   const std::vector<Window>& windows);
    // The same on any monitor: the stack starts at the work area's bottom (or
    // top) edge and wraps at its left edge, wherever the monitor lies.
    static std::vector<std::optional<Rect>> layout(const Rect& workArea, bool anchoredBottom, int slideDir,
                                                   const std::vector<Window>& windows);

    struct Appearance {
        Rect rect;
        int opacity = 255;  // factor 0-255 for alphaFor
    };
    static constexpr int kFullProgress = 120;

    // The window's rectangle and opacity factor at `progress` (0-120) of its
    // appearance. effect: 0 none, 1 slide, 2 fade, 3 both (fades need layered
    // windows, else they slide). slideDir 1 grows leftwards from the right
    // edge, any other value vertically from the anchored edge.
    static Appearance progressRect(const Rect& target, int progress, int effect, int slideDir, bool anchoredBottom,
                                   bool layered);

    // Constant alpha of a layered window: (100 - transparency) x factor / 100,
    // low byte; transparency is kept to 0-100 and the factor to 0-255.
    static int alphaFor(int transparency, int factor);

    // A skin's -1 means the setting.
    static int effectiveEffect(int skinEffect, int settingEffect) {
        return skinEffect == -1 ? settingEffect : skinEffect;
    }
    static int effectiveTransparency(int skinTransparency, int settingTransparency) {
        return skinTransparency == -1 ? settingTransparency : skinTransparency;
    }

    // Period of the display timer in milliseconds, 0 for none (stays until
    // clicked): -1 means 10 s, 0 and other negative values forever.
    static int displayMilliseconds(int displayTime);
};

}  // namespace tavelapp

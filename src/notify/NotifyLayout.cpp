#include "notify/NotifyLayout.h"

#include <algorithm>
#include <climits>

namespace tavelapp {
namespace {

int narrow(long long value) {
    return static_cast<int>(std::min<long long>(std::max<long long>(value, INT_MIN), INT_MAX));
}

}  // namespace

std::vector<std::optional<NotifyLayout::Rect>> NotifyLayout::layout(const Rect& workArea, int slideDir,
                                                                    const std::vector<Window>& windows) {
    return layout(workArea, anchoredAtBottom(workArea), slideDir, windows);
}

std::vector<std::optional<NotifyLayout::Rect>> NotifyLayout::layout(const Rect& workArea, bool anchored, int slideDir,
                                                                    const std::vector<Window>& windows) {
    using ll = long long;
    std::vector<std::optional<Rect>> targets(windows.size());
    const ll workHeight = static_cast<ll>(workArea.bottom) - workArea.top;
    const ll right = workArea.right;
    ll x = slideDir == 0 ? right - 20 : right;
    ll columnWidth = -1;
    ll used = 0;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (windows[i].closed) continue;
        const ll w = windows[i].width, h = windows[i].height;
        columnWidth = std::max(columnWidth, w);
        if (used > 0 && workHeight < h + used) {
            // A new column: one column width to the left, or back to the right
            // edge when two more would not fit on the screen.
            x = x - 2 * columnWidth < workArea.left ? right - 20 : x - columnWidth;
            columnWidth = -1;
            used = 0;
        }
        const ll top = anchored ? workArea.bottom - h - used : workArea.top + used;
        targets[i] = Rect{narrow(x - w), narrow(top), narrow(x), narrow(top + h)};
        used += h;
    }
    return targets;
}

NotifyLayout::Appearance NotifyLayout::progressRect(const Rect& target, int progress, int effect, int slideDir,
                                                    bool anchoredBottom, bool layered) {
    const long long p = std::min(std::max(progress, 0), kFullProgress);
    const int fading = static_cast<int>(p * 255 / kFullProgress);
    Appearance result;
    result.rect = target;
    if (effect == 0) return result;
    if (effect == 2 && layered) {
        result.opacity = fading;
        return result;
    }
    if (slideDir == 1) {
        const long long width = static_cast<long long>(target.right) - target.left;
        result.rect.left = narrow(target.right - width * p / kFullProgress);
    } else {
        const long long height = p * (static_cast<long long>(target.bottom) - target.top) / kFullProgress;
        if (anchoredBottom)
            result.rect.top = narrow(target.bottom - height);
        else
            result.rect.bottom = narrow(target.top + height);
    }
    result.opacity = effect == 3 && layered ? fading : 255;
    return result;
}

int NotifyLayout::alphaFor(int transparency, int factor) {
    const int t = std::min(std::max(transparency, 0), 100);
    const int f = std::min(std::max(factor, 0), 255);
    return ((100 - t) * f / 100) & 0xFF;
}

int NotifyLayout::displayMilliseconds(int displayTime) {
    if (displayTime == -1) return 10000;
    if (displayTime <= 0) return 0;
    return displayTime > INT_MAX / 1000 ? INT_MAX : displayTime * 1000;
}

}  // namespace tavelapp

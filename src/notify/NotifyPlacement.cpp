#include "notify/NotifyPlacement.h"

#include <algorithm>

namespace tavelapp {
namespace {

bool contains(const NotifyLayout::Rect& r, long long x, long long y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

long long overlap(const NotifyLayout::Rect& a, const NotifyLayout::Rect& b) {
    const long long w = std::min<long long>(a.right, b.right) - std::max<long long>(a.left, b.left);
    const long long h = std::min<long long>(a.bottom, b.bottom) - std::max<long long>(a.top, b.top);
    return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

std::optional<std::size_t> NotifyPlacement::chooseMonitor(const std::vector<Monitor>& monitors,
                                                          const std::optional<NotifyLayout::Rect>& area) {
    if (monitors.empty()) return std::nullopt;
    if (area) {
        const long long cx = (static_cast<long long>(area->left) + area->right) / 2;
        const long long cy = (static_cast<long long>(area->top) + area->bottom) / 2;
        for (std::size_t i = 0; i < monitors.size(); ++i) {
            if (contains(monitors[i].bounds, cx, cy)) return i;
        }
        std::optional<std::size_t> best;
        long long most = 0;
        for (std::size_t i = 0; i < monitors.size(); ++i) {
            const long long o = overlap(monitors[i].bounds, *area);
            if (o > most) {
                most = o;
                best = i;
            }
        }
        if (best) return best;
    }
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        if (monitors[i].primary) return i;
    }
    return std::size_t{0};
}

std::optional<NotifyPlacement::Place> NotifyPlacement::place(const std::vector<Monitor>& monitors,
                                                             const std::optional<NotifyLayout::Rect>& area) {
    const std::optional<std::size_t> chosen = chooseMonitor(monitors, area);
    if (!chosen) return std::nullopt;
    const Monitor& m = monitors[*chosen];
    Place p;
    // A work area smaller than nothing would stack windows off the monitor.
    p.work = m.work.width() > 0 && m.work.height() > 0 ? m.work : m.bounds;
    // Only a taskbar along the top edge takes the top of the work area away.
    p.anchoredBottom = p.work.top == m.bounds.top;
    p.dpi = m.dpi > 0 ? m.dpi : 96;
    return p;
}

bool NotifyPlacement::quiet(int state) {
    return state == NotPresent || state == Busy || state == Direct3DFullScreen || state == PresentationMode;
}

}  // namespace tavelapp

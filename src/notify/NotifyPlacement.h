#pragma once
#include <optional>
#include <vector>

#include "notify/NotifyLayout.h"

namespace tavelapp {

// Which monitor the notifications go to and whether to show them at all.
class NotifyPlacement {
public:
    struct Monitor {
        NotifyLayout::Rect bounds;
        NotifyLayout::Rect work;  // bounds minus the taskbar and docked bars
        int dpi = 96;
        bool primary = false;
    };

    // The desktop's notification state, as the shell reports it.
    enum State {
        StateUnknown = 0,  // the query failed or does not exist
        NotPresent = 1,    // screen saver, locked or another user's session
        Busy = 2,          // a full-screen application
        Direct3DFullScreen = 3,
        PresentationMode = 4,
        AcceptsNotifications = 5,
        QuietTime = 6,  // the first hour of a new user; our windows answer the user's own actions
        App = 7,
    };

    // Where windows go: the monitor's work area, whether they stack up from
    // its bottom, and the DPI they are drawn at.
    struct Place {
        NotifyLayout::Rect work;
        bool anchoredBottom = true;
        int dpi = 96;
    };

    // The monitor holding the centre of the taskbar's notification area; if
    // none does, the one overlapping it most; then the primary; then the
    // first. Empty only when there is no monitor.
    static std::optional<std::size_t> chooseMonitor(const std::vector<Monitor>& monitors,
                                                    const std::optional<NotifyLayout::Rect>& notificationArea);

    static std::optional<Place> place(const std::vector<Monitor>& monitors,
                                      const std::optional<NotifyLayout::Rect>& notificationArea);

    // Nobody could or should see a notification now: it is dropped, not
    // kept for later, so missed changes never pile up when the game ends.
    static bool quiet(int state);
};

}  // namespace tavelapp

#pragma once
#include <memory>
#include <optional>
#include <vector>

#include "notify/NotifyPlacement.h"

namespace tavelapp {

// What the notification manager asks the desktop: its monitors, where the
// taskbar's notification area is and whether notifications are welcome.
// Tests hand the manager their own answers.
class NotifyDesktop {
public:
    virtual ~NotifyDesktop() = default;
    virtual std::vector<NotifyPlacement::Monitor> monitors() const = 0;
    // Screen rectangle of the notification area; empty without a taskbar.
    virtual std::optional<NotifyLayout::Rect> notificationArea() const = 0;
    // A NotifyPlacement::State value.
    virtual int notificationState() const = 0;

    // The real desktop (Windows only).
    static std::shared_ptr<const NotifyDesktop> system();
};

}  // namespace tavelapp

#pragma once
#include <string>

#include "base/Picture.h"

namespace tavelapp {

// One queued notification request.
struct NotifyWndInfo {
    // Kinds, as the message-box icon values where they have one.
    static constexpr int kConfirmation = 0;
    static constexpr int kTrack = 1;
    static constexpr int kWarning = 0x30;
    static constexpr int kInformation = 0x40;

    std::string messageKey;  // "track", "Notify_Volume", an error key, or empty
    std::wstring text;
    PicturePtr picture;
    int kind = kInformation;
    int displayTime = 0;  // seconds
};

}  // namespace tavelapp

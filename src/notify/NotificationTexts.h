#pragma once
#include <string>
#include <vector>

namespace tavelapp {

class PlayerState;

// The texts of the track, setting and change notifications, and the keys they
// are shown under. Labels come from section "Others" of the current language;
// a missing label shows its key.
class NotificationTexts {
public:
    static constexpr const char* kTrack = "track";
    static constexpr const char* kPlayerSetting = "Notify_ITunesSetting";
    static constexpr const char* kPlayerNotRunning = "Notify_PlayerSetting";
    static constexpr const char* kSystemVolume = "Notify_SystemVolume";
    static constexpr const char* kSystemMute = "Notify_SystemMute";
    static constexpr const char* kVolume = "Notify_Volume";
    static constexpr const char* kRating = "Notify_Rating";
    static constexpr const char* kPlayerState = "Notify_PlayerState";
    static constexpr const char* kMute = "Notify_Mute";
    static constexpr const char* kShuffle = "Notify_Shuffle";
    static constexpr const char* kRepeat = "Notify_Repeat";
    static constexpr const char* kEQ = "Notify_EQ";
    static constexpr const char* kVisuals = "Notify_Visuals";

    // The published NotifyTrackText setting (up to a NUL) formatted with the snapshot.
    static std::wstring trackText(const PlayerState& snapshot);
    // Any template, as the track notification would fill it.
    static std::wstring trackText(const PlayerState& snapshot, const std::wstring& pattern);
    static std::wstring noTrackText();
    // Seven "label: value" lines; shown under kPlayerSetting.
    static std::wstring playerSettingText(const PlayerState& snapshot);
    // Shown under kPlayerNotRunning instead when the player does not run.
    static std::wstring playerNotRunningText();

    // The change keys, in the order the change detector checks them.
    static const std::vector<std::string>& changeKeys();
    // Text for one change key; empty for any other key.
    static std::wstring changeText(const std::string& key, const PlayerState& snapshot);

    // The track templates offered in the options; "\n" in them is a backslash and an n.
    static int presetCount();
    // Empty outside 0 to presetCount() - 1.
    static std::wstring preset(int index);
};

}  // namespace tavelapp

#include "notify/NotificationTexts.h"

#include "config/Ini.h"
#include "config/Lang.h"
#include "player/PlayerState.h"

namespace tavelapp {
namespace {

std::wstring label(const wchar_t* key) { return Lang::instance().text(L"Others", key) + L": "; }

std::wstring percent(const PlayerState& snapshot, int field) { return snapshot.field(field) + L"%"; }

}  // namespace

std::wstring NotificationTexts::trackText(const PlayerState& snapshot) {
    // Held while the text is built: the main thread may publish new settings meanwhile.
    const std::shared_ptr<const Settings> settings = Ini::snapshot();
    const std::wstring& stored = settings->notify.notifyTrackText;
    // The setting is used as a C string would be: up to its first NUL.
    return trackText(snapshot, stored.substr(0, stored.find(L'\0')));
}

std::wstring NotificationTexts::trackText(const PlayerState& snapshot, const std::wstring& pattern) {
    return snapshot.format(pattern);
}

std::wstring NotificationTexts::noTrackText() { return Lang::instance().text(L"Notification", L"NoPlayingTrack"); }

std::wstring NotificationTexts::playerSettingText(const PlayerState& snapshot) {
    return label(L"Player") + snapshot.field(PlayerState::PlayerName) + L'\n' +  //
           label(L"Repeat") + snapshot.repeatText() + L'\n' +                    //
           label(L"Shuffle") + snapshot.shuffleText() + L'\n' +                  //
           label(L"Volume") + percent(snapshot, PlayerState::Volume) + L'\n' +   //
           label(L"Mute") + snapshot.muteText() + L'\n' +                        //
           label(L"SystemVolume") + percent(snapshot, PlayerState::SystemVolume) + L'\n' + label(L"SystemMute") +
           snapshot.systemMuteText();
}

std::wstring NotificationTexts::playerNotRunningText() {
    return Lang::instance().text(L"Notification", L"PlayerIsNotRunning");
}

const std::vector<std::string>& NotificationTexts::changeKeys() {
    static const std::vector<std::string> keys = {kSystemVolume, kSystemMute, kVolume, kRating, kPlayerState,
                                                  kMute,         kShuffle,    kRepeat, kEQ,     kVisuals};
    return keys;
}

std::wstring NotificationTexts::changeText(const std::string& key, const PlayerState& snapshot) {
    if (key == kSystemVolume) return label(L"SystemVolume") + percent(snapshot, PlayerState::SystemVolume);
    if (key == kSystemMute) return label(L"SystemMute") + snapshot.systemMuteText();
    if (key == kVolume) return label(L"Volume") + percent(snapshot, PlayerState::Volume);
    if (key == kRating) {
        return label(L"Rating") + snapshot.ratingText() + L'\n' + snapshot.name() + L'\n' + snapshot.artist() + L'\n' +
               snapshot.album();
    }
    if (key == kPlayerState) return snapshot.playerStateText();
    if (key == kMute) return label(L"Mute") + snapshot.muteText();
    if (key == kShuffle) return label(L"Shuffle") + snapshot.shuffleText();
    if (key == kRepeat) return label(L"Repeat") + snapshot.repeatText();
    if (key == kEQ) return label(L"EQ") + snapshot.eqText();
    if (key == kVisuals) return label(L"Visuals") + snapshot.visualsText();
    return std::wstring();
}

int NotificationTexts::presetCount() { return static_cast<int>(Ini::trackTextPresets().size()); }

std::wstring NotificationTexts::preset(int index) {
    const std::vector<std::wstring>& presets = Ini::trackTextPresets();
    return index >= 0 && index < presetCount() ? presets[static_cast<std::size_t>(index)] : std::wstring();
}

}  // namespace tavelapp

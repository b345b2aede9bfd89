#pragma once
#include <map>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "config/Lang.h"
#include "player/PlayerState.h"

// The keys of section Others behind the labels and state words of notifications.
inline const std::vector<std::string>& stateWordKeys() {
    static const std::vector<std::string> keys = {"SystemVolume",
                                                  "SystemMute",
                                                  "Volume",
                                                  "Mute",
                                                  "Shuffle",
                                                  "Repeat",
                                                  "Rating",
                                                  "EQ",
                                                  "Visuals",
                                                  "Player",
                                                  "SystemMute_On",
                                                  "SystemMute_Off",
                                                  "Mute_On",
                                                  "Mute_Off",
                                                  "Shuffle_On",
                                                  "Shuffle_Off",
                                                  "Repeat_Off",
                                                  "Repeat_One",
                                                  "Repeat_All",
                                                  "Rating_0",
                                                  "Rating_1",
                                                  "Rating_2",
                                                  "Rating_3",
                                                  "Rating_4",
                                                  "Rating_5",
                                                  "EQ_On",
                                                  "EQ_Off",
                                                  "Visuals_On",
                                                  "Visuals_Off",
                                                  "PlayerState_Stopped",
                                                  "PlayerState_Playing",
                                                  "PlayerState_Paused",
                                                  "PlayerState_FastForward",
                                                  "PlayerState_Rewind"};
    return keys;
}

// A language file with a distinct text for every label and state word, made
// current for the lifetime of the object. `omit` leaves one key of section
// Others out.
class TestLanguage {
public:
    explicit TestLanguage(const std::string& omit = std::string()) {
        std::string text = "[Others]\r\n";
        for (const std::string& key : stateWordKeys()) {
            if (key != omit) text += key + "=<" + key + ">\r\n";
        }
        text += "[Notification]\r\nNoPlayingTrack=Nothing plays\r\nPlayerIsNotRunning=Player is down\r\n";
        dir_.write("test.lng", text);
        tavelapp::Lang::instance().setFiles(dir_.winPath("test.lng"), {});
    }
    ~TestLanguage() { tavelapp::Lang::instance().setFiles(std::wstring(), {}); }
    TestLanguage(const TestLanguage&) = delete;
    TestLanguage& operator=(const TestLanguage&) = delete;

    // What the file says for a key: the key in angle brackets.
    static std::wstring text(const std::wstring& key) { return L"<" + key + L">"; }

private:
    TempFolder dir_;
};

// A snapshot with the given fields set and all others empty.
inline tavelapp::PlayerState makeState(const std::map<int, std::wstring>& fields) {
    tavelapp::PlayerState state;
    for (const auto& field : fields)
        state.setField(field.first, field.second);
    return state;
}

// Lines 9 to 37 as a player plug-in writes them, from the given fields.
inline std::wstring pluginLines(const std::map<int, std::wstring>& fields) {
    std::wstring text;
    for (int index = tavelapp::PlayerState::Volume; index < tavelapp::PlayerState::FieldCount; ++index) {
        auto found = fields.find(index);
        text += (found != fields.end() ? found->second : std::wstring()) + L'\n';
    }
    return text;
}

#include "config/Settings.h"

namespace tavelapp {

const std::vector<std::wstring>& Settings::trackTextPresets() {
    static const std::vector<std::wstring> presets = {
        Item::defaultTrackText,
        L"%PlayListName% - %PlayOrderIndex%/%TracksCount%\\n%Name% (%Time%)\\n%Artist%\\n"
        L"%Album% (Track %TrackNumber%)",
        L"iTunes - %PlayOrderIndex%/%TracksCount%\\n%Name% (%Time%)\\n%Artist%\\n"
        L"%Album% (Track %TrackNumber%)\\n%RatingText% [%PlayedCount%]",
        L"iTunes - %PlayOrderIndex%/%TracksCount%\\n%Name% (%Time%)\\n%Artist%\\n"
        L"%Album% (Track %TrackNumber%)",
    };
    return presets;
}

Settings::HotKeyList Settings::defaultHotKeys() {
    // 3 = Control+Alt, 7 = Control+Alt+Shift.
    return {
        {3, 0x2D, L"PlayPause"},
        {3, 0x23, L"Stop"},
        {3, 0x25, L"PreviousTrack"},
        {3, 0x27, L"NextTrack"},
        {7, 0x25, L"Rewind"},
        {7, 0x27, L"FastForward"},
        {3, 0x21, L"PrevAlbum"},
        {3, 0x22, L"NextAlbum"},
        {7, 0x21, L"PrevArtist"},
        {7, 0x22, L"NextArtist"},
        {7, 0x26, L"PrevPlaylist"},
        {7, 0x28, L"NextPlaylist"},
        {7, 0x0D, L"ReshuffleAndPlay"},
        {3, 0x26, L"Volume_Up5"},
        {3, 0x28, L"Volume_Down5"},
        {3, 0x30, L"Rating_0"},
        {3, 0x31, L"Rating_1"},
        {3, 0x32, L"Rating_2"},
        {3, 0x33, L"Rating_3"},
        {3, 0x34, L"Rating_4"},
        {3, 0x35, L"Rating_5"},
        {3, 0x41, L"Mute_OnOff"},
        {3, 0x53, L"Shuffle_OnOff"},
        {3, 0x44, L"Repeat_OneAll"},
        {3, 0x51, L"QuickPlay"},
        {3, 0x57, L"InterruptPlay"},
        {3, 0x52, L"RunAction"},
        {3, 0x5A, L"NotifyTrack"},
        {3, 0x58, L"NotifySetting"},
        {3, 0x24, L"ActivateBrowserWindow"},
        {7, 0x24, L"MinimizeBrowserWindow"},
    };
}

Settings::KeyList Settings::defaultIRComKeys() {
    // Key index in the low byte, 0x100 = with the shift key.
    return {
        {4, L"PlayPause"},
        {0x10E, L"Stop"},
        {3, L"PreviousTrack"},
        {1, L"NextTrack"},
        {8, L"Rewind"},
        {10, L"FastForward"},
        {11, L"PrevAlbum"},
        {14, L"NextAlbum"},
        {13, L"PrevArtist"},
        {16, L"NextArtist"},
        {0x100, L"PrevPlaylist"},
        {0x102, L"NextPlaylist"},
        {0x104, L"ReshuffleAndPlay"},
        {0, L"Volume_Up5"},
        {2, L"Volume_Down5"},
        {0x10F, L"Rating_0"},
        {0x105, L"Rating_1"},
        {0x106, L"Rating_2"},
        {0x107, L"Rating_3"},
        {0x108, L"Rating_4"},
        {0x109, L"Rating_5"},
        {5, L"Mute_OnOff"},
        {6, L"Shuffle_OnOff"},
        {7, L"Repeat_OneAll"},
        {9, L"NotifyTrack"},
        {12, L"NotifySetting"},
        {0x110, L"ActivateBrowserWindow"},
    };
}

Settings::KeyList Settings::defaultJoyKeys() {
    // 0-3 the directions, 4 and up button (value - 3); 0x100 = with the shift button.
    return {
        {5, L"Play"},
        {6, L"Pause"},
        {12, L"PlayPause"},
        {3, L"PreviousTrack"},
        {1, L"NextTrack"},
        {0x103, L"Rewind"},
        {0x101, L"FastForward"},
        {10, L"PrevAlbum"},
        {11, L"NextAlbum"},
        {0x10A, L"PrevArtist"},
        {0x10B, L"NextArtist"},
        {0x100, L"PrevPlaylist"},
        {0x102, L"NextPlaylist"},
        {0x10C, L"ReshuffleAndPlay"},
        {0, L"Volume_Up5"},
        {2, L"Volume_Down5"},
        {0x104, L"Mute_OnOff"},
        {0x105, L"EQ_OnOff"},
        {0x106, L"Visuals_OnOff"},
        {0x108, L"Shuffle_OnOff"},
        {0x109, L"Repeat_OneAll"},
        {8, L"NotifyTrack"},
        {9, L"NotifySetting"},
        {13, L"ActivateBrowserWindow"},
        {0x10D, L"MinimizeBrowserWindow"},
    };
}

Settings::KeyList Settings::defaultWiimoteKeys() {
    // Button in the low byte, 0x8000 = with the shift button.
    return {
        {3, L"PlayPause"},        {6, L"PreviousTrack"},
        {7, L"NextTrack"},        {0x8006, L"Rewind"},
        {0x8007, L"FastForward"}, {9, L"PrevAlbum"},
        {8, L"NextAlbum"},        {0x8009, L"PrevArtist"},
        {0x8008, L"NextArtist"},  {0x8003, L"ReshuffleAndPlay"},
        {10, L"Volume_Up5"},      {4, L"Volume_Down5"},
        {1, L"Repeat_OneAll"},    {0, L"Shuffle_OnOff"},
        {0x8001, L"Mute_OnOff"},  {0x8000, L"EQ_OnOff"},
    };
}

}  // namespace tavelapp

#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "config/SharedText.h"

// Each key of Option.ini is one line X(type, member, key in the file, default...):
// the line declares the member with its default, and the same line gives the file
// form (Ini::serialize) and the comparison, so a key cannot be half-added. An
// array's key is the prefix of one key an element ("LED" gives LED0, LED1, ...).
#define KOLIBRIX_SETTING_MEMBER(type, member, key, ...) type member{__VA_ARGS__};
#define KOLIBRIX_SETTING_VISIT(type, member, key, ...) visit(key, group.member, defaults.member);
// A group of settings: its members, section, comparison and key visitor.
#define KOLIBRIX_SETTINGS_GROUP(Group, section, KEYS)                  \
    struct Group {                                                     \
        KEYS(KOLIBRIX_SETTING_MEMBER)                                  \
        static constexpr const wchar_t* sectionName = section;         \
        bool operator==(const Group&) const = default;                 \
        /* visit(key, value, default) for every key, in file order. */ \
        template <typename Self, typename Visit>                       \
        static void forEachKey(Self& group, Visit&& visit) {           \
            const Group defaults;                                      \
            KEYS(KOLIBRIX_SETTING_VISIT)                               \
        }                                                              \
    };

#define KOLIBRIX_HOTKEY_SETTINGS(X) X(bool, disable, L"Disable", false)

#define KOLIBRIX_IRCOM_SETTINGS(X)                                     \
    X(bool, disable, L"Disable", true)                                 \
    /* The same OBEX server over TCP; port 0 = none. */                \
    X(std::uint32_t, tcpPort, L"TcpPort", 0)                           \
    X(std::wstring, tcpAddress, L"TcpAddress", L"127.0.0.1")           \
    /* Blank-separated addresses and prefixes that may connect. */     \
    X(std::wstring, tcpAllow, L"TcpAllow", L"127.0.0.0/8 ::1")         \
    /* Network peers may run any action, also programs and log-off. */ \
    X(bool, tcpAllowAllActions, L"TcpAllowAllActions", false)

#define KOLIBRIX_WEBREMOTE_SETTINGS(X)                                                                              \
    /* 0: no web remote. */                                                                                         \
    X(std::uint32_t, port, L"Port", 0)                                                                              \
    /* Empty: every address of the machine, so a phone on the home network reaches it. */                           \
    X(std::wstring, address, L"Address")                                                                            \
    X(std::wstring, allow, L"Allow", L"127.0.0.0/8 ::1 10.0.0.0/8 172.16.0.0/12 192.168.0.0/16 fc00::/7 fe80::/10") \
    /* Paired browsers may run any action, also programs and log-off. */                                            \
    X(bool, allowAllActions, L"AllowAllActions", false)

#define KOLIBRIX_JOY_SETTINGS(X)                  \
    X(bool, disable, L"Disable", true)            \
    X(bool, useShift, L"UseShift", true)          \
    X(std::uint32_t, shift, L"Shift", 7)          \
    /* Instance GUID of the chosen controller. */ \
    X(std::uint32_t, guidData1, L"Guid_Data1", 0) \
    X(std::uint16_t, guidData2, L"Guid_Data2", 0) \
    X(std::uint16_t, guidData3, L"Guid_Data3", 0) \
    X(GuidBytes, guidData4, L"Guid_Data4_")

#define KOLIBRIX_WIIMOTE_SETTINGS(X)       \
    X(bool, disable, L"Disable", true)     \
    X(bool, useShift, L"UseShift", true)   \
    X(std::uint32_t, shift, L"Shift", 2)   \
    X(LedModes, led, L"LED", 4, 8, 10, 12) \
    X(MouseButtons, mouseButton, L"MouseButton", 3, 2, 5, 4, 10, 0)

#define KOLIBRIX_ARTWORK_SETTINGS(X)                                                       \
    X(bool, downloadEnabled, L"DownloadEnabled", false)                                    \
    X(bool, notifyDownloadResult, L"NotifyDownloadResult", true)                           \
    X(std::int32_t, artworkListSort, L"ArtworkListSort", 0)                                \
    X(bool, notifyApplyCompleted, L"NotifyApplyCompleted", true)                           \
    X(bool, confirmApply, L"ConfirmApply", true)                                           \
    X(std::int32_t, numDownloadArtworks, L"NumDownloadArtworks", 4)                        \
    /* Decode with the system's own decoder when no Susie decoder does. */                 \
    X(bool, useWic, L"UseWIC", true)                                                       \
    /* Where the editor looks for covers: 0 the store's pages at storeAddress, 1       */  \
    /* MusicBrainz with the Cover Art Archive (the store's page layout is gone, so     */  \
    /* that is what works today).                                                      */  \
    X(std::int32_t, provider, L"Provider", 1)                                              \
    /* "http://host[:port]", no final slash; none set means no store. */                   \
    X(std::wstring, storeAddress, L"StoreAddress")                                         \
    X(std::wstring, musicBrainzAddress, L"MusicBrainzAddress", L"https://musicbrainz.org") \
    X(std::wstring, coverArtAddress, L"CoverArtAddress", L"https://coverartarchive.org")

#define KOLIBRIX_DETAIL_SETTINGS(X)                                                                    \
    X(bool, disable, L"Disable", false)                                                                \
    X(bool, disableBootITunes, L"DisableBootITunes", false)                                            \
    X(std::int32_t, synchroTime, L"SynchroTime", 180)                                                  \
    X(bool, ignoreWaitingAction, L"IgnoreWaitingAction", false)                                        \
    X(bool, soundEnabled, L"SoundEnabled", true)                                                       \
    X(std::wstring, soundPath, L"SoundPath", L"C:\\WINDOWS\\Media\\start.wav")                         \
    X(bool, notifyObservationState, L"NotifyObservationState", true)                                   \
    X(std::wstring, trayIconAction, L"TrayIconAction", L"ShowOption")                                  \
    X(std::wstring, trayIconWheelClickAction, L"TrayIconWheelClickAction", L"ShowInterruptPlayOption") \
    X(std::wstring, startupAction, L"StartupAction", L"DoNothing")                                     \
    X(std::wstring, endupAction, L"EndupAction", L"DoNothing")                                         \
    X(bool, backupEnabled, L"BackupEnabled", false)                                                    \
    X(std::int32_t, numberOfBackups, L"NumberOfBackups", 5)                                            \
    X(std::int32_t, intervalOfBackup, L"IntervalOfBackup", 1)                                          \
    X(std::int32_t, lastBackupedTime, L"LastBackupedTime", 0)

#define KOLIBRIX_NOTIFY_SETTINGS(X)                                                \
    X(bool, notifyTrack, L"NotifyTrack", true)                                     \
    X(std::wstring, notifyTrackText, L"NotifyTrackText", defaultTrackText)         \
    X(bool, notifySystemVolume, L"NotifySystemVolume", true)                       \
    X(bool, notifySystemMute, L"NotifySystemMute", true)                           \
    X(bool, notifyVolume, L"NotifyVolume", true)                                   \
    X(bool, notifyMute, L"NotifyMute", true)                                       \
    X(bool, notifyShuffle, L"NotifyShuffle", true)                                 \
    X(bool, notifyRepeat, L"NotifyRepeat", true)                                   \
    X(bool, notifyRating, L"NotifyRating", true)                                   \
    X(bool, notifyPlayerState, L"NotifyPlayerState", true)                         \
    X(bool, notifyEQ, L"NotifyEQ", true)                                           \
    X(bool, notifyVisuals, L"NotifyVisuals", true)                                 \
    X(std::int32_t, notifyTime, L"NotifyTime", 10)                                 \
    X(std::int32_t, notifyTimeOthers, L"NotifyTimeOthers", 5)                      \
    X(std::wstring, clickAction, L"ClickAction", L"ActivateBrowserWindow")         \
    X(bool, runClickActionOnlyTrackNotify, L"RunClickActionOnlyTrackNotify", true) \
    X(bool, showArtwork, L"ShowArtwork", true)                                     \
    X(bool, arrowContinuousNotify, L"ArrowContinuousNotify", false)                \
    X(std::int32_t, transparency, L"Transparency", 0)                              \
    X(std::int32_t, effect, L"Effect", 2)                                          \
    X(std::int32_t, slideDir, L"SlideDir", 0)

#define KOLIBRIX_LANG_SETTINGS(X) X(std::wstring, id, L"Id", L"ja")
#define KOLIBRIX_SKIN_SETTINGS(X) X(std::wstring, id, L"Id", L"default")
// Chosen from the tray menu while workers capture snapshots.
#define KOLIBRIX_ACTIONTARGET_SETTINGS(X) X(SharedText, id, L"Id")

// The parts of Option.ini in file order: each binding list just before the
// group of its input. LIST(type, member, section prefix), GROUP(type, member).
#define KOLIBRIX_SETTINGS_PARTS(LIST, GROUP)   \
    LIST(HotKeyList, hotKeys, L"HotKey")       \
    GROUP(Item::HotKey, hotKey)                \
    LIST(KeyList, irComKeys, L"IRComKeys")     \
    GROUP(Item::IRCom, irCom)                  \
    GROUP(Item::WebRemote, webRemote)          \
    LIST(KeyList, joyKeys, L"JoyKeys")         \
    GROUP(Item::Joy, joy)                      \
    LIST(KeyList, wiimoteKeys, L"WiimoteKeys") \
    GROUP(Item::Wiimote, wiimote)              \
    GROUP(Item::Artwork, artwork)              \
    GROUP(Item::Detail, detail)                \
    GROUP(Item::Notify, notify)                \
    GROUP(Item::Lang, lang)                    \
    GROUP(Item::Skin, skin)                    \
    GROUP(Item::ActionTarget, actionTarget)

#define KOLIBRIX_SETTINGS_LIST_MEMBER(type, member, prefix) type member;
#define KOLIBRIX_SETTINGS_GROUP_MEMBER(type, member) type member;

namespace tavelapp {

// The values of Option.ini, apart from the file: the general settings and the
// input bindings. A snapshot is one of these, never changed once published.
struct Settings {
    // Modifier bits as for RegisterHotKey: 1 Alt, 2 Control, 4 Shift.
    struct HotKey {
        std::uint32_t mods = 0;
        std::uint32_t vk = 0;
        std::wstring action;
        bool operator==(const HotKey&) const = default;
    };
    // A binding of a device key. The code is the device's: the phone's key index
    // in the low byte with 0x100 for its shift key; the controller's direction
    // (0-3) or button (value - 3) with 0x100 for the shift button; the Wii
    // remote's button in the low byte with 0x8000 for the shift button.
    struct Key {
        std::uint32_t key = 0;
        std::wstring action;
        bool operator==(const Key&) const = default;
    };
    using HotKeyList = std::vector<HotKey>;
    using KeyList = std::vector<Key>;

    struct Item {
        using GuidBytes = std::array<std::uint8_t, 8>;
        using LedModes = std::array<std::int32_t, 4>;
        using MouseButtons = std::array<std::uint8_t, 6>;
        // The first of trackTextPresets().
        static constexpr const wchar_t defaultTrackText[] =
            L"%PlayListName% - %PlayOrderIndex%/%TracksCount%\\n%Name% (%Time%)\\n%Artist%\\n"
            L"%Album% (Track %TrackNumber%)\\n%RatingText% [%PlayedCount%]";

        KOLIBRIX_SETTINGS_GROUP(HotKey, L"HotKey", KOLIBRIX_HOTKEY_SETTINGS)
        KOLIBRIX_SETTINGS_GROUP(IRCom, L"IRCom", KOLIBRIX_IRCOM_SETTINGS)
        KOLIBRIX_SETTINGS_GROUP(WebRemote, L"WebRemote", KOLIBRIX_WEBREMOTE_SETTINGS)
        KOLIBRIX_SETTINGS_GROUP(Joy, L"Joy", KOLIBRIX_JOY_SETTINGS)
        KOLIBRIX_SETTINGS_GROUP(Wiimote, L"Wiimote", KOLIBRIX_WIIMOTE_SETTINGS)
        KOLIBRIX_SETTINGS_GROUP(Artwork, L"Artwork", KOLIBRIX_ARTWORK_SETTINGS)
        KOLIBRIX_SETTINGS_GROUP(Detail, L"Detail", KOLIBRIX_DETAIL_SETTINGS)
        KOLIBRIX_SETTINGS_GROUP(Notify, L"Notify", KOLIBRIX_NOTIFY_SETTINGS)
        KOLIBRIX_SETTINGS_GROUP(Lang, L"Lang", KOLIBRIX_LANG_SETTINGS)
        KOLIBRIX_SETTINGS_GROUP(Skin, L"Skin", KOLIBRIX_SKIN_SETTINGS)
        KOLIBRIX_SETTINGS_GROUP(ActionTarget, L"ActionTarget", KOLIBRIX_ACTIONTARGET_SETTINGS)
    };

    KOLIBRIX_SETTINGS_PARTS(KOLIBRIX_SETTINGS_LIST_MEMBER, KOLIBRIX_SETTINGS_GROUP_MEMBER)

    // Compares values (lists by content).
    bool operator==(const Settings&) const = default;

    // The four track-notification templates offered by the options dialog;
    // the first is the default. "\n" in them is a backslash and an n.
    static const std::vector<std::wstring>& trackTextPresets();

    // What each binding list holds when Option.ini has none.
    static HotKeyList defaultHotKeys();
    static KeyList defaultIRComKeys();
    static KeyList defaultJoyKeys();
    static KeyList defaultWiimoteKeys();
};

}  // namespace tavelapp

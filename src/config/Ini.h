#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/SharedText.h"
#include "win/file/Ini.h"

namespace tavelapp {

// Option.ini: the general settings and the input bindings. One process-wide
// instance that only the main thread reads and changes; the options dialog edits
// a copy (copies are deep) and assigns it back. Other threads read snapshot().
class Ini : public tavel::win::file::Ini {
public:
    // Modifier bits as for RegisterHotKey: 1 Alt, 2 Control, 4 Shift.
    struct HotKey {
        std::uint32_t mods = 0;
        std::uint32_t vk = 0;
        std::wstring action;
    };

    struct Item {
        struct HotKey {
            bool disable = false;
        };
        struct IRCom {
            // Low byte the key index, 0x100 = with the shift key.
            struct Key {
                std::uint32_t key = 0;
                std::wstring action;
            };
            bool disable = true;
            // The same OBEX server over TCP; port 0 = none.
            std::uint32_t tcpPort = 0;
            std::wstring tcpAddress = L"127.0.0.1";
            // Blank-separated addresses and prefixes that may connect.
            std::wstring tcpAllow = L"127.0.0.0/8 ::1";
            // Network peers may run any action, also programs and log-off.
            bool tcpAllowAllActions = false;
        };
        struct WebRemote {
            // 0: no web remote.
            std::uint32_t port = 0;
            // Empty: every address of the machine, so a phone on the home network reaches it.
            std::wstring address;
            std::wstring allow = L"127.0.0.0/8 ::1 10.0.0.0/8 172.16.0.0/12 192.168.0.0/16 fc00::/7 fe80::/10";
            // Paired browsers may run any action, also programs and log-off.
            bool allowAllActions = false;
        };
        struct Joy {
            // Low byte the direction or button, 0x100 = with the shift button.
            struct Key {
                std::uint32_t key = 0;
                std::wstring action;
            };
            bool disable = true;
            bool useShift = true;
            std::uint32_t shift = 7;
            // Instance GUID of the chosen controller.
            std::uint32_t guidData1 = 0;
            std::uint16_t guidData2 = 0;
            std::uint16_t guidData3 = 0;
            std::array<std::uint8_t, 8> guidData4{};
        };
        struct Wiimote {
            // Low byte the button, 0x8000 = with the shift button.
            struct Key {
                std::uint32_t key = 0;
                std::wstring action;
            };
            bool disable = true;
            bool useShift = true;
            std::uint32_t shift = 2;
            std::array<std::int32_t, 4> led{{4, 8, 10, 12}};
            std::array<std::uint8_t, 6> mouseButton{{3, 2, 5, 4, 10, 0}};
        };
        struct Artwork {
            bool downloadEnabled = false;
            bool notifyDownloadResult = true;
            std::int32_t artworkListSort = 0;
            bool notifyApplyCompleted = true;
            bool confirmApply = true;
            std::int32_t numDownloadArtworks = 4;
            // Decode with the system's own decoder when no Susie decoder does.
            bool useWic = true;
            // Where the editor looks for covers: 0 the store's pages at
            // storeAddress, 1 MusicBrainz with the Cover Art Archive (the
            // store's page layout is gone, so that is what works today).
            std::int32_t provider = 1;
            // "http://host[:port]", no final slash; none set means no store.
            std::wstring storeAddress;
            std::wstring musicBrainzAddress = L"https://musicbrainz.org";
            std::wstring coverArtAddress = L"https://coverartarchive.org";
        };
        struct Detail {
            bool disable = false;
            bool disableBootITunes = false;
            std::int32_t synchroTime = 180;
            bool ignoreWaitingAction = false;
            bool soundEnabled = true;
            std::wstring soundPath = L"C:\\WINDOWS\\Media\\start.wav";
            bool notifyObservationState = true;
            std::wstring trayIconAction = L"ShowOption";
            std::wstring trayIconWheelClickAction = L"ShowInterruptPlayOption";
            std::wstring startupAction = L"DoNothing";
            std::wstring endupAction = L"DoNothing";
            bool backupEnabled = false;
            std::int32_t numberOfBackups = 5;
            std::int32_t intervalOfBackup = 1;
            std::int32_t lastBackupedTime = 0;
        };
        struct Notify {
            static constexpr const wchar_t defaultTrackText[] =
                L"%PlayListName% - %PlayOrderIndex%/%TracksCount%\\n%Name% (%Time%)\\n%Artist%\\n"
                L"%Album% (Track %TrackNumber%)\\n%RatingText% [%PlayedCount%]";

            bool notifyTrack = true;
            std::wstring notifyTrackText = defaultTrackText;
            bool notifySystemVolume = true;
            bool notifySystemMute = true;
            bool notifyVolume = true;
            bool notifyMute = true;
            bool notifyShuffle = true;
            bool notifyRepeat = true;
            bool notifyRating = true;
            bool notifyPlayerState = true;
            bool notifyEQ = true;
            bool notifyVisuals = true;
            std::int32_t notifyTime = 10;
            std::int32_t notifyTimeOthers = 5;
            std::wstring clickAction = L"ActivateBrowserWindow";
            bool runClickActionOnlyTrackNotify = true;
            bool showArtwork = true;
            bool arrowContinuousNotify = false;
            std::int32_t transparency = 0;
            std::int32_t effect = 2;
            std::int32_t slideDir = 0;
        };
        struct Lang {
            std::wstring id = L"ja";
        };
        struct Skin {
            std::wstring id = L"default";
        };
        struct ActionTarget {
            // Chosen from the tray menu while workers capture snapshots.
            SharedText id;
        };
    };

    using HotKeyList = std::vector<std::shared_ptr<HotKey>>;
    using IRComKeyList = std::vector<std::shared_ptr<Item::IRCom::Key>>;
    using JoyKeyList = std::vector<std::shared_ptr<Item::Joy::Key>>;
    using WiimoteKeyList = std::vector<std::shared_ptr<Item::Wiimote::Key>>;

    // The process-wide settings, at <settings folder>\Option.ini. Main thread only.
    static Ini& instance();
    // The settings as last published, for any thread: never changed, so a worker
    // takes one per job and never sees half of a change. Never null.
    static std::shared_ptr<const Ini> snapshot();
    // Publishes a copy of instance(); the main thread calls it after every change
    // of instance(). Loading instance() publishes by itself.
    static void publish();

    explicit Ini(std::wstring path);
    Ini(const Ini& other);
    Ini& operator=(const Ini& other);
    Ini(Ini&&) = default;
    Ini& operator=(Ini&&) = default;
    ~Ini() override;

    // Reads the file; every binding list that comes back empty gets its defaults.
    // The process-wide instance is published afterwards.
    void load();
    void serialize() override;

    // The four track-notification templates offered by the options dialog;
    // the first is the default. "\n" in them is a backslash and an n.
    static const std::vector<std::wstring>& trackTextPresets();

    static HotKeyList defaultHotKeys();
    static IRComKeyList defaultIRComKeys();
    static JoyKeyList defaultJoyKeys();
    static WiimoteKeyList defaultWiimoteKeys();

    // Compares values (lists by content), not the path or the mode.
    bool operator==(const Ini& other) const;
    bool operator!=(const Ini& other) const { return !(*this == other); }

    HotKeyList hotKeys;
    Item::HotKey hotKey;
    IRComKeyList irComKeys;
    Item::IRCom irCom;
    Item::WebRemote webRemote;
    JoyKeyList joyKeys;
    Item::Joy joy;
    WiimoteKeyList wiimoteKeys;
    Item::Wiimote wiimote;
    Item::Artwork artwork;
    Item::Detail detail;
    Item::Notify notify;
    Item::Lang lang;
    Item::Skin skin;
    Item::ActionTarget actionTarget;

private:
    void serializeHotKeys();
    template <typename List>
    void serializeKeyList(const std::wstring& prefix, List& list);
};

}  // namespace tavelapp

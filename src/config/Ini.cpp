#include "config/Ini.h"

#include <atomic>
#include <mutex>
#include <tuple>

#include "base/AppPaths.h"

namespace tavelapp {
namespace {

template <typename T>
std::vector<std::shared_ptr<T>> deepCopy(const std::vector<std::shared_ptr<T>>& list) {
    std::vector<std::shared_ptr<T>> copy;
    copy.reserve(list.size());
    for (const auto& record : list)
        copy.push_back(record ? std::make_shared<T>(*record) : nullptr);
    return copy;
}

template <typename T, typename Same>
bool sameList(const std::vector<std::shared_ptr<T>>& a, const std::vector<std::shared_ptr<T>>& b, Same same) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!a[i] || !b[i]) {
            if (a[i] != b[i]) return false;
        } else if (!same(*a[i], *b[i])) {
            return false;
        }
    }
    return true;
}

bool sameKey(const Ini::HotKey& a, const Ini::HotKey& b) {
    return a.mods == b.mods && a.vk == b.vk && a.action == b.action;
}

template <typename Key>
bool sameCodedKey(const Key& a, const Key& b) {
    return a.key == b.key && a.action == b.action;
}

auto fields(const Ini::Item::Joy& j) {
    return std::tie(j.disable, j.useShift, j.shift, j.guidData1, j.guidData2, j.guidData3, j.guidData4);
}
auto fields(const Ini::Item::Wiimote& w) { return std::tie(w.disable, w.useShift, w.shift, w.led, w.mouseButton); }
auto fields(const Ini::Item::Artwork& a) {
    return std::tie(a.downloadEnabled, a.notifyDownloadResult, a.artworkListSort, a.notifyApplyCompleted,
                    a.confirmApply, a.numDownloadArtworks, a.useWic, a.provider, a.storeAddress, a.musicBrainzAddress,
                    a.coverArtAddress);
}
auto fields(const Ini::Item::Detail& d) {
    return std::tie(d.disable, d.disableBootITunes, d.synchroTime, d.ignoreWaitingAction, d.soundEnabled, d.soundPath,
                    d.notifyObservationState, d.trayIconAction, d.trayIconWheelClickAction, d.startupAction,
                    d.endupAction, d.backupEnabled, d.numberOfBackups, d.intervalOfBackup, d.lastBackupedTime);
}
auto fields(const Ini::Item::Notify& n) {
    return std::tie(n.notifyTrack, n.notifyTrackText, n.notifySystemVolume, n.notifySystemMute, n.notifyVolume,
                    n.notifyMute, n.notifyShuffle, n.notifyRepeat, n.notifyRating, n.notifyPlayerState, n.notifyEQ,
                    n.notifyVisuals, n.notifyTime, n.notifyTimeOthers, n.clickAction, n.runClickActionOnlyTrackNotify,
                    n.showArtwork, n.arrowContinuousNotify, n.transparency, n.effect, n.slideDir);
}

// Older files name a script in "Param", e.g. "NextTrack.js" for "NextTrack".
std::wstring actionFromParam(const std::wstring& param) {
    const std::wstring suffix = L".js";
    if (param.size() > 2 && param.size() >= suffix.size() &&
        param.compare(param.size() - suffix.size(), suffix.size(), suffix) == 0)
        return param.substr(0, param.size() - suffix.size());
    return param;
}

template <typename T>
std::shared_ptr<T> codedKey(std::uint32_t key, const wchar_t* action) {
    auto record = std::make_shared<T>();
    record->key = key;
    record->action = action;
    return record;
}

struct Published {
    std::mutex lock;  // held for a pointer copy only
    std::shared_ptr<const Ini> settings;
};

Published& published() {
    static Published p;
    return p;
}

// The process-wide instance once made: loading it publishes it.
std::atomic<const Ini*> liveSettings{nullptr};

void store(std::shared_ptr<const Ini> next) {
    Published& p = published();
    {
        std::lock_guard<std::mutex> guard(p.lock);
        p.settings.swap(next);
    }
    // The replaced snapshot goes here, outside the lock, unless a reader still holds it.
}

}  // namespace

Ini& Ini::instance() {
    static Ini settings(AppPaths::settingsFolder() + L"\\Option.ini");
    // The defaults are published before anyone can change them.
    static const bool seeded = [] {
        store(std::make_shared<const Ini>(settings));
        liveSettings = &settings;
        return true;
    }();
    (void)seeded;
    return settings;
}

std::shared_ptr<const Ini> Ini::snapshot() {
    instance();
    Published& p = published();
    std::lock_guard<std::mutex> guard(p.lock);
    return p.settings;
}

void Ini::publish() { store(std::make_shared<const Ini>(instance())); }

Ini::Ini(std::wstring path) : tavel::win::file::Ini(std::move(path)) {}

Ini::Ini(const Ini& other)
    : tavel::win::file::Ini(other),
      hotKeys(deepCopy(other.hotKeys)),
      hotKey(other.hotKey),
      irComKeys(deepCopy(other.irComKeys)),
      irCom(other.irCom),
      webRemote(other.webRemote),
      joyKeys(deepCopy(other.joyKeys)),
      joy(other.joy),
      wiimoteKeys(deepCopy(other.wiimoteKeys)),
      wiimote(other.wiimote),
      artwork(other.artwork),
      detail(other.detail),
      notify(other.notify),
      lang(other.lang),
      skin(other.skin),
      actionTarget(other.actionTarget) {}

Ini& Ini::operator=(const Ini& other) {
    if (this != &other) {
        Ini copy(other);
        *this = std::move(copy);
    }
    return *this;
}

Ini::~Ini() = default;

void Ini::load() {
    tavel::win::file::Ini::load();
    if (hotKeys.empty()) hotKeys = defaultHotKeys();
    if (irComKeys.empty()) irComKeys = defaultIRComKeys();
    if (joyKeys.empty()) joyKeys = defaultJoyKeys();
    if (wiimoteKeys.empty()) wiimoteKeys = defaultWiimoteKeys();
    if (this == liveSettings.load()) publish();
}

void Ini::serializeHotKeys() {
    if (mode() == ModeRead) {
        hotKeys.clear();
        for (std::size_t n = 0;; ++n) {
            const std::wstring section = L"HotKey" + std::to_wstring(n);
            if (raw(section, L"Mods").empty()) break;
            auto record = std::make_shared<HotKey>();
            string(section, L"Action", record->action, std::wstring());
            integer(section, L"Mods", record->mods, 0u);
            integer(section, L"VK", record->vk, 0u);
            const std::wstring param = raw(section, L"Param");
            if (!param.empty()) record->action = actionFromParam(param);
            hotKeys.push_back(std::move(record));
        }
    } else if (mode() == ModeWrite) {
        std::size_t n = 0;
        for (const auto& record : hotKeys) {
            if (!record) continue;
            const std::wstring section = L"HotKey" + std::to_wstring(n++);
            string(section, L"Action", record->action, std::wstring());
            integer(section, L"Mods", record->mods, 0u);
            integer(section, L"VK", record->vk, 0u);
        }
    }
}

template <typename List>
void Ini::serializeKeyList(const std::wstring& prefix, List& list) {
    using Record = typename List::value_type::element_type;
    if (mode() == ModeRead) {
        list.clear();
        for (std::size_t n = 0;; ++n) {
            const std::wstring section = prefix + std::to_wstring(n);
            if (raw(section, L"Action").empty()) break;
            auto record = std::make_shared<Record>();
            string(section, L"Action", record->action, std::wstring());
            integer(section, L"Key", record->key, 0u);
            list.push_back(std::move(record));
        }
    } else if (mode() == ModeWrite) {
        std::size_t n = 0;
        for (const auto& record : list) {
            if (!record) continue;
            const std::wstring section = prefix + std::to_wstring(n++);
            string(section, L"Action", record->action, std::wstring());
            integer(section, L"Key", record->key, 0u);
        }
    }
}

void Ini::serialize() {
    // Defaults come from freshly built groups, so a new object equals a loaded empty file.
    serializeHotKeys();
    boolean(L"HotKey", L"Disable", hotKey.disable, Item::HotKey().disable);

    serializeKeyList(L"IRComKeys", irComKeys);
    {
        const Item::IRCom d;
        boolean(L"IRCom", L"Disable", irCom.disable, d.disable);
        integer(L"IRCom", L"TcpPort", irCom.tcpPort, d.tcpPort);
        string(L"IRCom", L"TcpAddress", irCom.tcpAddress, d.tcpAddress);
        string(L"IRCom", L"TcpAllow", irCom.tcpAllow, d.tcpAllow);
        boolean(L"IRCom", L"TcpAllowAllActions", irCom.tcpAllowAllActions, d.tcpAllowAllActions);
    }
    {
        const Item::WebRemote d;
        integer(L"WebRemote", L"Port", webRemote.port, d.port);
        string(L"WebRemote", L"Address", webRemote.address, d.address);
        string(L"WebRemote", L"Allow", webRemote.allow, d.allow);
        boolean(L"WebRemote", L"AllowAllActions", webRemote.allowAllActions, d.allowAllActions);
    }

    serializeKeyList(L"JoyKeys", joyKeys);
    {
        const Item::Joy d;
        boolean(L"Joy", L"Disable", joy.disable, d.disable);
        boolean(L"Joy", L"UseShift", joy.useShift, d.useShift);
        integer(L"Joy", L"Shift", joy.shift, d.shift);
        integer(L"Joy", L"Guid_Data1", joy.guidData1, d.guidData1);
        integer(L"Joy", L"Guid_Data2", joy.guidData2, d.guidData2);
        integer(L"Joy", L"Guid_Data3", joy.guidData3, d.guidData3);
        for (std::size_t i = 0; i < joy.guidData4.size(); ++i)
            integer(L"Joy", L"Guid_Data4_" + std::to_wstring(i), joy.guidData4[i], d.guidData4[i]);
    }

    serializeKeyList(L"WiimoteKeys", wiimoteKeys);
    {
        const Item::Wiimote d;
        boolean(L"Wiimote", L"Disable", wiimote.disable, d.disable);
        boolean(L"Wiimote", L"UseShift", wiimote.useShift, d.useShift);
        integer(L"Wiimote", L"Shift", wiimote.shift, d.shift);
        for (std::size_t i = 0; i < wiimote.led.size(); ++i)
            integer(L"Wiimote", L"LED" + std::to_wstring(i), wiimote.led[i], d.led[i]);
        for (std::size_t i = 0; i < wiimote.mouseButton.size(); ++i)
            integer(L"Wiimote", L"MouseButton" + std::to_wstring(i), wiimote.mouseButton[i], d.mouseButton[i]);
    }
    {
        const Item::Artwork d;
        boolean(L"Artwork", L"DownloadEnabled", artwork.downloadEnabled, d.downloadEnabled);
        boolean(L"Artwork", L"NotifyDownloadResult", artwork.notifyDownloadResult, d.notifyDownloadResult);
        integer(L"Artwork", L"ArtworkListSort", artwork.artworkListSort, d.artworkListSort);
        boolean(L"Artwork", L"NotifyApplyCompleted", artwork.notifyApplyCompleted, d.notifyApplyCompleted);
        boolean(L"Artwork", L"ConfirmApply", artwork.confirmApply, d.confirmApply);
        integer(L"Artwork", L"NumDownloadArtworks", artwork.numDownloadArtworks, d.numDownloadArtworks);
        boolean(L"Artwork", L"UseWIC", artwork.useWic, d.useWic);
        integer(L"Artwork", L"Provider", artwork.provider, d.provider);
        string(L"Artwork", L"StoreAddress", artwork.storeAddress, d.storeAddress);
        string(L"Artwork", L"MusicBrainzAddress", artwork.musicBrainzAddress, d.musicBrainzAddress);
        string(L"Artwork", L"CoverArtAddress", artwork.coverArtAddress, d.coverArtAddress);
    }
    {
        const Item::Detail d;
        boolean(L"Detail", L"Disable", detail.disable, d.disable);
        boolean(L"Detail", L"DisableBootITunes", detail.disableBootITunes, d.disableBootITunes);
        integer(L"Detail", L"SynchroTime", detail.synchroTime, d.synchroTime);
        boolean(L"Detail", L"IgnoreWaitingAction", detail.ignoreWaitingAction, d.ignoreWaitingAction);
        boolean(L"Detail", L"SoundEnabled", detail.soundEnabled, d.soundEnabled);
        string(L"Detail", L"SoundPath", detail.soundPath, d.soundPath);
        boolean(L"Detail", L"NotifyObservationState", detail.notifyObservationState, d.notifyObservationState);
        string(L"Detail", L"TrayIconAction", detail.trayIconAction, d.trayIconAction);
        string(L"Detail", L"TrayIconWheelClickAction", detail.trayIconWheelClickAction, d.trayIconWheelClickAction);
        string(L"Detail", L"StartupAction", detail.startupAction, d.startupAction);
        string(L"Detail", L"EndupAction", detail.endupAction, d.endupAction);
        boolean(L"Detail", L"BackupEnabled", detail.backupEnabled, d.backupEnabled);
        integer(L"Detail", L"NumberOfBackups", detail.numberOfBackups, d.numberOfBackups);
        integer(L"Detail", L"IntervalOfBackup", detail.intervalOfBackup, d.intervalOfBackup);
        integer(L"Detail", L"LastBackupedTime", detail.lastBackupedTime, d.lastBackupedTime);
    }
    {
        const Item::Notify d;
        boolean(L"Notify", L"NotifyTrack", notify.notifyTrack, d.notifyTrack);
        string(L"Notify", L"NotifyTrackText", notify.notifyTrackText, d.notifyTrackText);
        boolean(L"Notify", L"NotifySystemVolume", notify.notifySystemVolume, d.notifySystemVolume);
        boolean(L"Notify", L"NotifySystemMute", notify.notifySystemMute, d.notifySystemMute);
        boolean(L"Notify", L"NotifyVolume", notify.notifyVolume, d.notifyVolume);
        boolean(L"Notify", L"NotifyMute", notify.notifyMute, d.notifyMute);
        boolean(L"Notify", L"NotifyShuffle", notify.notifyShuffle, d.notifyShuffle);
        boolean(L"Notify", L"NotifyRepeat", notify.notifyRepeat, d.notifyRepeat);
        boolean(L"Notify", L"NotifyRating", notify.notifyRating, d.notifyRating);
        boolean(L"Notify", L"NotifyPlayerState", notify.notifyPlayerState, d.notifyPlayerState);
        boolean(L"Notify", L"NotifyEQ", notify.notifyEQ, d.notifyEQ);
        boolean(L"Notify", L"NotifyVisuals", notify.notifyVisuals, d.notifyVisuals);
        integer(L"Notify", L"NotifyTime", notify.notifyTime, d.notifyTime);
        integer(L"Notify", L"NotifyTimeOthers", notify.notifyTimeOthers, d.notifyTimeOthers);
        string(L"Notify", L"ClickAction", notify.clickAction, d.clickAction);
        boolean(L"Notify", L"RunClickActionOnlyTrackNotify", notify.runClickActionOnlyTrackNotify,
                d.runClickActionOnlyTrackNotify);
        boolean(L"Notify", L"ShowArtwork", notify.showArtwork, d.showArtwork);
        boolean(L"Notify", L"ArrowContinuousNotify", notify.arrowContinuousNotify, d.arrowContinuousNotify);
        integer(L"Notify", L"Transparency", notify.transparency, d.transparency);
        integer(L"Notify", L"Effect", notify.effect, d.effect);
        integer(L"Notify", L"SlideDir", notify.slideDir, d.slideDir);
    }
    string(L"Lang", L"Id", lang.id, Item::Lang().id);
    string(L"Skin", L"Id", skin.id, Item::Skin().id);
    std::wstring target = actionTarget.id;
    string(L"ActionTarget", L"Id", target, Item::ActionTarget().id);
    actionTarget.id = target;
}

const std::vector<std::wstring>& Ini::trackTextPresets() {
    static const std::vector<std::wstring> presets = {
        Item::Notify::defaultTrackText,
        L"%PlayListName% - %PlayOrderIndex%/%TracksCount%\\n%Name% (%Time%)\\n%Artist%\\n"
        L"%Album% (Track %TrackNumber%)",
        L"iTunes - %PlayOrderIndex%/%TracksCount%\\n%Name% (%Time%)\\n%Artist%\\n"
        L"%Album% (Track %TrackNumber%)\\n%RatingText% [%PlayedCount%]",
        L"iTunes - %PlayOrderIndex%/%TracksCount%\\n%Name% (%Time%)\\n%Artist%\\n"
        L"%Album% (Track %TrackNumber%)",
    };
    return presets;
}

Ini::HotKeyList Ini::defaultHotKeys() {
    struct Entry {
        const wchar_t* action;
        std::uint32_t mods;
        std::uint32_t vk;
    };
    // 3 = Control+Alt, 7 = Control+Alt+Shift.
    static const Entry entries[] = {
        {L"PlayPause", 3, 0x2D},
        {L"Stop", 3, 0x23},
        {L"PreviousTrack", 3, 0x25},
        {L"NextTrack", 3, 0x27},
        {L"Rewind", 7, 0x25},
        {L"FastForward", 7, 0x27},
        {L"PrevAlbum", 3, 0x21},
        {L"NextAlbum", 3, 0x22},
        {L"PrevArtist", 7, 0x21},
        {L"NextArtist", 7, 0x22},
        {L"PrevPlaylist", 7, 0x26},
        {L"NextPlaylist", 7, 0x28},
        {L"ReshuffleAndPlay", 7, 0x0D},
        {L"Volume_Up5", 3, 0x26},
        {L"Volume_Down5", 3, 0x28},
        {L"Rating_0", 3, 0x30},
        {L"Rating_1", 3, 0x31},
        {L"Rating_2", 3, 0x32},
        {L"Rating_3", 3, 0x33},
        {L"Rating_4", 3, 0x34},
        {L"Rating_5", 3, 0x35},
        {L"Mute_OnOff", 3, 0x41},
        {L"Shuffle_OnOff", 3, 0x53},
        {L"Repeat_OneAll", 3, 0x44},
        {L"QuickPlay", 3, 0x51},
        {L"InterruptPlay", 3, 0x57},
        {L"RunAction", 3, 0x52},
        {L"NotifyTrack", 3, 0x5A},
        {L"NotifySetting", 3, 0x58},
        {L"ActivateBrowserWindow", 3, 0x24},
        {L"MinimizeBrowserWindow", 7, 0x24},
    };
    HotKeyList list;
    for (const Entry& e : entries) {
        auto record = std::make_shared<HotKey>();
        record->mods = e.mods;
        record->vk = e.vk;
        record->action = e.action;
        list.push_back(std::move(record));
    }
    return list;
}

Ini::IRComKeyList Ini::defaultIRComKeys() {
    using K = Item::IRCom::Key;
    // Key index in the low byte, 0x100 = with the shift key.
    return {
        codedKey<K>(4, L"PlayPause"),
        codedKey<K>(0x10E, L"Stop"),
        codedKey<K>(3, L"PreviousTrack"),
        codedKey<K>(1, L"NextTrack"),
        codedKey<K>(8, L"Rewind"),
        codedKey<K>(10, L"FastForward"),
        codedKey<K>(11, L"PrevAlbum"),
        codedKey<K>(14, L"NextAlbum"),
        codedKey<K>(13, L"PrevArtist"),
        codedKey<K>(16, L"NextArtist"),
        codedKey<K>(0x100, L"PrevPlaylist"),
        codedKey<K>(0x102, L"NextPlaylist"),
        codedKey<K>(0x104, L"ReshuffleAndPlay"),
        codedKey<K>(0, L"Volume_Up5"),
        codedKey<K>(2, L"Volume_Down5"),
        codedKey<K>(0x10F, L"Rating_0"),
        codedKey<K>(0x105, L"Rating_1"),
        codedKey<K>(0x106, L"Rating_2"),
        codedKey<K>(0x107, L"Rating_3"),
        codedKey<K>(0x108, L"Rating_4"),
        codedKey<K>(0x109, L"Rating_5"),
        codedKey<K>(5, L"Mute_OnOff"),
        codedKey<K>(6, L"Shuffle_OnOff"),
        codedKey<K>(7, L"Repeat_OneAll"),
        codedKey<K>(9, L"NotifyTrack"),
        codedKey<K>(12, L"NotifySetting"),
        codedKey<K>(0x110, L"ActivateBrowserWindow"),
    };
}

Ini::JoyKeyList Ini::defaultJoyKeys() {
    using K = Item::Joy::Key;
    // 0-3 the directions, 4 and up button (value - 3); 0x100 = with the shift button.
    return {
        codedKey<K>(5, L"Play"),
        codedKey<K>(6, L"Pause"),
        codedKey<K>(12, L"PlayPause"),
        codedKey<K>(3, L"PreviousTrack"),
        codedKey<K>(1, L"NextTrack"),
        codedKey<K>(0x103, L"Rewind"),
        codedKey<K>(0x101, L"FastForward"),
        codedKey<K>(10, L"PrevAlbum"),
        codedKey<K>(11, L"NextAlbum"),
        codedKey<K>(0x10A, L"PrevArtist"),
        codedKey<K>(0x10B, L"NextArtist"),
        codedKey<K>(0x100, L"PrevPlaylist"),
        codedKey<K>(0x102, L"NextPlaylist"),
        codedKey<K>(0x10C, L"ReshuffleAndPlay"),
        codedKey<K>(0, L"Volume_Up5"),
        codedKey<K>(2, L"Volume_Down5"),
        codedKey<K>(0x104, L"Mute_OnOff"),
        codedKey<K>(0x105, L"EQ_OnOff"),
        codedKey<K>(0x106, L"Visuals_OnOff"),
        codedKey<K>(0x108, L"Shuffle_OnOff"),
        codedKey<K>(0x109, L"Repeat_OneAll"),
        codedKey<K>(8, L"NotifyTrack"),
        codedKey<K>(9, L"NotifySetting"),
        codedKey<K>(13, L"ActivateBrowserWindow"),
        codedKey<K>(0x10D, L"MinimizeBrowserWindow"),
    };
}

Ini::WiimoteKeyList Ini::defaultWiimoteKeys() {
    using K = Item::Wiimote::Key;
    // Button in the low byte, 0x8000 = with the shift button.
    return {
        codedKey<K>(3, L"PlayPause"),        codedKey<K>(6, L"PreviousTrack"),
        codedKey<K>(7, L"NextTrack"),        codedKey<K>(0x8006, L"Rewind"),
        codedKey<K>(0x8007, L"FastForward"), codedKey<K>(9, L"PrevAlbum"),
        codedKey<K>(8, L"NextAlbum"),        codedKey<K>(0x8009, L"PrevArtist"),
        codedKey<K>(0x8008, L"NextArtist"),  codedKey<K>(0x8003, L"ReshuffleAndPlay"),
        codedKey<K>(10, L"Volume_Up5"),      codedKey<K>(4, L"Volume_Down5"),
        codedKey<K>(1, L"Repeat_OneAll"),    codedKey<K>(0, L"Shuffle_OnOff"),
        codedKey<K>(0x8001, L"Mute_OnOff"),  codedKey<K>(0x8000, L"EQ_OnOff"),
    };
}

bool Ini::operator==(const Ini& other) const {
    return sameList(hotKeys, other.hotKeys, sameKey) &&
           sameList(irComKeys, other.irComKeys, sameCodedKey<Item::IRCom::Key>) &&
           sameList(joyKeys, other.joyKeys, sameCodedKey<Item::Joy::Key>) &&
           sameList(wiimoteKeys, other.wiimoteKeys, sameCodedKey<Item::Wiimote::Key>) &&
           hotKey.disable == other.hotKey.disable && irCom.disable == other.irCom.disable &&
           irCom.tcpPort == other.irCom.tcpPort && irCom.tcpAddress == other.irCom.tcpAddress &&
           irCom.tcpAllow == other.irCom.tcpAllow && irCom.tcpAllowAllActions == other.irCom.tcpAllowAllActions &&
           webRemote.port == other.webRemote.port && webRemote.address == other.webRemote.address &&
           webRemote.allow == other.webRemote.allow && webRemote.allowAllActions == other.webRemote.allowAllActions &&
           fields(joy) == fields(other.joy) && fields(wiimote) == fields(other.wiimote) &&
           fields(artwork) == fields(other.artwork) && fields(detail) == fields(other.detail) &&
           fields(notify) == fields(other.notify) && lang.id == other.lang.id && skin.id == other.skin.id &&
           actionTarget.id == other.actionTarget.id;
}

}  // namespace tavelapp

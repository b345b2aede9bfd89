#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#ifdef _WIN32
#include <windows.h>
#endif

#include "TempFolder.h"
#include "config/Ini.h"
#include "win/file/FileSystem.h"
#include "win/file/IniDocument.h"
#include "win/util/TextCodec.h"

using tavel::win::file::IniDocument;
using tavelapp::Ini;

namespace {

std::string contentOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

IniDocument documentOf(const std::filesystem::path& path) { return IniDocument::parse(contentOf(path)); }

bool isListSection(const std::wstring& name) {
    for (const std::wstring prefix : {L"HotKey", L"IRComKeys", L"JoyKeys", L"WiimoteKeys"}) {
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
            name.find_first_not_of(L"0123456789", prefix.size()) == std::wstring::npos)
            return true;
    }
    return false;
}

// The single (non-list) sections as "[name]\nkey=value\n" lines, in file order.
std::string singleSections(const IniDocument& doc) {
    std::wstring text;
    for (const std::wstring& section : doc.sectionNames()) {
        if (isListSection(section)) continue;
        text += L"[" + section + L"]\n";
        for (const std::wstring& key : doc.keyNames(section))
            text += key + L"=" + doc.getString(section, key, L"") + L"\n";
    }
    return tavel::win::util::wideToUtf8(text);
}

template <typename List>
std::set<std::uint32_t> keyCodes(const List& list) {
    std::set<std::uint32_t> codes;
    for (const auto& k : list)
        codes.insert(k.key);
    return codes;
}

template <typename List>
std::set<std::wstring> actions(const List& list) {
    std::set<std::wstring> names;
    for (const auto& k : list)
        names.insert(k.action);
    return names;
}

// Every value away from its default.
void customise(Ini& ini) {
    ini.hotKeys = {{6, 0x70, L"My \xFCList"}, {0, 0, L""}};
    ini.irComKeys = {{0x110, L"Stop"}};
    ini.joyKeys = {{35, L"Play"}, {0x123, L"Pause"}};
    ini.wiimoteKeys = {{0x800A, L"Volume_Up5"}};
    ini.hotKey.disable = true;
    ini.webRemote = {8765, L"0.0.0.0", L"10.1.2.0/24 \x65E5", true};
    ini.irCom.disable = false;
    ini.irCom.tcpPort = 650;
    ini.irCom.tcpAddress = L"::";
    ini.irCom.tcpAllow = L"192.168.1.0/24";
    ini.irCom.tcpAllowAllActions = true;
    ini.joy = {false, false, 11, 0xFFFFFFFFu, 0xFFFF, 0x1234, {{0, 1, 2, 0x7F, 0x80, 0xAB, 0xFE, 0xFF}}};
    ini.wiimote = {false, false, 0x8003, {{0, 17, 99, -1}}, {{10, 9, 8, 7, 6, 255}}};
    ini.artwork = {true, false, 3, false, false, 12, false, 0, L"http://127.0.0.1:8080", L"http://mb", L""};
    ini.detail = {true,    true, 0,  true, false,   L" D:\\Sounds\\\x97F3.wav ", false, L"\"Quoted\"", L"", L"Play",
                  L"Stop", true, 30, 7,    20240131};
    ini.notify.notifyTrack = false;
    ini.notify.notifyTrackText = Ini::trackTextPresets()[3];
    ini.notify.notifySystemVolume = false;
    ini.notify.notifySystemMute = false;
    ini.notify.notifyVolume = false;
    ini.notify.notifyMute = false;
    ini.notify.notifyShuffle = false;
    ini.notify.notifyRepeat = false;
    ini.notify.notifyRating = false;
    ini.notify.notifyPlayerState = false;
    ini.notify.notifyEQ = false;
    ini.notify.notifyVisuals = false;
    ini.notify.notifyTime = 1;
    ini.notify.notifyTimeOthers = -2;
    ini.notify.clickAction = L"DoNothing";
    ini.notify.runClickActionOnlyTrackNotify = false;
    ini.notify.showArtwork = false;
    ini.notify.arrowContinuousNotify = true;
    ini.notify.transparency = 200;
    ini.notify.effect = 0;
    ini.notify.slideDir = 3;
    ini.lang.id = L"en";
    ini.skin.id = L"Dark";
    ini.actionTarget.id = L"Sample Player";
}

const char* const defaultSingleSections = R"([HotKey]
Disable=0
[IRCom]
Disable=1
TcpPort=0
TcpAddress=127.0.0.1
TcpAllow=127.0.0.0/8 ::1
TcpAllowAllActions=0
[WebRemote]
Port=0
Address=
Allow=127.0.0.0/8 ::1 10.0.0.0/8 172.16.0.0/12 192.168.0.0/16 fc00::/7 fe80::/10
AllowAllActions=0
[Joy]
Disable=1
UseShift=1
Shift=7
Guid_Data1=0
Guid_Data2=0
Guid_Data3=0
Guid_Data4_0=0
Guid_Data4_1=0
Guid_Data4_2=0
Guid_Data4_3=0
Guid_Data4_4=0
Guid_Data4_5=0
Guid_Data4_6=0
Guid_Data4_7=0
[Wiimote]
Disable=1
UseShift=1
Shift=2
LED0=4
LED1=8
LED2=10
LED3=12
MouseButton0=3
MouseButton1=2
MouseButton2=5
MouseButton3=4
MouseButton4=10
MouseButton5=0
[Artwork]
DownloadEnabled=0
NotifyDownloadResult=1
ArtworkListSort=0
NotifyApplyCompleted=1
ConfirmApply=1
NumDownloadArtworks=4
UseWIC=1
Provider=1
StoreAddress=
MusicBrainzAddress=https://musicbrainz.org
CoverArtAddress=https://coverartarchive.org
[Detail]
Disable=0
DisableBootITunes=0
SynchroTime=180
IgnoreWaitingAction=0
SoundEnabled=1
SoundPath=C:\WINDOWS\Media\start.wav
NotifyObservationState=1
TrayIconAction=ShowOption
TrayIconWheelClickAction=ShowInterruptPlayOption
StartupAction=DoNothing
EndupAction=DoNothing
BackupEnabled=0
NumberOfBackups=5
IntervalOfBackup=1
LastBackupedTime=0
[Notify]
NotifyTrack=1
NotifyTrackText=%PlayListName% - %PlayOrderIndex%/%TracksCount%\n%Name% (%Time%)\n%Artist%\n%Album% (Track %TrackNumber%)\n%RatingText% [%PlayedCount%]
NotifySystemVolume=1
NotifySystemMute=1
NotifyVolume=1
NotifyMute=1
NotifyShuffle=1
NotifyRepeat=1
NotifyRating=1
NotifyPlayerState=1
NotifyEQ=1
NotifyVisuals=1
NotifyTime=10
NotifyTimeOthers=5
ClickAction=ActivateBrowserWindow
RunClickActionOnlyTrackNotify=1
ShowArtwork=1
ArrowContinuousNotify=0
Transparency=0
Effect=2
SlideDir=0
[Lang]
Id=ja
[Skin]
Id=default
[ActionTarget]
Id=
)";

}  // namespace

TEST(Settings, MissingFileGivesDefaultsAndSaveWritesEveryKeyInOrder) {
    TempFolder folder;
    Ini ini(folder.winPath("Option.ini"));
    ini.load();
    EXPECT_EQ(ini.mode(), Ini::ModeRead);

    // A fresh object already holds the defaults; only the lists are filled by load.
    Ini fresh(L"elsewhere.ini");
    fresh.hotKeys = Ini::defaultHotKeys();
    fresh.irComKeys = Ini::defaultIRComKeys();
    fresh.joyKeys = Ini::defaultJoyKeys();
    fresh.wiimoteKeys = Ini::defaultWiimoteKeys();
    EXPECT_TRUE(ini == fresh);

    ASSERT_TRUE(ini.save());
    EXPECT_EQ(ini.mode(), Ini::ModeWrite);
    const IniDocument doc = documentOf(folder.path() / "Option.ini");
    EXPECT_EQ(singleSections(doc), defaultSingleSections);

    // Each list is written just before its group's section.
    std::vector<std::wstring> order;
    const auto list = [&order](const wchar_t* prefix, int count, const wchar_t* group) {
        for (int n = 0; n < count; ++n)
            order.push_back(prefix + std::to_wstring(n));
        order.push_back(group);
    };
    list(L"HotKey", 31, L"HotKey");
    list(L"IRComKeys", 27, L"IRCom");
    order.push_back(L"WebRemote");
    list(L"JoyKeys", 25, L"Joy");
    list(L"WiimoteKeys", 16, L"Wiimote");
    for (const wchar_t* s : {L"Artwork", L"Detail", L"Notify", L"Lang", L"Skin", L"ActionTarget"})
        order.push_back(s);
    EXPECT_EQ(doc.sectionNames(), order);
    EXPECT_EQ(doc.keyNames(L"HotKey3"), (std::vector<std::wstring>{L"Action", L"Mods", L"VK"}));
    EXPECT_EQ(doc.getString(L"HotKey3", L"Action", L""), L"NextTrack");
    EXPECT_EQ(doc.getInt(L"HotKey3", L"VK", 0), 0x27);
    EXPECT_EQ(doc.keyNames(L"WiimoteKeys15"), (std::vector<std::wstring>{L"Action", L"Key"}));
    EXPECT_EQ(doc.getInt(L"WiimoteKeys15", L"Key", 0), 0x8000);
}

TEST(Settings, DefaultBindingListsAreComplete) {
    // Counts, and no key code or action twice: catches dropped or mistyped entries.
    const Ini::HotKeyList hot = Ini::defaultHotKeys();
    ASSERT_EQ(hot.size(), 31u);
    std::set<std::pair<std::uint32_t, std::uint32_t>> chords;
    std::set<std::wstring> hotActions;
    for (const auto& k : hot) {
        chords.insert({k.mods, k.vk});
        hotActions.insert(k.action);
    }
    EXPECT_EQ(chords.size(), 31u);
    EXPECT_EQ(hotActions.size(), 31u);
    for (std::uint32_t r = 0; r <= 5; ++r)
        EXPECT_EQ(hot[15 + r].vk, 0x30 + r);

    const Ini::KeyList ir = Ini::defaultIRComKeys();
    ASSERT_EQ(ir.size(), 27u);
    EXPECT_EQ(keyCodes(ir).size(), 27u);
    EXPECT_EQ(actions(ir).size(), 27u);
    const Ini::KeyList joy = Ini::defaultJoyKeys();
    ASSERT_EQ(joy.size(), 25u);
    EXPECT_EQ(keyCodes(joy).size(), 25u);
    EXPECT_EQ(actions(joy).size(), 25u);
    const Ini::KeyList wii = Ini::defaultWiimoteKeys();
    ASSERT_EQ(wii.size(), 16u);
    EXPECT_EQ(keyCodes(wii).size(), 16u);
    EXPECT_EQ(actions(wii).size(), 16u);

    const auto& presets = Ini::trackTextPresets();
    ASSERT_EQ(presets.size(), 4u);
    EXPECT_EQ(presets[0], Ini(L"x").notify.notifyTrackText);
    for (const auto& p : presets)
        EXPECT_NE(p.find(L"%Name% (%Time%)\\n%Artist%"), std::wstring::npos);
}

TEST(Settings, SaveLoadSaveRoundTripsModelAndBytes) {
    TempFolder folder;
    Ini original(folder.winPath("Option.ini"));
    customise(original);
    ASSERT_TRUE(original.save());

    Ini loaded(folder.winPath("Option.ini"));
    loaded.load();
    EXPECT_TRUE(loaded == original);
    EXPECT_EQ(loaded.joy.guidData4[7], 0xFF);
    EXPECT_EQ(loaded.detail.soundPath, L" D:\\Sounds\\\x97F3.wav ");

    loaded.setPath(folder.winPath("Again.ini"));
    ASSERT_TRUE(loaded.save());
    EXPECT_EQ(contentOf(folder.path() / "Again.ini"), contentOf(folder.path() / "Option.ini"));

    Ini defaults(L"x");
    EXPECT_FALSE(loaded == defaults);
}

TEST(Settings, ValuesAreReadWithTheProfileRules) {
    TempFolder folder;
    folder.write("Option.ini",
                 "[detail]\r\n"
                 "disable=5\r\n"
                 "SynchroTime=0\r\n"
                 "NumberOfBackups=abc\r\n"
                 "IntervalOfBackup=12abc\r\n"
                 "SoundPath=\r\n"
                 "[JOY]\r\n"
                 "UseShift=0x0\r\n"
                 "SHIFT=0x10\r\n"
                 "Guid_Data1=4294967295\r\n"
                 "Guid_Data2=65535\r\n"
                 "Guid_Data3=65536\r\n"
                 "Guid_Data4_0=255\r\n"
                 "Guid_Data4_1=-1\r\n"
                 "Guid_Data4_2=256\r\n"
                 "Guid_Data4_3=300\r\n"
                 "[Notify]\r\n"
                 "NotifyTrackText=" +
                     std::string(512, 't') +
                     "\r\n"
                     "Effect=\r\n"
                     "[Lang]\r\n"
                     "Id = 'en' \r\n"
                     "Unknown=ignored\r\n"
                     "[SKIN]\r\n"
                     "ID=" +
                     std::string(511, 's') + "\r\n");
    Ini ini(folder.winPath("Option.ini"));
    ini.load();
    EXPECT_TRUE(ini.detail.disable);
    EXPECT_EQ(ini.detail.synchroTime, 0);
    EXPECT_EQ(ini.detail.numberOfBackups, 0);
    EXPECT_EQ(ini.detail.intervalOfBackup, 12);
    EXPECT_EQ(ini.detail.soundPath, L"");  // present but empty is not the default
    EXPECT_FALSE(ini.joy.useShift);
    EXPECT_EQ(ini.joy.shift, 16u);
    EXPECT_EQ(ini.joy.guidData1, 0xFFFFFFFFu);
    // Each narrow type keeps its largest value and cuts one past it.
    EXPECT_EQ(ini.joy.guidData2, 65535u);
    EXPECT_EQ(ini.joy.guidData3, 0u);
    EXPECT_EQ(ini.joy.guidData4[0], 255u);
    EXPECT_EQ(ini.joy.guidData4[1], 0xFFu);
    EXPECT_EQ(ini.joy.guidData4[2], 0u);
    EXPECT_EQ(ini.joy.guidData4[3], 44u);
    // Texts keep 511 characters and lose the rest.
    EXPECT_EQ(ini.notify.notifyTrackText, std::wstring(511, L't'));
    EXPECT_EQ(ini.skin.id, std::wstring(511, L's'));
    EXPECT_EQ(ini.notify.effect, 2);  // empty integer takes the default
    EXPECT_EQ(ini.lang.id, L"en");
}

TEST(Settings, BindingListsStopAtTheFirstFailedEndTest) {
    TempFolder folder;
    folder.write("Option.ini",
                 "[HotKey0]\nAction=Ignored\nParam=NextTrack.js\nMods=3\nVK=39\n"
                 "[HotKey1]\nParam=.js\nMods=0\n"
                 "[HotKey2]\nParam=js\nMods=1\n"
                 "[HotKey3]\nAction=Kept\nParam=Script.JS\nMods=2\n"
                 "[HotKey4]\nAction=NoMods\nMods=\nVK=1\n"
                 "[HotKey5]\nAction=AfterTheEnd\nMods=3\n"
                 "[IRComKeys0]\nAction=Stop\nKey=270\n"
                 "[IRComKeys2]\nAction=BeyondTheGap\nKey=1\n"
                 "[WiimoteKeys0]\nAction=NoKey\n"
                 "[WiimoteKeys1]\nAction=\nKey=5\n");
    Ini ini(folder.winPath("Option.ini"));
    ini.load();

    ASSERT_EQ(ini.hotKeys.size(), 4u);
    EXPECT_EQ(ini.hotKeys[0].action, L"NextTrack");
    EXPECT_EQ(ini.hotKeys[0].vk, 39u);
    EXPECT_EQ(ini.hotKeys[1].action, L"");
    EXPECT_EQ(ini.hotKeys[1].mods, 0u);
    EXPECT_EQ(ini.hotKeys[2].action, L"js");
    EXPECT_EQ(ini.hotKeys[3].action, L"Script.JS");

    ASSERT_EQ(ini.irComKeys.size(), 1u);
    EXPECT_EQ(ini.irComKeys[0].key, 270u);
    ASSERT_EQ(ini.wiimoteKeys.size(), 1u);
    EXPECT_EQ(ini.wiimoteKeys[0].key, 0u);
    EXPECT_EQ(ini.joyKeys.size(), 25u);  // the missing list alone gets its defaults

    // The first save converts the old "Param" form.
    ASSERT_TRUE(ini.save());
    const IniDocument doc = documentOf(folder.path() / "Option.ini");
    EXPECT_EQ(doc.getString(L"HotKey0", L"Action", L""), L"NextTrack");
    EXPECT_FALSE(doc.hasKey(L"HotKey0", L"Param"));
    EXPECT_FALSE(doc.hasSection(L"HotKey4"));
    EXPECT_FALSE(doc.hasSection(L"IRComKeys1"));
}

TEST(Settings, AnEmptiedListComesBackAsDefaultsAfterRestart) {
    TempFolder folder;
    Ini ini(folder.winPath("Option.ini"));
    ini.load();
    ini.hotKeys.clear();
    ini.irComKeys.resize(1);
    ASSERT_TRUE(ini.save());

    const IniDocument doc = documentOf(folder.path() / "Option.ini");
    EXPECT_FALSE(doc.hasSection(L"HotKey0"));
    EXPECT_TRUE(doc.hasKey(L"HotKey", L"Disable"));

    Ini restarted(folder.winPath("Option.ini"));
    restarted.load();
    EXPECT_EQ(restarted.hotKeys.size(), 31u);
    EXPECT_EQ(restarted.irComKeys.size(), 1u);
}

TEST(Settings, CopiesAreDeep) {
    Ini original(L"Option.ini");
    original.hotKeys = Ini::defaultHotKeys();
    original.joyKeys = Ini::defaultJoyKeys();

    Ini copy(original);
    EXPECT_TRUE(copy == original);
    copy.hotKeys[0].action = L"Changed";
    copy.joyKeys[0].key = 99;
    copy.detail.soundEnabled = false;
    EXPECT_EQ(original.hotKeys[0].action, L"PlayPause");
    EXPECT_EQ(original.joyKeys[0].key, 5u);
    EXPECT_TRUE(original.detail.soundEnabled);
    EXPECT_FALSE(copy == original);

    // Assigning back (as the options dialog does) must not share records either.
    original = copy;
    EXPECT_TRUE(original == copy);
    copy.hotKeys[0].action = L"Again";
    EXPECT_EQ(original.hotKeys[0].action, L"Changed");
}

TEST(Settings, SaveReplacesTheFileAtomically) {
    TempFolder folder;
    Ini ini(folder.winPath("Option.ini"));
    ini.load();
    ASSERT_TRUE(ini.save());
    ini.lang.id = L"en";
    ASSERT_TRUE(ini.save());
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Option.ini.tmp"));
    const std::string saved = contentOf(folder.path() / "Option.ini");

    ini.lang.id = L"fr";
    tavel::win::file::setSaveFaultHook(
        [](tavel::win::file::SaveStep step) { return step != tavel::win::file::SaveStep::Replace; });
    const bool failedSave = ini.save();
    tavel::win::file::setSaveFaultHook(nullptr);
    EXPECT_FALSE(failedSave);
    EXPECT_EQ(contentOf(folder.path() / "Option.ini"), saved);

    Ini reread(folder.winPath("Option.ini"));
    reread.load();
    EXPECT_EQ(reread.lang.id, L"en");

    Ini nowhere(folder.winPath("missing") + L"\\Option.ini");
    EXPECT_FALSE(nowhere.save());
}

// Too large to read here (or held by another program): the defaults it was
// read as are never saved over it, before or after the read would succeed.
TEST(Settings, AFileThatCouldNotBeReadIsNeverSavedOver) {
    TempFolder folder;
    const std::string big = "[Lang]\r\nId=en\r\n" + std::string(tavel::win::file::kDefaultReadLimit, ';');
    std::ofstream(folder.path() / "Option.ini", std::ios::binary) << big;
    Ini ini(folder.winPath("Option.ini"));
    ini.load();
    EXPECT_NE(L"en", ini.lang.id);
    EXPECT_FALSE(ini.save());
    std::ofstream(folder.path() / "Option.ini", std::ios::binary) << "[Lang]\r\nId=en\r\n";
    EXPECT_FALSE(ini.save());
    EXPECT_EQ("[Lang]\r\nId=en\r\n", contentOf(folder.path() / "Option.ini"));

    Ini fresh(folder.winPath("Option.ini"));
    std::ofstream(folder.path() / "Option.ini", std::ios::binary) << big;
    EXPECT_FALSE(fresh.save()) << "unread now";
    std::filesystem::remove(folder.path() / "Option.ini");
    EXPECT_TRUE(ini.save()) << "a file that went may be written anew";
#ifdef _WIN32
    // Held open without sharing by another program at start.
    const std::string before = contentOf(folder.path() / "Option.ini");
    HANDLE held =
        CreateFileW(folder.winPath("Option.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    Ini locked(folder.winPath("Option.ini"));
    locked.load();
    CloseHandle(held);
    locked.lang.id = L"xx";
    EXPECT_FALSE(locked.save());
    EXPECT_EQ(before, contentOf(folder.path() / "Option.ini"));
#endif
}

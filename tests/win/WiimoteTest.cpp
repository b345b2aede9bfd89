#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "NoticeRecorder.h"
#include "base/AppException.h"
#include "base/AppPaths.h"
#include "app/ZEvared.h"
#include "base/Util.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "input/WiimoteLibrary.h"
#include "input/WiimoteMgr.h"
#include "input/WiimoteRules.h"
#include "input/WiimoteServer.h"
#include "player/PlayerState.h"

using namespace tavelapp;

namespace {

std::wstring library(const wchar_t* folder) { return moduleFolder() + L"\\plugins\\" + folder + L"\\Wiimote.dll"; }

class WiimoteTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = Ini::instance();
        Ini& settings = Ini::instance();
        settings.detail.soundEnabled = false;
        settings.wiimote.useShift = true;
        settings.wiimote.shift = 2;
        settings.wiimote.led = {{8, 10, 0, 1}};
        settings.wiimoteKeys.clear();
        Ini::publish();
        bind(3, L"WiiPlain");
        bind(0x8003, L"WiiShifted");
        bind(3, L"WiiPlainToo");
        langFile = moduleFolder() + L"\\wiimote-test.lng";
        std::ofstream(langFile.c_str(), std::ios::binary) << "[Error]\r\nWiimoteDllLoadError=No library\r\n"
                                                             "WiimoteDllEntryPoint=Library incomplete\r\n"
                                                             "[Notification]\r\nActionDoesNotExist=%1%\r\n";
        Lang::instance().setFiles(langFile, {});
        Util::setController(&recorder);
        folder = moduleFolder() + L"\\plugins\\wiimote-double\\";
        ::DeleteFileW((folder + L"WiimoteScript.txt").c_str());
        ::DeleteFileW((folder + L"WiimoteLog.txt").c_str());
    }
    void TearDown() override {
        server.reset();
        WiimoteMgr::instance().unload();
        Util::setController(nullptr);
        Ini::instance() = saved;
        Ini::publish();
        Lang::instance().reload();
        ::DeleteFileW(langFile.c_str());
    }
    void bind(std::uint32_t key, const std::wstring& action) {
        Ini::instance().wiimoteKeys.push_back({key, action});
        Ini::publish();
    }
    void script(const std::string& lines) {
        std::ofstream((folder + L"WiimoteScript.txt").c_str(), std::ios::binary | std::ios::app) << lines;
    }
    std::vector<std::string> log() {
        std::ifstream in((folder + L"WiimoteLog.txt").c_str(), std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    bool logged(const std::string& line, std::size_t times = 1) {
        std::size_t n = 0;
        for (const std::string& l : log())
            n += l == line;
        return n >= times;
    }
    // The output reports sent since the nth line of the log.
    std::vector<std::string> reportsFrom(std::size_t first) {
        const std::vector<std::string> lines = log();
        std::vector<std::string> out;
        for (std::size_t i = first; i < lines.size(); ++i)
            if (lines[i].rfind("SendData 1 ", 0) == 0) out.push_back(lines[i].substr(11, 5));
        return out;
    }
    void startServer() {
        ASSERT_TRUE(WiimoteMgr::instance().load(library(L"wiimote-double")));
        server = std::make_unique<WiimoteServer>();
        // The greeting ends after 1.3 s; then the lamps show the settings.
        ASSERT_TRUE(pumpUntil([] { return !WiimoteMgr::instance().effectRunning(); }, 5000));
    }

    Ini saved{L""};
    std::wstring langFile;
    std::wstring folder;
    NoticeRecorder recorder;
    std::unique_ptr<WiimoteServer> server;
};

}  // namespace

TEST_F(WiimoteTest, ScriptedPressesRunTheirBindingsOnceAndShiftSelectsTheShiftedOnes) {
    startServer();
    script("buttons 0008\nbuttons 0008\nbuttons 0000\n");
    ASSERT_TRUE(pumpUntil([&] { return logged("Report 30 0000 delivered"); }, 5000));
    pumpFor(50);
    EXPECT_EQ((std::vector<std::wstring>{L"wiiplain", L"wiiplaintoo"}), recorder.ran());

    // B held: A runs the shifted binding; B alone runs nothing; let go, A is plain again.
    recorder.clear();
    script("buttons 0004\nbuttons 000C\nbuttons 0004\nbuttons 0000\nbuttons 0008\nreport 31 0000\n");
    ASSERT_TRUE(pumpUntil([&] { return logged("Report 31 0000 delivered"); }, 5000));
    pumpFor(50);
    EXPECT_EQ((std::vector<std::wstring>{L"wiishifted", L"wiiplain", L"wiiplaintoo"}), recorder.ran())
        << "only core-button reports count";
}

TEST_F(WiimoteTest, GreetingThenLampsFollowShuffleAndMute) {
    startServer();
    // Status request, LEDs off, twelve frames of the running light with rumble
    // pulses, rumble off, then the lamps of the settings.
    const std::vector<std::string> greeting = {"15 00", "11 00", "11 10", "13 01", "11 20", "11 40", "13 00",
                                               "11 80", "11 10", "13 01", "11 20", "11 40", "13 00", "11 80",
                                               "11 10", "13 01", "11 20", "11 40", "13 00", "11 80", "13 00"};
    std::vector<std::string> sent = reportsFrom(0);
    ASSERT_EQ(greeting.size() + 1, sent.size());
    EXPECT_EQ(greeting, std::vector<std::string>(sent.begin(), sent.end() - 1));
    EXPECT_EQ("11", sent.back().substr(0, 2));

    // First LED shuffle, second mute, fourth always: as the change detector hands snapshots over.
    const std::size_t start = log().size();
    PlayerState state;
    state.setField(PlayerState::PlayListShuffle, L"1");
    WiimoteRules::lampsChanged(state);
    state.setField(PlayerState::Mute, L"1");
    WiimoteRules::lampsChanged(state);
    state.setField(PlayerState::PlayListShuffle, L"0");
    WiimoteRules::lampsChanged(state);
    pumpFor(50);
    EXPECT_EQ((std::vector<std::string>{"11 90", "11 B0", "11 A0"}), reportsFrom(start));

    // While an effect runs the lamps wait for its end.
    WiimoteMgr::instance().startEffect(2);
    const std::size_t during = log().size();
    state.setField(PlayerState::Mute, L"0");
    WiimoteRules::lampsChanged(state);
    pumpFor(250);
    for (const std::string& report : reportsFrom(during))
        EXPECT_TRUE(report == "11 F0" || report == "11 00") << report << " during the blinking";
    WiimoteMgr::instance().unload();
    EXPECT_TRUE(logged("Unacquire 1"));
    WiimoteRules::lampsChanged(state);  // no library: nothing, and no crash
    EXPECT_EQ("Terminate", log().back());
}

TEST_F(WiimoteTest, DeviceChangesReconnectToTheFirstRemoteOnly) {
    startServer();
    script("devices 0\n");
    ASSERT_TRUE(pumpUntil([&] { return logged("EnumDevices 0"); }, 5000));
    EXPECT_TRUE(logged("Unacquire 1"));
    EXPECT_TRUE(WiimoteMgr::instance().devices().empty());
    EXPECT_TRUE(WiimoteMgr::instance().acquired());
    script("buttons 0008\n");
    ASSERT_TRUE(pumpUntil([&] { return logged("Report 30 0008 dropped"); }, 5000));

    const std::size_t before = log().size();
    script("devices 2\n");
    ASSERT_TRUE(pumpUntil([&] { return logged("EnumDevices 2"); }, 5000));
    const std::vector<std::string> lines = log();
    EXPECT_EQ((std::vector<std::string>{"Devices 2", "EnumDevices 2", "Acquire 1", "SendData 1 15 00 22"}),
              std::vector<std::string>(lines.begin() + before, lines.end()));
    script("buttons 0000\nbuttons 0008\n");
    ASSERT_TRUE(pumpUntil([&] { return recorder.ran().size() >= 2; }, 5000));
}

TEST_F(WiimoteTest, LibraryMissingAnEntryPointIsRefused) {
    const std::wstring partial = library(L"wiimote-partial");
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(partial.c_str()));
    WiimoteMgr& manager = WiimoteMgr::instance();
    EXPECT_FALSE(manager.load(partial));
    EXPECT_FALSE(manager.isLoaded());
    EXPECT_EQ(nullptr, ::GetModuleHandleW(partial.c_str())) << "freed again";
    try {
        WiimoteServer refused;
        ADD_FAILURE() << "a server without a library";
    } catch (const AppException& e) {
        EXPECT_EQ(L"Library incomplete", e.text());
    }
    EXPECT_FALSE(manager.load(folder + L"Missing.dll"));
    EXPECT_EQ(L"WiimoteDllLoadError", manager.loadError());
}

TEST_F(WiimoteTest, OwnHidLibraryLoadsAndFindsNoRemoteUnderWine) {
    WiimoteMgr& manager = WiimoteMgr::instance();
    ASSERT_TRUE(manager.load(library(L"wiimote-hid")));
    server = std::make_unique<WiimoteServer>();
    EXPECT_TRUE(manager.acquired());
    EXPECT_TRUE(manager.devices().empty());
    pumpFor(100);
    manager.unload();
    EXPECT_FALSE(manager.isLoaded());
}

TEST_F(WiimoteTest, ButtonsCarriedInThePostedMessageRunTheirBindings) {
    startServer();
    // The project's own library posts the report inside the message.
    for (unsigned buttons : {0x0004u, 0x000Cu, 0x0000u, 0x0008u})
        ::PostMessageW(WiimoteMgr::instance().hwnd(), WiimoteLibrary::kMessage, WiimoteLibrary::kButtons,
                       WiimoteLibrary::packButtons(1, buttons));
    pumpUntil([&] { return recorder.ran().size() >= 3; }, 3000);
    EXPECT_EQ((std::vector<std::wstring>{L"wiishifted", L"wiiplain", L"wiiplaintoo"}), recorder.ran());
}

TEST_F(WiimoteTest, OwnHidLibraryStaysWhileItsScanRunsAndGoesAfter) {
    const std::wstring path = library(L"wiimote-hid");
    HMODULE module = ::LoadLibraryW(path.c_str());
    ASSERT_NE(nullptr, module);
    auto entry = [&](const char* name) { return reinterpret_cast<void*>(::GetProcAddress(module, name)); };
    reinterpret_cast<WiimoteLibrary::InitializeFn>(entry("Initialize"))(nullptr, WiimoteLibrary::kMessage, 0, 0);
    ASSERT_TRUE(reinterpret_cast<WiimoteLibrary::OpenFn>(entry("Open"))());
    auto close = reinterpret_cast<WiimoteLibrary::CloseFn>(entry("Close"));
    // Let go while its scan still runs, as after a Close that gave up waiting.
    ::FreeLibrary(module);
    ASSERT_EQ(module, ::GetModuleHandleW(path.c_str())) << "the scan holds its library";
    ASSERT_EQ(module, ::LoadLibraryW(path.c_str()));
    close();
    ::FreeLibrary(module);
    EXPECT_EQ(nullptr, ::GetModuleHandleW(path.c_str())) << "and lets it go as it ends";
}

namespace {

struct Owner : ZEvared::ZEvaredListener {
    void showNotifyWnd(ZEvared&, const NotifyWndInfo& info) override {
        if (info.messageKey == "WiimoteServer_InitError") warnings.push_back({info.text, info.kind});
    }
    void onPluginChange0(ZEvared&) override {}
    void onPluginChange1(ZEvared&) override {}
    std::vector<std::pair<std::wstring, int>> warnings;
};

// The controller with a library in its settings folder's Libraries folder.
class WiimoteControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        settingsFile = AppPaths::settingsFolder() + L"\\Option.ini";
        libraries = AppPaths::settingsFolder() + L"\\Libraries\\";
        ::CreateDirectoryW(libraries.c_str(), nullptr);
        std::ofstream(settingsFile.c_str(), std::ios::binary) << "[Wiimote]\r\nDisable=0\r\n";
    }
    void TearDown() override {
        for (const wchar_t* name : {L"Wiimote.dll", L"WiimoteLog.txt", L"WiimoteScript.txt"})
            ::DeleteFileW((libraries + name).c_str());
        ::RemoveDirectoryW(libraries.c_str());
        ::DeleteFileW(settingsFile.c_str());
        Ini::instance() = Ini(settingsFile);
    }
    std::string logText() {
        std::ifstream in((libraries + L"WiimoteLog.txt").c_str(), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    static std::size_t count(const std::string& text, const std::string& line) {
        std::size_t n = 0;
        for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
            ++n;
        return n;
    }
    std::wstring settingsFile;
    std::wstring libraries;
};

}  // namespace

TEST_F(WiimoteControllerTest, IncompleteLibraryIsToldOnceAndTheRestRuns) {
    ASSERT_TRUE(::CopyFileW(library(L"wiimote-partial").c_str(), (libraries + L"Wiimote.dll").c_str(), FALSE));
    Owner owner;
    {
        ZEvared controller;
        controller.setListener(&owner);
        EXPECT_TRUE(controller.enabled());
        EXPECT_FALSE(WiimoteMgr::instance().isLoaded());
        ASSERT_TRUE(pumpUntil([&] { return !owner.warnings.empty(); }, 2000));
    }
    ASSERT_EQ(1u, owner.warnings.size());
    EXPECT_EQ(Lang::instance().text(L"Error", L"WiimoteDllEntryPoint"), owner.warnings[0].first);
    EXPECT_EQ(NotifyWndInfo::kWarning, owner.warnings[0].second);
}

TEST_F(WiimoteControllerTest, FindWiimoteRebuildsTheServerAndQuittingLetsTheRemoteGo) {
    ASSERT_TRUE(::CopyFileW(library(L"wiimote-double").c_str(), (libraries + L"Wiimote.dll").c_str(), FALSE));
    Owner owner;
    {
        ZEvared controller;
        controller.setListener(&owner);
        EXPECT_TRUE(WiimoteMgr::instance().isLoaded());
        EXPECT_EQ(1u, count(logText(), "Acquire 1\n"));
        Util::restartWiimoteServer();
        pumpFor(300);
        const std::string text = logText();
        EXPECT_EQ(2u, count(text, "Acquire 1\n"));
        EXPECT_EQ(1u, count(text, "Unacquire 1\n"));
        EXPECT_EQ(0u, count(text, "Terminate\n"));
    }
    EXPECT_FALSE(WiimoteMgr::instance().isLoaded());
    const std::string text = logText();
    EXPECT_EQ(2u, count(text, "Unacquire 1\n"));
    EXPECT_EQ(text.size() - 10, text.rfind("Terminate\n")) << text;
    EXPECT_TRUE(owner.warnings.empty());
}

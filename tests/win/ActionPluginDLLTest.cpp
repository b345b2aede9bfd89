#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "WinTestSupport.h"
#include "action/ActionPluginDLL.h"
#include "action/ActionRunner.h"
#include "config/Ini.h"

using tavelapp::ActionPluginDLL;

namespace {

// Stands in for the manager's window: records every WM_USER it receives.
class HostWindow {
public:
    HostWindow() {
        static const ATOM atom = [] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = &HostWindow::proc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"KolibrixTestPluginHost";
            return ::RegisterClassW(&wc);
        }();
        hwnd_ = ::CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  ::GetModuleHandleW(nullptr), this);
    }
    ~HostWindow() { ::DestroyWindow(hwnd_); }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    // (wParam, lParam) of each WM_USER, in arrival order.
    std::vector<std::pair<WPARAM, LPARAM>> messages;

    bool waitFor(WPARAM index, LPARAM code, DWORD timeoutMs = 5000) {
        return pumpUntil([&] { return count(index, code) > 0; }, timeoutMs);
    }
    int count(WPARAM index, LPARAM code) const {
        int n = 0;
        for (const auto& m : messages)
            if (m.first == index && m.second == code) ++n;
        return n;
    }

private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* self = static_cast<HostWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<HostWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_USER && self != nullptr) {
            self->messages.emplace_back(wParam, lParam);
            return 0;
        }
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;
};

struct FinishCounter : tavelapp::ActionRunner::ActionRunnerListener {
    FinishCounter() { tavelapp::ActionRunner::instance().setListener(this); }
    ~FinishCounter() { tavelapp::ActionRunner::instance().setListener(nullptr); }
    void onActionFinished(tavelapp::ActionRunner&) override { ++finished; }
    std::atomic<int> finished{0};
};

std::wstring pluginPath(const wchar_t* relative) { return moduleFolder() + L"\\plugins\\" + relative; }

const std::wstring kSample = pluginPath(L"Sample.dll");
const std::wstring kNoInfo = pluginPath(L"testing\\NoInfo.dll");
const std::wstring kNoObserving = pluginPath(L"testing\\NoObserving.dll");
const std::wstring kPlayerLike = pluginPath(L"testing\\PlayerLike.dll");

// An extra export of a test library. LoadLibraryW keeps it loaded, as the adapter does.
template <typename Proc>
Proc testExport(const std::wstring& library, const char* name) {
    HMODULE module = ::LoadLibraryW(library.c_str());
    return module == nullptr ? nullptr
                             : reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// A fresh file name in the temporary folder, removed again at the end.
class TempFile {
public:
    explicit TempFile(const wchar_t* stem) {
        wchar_t folder[MAX_PATH];
        ::GetTempPathW(MAX_PATH, folder);
        path = std::wstring(folder) + stem + std::to_wstring(::GetCurrentProcessId()) + L".txt";
        ::DeleteFileW(path.c_str());
    }
    ~TempFile() { ::DeleteFileW(path.c_str()); }
    bool exists() const { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    std::string read() const {
        HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return std::string();
        std::string text(4096, '\0');
        DWORD n = 0;
        ::ReadFile(h, &text[0], static_cast<DWORD>(text.size()), &n, nullptr);
        ::CloseHandle(h);
        text.resize(n);
        return text;
    }
    std::wstring path;
};

using SetFlag = int(WINAPI*)(BOOL);

// The player-like library keeps its switches between tests: reset them.
class PlayerLikeTest : public ::testing::Test {
protected:
    void SetUp() override {
        setGate = testExport<SetFlag>(kPlayerLike, "SetGate");
        setRunning = testExport<SetFlag>(kPlayerLike, "SetPlayerRunning");
        setOverfill = testExport<SetFlag>(kPlayerLike, "SetOverfill");
        holders = testExport<int(WINAPI*)()>(kPlayerLike, "Holders");
        ASSERT_TRUE(setGate && setRunning && setOverfill && holders);
        setGate(FALSE);
    }
    void TearDown() override {
        setGate(TRUE);
        setRunning(FALSE);
        setOverfill(FALSE);
        tavelapp::Ini::instance().detail.ignoreWaitingAction = false;
        pumpUntil([&] { return holders() == 0; }, 5000);
    }

    // Starts fake_hold and waits until it sits at the gate, holding the plug-in action lock.
    void holdTheLock(ActionPluginDLL& player) {
        EXPECT_EQ(0, player.RunAction(nullptr, L"fake_hold", {}));
        ASSERT_TRUE(pumpUntil([&] { return holders() == 1; }, 5000));
    }

    SetFlag setGate = nullptr;
    SetFlag setRunning = nullptr;
    SetFlag setOverfill = nullptr;
    int(WINAPI* holders)() = nullptr;
};

}  // namespace

TEST(ActionPluginDLL, TheSampleIsAUtilityAndMissingExportsAnswerTheirDefaults) {
    HostWindow host;
    ActionPluginDLL sample(host.hwnd(), 4, kSample);
    ASSERT_TRUE(sample.loaded());
    EXPECT_EQ(L"Utility/Sample", sample.GetName());
    EXPECT_EQ(L"", sample.GetTargetName());
    EXPECT_TRUE(sample.IsUtility());
    EXPECT_TRUE(sample.ActionExists(L"sample_writefile"));
    EXPECT_FALSE(sample.ActionExists(L"playpause"));
    EXPECT_FALSE(sample.IsPlayerAction(L"sample_wait"));
    // Not exported by the sample:
    EXPECT_FALSE(sample.IsPlayerRunning());
    EXPECT_TRUE(sample.IsObserving());
    EXPECT_FALSE(sample.StartObservation());
    EXPECT_FALSE(sample.EndObservation());
    std::wostringstream state;
    state << L"kept";
    EXPECT_FALSE(sample.GetCurrentPlayerState(state));
    EXPECT_EQ(L"kept", state.str());
}

TEST(ActionPluginDLL, AnActionGetsItsParametersInOrderAndTheLibraryReportsToTheHostWindow) {
    HostWindow host;
    FinishCounter runner;
    TempFile file(L"kx_params");
    {
        ActionPluginDLL sample(host.hwnd(), 6, kSample);
        EXPECT_EQ(0, sample.RunAction(nullptr, L"sample_writefile", {file.path, L"one", L"two words", L"", L"4"}));
        ASSERT_TRUE(host.waitFor(6, 1));
    }
    EXPECT_EQ("one two words  4\r\n", file.read());
    EXPECT_EQ(1u, host.messages.size());
    // A utility action is no player action: the runner hears nothing.
    EXPECT_EQ(0, runner.finished.load());
}

TEST(ActionPluginDLL, SampleCopiesTheTimeToTheClipboard) {
    HostWindow host;
    ActionPluginDLL sample(host.hwnd(), 7, kSample);
    if (::OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
    sample.RunAction(nullptr, L"sample_copytime", {});
    ASSERT_TRUE(host.waitFor(7, 1));
    ASSERT_TRUE(::OpenClipboard(nullptr));
    std::wstring text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(::GlobalLock(data));
        ::GlobalUnlock(data);
    }
    ::CloseClipboard();
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    ASSERT_EQ(19u, text.size()) << text;  // YYYY-MM-DD hh:mm:ss
    EXPECT_EQ(std::to_wstring(now.wYear), text.substr(0, 4));
}

TEST(ActionPluginDLL, TwoLibraryActionsRunOneAfterTheOther) {
    HostWindow host;
    TempFile file(L"kx_queue");
    ActionPluginDLL sample(host.hwnd(), 8, kSample);
    sample.RunAction(nullptr, L"sample_wait", {L"300", file.path});
    // Once the wait has begun it holds the plug-in action lock.
    ASSERT_TRUE(pumpUntil([&] { return file.exists(); }, 5000));
    sample.RunAction(nullptr, L"sample_writefile", {file.path, L"written"});
    ASSERT_TRUE(pumpUntil([&] { return host.count(8, 1) == 2; }, 5000));
    EXPECT_EQ("waiting\r\nwaited 300\r\nwritten\r\n", file.read());
}

TEST(ActionPluginDLL, ALibraryWithoutPluginInfoIsANamelessUtilityAndSeesTheHostsCalls) {
    HostWindow host;
    FinishCounter runner;
    using TakeLog = int(WINAPI*)(wchar_t*, int);
    std::wstring log;
    {
        ActionPluginDLL noInfo(host.hwnd(), 11, kNoInfo);
        ASSERT_TRUE(noInfo.loaded());
        EXPECT_EQ(L"", noInfo.GetName());
        EXPECT_EQ(L"", noInfo.GetTargetName());
        EXPECT_TRUE(noInfo.IsUtility());
        EXPECT_TRUE(noInfo.ActionExists(L"noinfo_echo"));
        EXPECT_TRUE(noInfo.IsActionAvailable(L"noinfo_echo"));
        EXPECT_TRUE(noInfo.IsPlayerAction(L"noinfo_echo"));
        noInfo.RunAction(nullptr, L"noinfo_echo", {L"a", L"b c", L""});
        noInfo.RunAction(nullptr, L"noinfo_echo", {});
        // Every missing IsPlayerAction counts as a player action: the runner hears of both.
        ASSERT_TRUE(pumpUntil([&] { return runner.finished.load() == 2; }, 5000));
    }
    // Read after destruction: the library must still be loaded, log and all.
    HMODULE module = ::GetModuleHandleW(kNoInfo.c_str());
    ASSERT_NE(nullptr, module);
    auto take = reinterpret_cast<TakeLog>(reinterpret_cast<void (*)()>(::GetProcAddress(module, "TakeLog")));
    ASSERT_NE(nullptr, take);
    wchar_t buffer[1024] = {};
    take(buffer, 1024);
    log = buffer;
    const std::wstring init = L"Initialize " + std::to_wstring(reinterpret_cast<UINT_PTR>(host.hwnd())) + L" " +
                              std::to_wstring(WM_USER) + L" 11\n";
    EXPECT_EQ(0u, log.find(init)) << log;
    EXPECT_NE(std::wstring::npos, log.find(L"RunAction noinfo_echo 3: [a] [b c] []\n")) << log;
    EXPECT_NE(std::wstring::npos, log.find(L"RunAction noinfo_echo 0:\n")) << log;
    EXPECT_EQ(log.size() - 10, log.rfind(L"Terminate\n")) << log;
}

TEST(ActionPluginDLL, ALibraryWithoutIsObservingIsNeverStartedButEndedAtDestruction) {
    auto take = testExport<int(WINAPI*)(int*, int*)>(kNoObserving, "TakeObservationCounts");
    ASSERT_NE(nullptr, take);
    int starts = 0, ends = 0;
    take(&starts, &ends);
    {
        ActionPluginDLL plugin(nullptr, 12, kNoObserving);
        EXPECT_EQ(L"Utility/NoObserving", plugin.GetName());
        EXPECT_TRUE(plugin.IsObserving());
        take(&starts, &ends);
        EXPECT_EQ(0, starts);
        EXPECT_EQ(0, ends);
    }
    take(&starts, &ends);
    EXPECT_EQ(0, starts);
    EXPECT_EQ(1, ends);
}

TEST(ActionPluginDLL, AMissingLibraryGivesAnInertPlugin) {
    HostWindow host;
    FinishCounter runner;
    ActionPluginDLL inert(host.hwnd(), 13, moduleFolder() + L"\\plugins\\NoSuchPlugin.dll");
    EXPECT_FALSE(inert.loaded());
    EXPECT_EQ(L"", inert.GetName());
    EXPECT_TRUE(inert.IsUtility());
    EXPECT_FALSE(inert.ActionExists(L"anything"));
    EXPECT_FALSE(inert.IsPlayerRunning());
    EXPECT_EQ(0, inert.RunAction(nullptr, L"anything", {L"x"}));
    // Nothing runs, but the (default) player action still completes.
    EXPECT_TRUE(pumpUntil([&] { return runner.finished.load() == 1; }, 5000));
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(PlayerLikeTest, APlayerPluginIsInitialisedObservesAndReportsItsState) {
    HostWindow host;
    {
        ActionPluginDLL player(host.hwnd(), 21, kPlayerLike);
        EXPECT_EQ(L"Player/Fake", player.GetName());
        EXPECT_EQ(L"Fake Player", player.GetTargetName());
        EXPECT_FALSE(player.IsUtility());
        // Not observing at load: the adapter started it, and the library told the
        // window and index it got from Initialize.
        EXPECT_TRUE(player.IsObserving());
        ASSERT_TRUE(host.waitFor(21, 2));

        EXPECT_TRUE(player.IsActionAvailable(L"fake_play"));
        EXPECT_FALSE(player.IsActionAvailable(L"fake_unavailable"));

        std::wostringstream state;
        state << L"before\r\n";
        EXPECT_FALSE(player.IsPlayerRunning());
        EXPECT_FALSE(player.GetCurrentPlayerState(state));
        setRunning(TRUE);
        // Both are asked from workers too (snapshots, change detection).
        std::thread([&] {
            EXPECT_TRUE(player.IsPlayerRunning());
            EXPECT_TRUE(player.GetCurrentPlayerState(state));
        }).join();
        EXPECT_EQ(L"before\r\nName=Fake Song\r\nArtist=Fake Artist\r\nPlayerState=Playing\r\n", state.str());
    }
    ASSERT_TRUE(host.waitFor(21, 3));
    EXPECT_EQ(1, host.count(21, 2));
}

TEST_F(PlayerLikeTest, TextsThatFillTheWholeBufferAreCutAtItsEnd) {
    setOverfill(TRUE);
    setRunning(TRUE);
    ActionPluginDLL player(nullptr, 22, kPlayerLike);
    EXPECT_EQ(ActionPluginDLL::kInfoChars - 1u, player.GetName().size());
    EXPECT_EQ(0u, player.GetName().find(L"Player/Fake"));
    EXPECT_FALSE(player.IsUtility());
    EXPECT_EQ(ActionPluginDLL::kInfoChars - 1u, player.GetTargetName().size());
    std::wostringstream state;
    EXPECT_TRUE(player.GetCurrentPlayerState(state));
    EXPECT_EQ(ActionPluginDLL::kStateChars - 1u, state.str().size());
}

TEST_F(PlayerLikeTest, RunActionReturnsBeforeTheActionStartsWhileAnotherHoldsTheLock) {
    HostWindow host;
    TempFile file(L"kx_lock");
    ActionPluginDLL player(host.hwnd(), 23, kPlayerLike);
    ActionPluginDLL sample(host.hwnd(), 24, kSample);
    holdTheLock(player);
    EXPECT_EQ(0, sample.RunAction(nullptr, L"sample_writefile", {file.path, L"after"}));
    pumpFor(300);
    EXPECT_FALSE(file.exists());
    EXPECT_EQ(2u, sample.runningActions() + player.runningActions());
    setGate(TRUE);
    ASSERT_TRUE(host.waitFor(24, 1));
    EXPECT_EQ("after\r\n", file.read());
}

TEST_F(PlayerLikeTest, IgnoreWaitingActionLetsLibraryActionsRunSideBySide) {
    HostWindow host;
    TempFile file(L"kx_nolock");
    tavelapp::Ini::instance().detail.ignoreWaitingAction = true;
    ActionPluginDLL player(host.hwnd(), 25, kPlayerLike);
    ActionPluginDLL sample(host.hwnd(), 26, kSample);
    holdTheLock(player);
    sample.RunAction(nullptr, L"sample_writefile", {file.path, L"meanwhile"});
    ASSERT_TRUE(host.waitFor(26, 1));
    EXPECT_EQ(1, holders());
    EXPECT_EQ("meanwhile\r\n", file.read());
    setGate(TRUE);
}

TEST_F(PlayerLikeTest, DestructionWaitsForRunningActionsBeforeEndingObservation) {
    HostWindow host;
    FinishCounter runner;
    std::thread opener;
    {
        ActionPluginDLL player(host.hwnd(), 27, kPlayerLike);
        holdTheLock(player);
        opener = std::thread([this] {
            ::Sleep(200);
            setGate(TRUE);
        });
    }
    if (opener.joinable()) opener.join();
    EXPECT_EQ(0, holders());
    // The player action told the runner it finished; the runner's listener
    // hears of it on the main thread.
    EXPECT_TRUE(pumpUntil([&] { return runner.finished.load() == 1; }, 2000));
    ASSERT_TRUE(host.waitFor(27, 3));
    std::vector<LPARAM> codes;
    for (const auto& m : host.messages)
        if (m.first == 27) codes.push_back(m.second);
    EXPECT_EQ((std::vector<LPARAM>{2, 1, 3}), codes);
}

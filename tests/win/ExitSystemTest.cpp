#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <mutex>
#include <vector>

#include "SimPlayerSuite.h"
#include "WinTestSupport.h"
#include "base/RunningThreads.h"
#include "config/Lang.h"
#include "feature/ExitSystem.h"
#include "feature/ExitSystemDlg.h"
#include "player/com/ITunesCom.h"
#include "res/resource.h"

using namespace tavelapp;

namespace {

const wchar_t* const kCaption = L"Exit Test";

void useTestLanguage() {
    const std::wstring file = moduleFolder() + L"\\exitsystem-test.lng";
    {
        std::ofstream out(file.c_str(), std::ios::binary);
        out << "\xEF\xBB\xBF[ExitSystemDlg]\r\nCaption=Exit Test\r\nText=Leaving soon\r\n"
               "Continue=Go now\r\nAbort=Stay\r\n";
    }
    Lang::instance().setFiles(file, {});
}

LRESULT progress(HWND dialog) { return ::SendDlgItemMessageW(dialog, IDC_EXITSYSTEM_PROGRESS, PBM_GETPOS, 0, 0); }

// The answers a countdown gave; -1 while it gave none.
struct Answers {
    std::vector<int> seen;
    ExitSystemDlg::Done recorder() {
        return [this](bool goOn) { seen.push_back(goOn ? 1 : 0); };
    }
    int last() const { return seen.empty() ? -1 : seen.back(); }
};

// Records each call with whether the player still ran then.
class RecordingPower : public PowerControl {
public:
    bool exitWindows(unsigned int flags) override {
        std::lock_guard<std::mutex> guard(lock);
        calls.push_back({flags, isITunesRunning()});
        return true;
    }
    struct Call {
        unsigned int flags;
        bool playerRunning;
    };
    std::vector<Call> snapshot() {
        std::lock_guard<std::mutex> guard(lock);
        return calls;
    }

private:
    std::mutex lock;
    std::vector<Call> calls;
};

}  // namespace

TEST(ExitSystemDlg, ShowsLocalisedOnTopAndAnswersItsButtonsOnce) {
    useTestLanguage();
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        int answer;
    } cases[] = {
        {"Continue", WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 1},
        {"Abort", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0},
        {"close box", WM_SYSCOMMAND, SC_CLOSE, 0},
    };
    for (const Case& c : cases) {
        Answers answers;
        ExitSystemDlg dialog(30, answers.recorder());
        const HWND window = dialog.window();
        ASSERT_NE(window, nullptr) << c.what;
        wchar_t caption[64] = L"";
        ::GetWindowTextW(window, caption, 64);
        EXPECT_STREQ(caption, kCaption);
        EXPECT_EQ(itemText(window, IDC_EXITSYSTEM_TEXT), L"Leaving soon");
        EXPECT_EQ(itemText(window, IDOK), L"Go now");
        EXPECT_EQ(itemText(window, IDCANCEL), L"Stay");
        EXPECT_TRUE(::IsWindowVisible(window));
        EXPECT_NE(::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
        EXPECT_EQ(::SendDlgItemMessageW(window, IDC_EXITSYSTEM_PROGRESS, PBM_GETRANGE, FALSE, 0), 30);

        ::SendMessageW(window, c.message, c.wParam, 0);
        EXPECT_EQ(answers.seen, std::vector<int>{c.answer}) << c.what;
        EXPECT_FALSE(::IsWindowVisible(window));
        // Neither a second click nor the timer answers again.
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        pumpFor(1300);
        EXPECT_EQ(answers.seen.size(), 1u) << c.what;
    }
}

TEST(ExitSystemDlg, CountdownFillsTheBarAndGoesOnAtTheTickAfter) {
    useTestLanguage();
    Answers answers;
    ExitSystemDlg dialog(2, answers.recorder());
    ASSERT_NE(dialog.window(), nullptr);
    EXPECT_EQ(progress(dialog.window()), 0);
    ASSERT_TRUE(pumpUntil([&] { return dialog.remaining() == 1; }, 3000));
    EXPECT_EQ(progress(dialog.window()), 1);
    ASSERT_TRUE(pumpUntil([&] { return dialog.remaining() == 0; }, 3000));
    EXPECT_EQ(progress(dialog.window()), 2);
    EXPECT_EQ(answers.last(), -1) << "the full bar still gives a second";
    ASSERT_TRUE(pumpUntil([&] { return answers.last() != -1; }, 3000));
    EXPECT_EQ(answers.seen, std::vector<int>{1});

    // With no count it goes on at the first tick, about a second later.
    Answers now;
    const DWORD start = ::GetTickCount();
    ExitSystemDlg zero(0, now.recorder());
    ASSERT_TRUE(::IsWindowVisible(zero.window()));
    ASSERT_TRUE(pumpUntil([&] { return now.last() != -1; }, 3000));
    EXPECT_EQ(now.seen, std::vector<int>{1});
    EXPECT_GE(::GetTickCount() - start, 900u);
}

class ExitSystemPath : public SimPlayerSuite {
protected:
    void SetUp() override {
        useTestLanguage();
        ExitSystem::installPowerControl(power);
    }
    void TearDown() override {
        runningThreads().waitAll();
        pumpFor(100);
        ExitSystem::installPowerControl(nullptr);
    }
    static void startPlayer() {
        ITunesCom com;
        ASSERT_TRUE(com.connect());
        ASSERT_TRUE(pumpUntil([] { return isITunesRunning(); }, 10000));
    }
    static HWND countdown() {
        HWND found = nullptr;
        pumpUntil(
            [&found] {
                found = ::FindWindowW(L"#32770", kCaption);
                return found != nullptr && ::IsWindowVisible(found);
            },
            5000);
        return found;
    }

    std::shared_ptr<RecordingPower> power = std::make_shared<RecordingPower>();
};

TEST_F(ExitSystemPath, LogoffQuitsThePlayerFirstThenEndsTheSession) {
    startPlayer();
    showExitSystemDlg(L"Logoff", 0);
    ASSERT_NE(countdown(), nullptr);
    ASSERT_TRUE(pumpUntil([&] { return !power->snapshot().empty(); }, 20000));
    const auto calls = power->snapshot();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].flags, 0u);
    EXPECT_FALSE(calls[0].playerRunning) << "the player must be gone before the session ends";
    pumpFor(200);
    EXPECT_EQ(::FindWindowW(L"#32770", kCaption), nullptr) << "the countdown is destroyed after it answered";
}

TEST_F(ExitSystemPath, AbortTouchesNeitherThePlayerNorTheSystem) {
    startPlayer();
    showExitSystemDlg(L"Shutdown", 3);
    const HWND dialog = countdown();
    ASSERT_NE(dialog, nullptr);
    // A second request while counting brings the same countdown forward.
    showExitSystemDlg(L"Reboot", 0);
    pumpFor(300);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    pumpFor(4500);
    runningThreads().waitAll();
    EXPECT_TRUE(power->snapshot().empty());
    EXPECT_TRUE(isITunesRunning());
}

TEST_F(ExitSystemPath, AnUnknownModeOnlyQuitsThePlayer) {
    startPlayer();
    showExitSystemDlg(L"Hibernate", 0);
    ASSERT_NE(countdown(), nullptr);
    EXPECT_TRUE(pumpUntil([] { return !isITunesRunning(); }, 20000));
    runningThreads().waitAll();
    EXPECT_TRUE(power->snapshot().empty());
}

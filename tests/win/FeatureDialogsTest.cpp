#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "WinTestSupport.h"
#include "action/ActionList.h"
#include "base/AppPaths.h"
#include "config/Lang.h"
#include "feature/ClockTimer.h"
#include "feature/CountdownTimer.h"
#include "feature/EventAction.h"
#include "feature/FeatureDialogs.h"
#include "feature/QuickPlayDlg.h"
#include "res/resource.h"

using namespace tavelapp;

namespace {

void choose(HWND dialog, int id, int index) {
    HWND combo = ::GetDlgItem(dialog, id);
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

// What a user sees, kept beside the test program for people to look at.
void screenshot(HWND window, const std::wstring& name) {
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    ::Sleep(500);
    RECT box{};
    ::GetWindowRect(window, &box);
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    if (width <= 0 || height <= 0) return;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, box.left, box.top, SRCCOPY);
    ::SelectObject(memory, old);
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    std::vector<char> pixels(static_cast<std::size_t>(width) * height * 4);
    ::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
                DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);

    const std::wstring folder = moduleFolder() + L"\\artefacts";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\dialog-" + name + L".bmp";
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    std::wcout << L"screenshot: " << path << std::endl;
}

// The dialog runs modally on the main thread; the test plays the user on
// another thread, finding the dialog by its localised caption.
bool drive(const std::wstring& caption, const std::function<void()>& show, const std::function<void(HWND)>& user) {
    bool found = false;
    std::thread actor([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 500 && dialog == nullptr; ++i) {
            dialog = ::FindWindowW(L"#32770", caption.c_str());
            if (dialog == nullptr) ::Sleep(10);
        }
        if (dialog == nullptr) return;
        found = true;
        user(dialog);
        if (::IsWindow(dialog)) ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    show();
    actor.join();
    return found;
}

class FeatureDialogsTest : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override {
        language = GetParam();
        Lang::instance().setFiles(AppPaths::settingsFolder() + L"\\Langs\\" + language + L".lng", {});
        ActionList& list = ActionList::instance();
        list.clear();
        list.parse(L"Test", L"[player]\nStop\tStop\nPlayPause\tPlayPause\n[nothing]\nDoNothing\tDoNothing\n");
        ClockTimer::instance().stop();
        CountdownTimer::instance().stop();
        EventAction::instance().stop();
    }
    void TearDown() override {
        ClockTimer::instance().stop();
        CountdownTimer::instance().stop();
        EventAction::instance().stop();
        ActionList::instance().clear();
        Lang::instance().setFiles(std::wstring(), {});
    }
    std::wstring caption(const wchar_t* section) const { return Lang::instance().text(section, L"Caption"); }
    std::wstring shotName(const wchar_t* dialog) const { return std::wstring(dialog) + L"-" + language; }

    std::wstring language;
};

}  // namespace

TEST_P(FeatureDialogsTest, ClockTimerDialogStoresStartsAndLocksWhileRunning) {
    ClockTimerIni& settings = ClockTimerIni::instance();
    settings.hour = 5;
    settings.minute = 9;
    settings.action = L"PlayPause";
    settings.alwaysEnabled = false;
    struct Seen {
        std::wstring hour, minute, action, start;
        LRESULT hours = 0, minutes = 0;
        bool runningAfterStart = false, hourLocked = false, stopEnabled = false, runningAfterStop = true;
        int storedHour = -1, storedMinute = -1;
        std::wstring storedAction;
        bool alwaysStoredAtOnce = false;
    } seen;
    const bool found = drive(caption(L"ClockTimerDlg"), showClockTimerDlg, [&](HWND dialog) {
        seen.hour = itemText(dialog, IDC_CLOCKTIMER_HOUR);
        seen.minute = itemText(dialog, IDC_CLOCKTIMER_MINUTE);
        seen.action = itemText(dialog, IDC_FEATURE_ACTION);
        seen.start = itemText(dialog, IDC_FEATURE_START);
        seen.hours = ::SendDlgItemMessageW(dialog, IDC_CLOCKTIMER_HOUR, CB_GETCOUNT, 0, 0);
        seen.minutes = ::SendDlgItemMessageW(dialog, IDC_CLOCKTIMER_MINUTE, CB_GETCOUNT, 0, 0);
        ::CheckDlgButton(dialog, IDC_CLOCKTIMER_ALWAYS, BST_CHECKED);
        press(dialog, IDC_CLOCKTIMER_ALWAYS);
        seen.alwaysStoredAtOnce = ClockTimerIni::instance().alwaysEnabled;
        ::CheckDlgButton(dialog, IDC_CLOCKTIMER_ALWAYS, BST_UNCHECKED);
        press(dialog, IDC_CLOCKTIMER_ALWAYS);
        choose(dialog, IDC_CLOCKTIMER_HOUR, 23);
        choose(dialog, IDC_CLOCKTIMER_MINUTE, 58);
        choose(dialog, IDC_FEATURE_ACTION, 0);
        press(dialog, IDC_FEATURE_START);
        seen.runningAfterStart = ClockTimer::instance().isRunning();
        seen.hourLocked = !enabled(dialog, IDC_CLOCKTIMER_HOUR) && !enabled(dialog, IDC_FEATURE_START);
        seen.stopEnabled = enabled(dialog, IDC_FEATURE_STOP);
        seen.storedHour = ClockTimerIni::instance().hour;
        seen.storedMinute = ClockTimerIni::instance().minute;
        seen.storedAction = ClockTimerIni::instance().action;
        screenshot(dialog, shotName(L"ClockTimerDlg"));
        press(dialog, IDC_FEATURE_STOP);
        seen.runningAfterStop = ClockTimer::instance().isRunning();
    });
    ASSERT_TRUE(found);
    EXPECT_EQ(L"05", seen.hour);
    EXPECT_EQ(L"09", seen.minute);
    EXPECT_EQ(24, seen.hours);
    EXPECT_EQ(60, seen.minutes);
    EXPECT_EQ(Lang::instance().text(L"ActionName", L"PlayPause"), seen.action);
    EXPECT_EQ(Lang::instance().text(L"ClockTimerDlg", L"Start"), seen.start);
    EXPECT_TRUE(seen.alwaysStoredAtOnce);
    EXPECT_TRUE(seen.runningAfterStart);
    EXPECT_TRUE(seen.hourLocked);
    EXPECT_TRUE(seen.stopEnabled);
    EXPECT_EQ(23, seen.storedHour);
    EXPECT_EQ(58, seen.storedMinute);
    EXPECT_EQ(L"stop", seen.storedAction);
    EXPECT_FALSE(seen.runningAfterStop);
    // Closing saved the file.
    const std::string saved = fileText(settings.path());
    EXPECT_NE(std::string::npos, saved.find("Hour=23")) << saved;
    EXPECT_NE(std::string::npos, saved.find("Action=stop")) << saved;
}

TEST_P(FeatureDialogsTest, CountdownDialogRefusesBadMinutesAndShowsProgress) {
    CountdownTimerIni& settings = CountdownTimerIni::instance();
    settings.minute = 0;
    settings.action = L"DoNothing";
    CountdownTimer::instance().setMillisecondsPerMinute(4000);
    struct Seen {
        std::wstring minutes;
        LRESULT suggestions = 0;
        bool startedWithText[2] = {true, true};
        bool focusOnMinutes = false;
        bool started = false;
        LRESULT position = -1;
        bool stoppedWhenFinishedSeen = false;
    } seen;
    const bool found = drive(caption(L"CountdownTimerDlg"), showCountdownTimerDlg, [&](HWND dialog) {
        seen.minutes = itemText(dialog, IDC_COUNTDOWN_MINUTE);
        seen.suggestions = ::SendDlgItemMessageW(dialog, IDC_COUNTDOWN_MINUTE, CB_GETCOUNT, 0, 0);
        const wchar_t* bad[] = {L"abc", L"0"};
        for (int i = 0; i < 2; ++i) {
            ::SetDlgItemTextW(dialog, IDC_COUNTDOWN_MINUTE, bad[i]);
            press(dialog, IDC_FEATURE_START);
            seen.startedWithText[i] = CountdownTimer::instance().isRunning();
        }
        GUITHREADINFO gui{};
        gui.cbSize = sizeof(gui);
        ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &gui);
        seen.focusOnMinutes =
            gui.hwndFocus != nullptr && (gui.hwndFocus == ::GetDlgItem(dialog, IDC_COUNTDOWN_MINUTE) ||
                                         ::GetParent(gui.hwndFocus) == ::GetDlgItem(dialog, IDC_COUNTDOWN_MINUTE));
        ::SetDlgItemTextW(dialog, IDC_COUNTDOWN_MINUTE, L"1");
        press(dialog, IDC_FEATURE_START);
        seen.started = CountdownTimer::instance().isRunning();
        // Half of the shortened minute, and the dialog's one-second tick.
        ::Sleep(2600);
        seen.position = ::SendDlgItemMessageW(dialog, IDC_COUNTDOWN_PROGRESS, PBM_GETPOS, 0, 0);
        screenshot(dialog, shotName(L"CountdownTimerDlg"));
        // Once finished, the open dialog switches it off at its next tick.
        for (int i = 0; i < 60 && CountdownTimer::instance().isRunning(); ++i)
            ::Sleep(100);
        seen.stoppedWhenFinishedSeen = !CountdownTimer::instance().isRunning();
    });
    CountdownTimer::instance().setMillisecondsPerMinute(60000);
    ASSERT_TRUE(found);
    EXPECT_EQ(L"0", seen.minutes);
    EXPECT_EQ(19, seen.suggestions);
    EXPECT_FALSE(seen.startedWithText[0]);
    EXPECT_FALSE(seen.startedWithText[1]);
    EXPECT_TRUE(seen.focusOnMinutes);
    EXPECT_TRUE(seen.started);
    EXPECT_GT(seen.position, CountdownTimer::kProgressRange / 4);
    EXPECT_LT(seen.position, CountdownTimer::kProgressRange);
    EXPECT_TRUE(seen.stoppedWhenFinishedSeen);
    EXPECT_EQ(1, settings.minute);
}

TEST_P(FeatureDialogsTest, EventActionDialogStoresMethodAndAction) {
    EventAction& eventAction = EventAction::instance();
    eventAction.setMethod(0);
    eventAction.setAction(L"DoNothing");
    struct Seen {
        std::wstring method0;
        LRESULT methods = 0;
        bool running = false, locked = false;
        std::wstring followedAction;
    } seen;
    const bool found = drive(caption(L"EventActionDlg"), showEventActionDlg, [&](HWND dialog) {
        seen.methods = ::SendDlgItemMessageW(dialog, IDC_EVENTACTION_METHOD, CB_GETCOUNT, 0, 0);
        seen.method0 = itemText(dialog, IDC_EVENTACTION_METHOD);
        choose(dialog, IDC_EVENTACTION_METHOD, 1);
        choose(dialog, IDC_FEATURE_ACTION, 0);
        press(dialog, IDC_FEATURE_START);
        seen.running = EventAction::instance().isRunning();
        seen.locked = !enabled(dialog, IDC_EVENTACTION_METHOD) && enabled(dialog, IDC_FEATURE_STOP);
        // A change from elsewhere (the tray) shows up in the open dialog.
        std::thread other([] { EventAction::instance().setAction(L"PlayPause"); });
        other.join();
        ::Sleep(200);
        seen.followedAction = itemText(dialog, IDC_FEATURE_ACTION);
        screenshot(dialog, shotName(L"EventActionDlg"));
    });
    ASSERT_TRUE(found);
    EXPECT_EQ(2, seen.methods);
    EXPECT_EQ(Lang::instance().text(L"EventActionDlg", L"Method0"), seen.method0);
    EXPECT_TRUE(seen.running);
    EXPECT_TRUE(seen.locked);
    EXPECT_EQ(Lang::instance().text(L"ActionName", L"PlayPause"), seen.followedAction);
    EXPECT_EQ(EventAction::PlayerStopped, eventAction.method());
    const std::string saved = fileText(EventActionIni::instance().path());
    EXPECT_NE(std::string::npos, saved.find("Method=1")) << saved;
}

TEST_P(FeatureDialogsTest, QuickPlayDialogAnswersOrCancels) {
    const std::wstring title = caption(L"QuickPlayDlg");
    QuickPlayDlg dialog({L"Library", L"Jazz"}, L"Jazz");
    std::wstring firstEntry;
    int result = 0;
    ASSERT_TRUE(drive(
        title, [&] { result = dialog.show(); },
        [&](HWND window) {
            firstEntry = itemText(window, IDC_QUICKPLAY_PLAYLIST);
            ::SetDlgItemTextW(window, IDC_QUICKPLAY_SEARCH, L"blue");
            screenshot(window, shotName(L"QuickPlayDlg"));
            choose(window, IDC_QUICKPLAY_PLAYLIST, 2);
            press(window, IDOK);
        }));
    EXPECT_EQ(1, result);
    EXPECT_EQ(QuickPlayDlg::playingEntry(Lang::instance().text(L"QuickPlayDlg", L"PlayingPlaylistText"), L"Jazz"),
              firstEntry);
    EXPECT_EQ(L"blue", dialog.searchText());
    EXPECT_EQ(L"Jazz", dialog.playlistName());

    QuickPlayDlg cancelled({L"Library"}, L"");
    ASSERT_TRUE(drive(
        title, [&] { result = cancelled.show(); },
        [&](HWND window) {
            ::SetDlgItemTextW(window, IDC_QUICKPLAY_SEARCH, L"blue");
            press(window, IDCANCEL);
        }));
    EXPECT_EQ(2, result);
    EXPECT_EQ(L"", cancelled.searchText());
}

INSTANTIATE_TEST_SUITE_P(Languages, FeatureDialogsTest, ::testing::Values(L"ja", L"en"));

#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "WinTestSupport.h"
#include "action/ActionList.h"
#include "base/AppPaths.h"
#include "base/Util.h"
#include "app/ZEvared.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "input/DInput.h"
#include "input/JoyRules.h"
#include "input/WiimoteMgr.h"
#include "input/WiimoteRules.h"
#include "notify/NotificationTexts.h"
#include "notify/NotifyWnd.h"
#include "option/GetHotKeyDlg.h"
#include "option/GetIRComKeyDlg.h"
#include "option/OptionSheet.h"
#include "player/PlayerState.h"
#include "res/resource.h"

using namespace tavelapp;

namespace {

const int kHotKeyPage = 0;
const int kJoyPage = 1;
const int kNotifyPage = 4;

std::multiset<std::string> lines(const std::string& text) {
    std::multiset<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.insert(line);
    return result;
}

// The lines of `a` that `b` lacks.
std::set<std::string> missingFrom(const std::multiset<std::string>& a, const std::multiset<std::string>& b) {
    std::set<std::string> result;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::inserter(result, result.end()));
    return result;
}

HWND waitFor(const std::wstring& caption, DWORD ms = 5000) {
    for (DWORD waited = 0; waited < ms; waited += 10) {
        if (HWND window = ::FindWindowW(L"#32770", caption.c_str())) return window;
        ::Sleep(10);
    }
    return nullptr;
}

bool waitGone(HWND window, DWORD ms = 5000) {
    for (DWORD waited = 0; waited < ms && ::IsWindow(window); waited += 10)
        ::Sleep(10);
    return !::IsWindow(window);
}

// A click that may open a modal box: posted, so the test does not wait for it.
void postClick(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void setCheck(HWND dialog, int id, bool on) {
    ::SendDlgItemMessageW(dialog, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

HWND showPage(HWND sheet, int index) {
    ::SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

int currentPage(HWND sheet) {
    HWND page = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    return static_cast<int>(::SendMessageW(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page), 0));
}

int rows(HWND page) { return listRows(::GetDlgItem(page, IDC_OPT_LIST)); }
int selectedRow(HWND page) {
    return static_cast<int>(
        ::SendDlgItemMessageW(page, IDC_OPT_LIST, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// Answers the box with that caption; its text, or "(no box)".
std::wstring answerBox(const std::wstring& caption, int button) {
    HWND box = waitFor(caption);
    if (box == nullptr) return L"(no box)";
    const std::wstring text = itemText(box, 0xFFFF);
    ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
    waitGone(box);
    return text;
}

std::wstring text(const wchar_t* section, const wchar_t* key) { return Lang::instance().text(section, key); }

BOOL CALLBACK findSheet(HWND window, LPARAM found) {
    if (::IsWindowVisible(window) && ::FindWindowExW(window, nullptr, WC_TABCONTROLW, nullptr) != nullptr) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Shows on this thread (the main one); `user` plays the user on another. A
// sheet the user left open is cancelled, so a failing test cannot hang.
void drive(const std::function<void()>& show, const std::function<void()>& user) {
    std::thread actor([&] {
        user();
        HWND sheet = nullptr;
        ::EnumWindows(&findSheet, reinterpret_cast<LPARAM>(&sheet));
        if (sheet != nullptr) ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    show();
    actor.join();
}

// The layered alpha of a shown notification window owned by `parent`; 0 for none.
BYTE notificationAlpha(HWND parent) {
    for (HWND w = ::FindWindowExW(nullptr, nullptr, NotifyWnd::kClassName, nullptr); w != nullptr;
         w = ::FindWindowExW(nullptr, w, NotifyWnd::kClassName, nullptr)) {
        BYTE alpha = 0;
        if (::GetWindow(w, GW_OWNER) == parent && ::IsWindowVisible(w) &&
            ::GetLayeredWindowAttributes(w, nullptr, &alpha, nullptr))
            return alpha;
    }
    return 0;
}

bool hotKeyFree(UINT mods, UINT vk) {
    if (!::RegisterHotKey(nullptr, 0x7001, mods, vk)) return false;
    ::UnregisterHotKey(nullptr, 0x7001);
    return true;
}

class OptionSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        settingsFile = AppPaths::settingsFolder() + L"\\Option.ini";
        ::DeleteFileW(settingsFile.c_str());
        Ini::instance() = Ini(settingsFile);
        // The controller reads the language of these settings; so does the test.
        Lang::instance().reload();
        sheetCaption = text(L"OptionSheet", L"Caption");
    }
    void TearDown() override {
        ::DeleteFileW(settingsFile.c_str());
        Ini::instance() = Ini(settingsFile);
    }
    std::wstring settingsFile;
    std::wstring sheetCaption;
};

}  // namespace

TEST_F(OptionSheetTest, OkKeepsExactlyTheEditsAndTheInputsRunAgainAfterwards) {
    ZEvared controller;
    ASSERT_TRUE(controller.enabled());
    controller.saveSettings();
    const std::string before = fileText(settingsFile);
    struct Seen {
        bool sheet = false, keysFreeWhileOpen = false, refused = false, stayedOnPage = false, focusOnField = false;
    } seen;
    const DWORD mainThread = ::GetCurrentThreadId();
    drive([&] { controller.showOption(); },
          [&] {
              HWND sheet = waitFor(sheetCaption);
              if (!(seen.sheet = sheet != nullptr)) return;
              seen.keysFreeWhileOpen = hotKeyFree(MOD_CONTROL | MOD_ALT, VK_INSERT);
              HWND page = showPage(sheet, kNotifyPage);
              setCheck(page, IDC_OPT_N_VOLUME, false);
              ::SetDlgItemTextW(page, IDC_OPT_N_TIME, L"7");
              ::SetDlgItemTextW(page, IDC_OPT_N_TRANSPARENCY, L"101");
              ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
              seen.refused = answerBox(text(L"OptionNotifyPage", L"Caption"), IDOK) != L"(no box)";
              ::Sleep(200);
              seen.stayedOnPage = ::IsWindow(sheet) && currentPage(sheet) == kNotifyPage;
              GUITHREADINFO info{};
              info.cbSize = sizeof(info);
              seen.focusOnField =
                  ::GetGUIThreadInfo(mainThread, &info) && info.hwndFocus == ::GetDlgItem(page, IDC_OPT_N_TRANSPARENCY);
              ::SetDlgItemTextW(page, IDC_OPT_N_TRANSPARENCY, L"50");
              ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
              waitGone(sheet);
          });
    ASSERT_TRUE(seen.sheet);
    EXPECT_TRUE(seen.keysFreeWhileOpen);
    EXPECT_TRUE(seen.refused);
    EXPECT_TRUE(seen.stayedOnPage);
    EXPECT_TRUE(seen.focusOnField);
    EXPECT_TRUE(controller.enabled());
    EXPECT_FALSE(hotKeyFree(MOD_CONTROL | MOD_ALT, VK_INSERT));

    const auto oldLines = lines(before);
    const auto newLines = lines(fileText(settingsFile));
    EXPECT_EQ((std::set<std::string>{"NotifyTime=10\r", "NotifyVolume=1\r", "Transparency=0\r"}),
              missingFrom(oldLines, newLines));
    EXPECT_EQ((std::set<std::string>{"NotifyTime=7\r", "NotifyVolume=0\r", "Transparency=50\r"}),
              missingFrom(newLines, oldLines));
}

TEST_F(OptionSheetTest, DuplicateHotKeyKeepsTheSheetOnItsPageAndCancelChangesNothing) {
    std::ofstream(settingsFile.c_str(), std::ios::binary)
        << "[JoyKeys0]\r\nAction=Play\r\nKey=5\r\n[Joy]\r\nShift=9\r\n";
    ZEvared controller;
    controller.saveSettings();
    const std::string before = fileText(settingsFile);
    struct Seen {
        bool sheet = false, added = false, stayedOnPage = false;
        int rowsAfterAdd = 0, selectedAfterAdd = -1, rowsAfterDelete = 0, selectedAfterDelete = -1;
        int joyRows = 0, joyRowsAfterReset = 0;
        std::wstring duplicates, shift;
    } seen;
    drive([&] { controller.showOption(); },
          [&] {
              HWND sheet = waitFor(sheetCaption);
              if (!(seen.sheet = sheet != nullptr)) return;
              HWND page = showPage(sheet, kHotKeyPage);
              postClick(page, IDC_OPT_ADD);
              HWND capture = waitFor(text(L"GetHotkeyItemDlg", L"CaptionAdd"));
              if (capture != nullptr) {
                  ::SendDlgItemMessageW(capture, IDC_CAP_HOTKEY, HKM_SETHOTKEY,
                                        MAKEWORD(VK_INSERT, HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_EXT), 0);
                  ::PostMessageW(capture, WM_COMMAND, IDOK, 0);
                  seen.added = waitGone(capture);
              }
              seen.rowsAfterAdd = rows(page);
              seen.selectedAfterAdd = selectedRow(page);

              showPage(sheet, kNotifyPage);
              ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
              seen.duplicates = answerBox(text(L"OptionHotkeyPage", L"DuplicateCaption"), IDOK);
              ::Sleep(200);
              seen.stayedOnPage = ::IsWindow(sheet) && currentPage(sheet) == kHotKeyPage;

              postClick(page, IDC_OPT_DELETE);
              answerBox(text(L"OptionHotkeyPage", L"RemoveConfirmationCaption"), IDYES);
              seen.rowsAfterDelete = rows(page);
              seen.selectedAfterDelete = selectedRow(page);

              HWND joy = showPage(sheet, kJoyPage);
              seen.joyRows = rows(joy);
              postClick(joy, IDC_OPT_RESET);
              answerBox(text(L"OptionJoyPage", L"ResetConfirmationCaption"), IDYES);
              seen.joyRowsAfterReset = rows(joy);
              seen.shift = itemText(joy, IDC_OPT_J_SHIFT);

              ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
              waitGone(sheet);
          });
    ASSERT_TRUE(seen.sheet);
    EXPECT_TRUE(seen.added);
    EXPECT_EQ(32, seen.rowsAfterAdd);
    EXPECT_EQ(31, seen.selectedAfterAdd);
    // The default Ctrl+Alt+Insert binding is named, once, for the new one.
    const std::wstring play = ActionList::instance().find(L"PlayPause")
                                  ? ActionList::instance().find(L"PlayPause")->displayName()
                                  : text(L"OptionHotkeyPage", L"ListItemActionNotFound");
    const std::wstring heading = text(L"OptionHotkeyPage", L"DuplicateText");
    EXPECT_EQ(0u, seen.duplicates.find(heading + L"\n" + play + L" - [")) << seen.duplicates;
    EXPECT_EQ(1, std::count(seen.duplicates.begin(), seen.duplicates.end(), L'\n')) << seen.duplicates;
    EXPECT_TRUE(seen.stayedOnPage);
    EXPECT_EQ(31, seen.rowsAfterDelete);
    EXPECT_EQ(30, seen.selectedAfterDelete);  // the new last row
    EXPECT_EQ(1, seen.joyRows);
    EXPECT_EQ(25, seen.joyRowsAfterReset);
    EXPECT_NE(std::wstring::npos, seen.shift.find(JoyRules::displayName(7))) << seen.shift;

    EXPECT_EQ(before, fileText(settingsFile));
    EXPECT_EQ(31u, Ini::instance().hotKeys.size());
    EXPECT_EQ(1u, Ini::instance().joyKeys.size());
    EXPECT_TRUE(controller.enabled());
}

TEST_F(OptionSheetTest, CancelAfterApplyKeepsWhatWasAppliedOnly) {
    ZEvared controller;
    drive([&] { controller.showOption(); },
          [&] {
              HWND sheet = waitFor(sheetCaption);
              if (sheet == nullptr) return;
              HWND page = showPage(sheet, kNotifyPage);
              ::SetDlgItemTextW(page, IDC_OPT_N_TIME, L"7");
              ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
              ::Sleep(300);
              ::SetDlgItemTextW(page, IDC_OPT_N_TIME, L"8");
              setCheck(page, IDC_OPT_N_MUTE, false);
              ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
              waitGone(sheet);
          });
    EXPECT_EQ(7, Ini::instance().notify.notifyTime);
    EXPECT_TRUE(Ini::instance().notify.notifyMute);
    EXPECT_NE(std::string::npos, fileText(settingsFile).find("NotifyTime=7\r\n"));
}

TEST_F(OptionSheetTest, AfterAPreviewRealNotificationsStillUseTheSavedSettings) {
    ZEvared controller;
    PlayerState state;
    state.setField(PlayerState::Name, L"Lights");
    const std::wstring savedText = NotificationTexts::trackText(state);
    const HWND live = controller.notifyWndMgr().parentWindow();
    BYTE alpha = 0;
    drive([&] { controller.showOption(); },
          [&] {
              HWND sheet = waitFor(sheetCaption);
              if (sheet == nullptr) return;
              HWND page = showPage(sheet, kNotifyPage);
              ::SetDlgItemTextW(page, IDC_OPT_N_TRACKTEXT, L"Edited %Name%");
              ::SetDlgItemTextW(page, IDC_OPT_N_TRANSPARENCY, L"60");
              ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_OPT_N_PREVIEW, BN_CLICKED), 0);
              // A new track, as the change detector's worker announces it.
              Util::notify(NotificationTexts::kTrack, NotificationTexts::trackText(state), NotifyWndInfo::kTrack);
              for (int i = 0; i < 500 && alpha != 255; ++i, ::Sleep(10))
                  alpha = notificationAlpha(live);
              ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
              waitGone(sheet);
          });
    EXPECT_EQ(255, alpha) << "opaque as saved, not 60% transparent as edited";
    const auto& shown = controller.notifyWndMgr().windows();
    const auto track = std::find_if(shown.begin(), shown.end(), [](const auto& w) { return w->key() == "track"; });
    ASSERT_NE(shown.end(), track);
    EXPECT_EQ(savedText, (*track)->text());
}

TEST_F(OptionSheetTest, CaptureDialogsAskForFewModifiersAndShowTheStoredKey) {
    ActionList& list = ActionList::instance();
    list.clear();
    list.parse(L"Test", L"[player]\nPlayPause\tPlayPause\nNextTrack\tNextTrack\n[nothing]\nDoNothing\tDoNothing\n");
    Ini::HotKey hotKey;
    std::wstring fieldAfterNo;
    bool stillOpen = false;
    drive([&] { EXPECT_EQ(IDOK, GetHotKeyDlg(hotKey, true).show(nullptr)); },
          [&] {
              HWND dialog = waitFor(text(L"GetHotkeyItemDlg", L"CaptionAdd"));
              if (dialog == nullptr) return;
              ::SendDlgItemMessageW(dialog, IDC_CAP_HOTKEY, HKM_SETHOTKEY, MAKEWORD(VK_F5, HOTKEYF_CONTROL), 0);
              ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
              answerBox(text(L"GetHotkeyItemDlg", L"ConfirmationCaption"), IDNO);
              stillOpen = ::IsWindow(dialog) != FALSE;
              fieldAfterNo = std::to_wstring(::SendDlgItemMessageW(dialog, IDC_CAP_HOTKEY, HKM_GETHOTKEY, 0, 0));
              ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
              answerBox(text(L"GetHotkeyItemDlg", L"ConfirmationCaption"), IDYES);
              waitGone(dialog);
          });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(std::to_wstring(MAKEWORD(VK_F5, HOTKEYF_CONTROL)), fieldAfterNo);
    EXPECT_EQ(2u, hotKey.mods);
    EXPECT_EQ(static_cast<std::uint32_t>(VK_F5), hotKey.vk);
    EXPECT_EQ(L"DoNothing", hotKey.action);

    Ini::Key irKey;
    irKey.key = 0x10F;
    irKey.action = L"playpause";
    bool shiftDown = false, zeroDown = false;
    drive([&] { EXPECT_EQ(IDOK, GetIRComKeyDlg(irKey, false).show(nullptr)); },
          [&] {
              HWND dialog = waitFor(text(L"GetIRComItemDlg", L"CaptionEdit"));
              if (dialog == nullptr) return;
              shiftDown = ::IsDlgButtonChecked(dialog, IDC_CAP_IRSHIFT) == BST_CHECKED;
              zeroDown = ::IsDlgButtonChecked(dialog, IDC_CAP_IRPAD + 15) == BST_CHECKED;
              ::SendDlgItemMessageW(dialog, IDC_CAP_IRPAD + 1, BM_CLICK, 0, 0);
              ::SendDlgItemMessageW(dialog, IDC_CAP_IRSHIFT, BM_CLICK, 0, 0);
              ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
              waitGone(dialog);
          });
    EXPECT_TRUE(shiftDown);
    EXPECT_TRUE(zeroDown);
    EXPECT_EQ(1u, irKey.key);
    EXPECT_EQ(L"playpause", irKey.action);  // the same entry keeps its spelling
    list.clear();
}

namespace {

// Controls whose text does not fit, or that stick out of the dialog: cut off
// or wrapped out of sight.
std::vector<std::wstring> clippedLabels(HWND dialog) {
    std::vector<std::wstring> clipped;
    for (HWND control = ::GetWindow(dialog, GW_CHILD); control != nullptr;
         control = ::GetWindow(control, GW_HWNDNEXT)) {
        wchar_t className[32] = L"";
        ::GetClassNameW(control, className, 32);
        const std::wstring label = itemText(dialog, ::GetDlgCtrlID(control));
        RECT inside{};
        ::GetClientRect(dialog, &inside);
        ::MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&inside), 2);
        RECT where{};
        ::GetWindowRect(control, &where);
        // A drop-down's window includes its list, which may hang out.
        if (::lstrcmpiW(className, WC_COMBOBOXW) != 0 && (where.left < inside.left || where.top < inside.top ||
                                                          where.right > inside.right || where.bottom > inside.bottom))
            clipped.push_back(L"outside the page: " + label + L" #" + std::to_wstring(::GetDlgCtrlID(control)));
        const bool button = ::lstrcmpiW(className, L"Button") == 0;
        if ((!button && ::lstrcmpiW(className, L"Static") != 0) || label.empty() || !::IsWindowVisible(control))
            continue;
        const LONG style = ::GetWindowLongW(control, GWL_STYLE);
        RECT box{};
        ::GetClientRect(control, &box);
        int width = box.right;
        const LONG kind = style & BS_TYPEMASK;
        bool wraps = !button || (style & BS_MULTILINE) != 0;
        if (button && (style & BS_PUSHLIKE) == 0 &&
            (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX || kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON))
            width -= ::GetSystemMetrics(SM_CXMENUCHECK) + 4;
        else if (button && kind == BS_GROUPBOX)
            width -= 16, wraps = false;
        else if (button)
            width -= 6;
        HDC dc = ::GetDC(control);
        HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)));
        RECT need{0, 0, width, 0};
        ::DrawTextW(dc, label.c_str(), -1, &need, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        ::SelectObject(dc, old);
        ::ReleaseDC(control, dc);
        if (need.right > width || (wraps && need.bottom > box.bottom)) clipped.push_back(label);
    }
    return clipped;
}

class OptionLayoutTest : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override {
        Lang::instance().setFiles(AppPaths::settingsFolder() + L"\\Langs\\" + GetParam() + L".lng", {});
    }
    void TearDown() override { Lang::instance().setFiles(std::wstring(), {}); }
};

}  // namespace

TEST_P(OptionLayoutTest, EveryLabelOfEveryPageAndCaptureDialogFits) {
    std::vector<std::wstring> problems;
    Ini settings(Ini::instance());
    drive(
        [&] {
            OptionSheet sheet(settings);
            sheet.show(nullptr);
        },
        [&] {
            HWND sheet = waitFor(text(L"OptionSheet", L"Caption"));
            if (sheet == nullptr) return problems.push_back(L"no sheet");
            for (int index = 0; index < 8; ++index) {
                HWND page = showPage(sheet, index);
                wchar_t title[128] = L"";
                ::GetWindowTextW(page, title, 128);
                for (const std::wstring& label : clippedLabels(page))
                    problems.push_back(std::to_wstring(index) + L": " + label);
                if (index == kHotKeyPage) {
                    postClick(page, IDC_OPT_ADD);
                    if (HWND capture = waitFor(text(L"GetHotkeyItemDlg", L"CaptionAdd"))) {
                        for (const std::wstring& label : clippedLabels(capture))
                            problems.push_back(L"hot key: " + label);
                        ::PostMessageW(capture, WM_COMMAND, IDCANCEL, 0);
                        waitGone(capture);
                    }
                }
                if (index == 2) {
                    postClick(page, IDC_OPT_ADD);
                    if (HWND capture = waitFor(text(L"GetIRComItemDlg", L"CaptionAdd"))) {
                        for (const std::wstring& label : clippedLabels(capture))
                            problems.push_back(L"infrared: " + label);
                        ::PostMessageW(capture, WM_COMMAND, IDCANCEL, 0);
                        waitGone(capture);
                    }
                }
            }
            ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            waitGone(sheet);
        });
    for (const std::wstring& problem : problems)
        ADD_FAILURE() << "clipped: " << std::string(problem.begin(), problem.end());
}

INSTANTIATE_TEST_SUITE_P(Languages, OptionLayoutTest, ::testing::Values(L"ja", L"en"));

namespace {

void printRect(HWND window) {
    RECT box{};
    ::GetWindowRect(window, &box);
    std::printf("rect %ld %ld %ld %ld\n", box.left, box.top, box.right, box.bottom);
}

}  // namespace

// For the end-to-end script, inside the program's Wine prefix: KX_OPTION_PROBE
// is "tray <mouse message>" (to the tray icon's window), "page <index>" (shows
// that page of the open sheet and prints its rectangle), "list" (prints the
// rectangle of the current page's list), "add" (opens the current page's
// capture dialog), "dismiss" (cancels the dialog open over the sheet), "ok"
// or "cancel".
TEST(OptionSheetProbe, DISABLED_Command) {
    const char* variable = std::getenv("KX_OPTION_PROBE");
    std::istringstream command(variable != nullptr ? variable : "");
    std::string verb;
    long argument = 0;
    command >> verb >> argument;
    if (verb == "tray") {
        HWND tray = ::FindWindowW(L"tavelapp_TrayIcon_EventHandlerWnd", nullptr);
        ASSERT_NE(nullptr, tray);
        ::PostMessageW(tray, WM_USER + 1, 0, static_cast<LPARAM>(argument));
        return;
    }
    HWND sheet = nullptr;
    for (int i = 0; i < 100 && sheet == nullptr; ++i) {
        ::EnumWindows(&findSheet, reinterpret_cast<LPARAM>(&sheet));
        if (sheet == nullptr) ::Sleep(100);
    }
    ASSERT_NE(nullptr, sheet);
    HWND page = reinterpret_cast<HWND>(::SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    if (verb == "page") {
        showPage(sheet, static_cast<int>(argument));
        ::RedrawWindow(sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        printRect(sheet);
    } else if (verb == "add") {
        postClick(page, IDC_OPT_ADD);
    } else if (verb == "list") {
        printRect(::GetDlgItem(page, IDC_OPT_LIST));
    } else if (verb == "dismiss") {
        struct Owner {
            HWND sheet;
            static BOOL CALLBACK cancel(HWND window, LPARAM self) {
                if (::GetWindow(window, GW_OWNER) == reinterpret_cast<Owner*>(self)->sheet)
                    ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                return TRUE;
            }
        } owner{sheet};
        ::EnumWindows(&Owner::cancel, reinterpret_cast<LPARAM>(&owner));
    } else if (verb == "ok" || verb == "cancel") {
        ::PostMessageW(sheet, PSM_PRESSBUTTON, verb == "ok" ? PSBTN_OK : PSBTN_CANCEL, 0);
    }
}

// Runs only with the DirectInput double loaded in place of the system's (the
// win_joystick test entry sets WINEDLLOVERRIDES=dinput=n,b).
TEST(OptionJoyProbe, DISABLED_HeldShiftCapturesTheShiftedCodeAndAStickIsNoShiftButton) {
    Ini settings(Ini::instance());
    settings.joyKeys = Ini::defaultJoyKeys();
    settings.joy = Ini::Item::Joy();
    Ini result(L"");
    struct Seen {
        std::wstring held, captured, lastRow, shiftBeforeStick, shiftAfterStick, shift;
        int rows = 0;
    } seen;
    drive(
        [&] {
            OptionSheet sheet(settings);
            if (sheet.show(nullptr)) result = sheet.result();
        },
        [&] {
            HWND sheet = waitFor(text(L"OptionSheet", L"Caption"));
            if (sheet == nullptr) return;
            HWND page = showPage(sheet, kJoyPage);
            HMODULE library = ::GetModuleHandleW(L"dinput.dll");
            auto command = reinterpret_cast<int(WINAPI*)(const char*)>(
                reinterpret_cast<void*>(::GetProcAddress(library, "DInputDoubleCommand")));
            if (command == nullptr) return (void)::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
            postClick(page, IDC_OPT_ADD);
            HWND dialog = waitFor(text(L"GetJoyItemDlg", L"CaptionAdd"));
            if (dialog == nullptr) return;
            ::Sleep(500);                // the listening thread takes the device
            command("button 1 4 down");  // the shift button, code 7
            ::Sleep(300);
            seen.held = itemText(dialog, IDC_CAP_INPUT);
            command("press 1 1");
            ::Sleep(300);
            command("button 1 4 up");
            ::Sleep(300);
            seen.captured = itemText(dialog, IDC_CAP_INPUT);
            ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            waitGone(dialog);
            seen.rows = rows(page);
            seen.lastRow = listCell(::GetDlgItem(page, IDC_OPT_LIST), seen.rows - 1, 1);

            postClick(page, IDC_OPT_J_CHANGESHIFT);
            HWND shift = waitFor(text(L"GetJoyShiftDlg", L"Caption"));
            if (shift == nullptr) return;
            seen.shiftBeforeStick = itemText(shift, IDC_CAP_INPUT);
            command("axis 1 x 0");
            ::Sleep(300);
            seen.shiftAfterStick = itemText(shift, IDC_CAP_INPUT);
            command("axis 1 x 50");
            command("press 1 5");
            ::Sleep(300);
            ::PostMessageW(shift, WM_COMMAND, IDOK, 0);
            waitGone(shift);
            seen.shift = itemText(page, IDC_OPT_J_SHIFT);
            ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
            waitGone(sheet);
        });
    EXPECT_EQ(text(L"Others", L"JoyShift") + L" + ", seen.held);
    EXPECT_EQ(JoyRules::displayName(0x104), seen.captured);
    EXPECT_EQ(26, seen.rows);
    EXPECT_EQ(seen.captured, seen.lastRow);
    EXPECT_EQ(JoyRules::displayName(7), seen.shiftBeforeStick);
    EXPECT_EQ(seen.shiftBeforeStick, seen.shiftAfterStick);
    EXPECT_NE(std::wstring::npos, seen.shift.find(JoyRules::displayName(8))) << seen.shift;
    ASSERT_EQ(26u, result.joyKeys.size());
    EXPECT_EQ(0x104u, result.joyKeys.back().key);
    EXPECT_EQ(L"DoNothing", result.joyKeys.back().action);
    EXPECT_EQ(8u, result.joy.shift);
}

// With two pads, choosing the second and pressing OK, with no other change,
// keeps that pad.
TEST(OptionJoyProbe, DISABLED_TheChosenControllerIsKeptByOkAlone) {
    HMODULE library = ::LoadLibraryW(L"dinput.dll");
    auto command = reinterpret_cast<int(WINAPI*)(const char*)>(
        reinterpret_cast<void*>(::GetProcAddress(library, "DInputDoubleCommand")));
    ASSERT_NE(nullptr, command) << "the DirectInput double is not loaded";
    command("attach 1");
    command("attach 2");
    Ini settings(Ini::instance());
    settings.joy = Ini::Item::Joy();
    Ini result(L"");
    drive(
        [&] {
            OptionSheet sheet(settings);
            if (sheet.show(nullptr)) result = sheet.result();
        },
        [&] {
            HWND sheet = waitFor(text(L"OptionSheet", L"Caption"));
            if (sheet == nullptr) return;
            HWND page = showPage(sheet, kJoyPage);
            HWND devices = ::GetDlgItem(page, IDC_OPT_J_DEVICE);
            ::SendMessageW(devices, CB_SETCURSEL, 1, 0);
            ::PostMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_OPT_J_DEVICE, CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(devices));
            ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
            waitGone(sheet);
        });
    command("detach 2");
    const GUID second = {0x6B6F6C02, 0x4A6F, 0x7900, {0x80, 0, 0, 0, 0, 0, 0, 2}};  // the double's pad 2
    EXPECT_TRUE(::IsEqualGUID(second, DInput::settingsGuid(result.joy)));
    ::FreeLibrary(library);
}

TEST(OptionWiimote, HeldShiftCapturesTheShiftedButtonFromTheRemote) {
    const std::wstring folder = moduleFolder() + L"\\plugins\\wiimote-double\\";
    ::DeleteFileW((folder + L"WiimoteScript.txt").c_str());
    WiimoteMgr& manager = WiimoteMgr::instance();
    ASSERT_TRUE(manager.load(folder + L"Wiimote.dll"));
    Ini settings(Ini::instance());
    settings.wiimoteKeys = Ini::defaultWiimoteKeys();
    settings.wiimote = Ini::Item::Wiimote();  // B (2) is the shift button
    Ini result(L"");
    std::wstring held, captured;
    drive(
        [&] {
            OptionSheet sheet(settings);
            if (sheet.show(nullptr)) result = sheet.result();
        },
        [&] {
            HWND sheet = waitFor(text(L"OptionSheet", L"Caption"));
            if (sheet == nullptr) return;
            HWND page = showPage(sheet, 3);
            postClick(page, IDC_OPT_ADD);
            HWND dialog = waitFor(text(L"GetWiimoteItemDlg", L"CaptionAdd"));
            if (dialog != nullptr) {
                std::ofstream((folder + L"WiimoteScript.txt").c_str(), std::ios::binary | std::ios::app)
                    << "buttons 0004\n";
                for (int i = 0; i < 100 && held.empty(); ++i, ::Sleep(50))
                    if (itemText(dialog, IDC_CAP_INPUT) != text(L"Others", L"JoyNothing"))
                        held = itemText(dialog, IDC_CAP_INPUT);
                std::ofstream((folder + L"WiimoteScript.txt").c_str(), std::ios::binary | std::ios::app)
                    << "buttons 000C\nbuttons 0004\nbuttons 0000\n";
                ::Sleep(1500);
                captured = itemText(dialog, IDC_CAP_INPUT);
                ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                waitGone(dialog);
            }
            ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
            waitGone(sheet);
        });
    manager.unload();
    EXPECT_EQ(text(L"Others", L"WiimoteShift") + L" + ", held);
    EXPECT_EQ(WiimoteRules::displayName(0x8003), captured);
    ASSERT_EQ(17u, result.wiimoteKeys.size());
    EXPECT_EQ(0x8003u, result.wiimoteKeys.back().key);
}

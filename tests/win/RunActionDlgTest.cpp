#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "WinTestSupport.h"
#include "action/ActionList.h"
#include "action/RunActionDlg.h"
#include "config/Lang.h"
#include "res/resource.h"

using namespace tavelapp;

TEST(RunActionDlg, OpensLocalisedOnDoNothingAndFollowsTheSelection) {
    const std::wstring file = moduleFolder() + L"\\runaction-test.lng";
    {
        std::ofstream out(file.c_str(), std::ios::binary);
        out << "\xEF\xBB\xBF[RunActionDlg]\r\nCaption=Run Something\r\nRun=Go\r\nRun_Hint=Runs it\r\n"
               "[ActionName]\r\nFirst=First entry\r\nDoNothing=Nothing at all\r\n"
               "[ActionDesc]\r\nFirst=Does the first thing\r\nDoNothing=Does nothing\r\n";
    }
    Lang::instance().setFiles(file, {});
    ActionList& list = ActionList::instance();
    list.clear();
    list.parse(L"Test", L"[test]\nFirst\tDoNothing\nDoNothing\tDoNothing\n");

    // The dialog runs on the main thread; the test drives it from another, as
    // a user's clicks would arrive.
    struct Seen {
        std::wstring runLabel, firstDescription, changedDescription;
        LRESULT count = -1, selected = -1;
        bool found = false;
    } seen;
    std::thread user([&seen] {
        HWND dialog = nullptr;
        for (int i = 0; i < 500 && dialog == nullptr; ++i) {
            dialog = ::FindWindowW(L"#32770", L"Run Something");
            if (dialog == nullptr) ::Sleep(10);
        }
        if (dialog == nullptr) return;
        seen.found = true;
        seen.runLabel = itemText(dialog, IDC_RUNACTION_RUN);
        HWND combo = ::GetDlgItem(dialog, IDC_RUNACTION_COMBO);
        seen.count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
        seen.selected = ::SendMessageW(combo, CB_GETCURSEL, 0, 0);
        seen.firstDescription = itemText(dialog, IDC_RUNACTION_DESC);
        ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
        ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_RUNACTION_COMBO, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(combo));
        seen.changedDescription = itemText(dialog, IDC_RUNACTION_DESC);
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    const int result = showRunActionDlg();
    user.join();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(L"Go", seen.runLabel);
    EXPECT_EQ(2, seen.count);
    EXPECT_EQ(1, seen.selected) << "DoNothing is selected first";
    EXPECT_EQ(L"Does nothing", seen.firstDescription);
    EXPECT_EQ(L"Does the first thing", seen.changedDescription);
    EXPECT_EQ(2, result);

    list.clear();
    Lang::instance().setFiles(std::wstring(), {});
    ::DeleteFileW(file.c_str());
}

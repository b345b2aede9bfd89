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

namespace {

std::wstring itemText(HWND dialog, int id) {
    wchar_t buffer[512] = L"";
    ::GetDlgItemTextW(dialog, id, buffer, 512);
    return buffer;
}

}  // namespace

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

    std::atomic<int> result{0};
    std::thread owner([&] { result = showRunActionDlg(); });
    HWND dialog = nullptr;
    pumpUntil(
        [&] {
            dialog = ::FindWindowW(L"#32770", L"Run Something");
            return dialog != nullptr;
        },
        5000);
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"Go", itemText(dialog, IDC_RUNACTION_RUN));
    HWND combo = ::GetDlgItem(dialog, IDC_RUNACTION_COMBO);
    EXPECT_EQ(2, ::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(1, ::SendMessageW(combo, CB_GETCURSEL, 0, 0)) << "DoNothing is selected first";
    EXPECT_EQ(L"Does nothing", itemText(dialog, IDC_RUNACTION_DESC));

    ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_RUNACTION_COMBO, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(L"Does the first thing", itemText(dialog, IDC_RUNACTION_DESC));

    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    owner.join();
    EXPECT_EQ(2, result.load());

    list.clear();
    Lang::instance().setFiles(std::wstring(), {});
    ::DeleteFileW(file.c_str());
}

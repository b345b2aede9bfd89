#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "WinTestSupport.h"
#include "base/AppPaths.h"
#include "config/DialogLocalizer.h"
#include "config/Lang.h"

using namespace tavelapp;

namespace {

std::wstring textOf(HWND window) {
    wchar_t buffer[256] = L"";
    ::GetWindowTextW(window, buffer, 256);
    return buffer;
}

}  // namespace

TEST(DialogLocalizer, CaptionsBecomeTextsAndHintsBecomeToolTips) {
    const std::wstring file = moduleFolder() + L"\\dialog-test.lng";
    {
        std::ofstream out(file.c_str(), std::ios::binary);
        out << "\xEF\xBB\xBF[TestDlg]\r\nCaption=設定\r\nOK=了解\r\nOK_Hint=閉じて保存します\\n次回から有効\r\n"
               "Unknown_Hint=\r\n";
    }
    Lang::instance().setFiles(file, {});

    HWND dialog =
        ::CreateWindowExW(0, L"STATIC", L"TestDlg", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, dialog);
    HWND ok = ::CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD, 0, 0, 50, 20, dialog, nullptr, nullptr, nullptr);
    HWND unknown =
        ::CreateWindowExW(0, L"STATIC", L"Unknown", WS_CHILD, 0, 30, 50, 20, dialog, nullptr, nullptr, nullptr);
    HWND blank = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 60, 50, 20, dialog, nullptr, nullptr, nullptr);

    HWND tooltip = localizeDialog(dialog, L"TestDlg");
    EXPECT_EQ(L"設定", textOf(dialog));
    EXPECT_EQ(L"了解", textOf(ok));
    EXPECT_EQ(L"Unknown", textOf(unknown));  // a missing text shows its key
    EXPECT_EQ(L"", textOf(blank));
    ASSERT_NE(nullptr, tooltip);
    EXPECT_EQ(1, static_cast<int>(::SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0)));

    wchar_t hint[128] = L"";
    TOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = dialog;
    info.uId = reinterpret_cast<UINT_PTR>(ok);
    info.lpszText = hint;
    ::SendMessageW(tooltip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(std::wstring(L"閉じて保存します\n次回から有効"), hint);

    ::DestroyWindow(dialog);
    EXPECT_FALSE(::IsWindow(tooltip));  // owned by the dialog
    Lang::instance().setFiles(std::wstring(), {});
    ::DeleteFileW(file.c_str());
}

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "NoticeRecorder.h"
#include "WinTestSupport.h"
#include "base/AppPaths.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "config/LossNotice.h"

using namespace tavelapp;

TEST(LossNotice, AFileThatCannotBeWrittenIsNamedOnceWhileRunningAndAtTheEnd) {
    Lang::instance().setFiles(AppPaths::settingsFolder() + L"\\Langs\\en.lng", {});
    LossNotice::rearm();
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"kx-loss-" + std::to_wstring(::GetCurrentProcessId()) + L".ini";
    Ini settings(path);
    settings.load();
    ASSERT_TRUE(LossNotice::save(settings));
    // Kept from being replaced, as on a write-protected stick (Wine lets its
    // root user replace a read-only file, but not one that is open).
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE held = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    NoticeRecorder recorder;
    Util::setController(&recorder);
    // Nothing changed, nothing lost: no word.
    EXPECT_TRUE(LossNotice::save(settings));
    settings.lang.id = L"en";
    EXPECT_FALSE(LossNotice::save(settings));
    EXPECT_FALSE(LossNotice::save(settings));
    EXPECT_EQ(1, recorder.count("SettingsNotSaved"));
    const std::wstring told = recorder.notices().empty() ? std::wstring() : recorder.notices().front().text;
    EXPECT_NE(std::wstring::npos, told.find(path + L". The folder or the file may be read-only"));

    // At the exit the controller is gone: a message box says it instead.
    Util::setController(nullptr);
    LossNotice::rearm();
    std::wstring boxText;
    std::thread user([&] {
        HWND box = nullptr;
        for (int i = 0; i < 500 && (box = ::FindWindowW(L"#32770", L"Kolibrix")) == nullptr; ++i)
            ::Sleep(10);
        boxText = itemText(box, 0xFFFF);
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    EXPECT_FALSE(LossNotice::save(settings));
    user.join();
    EXPECT_NE(std::wstring::npos, boxText.find(path));

    ::CloseHandle(held);
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(path.c_str());
    Lang::instance().setFiles(std::wstring(), {});
    LossNotice::rearm();
}

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <thread>

#include "NoticeRecorder.h"
#include "WinTestSupport.h"
#include "app/AppPaths.h"
#include "app/Util.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "config/LossNotice.h"

using namespace tavelapp;

namespace {

// Answers the first message box titled "Kolibrix" and keeps its text.
std::wstring answerMessageBox() {
    HWND box = nullptr;
    for (int i = 0; i < 500 && (box = ::FindWindowW(L"#32770", L"Kolibrix")) == nullptr; ++i)
        ::Sleep(10);
    if (box == nullptr) return L"(no message box)";
    const std::wstring text = itemText(box, 0xFFFF);
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return text;
}

class LossNoticeTest : public ::testing::Test {
protected:
    void SetUp() override {
        Lang::instance().setFiles(AppPaths::settingsFolder() + L"\\Langs\\en.lng", {});
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"kx-loss-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder.c_str(), nullptr);
        path = folder + L"\\Option.ini";
        LossNotice::rearm();
    }
    void TearDown() override {
        Util::setController(nullptr);
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path.c_str());
        ::DeleteFileW((path + L".tmp").c_str());
        ::RemoveDirectoryW(folder.c_str());
        Lang::instance().setFiles(std::wstring(), {});
        LossNotice::rearm();
    }
    std::wstring folder, path;
};

}  // namespace

TEST_F(LossNoticeTest, AFileThatCannotBeWrittenIsNamedOnceWhileRunningAndAtTheEnd) {
    Ini settings(path);
    settings.load();
    ASSERT_TRUE(LossNotice::save(settings));
    // Kept from being replaced, as on a write-protected stick (Wine lets its
    // root user replace a read-only file, but not one that is open).
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE held = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    // Nothing changed, nothing lost: no word.
    NoticeRecorder recorder;
    Util::setController(&recorder);
    EXPECT_TRUE(LossNotice::save(settings));

    settings.lang.id = L"en";
    EXPECT_FALSE(LossNotice::save(settings));
    EXPECT_FALSE(LossNotice::save(settings));
    ASSERT_EQ(1, recorder.count("SettingsNotSaved"));
    const std::wstring told = recorder.notices().front().text;
    EXPECT_NE(std::wstring::npos, told.find(path)) << std::string(told.begin(), told.end());
    EXPECT_NE(std::wstring::npos, told.find(L"read-only"));

    // At exit the controller is gone: a message box says it instead.
    Util::setController(nullptr);
    LossNotice::rearm();
    std::wstring boxText;
    std::thread user([&] { boxText = answerMessageBox(); });
    EXPECT_FALSE(LossNotice::save(settings));
    user.join();
    EXPECT_NE(std::wstring::npos, boxText.find(path)) << std::string(boxText.begin(), boxText.end());

    ::CloseHandle(held);
    Ini reread(path);
    reread.load();
    EXPECT_NE(L"en", reread.lang.id);
}

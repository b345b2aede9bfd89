#include <gtest/gtest.h>

#include <algorithm>

#include "TempFolder.h"
#include "base/AppException.h"
#include "base/AppPaths.h"
#include "config/Lang.h"
#include "config/LangMgr.h"

using namespace tavelapp;

namespace {

class LangTest : public ::testing::Test {
protected:
    void SetUp() override {
        AppPaths::setProgramPath(dir.winPath("Kolibrix.exe"));
        dir.write(
            "Kolibrix/Langs/ja.lng",
            "\xEF\xBB\xBF[Info]\r\nName=日本語\r\n[TrayIconMenu]\r\nExit=終了\r\n[Error]\r\nHotkeyRegist=登録失敗\r\n");
        dir.write("Kolibrix/Actions/Extra/ja.lng",
                  "[ActionName]\r\nMyAction=拡張アクション\r\n[TrayIconMenu]\r\nExit=別の終了\r\n");
        Lang::instance().reload();
    }
    void TearDown() override { Lang::instance().setFiles(std::wstring(), {}); }
    TempFolder dir;
};

}  // namespace

TEST_F(LangTest, LooksUpTheLanguageFileThenPackagesThenTheDefault) {
    const Lang& lang = Lang::instance();
    EXPECT_EQ(L"終了", lang.text(L"TrayIconMenu", L"Exit"));
    EXPECT_EQ(L"終了", lang.text(L"trayiconmenu", L"EXIT"));
    // Only the package knows this one.
    EXPECT_EQ(L"拡張アクション", lang.text(L"ActionName", L"MyAction"));
    EXPECT_EQ(L"OnlineHelp", lang.text(L"TrayIconMenu", L"OnlineHelp"));
    EXPECT_EQ(L"fallback", lang.getText(L"TrayIconMenu", L"OnlineHelp", L"fallback"));
}

TEST_F(LangTest, WithoutTheLanguageFileEveryTextShowsItsKey) {
    std::filesystem::remove(dir.path() / "Kolibrix/Langs/ja.lng");
    std::filesystem::remove(dir.path() / "Kolibrix/Actions/Extra/ja.lng");
    EXPECT_EQ(L"Exit", Lang::instance().text(L"TrayIconMenu", L"Exit"));
    EXPECT_EQ(L"HotkeyRegist", AppException(L"HotkeyRegist").text());
}

TEST_F(LangTest, ExceptionTextComesFromTheErrorSection) {
    EXPECT_EQ(L"登録失敗", AppException(L"HotkeyRegist").text());
    EXPECT_EQ(L"IRComBind", AppException(L"IRComBind").text());
}

TEST_F(LangTest, ListsLanguagesWithLowerCaseIdsAndTheirNames) {
    dir.write("Kolibrix/Langs/EN.lng", "[Info]\r\nName=English\r\n");
    dir.write("Kolibrix/Langs/xx.lng", "[Other]\r\nA=b\r\n");
    dir.write("Kolibrix/Langs/readme.txt", "not a language");
    LangMgr::List list = LangMgr::list();
    ASSERT_EQ(3u, list.items.size());
    auto find = [&](const std::wstring& id) {
        return std::find_if(list.items.begin(), list.items.end(),
                            [&](const LangMgr::List::Item& i) { return i.id == id; });
    };
    ASSERT_NE(list.items.end(), find(L"en"));
    EXPECT_EQ(L"English", find(L"en")->name);
    EXPECT_EQ(L"日本語", find(L"ja")->name);
    EXPECT_EQ(L"", find(L"xx")->name);
}

TEST(FormatText, InsertsPositionalArgumentsAfterUnescaping) {
    EXPECT_EQ(L"Now monitoring iTunes.", formatText(L"Now monitoring %1%.", L"iTunes"));
    EXPECT_EQ(L"b a", formatText(L"%2% %1%", L"a", L"b"));
    EXPECT_EQ(L"line1\nline2\r\\", formatText(L"line1\\nline2\\r\\\\"));
    EXPECT_EQ(L"50% done", formatText(L"%1%%% done", L"50"));
    // Unknown escapes stay as written.
    EXPECT_EQ(L"a\\tb", formatText(L"a\\tb"));
    EXPECT_EQ(L"C:\\", formatText(L"C:\\"));
}

TEST(FormatText, AnyMismatchGivesTheUnescapedTextWithoutInsertions) {
    // An argument without a directive.
    EXPECT_EQ(L"a\nb", formatText(L"a\\nb", L"x"));
    // A directive without an argument.
    EXPECT_EQ(L"%1% and %2%", formatText(L"%1% and %2%", L"x"));
    EXPECT_EQ(L"%1%", formatText(L"%1%"));
    // A malformed directive.
    EXPECT_EQ(L"100% sure %1", formatText(L"100% sure %1", L"x"));
    // Arguments count only up to the first empty one.
    EXPECT_EQ(L"%1% %2%", formatText(L"%1% %2%", L"", L"b"));
    EXPECT_EQ(L"x", formatText(L"%1%", L"x", L"", L"c"));
    // Only %N% and %% are read: others, huge numbers and texts the formatter misreads are not formatted.
    for (const wchar_t* other : {L"%2222222222222222222% %1%", L"%|8t|%1%", L"%1$s", L"%01%", L"% T%%`T- TT %1%"})
        EXPECT_EQ(other, formatText(other, L"x"));
    EXPECT_EQ(L"x of 12345", formatText(L"%1% of 12345", L"x"));
}

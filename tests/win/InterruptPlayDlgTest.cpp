#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "WinTestSupport.h"
#include "base/AppPaths.h"
#include "config/Lang.h"
#include "feature/InterruptPlay.h"
#include "feature/InterruptPlayDlg.h"
#include "res/resource.h"

using namespace tavelapp;

namespace {

// A drop as the shell makes it: DROPFILES and the wide paths, each ended by
// a NUL, the list by another.
HDROP makeDrop(const std::vector<std::wstring>& paths) {
    std::size_t chars = 1;
    for (const std::wstring& p : paths)
        chars += p.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(::GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    wchar_t* at = reinterpret_cast<wchar_t*>(header + 1);
    for (const std::wstring& p : paths) {
        std::copy(p.begin(), p.end(), at);
        at += p.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

void select(HWND list, std::initializer_list<int> selected) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int row : selected)
        ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
}

std::vector<int> selectedRows(HWND list) {
    std::vector<int> selected;
    for (int i = -1; (i = ListView_GetNextItem(list, i, LVNI_SELECTED)) >= 0;)
        selected.push_back(i);
    return selected;
}

// The dialog's changes arrive by posted messages: wait for them.
bool waitFor(const std::function<bool()>& done) { return pumpUntil(done, 5000); }

class InterruptPlayDlgTest : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override {
        Lang::instance().setFiles(AppPaths::settingsFolder() + L"\\Langs\\" + GetParam() + L".lng", {});
        InterruptPlay::instance().clear();
    }
    void TearDown() override {
        InterruptPlay::instance().clear();
        Lang::instance().setFiles(std::wstring(), {});
    }
    static std::wstring text(const wchar_t* key) { return Lang::instance().text(L"InterruptPlayDlg", key); }
};

const wchar_t kFolder[] = L"C:\\Users\\Public\\Music\\The Paper Lanterns\\Harbour Lights\\";

}  // namespace

TEST_P(InterruptPlayDlgTest, DroppedTracksQueueAndAreEdited) {
    struct Seen {
        bool found = false, dropped = false, returnRow = false, followed = false;
        std::vector<std::wstring> names;
        std::wstring order0, playlist0, returnOrder;
        std::vector<int> selectedAfterMove;
        bool buttonsOffWhenEmpty = false, clearReturnOn = false;
        int afterDelete = -1, afterClear = -1;
    } seen;
    std::thread actor([&] {
        HWND dialog = nullptr;
        waitFor([&] { return (dialog = ::FindWindowW(L"#32770", text(L"Caption").c_str())) != nullptr; });
        if (dialog == nullptr) return;
        seen.found = true;
        HWND list = ::GetDlgItem(dialog, IDC_INTERRUPT_LIST);
        // The caption is set before the list is filled: wait for the first refresh.
        seen.buttonsOffWhenEmpty =
            waitFor([&] { return !enabled(dialog, IDC_INTERRUPT_UP) && !enabled(dialog, IDC_INTERRUPT_CLEARALL); });

        // Dropped in the reverse of the library's order, with a file it lacks.
        ::SendMessageW(dialog, WM_DROPFILES,
                       reinterpret_cast<WPARAM>(makeDrop({std::wstring(kFolder) + L"03 Lighthouse Keeper.mp3",
                                                          L"C:\\elsewhere\\not in the library.mp3",
                                                          std::wstring(kFolder) + L"01 Harbour Lights.mp3"})),
                       0);
        seen.dropped = waitFor([&] { return listRows(list) == 2; });
        for (int r = 0; r < listRows(list); ++r)
            seen.names.push_back(listCell(list, r, 1));
        seen.order0 = listCell(list, 0, 0);
        seen.playlist0 = listCell(list, 0, 4);

        select(list, {1});
        press(dialog, IDC_INTERRUPT_UP);
        waitFor([&] { return listCell(list, 0, 1) == L"Lighthouse Keeper"; });
        seen.selectedAfterMove = selectedRows(list);

        // The controller sets the return point on its worker.
        std::thread controller([] {
            auto back = std::make_shared<InterruptPlay::Item>();
            back->name = L"Back";
            back->playlistName = L"Evening";
            InterruptPlay::instance().setReturnPoint(back);
        });
        controller.join();
        seen.followed = waitFor([&] { return listRows(list) == 3; });
        seen.returnOrder = listCell(list, 2, 0);
        seen.returnRow = listCell(list, 2, 1) == L"Back" && listCell(list, 2, 4) == L"Evening";
        seen.clearReturnOn = enabled(dialog, IDC_INTERRUPT_CLEARRETURN);

        // Deleting a queued row and the return point's row.
        select(list, {0, 2});
        press(dialog, IDC_INTERRUPT_DELETE);
        waitFor([&] { return listRows(list) == 1; });
        seen.afterDelete = listRows(list);

        press(dialog, IDC_INTERRUPT_CLEARALL);
        waitFor([&] { return listRows(list) == 0; });
        seen.afterClear = listRows(list);
        ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    showInterruptPlayDlg(moduleFolder() + L"\\iTunes Music Library.xml");
    actor.join();

    ASSERT_TRUE(seen.found);
    EXPECT_TRUE(seen.buttonsOffWhenEmpty);
    ASSERT_TRUE(seen.dropped);
    EXPECT_EQ(seen.names, (std::vector<std::wstring>{L"Harbour Lights", L"Lighthouse Keeper"}));
    EXPECT_EQ(seen.order0, L"1");
    EXPECT_EQ(seen.playlist0, text(L"Library"));
    EXPECT_EQ(seen.selectedAfterMove, std::vector<int>{0});
    EXPECT_TRUE(seen.followed);
    EXPECT_EQ(seen.returnOrder, text(L"ReturnPoint"));
    EXPECT_TRUE(seen.returnRow);
    EXPECT_TRUE(seen.clearReturnOn);
    EXPECT_EQ(seen.afterDelete, 1);
    EXPECT_EQ(seen.afterClear, 0);
    EXPECT_FALSE(InterruptPlay::instance().returnPoint());
    EXPECT_TRUE(InterruptPlay::instance().queue().empty());
}

INSTANTIATE_TEST_SUITE_P(Languages, InterruptPlayDlgTest, ::testing::Values(L"ja", L"en"));

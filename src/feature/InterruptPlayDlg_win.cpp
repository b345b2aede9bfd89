#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "base/RunningThreads.h"
#include "base/Thread.h"
#include "config/DialogLocalizer.h"
#include "config/Lang.h"
#include "feature/ActionChoice.h"
#include "feature/InterruptPlay.h"
#include "feature/InterruptPlayDlg.h"
#include "feature/ModalDialog.h"
#include "player/MusicLibraryParser.h"
#include "res/resource.h"
#include "win/util/MainThread.h"
#include "win/util/ListMenu.h"

namespace tavelapp {
namespace {

const UINT kRefresh = WM_USER + 1;

std::wstring text(const wchar_t* key) { return Lang::instance().text(L"InterruptPlayDlg", key); }

// The library file may be large: it is read off the main thread, and the
// queue tells the dialog when the tracks arrived.
class DropThread : public Thread {
public:
    DropThread(std::vector<std::wstring> paths, std::wstring libraryFile)
        : paths_(std::move(paths)), libraryFile_(std::move(libraryFile)) {}
    ~DropThread() override { wait(); }

protected:
    int run() override {
        const MusicLibraryParser parser =
            libraryFile_.empty() ? MusicLibraryParser(paths_) : MusicLibraryParser(paths_, libraryFile_);
        InterruptPlay::instance().addTracks(parser.results());
        return 0;
    }

private:
    std::vector<std::wstring> paths_;
    std::wstring libraryFile_;
};

class InterruptPlayDlg : public ModalDialog, private InterruptPlay::InterruptPlayListener {
public:
    explicit InterruptPlayDlg(std::wstring libraryFile) : libraryFile_(std::move(libraryFile)) {}
    ~InterruptPlayDlg() override { InterruptPlay::instance().removeListener(this); }

private:
    void onInit() override {
        refreshTarget_ = hwnd();
        localizeDialog(hwnd(), L"InterruptPlayDlg");
        tavel::win::util::setUpReportList(item(IDC_INTERRUPT_LIST), {{text(L"Order"), 40},
                                                                     {text(L"Name"), 160},
                                                                     {text(L"Album"), 128},
                                                                     {text(L"Artist"), 100},
                                                                     {text(L"Playlist"), 100}});
        ::DragAcceptFiles(hwnd(), TRUE);
        InterruptPlay::instance().addListener(this);
        refresh();
        bringForward(hwnd());
    }

    bool onCommand(WORD id, WORD) override {
        InterruptPlay& ip = InterruptPlay::instance();
        switch (id) {
            case IDC_INTERRUPT_UP:
                ip.moveUp(selectedQueued());
                return true;
            case IDC_INTERRUPT_DOWN:
                ip.moveDown(selectedQueued());
                return true;
            case IDC_INTERRUPT_DELETE:
                deleteSelected();
                return true;
            case IDC_INTERRUPT_CLEARRETURN:
                ip.takeReturnPoint();
                return true;
            case IDC_INTERRUPT_CLEARALL:
                ip.clear();
                return true;
            case IDCANCEL:
                close(IDCANCEL);
                return true;
            default:
                return false;
        }
    }

    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_DESTROY:
                refreshTarget_ = nullptr;
                return false;
            case kRefresh:
                refresh();
                return true;
            case WM_DROPFILES:
                dropped(reinterpret_cast<HDROP>(wParam));
                return true;
            case WM_CONTEXTMENU:
                if (reinterpret_cast<HWND>(wParam) != item(IDC_INTERRUPT_LIST)) return false;
                contextMenu(lParam);
                return true;
            case WM_NOTIFY: {
                const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
                if (header->idFrom == IDC_INTERRUPT_LIST && header->code == LVN_ITEMCHANGED) updateButtons();
                return false;
            }
            default:
                return false;
        }
    }

    // Called on any thread (the controller's worker too): only posts.
    void onQueueChanged(InterruptPlay&) override { postRefresh(); }
    void onReturnPointChanged(InterruptPlay&) override { postRefresh(); }
    void postRefresh() {
        // The dialog's own handle is the main thread's to change; workers read this copy.
        if (HWND target = refreshTarget_.load()) ::PostMessageW(target, kRefresh, 0, 0);
    }

    void dropped(HDROP drop) {
        std::vector<std::wstring> paths;
        const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            wchar_t path[520] = L"";
            if (::DragQueryFileW(drop, i, path, 520) > 0) paths.push_back(path);
        }
        ::DragFinish(drop);
        if (!paths.empty()) runningThreads().start(std::make_shared<DropThread>(std::move(paths), libraryFile_));
    }

    void contextMenu(LPARAM at) {
        if (tavel::win::util::choosePopupMenu(hwnd(), at, {{IDC_INTERRUPT_DELETE, text(L"Delete"), anySelected()}}) ==
            IDC_INTERRUPT_DELETE)
            deleteSelected();
    }

    void deleteSelected() {
        InterruptPlay& ip = InterruptPlay::instance();
        const InterruptPlay::ItemPtr back = ip.returnPoint();
        const std::vector<InterruptPlay::ItemPtr> selected = selectedItems();
        ip.remove(selected);
        if (back && std::find(selected.begin(), selected.end(), back) != selected.end()) ip.takeReturnPoint();
    }

    std::vector<InterruptPlay::ItemPtr> selectedItems() const {
        std::vector<InterruptPlay::ItemPtr> selected;
        HWND list = item(IDC_INTERRUPT_LIST);
        for (int i = -1; (i = ListView_GetNextItem(list, i, LVNI_SELECTED)) >= 0;) {
            if (static_cast<std::size_t>(i) < rows_.size()) selected.push_back(rows_[static_cast<std::size_t>(i)]);
        }
        return selected;
    }
    // The return point's row does not move.
    std::vector<InterruptPlay::ItemPtr> selectedQueued() const {
        std::vector<InterruptPlay::ItemPtr> selected = selectedItems();
        if (hasReturnRow_ && !rows_.empty())
            selected.erase(std::remove(selected.begin(), selected.end(), rows_.back()), selected.end());
        return selected;
    }
    bool anySelected() const { return ListView_GetSelectedCount(item(IDC_INTERRUPT_LIST)) > 0; }

    void refresh() {
        HWND list = item(IDC_INTERRUPT_LIST);
        const std::vector<InterruptPlay::ItemPtr> wasSelected = selectedItems();
        InterruptPlay& ip = InterruptPlay::instance();
        rows_ = ip.queue();
        const InterruptPlay::ItemPtr back = ip.returnPoint();
        hasReturnRow_ = back != nullptr;
        if (back) rows_.push_back(back);

        ListView_DeleteAllItems(list);
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            const InterruptPlay::Item& row = *rows_[i];
            const bool isReturn = hasReturnRow_ && i + 1 == rows_.size();
            const std::wstring cells[] = {isReturn ? text(L"ReturnPoint") : std::to_wstring(i + 1), row.name, row.album,
                                          row.artist, row.playlistName.empty() ? text(L"Library") : row.playlistName};
            LVITEMW entry{};
            entry.mask = LVIF_TEXT;
            entry.iItem = static_cast<int>(i);
            entry.pszText = const_cast<wchar_t*>(cells[0].c_str());
            const int at = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&entry)));
            for (int c = 1; c < 5; ++c) {
                LVITEMW cell{};
                cell.iSubItem = c;
                cell.pszText = const_cast<wchar_t*>(cells[c].c_str());
                ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&cell));
            }
            if (std::find(wasSelected.begin(), wasSelected.end(), rows_[i]) != wasSelected.end())
                ListView_SetItemState(list, at, LVIS_SELECTED, LVIS_SELECTED);
        }
        updateButtons();
    }

    void updateButtons() {
        const bool selected = anySelected();
        InterruptPlay& ip = InterruptPlay::instance();
        const bool hasReturn = ip.returnPoint() != nullptr;
        const bool queued = !ip.queue().empty();
        const struct {
            int id;
            bool on;
        } buttons[] = {{IDC_INTERRUPT_UP, selected},
                       {IDC_INTERRUPT_DOWN, selected},
                       {IDC_INTERRUPT_DELETE, selected},
                       {IDC_INTERRUPT_CLEARRETURN, hasReturn},
                       {IDC_INTERRUPT_CLEARALL, hasReturn || queued}};
        for (const auto& b : buttons)
            ::EnableWindow(item(b.id), b.on ? TRUE : FALSE);
    }

    std::wstring libraryFile_;
    std::atomic<HWND> refreshTarget_{nullptr};
    std::vector<InterruptPlay::ItemPtr> rows_;  // the list's rows, the return point last
    bool hasReturnRow_ = false;
};

HWND openInterruptPlayDlg = nullptr;

}  // namespace

void showInterruptPlayDlg(const std::wstring& libraryFile) {
    tavel::win::util::MainThread::check("showInterruptPlayDlg");
    InterruptPlayDlg dialog(libraryFile);
    dialog.showModal(IDD_INTERRUPTPLAY, nullptr, openInterruptPlayDlg);
}

}  // namespace tavelapp

#include <windows.h>

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "amazon/Client.h"
#include "base/RunningThreads.h"
#include "artwork/LoaderMgr.h"
#include "config/DialogLocalizer.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "feature/AlbumArtwork.h"
#include "feature/EditArtworkDlg.h"
#include "feature/EditArtworkThreads.h"
#include "feature/ModalDialog.h"
#include "notify/NotifyWndGdi.h"
#include "player/PlayerHost.h"
#include "res/resource.h"
#include "win/util/CallbackGuard.h"
#include "win/util/MainThread.h"
#include "win/util/TextCodec.h"
#include "win/util/ListMenu.h"

namespace tavelapp {
namespace {

std::wstring text(const wchar_t* key) { return Lang::instance().text(L"EditArtworkDlg", key); }

enum Column { ColName, ColAlbum, ColArtist, ColCount, ColNumber };
const UINT_PTR kCloseTimer = 1;

// The client's progress comes as posted WM_USER+1 messages, which in a dialog
// would read as DM_SETDEFID: a hidden child of its own takes them instead.
LRESULT CALLBACK progressSink(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    return tavel::win::util::guarded(
        "EditArtworkDlg",
        [&]() -> LRESULT {
            if (message == amazon::Client::kProgress) {
                HWND bar = ::GetDlgItem(::GetParent(window), IDC_ARTWORK_PROGRESS);
                ::SendMessageW(bar, PBM_SETRANGE32, 0, lParam);
                ::SendMessageW(bar, PBM_SETPOS, wParam, 0);
                return 0;
            }
            if (message == WM_NCDESTROY) ::RemoveWindowSubclass(window, &progressSink, 1);
            return ::DefSubclassProc(window, message, wParam, lParam);
        },
        [&] { return ::DefSubclassProc(window, message, wParam, lParam); });
}

std::wstring windowText(HWND window) {
    std::wstring out(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    out.resize(static_cast<std::size_t>(::GetWindowTextW(window, &out[0], static_cast<int>(out.size()))));
    return out;
}

std::wstring cellText(HWND list, int row, int column) {
    wchar_t buffer[512] = L"";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 512;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

void setCell(HWND list, int row, int column, const std::wstring& value) {
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = const_cast<wchar_t*>(value.c_str());
    ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
}

long rowTrackId(HWND list, int row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<long>(item.lParam);
}

class EditArtworkDlg : public ModalDialog {
private:
    void onInit() override {
        localizeDialog(hwnd(), L"EditArtworkDlg");
        tavel::win::util::setUpReportList(item(IDC_ARTWORK_TRACKS), {{text(L"ColumnName"), 180},
                                                                     {text(L"ColumnAlbum"), 130},
                                                                     {text(L"ColumnArtist"), 100},
                                                                     {text(L"ColumnArtworkCount"), 50},
                                                                     {text(L"ColumnTrackNumber"), 44}});
        ::CheckDlgButton(hwnd(), IDC_ARTWORK_EXACT, BST_CHECKED);
        resetProgress();

        sink_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 0, 0, hwnd(), nullptr, nullptr, nullptr);
        if (sink_ != nullptr) ::SetWindowSubclass(sink_, &progressSink, 1, 0);

        // The template leaves the search part off; the setting turns it on.
        if (Ini::instance().artwork.downloadEnabled) {
            for (int id : {IDC_ARTWORK_KEYWORDS, IDC_ARTWORK_PROGRESS, IDC_ARTWORK_DOWNLOAD, IDC_ARTWORK_RESULTS,
                           IDC_ARTWORK_APPLY, IDC_ARTWORK_APPLYBG, IDC_ARTWORK_RESET})
                ::EnableWindow(item(id), TRUE);
        }
        if (itunes::PlayerHost::instance().isRunning()) loadTracks(true);
    }

    bool onCommand(WORD id, WORD) override {
        switch (id) {
            case IDC_ARTWORK_FIND:
                loadTracks(false);
                return true;
            case IDC_ARTWORK_PLAYING:
                loadTracks(true);
                return true;
            case IDC_ARTWORK_DOWNLOAD:
                startSearch();
                return true;
            case IDC_ARTWORK_APPLY:
                apply(false);
                return true;
            case IDC_ARTWORK_APPLYBG:
                apply(true);
                return true;
            case IDC_ARTWORK_RESET:
                reset();
                return true;
            case IDC_ARTWORK_REMOVE_SELECTED:
            case IDC_ARTWORK_CLEAR_SELECTED:
            case IDC_ARTWORK_REMOVE_WITH:
            case IDC_ARTWORK_REMOVE_WITHOUT:
                trackCommand(id);
                return true;
            case IDCANCEL:
                requestClose();
                return true;
            default:
                return false;
        }
    }

    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_NOTIFY:
                onNotify(*reinterpret_cast<const NMHDR*>(lParam));
                return false;
            case WM_CONTEXTMENU:
                if (reinterpret_cast<HWND>(wParam) != item(IDC_ARTWORK_TRACKS)) return false;
                trackMenu(lParam);
                return true;
            case WM_TIMER:
                if (wParam != kCloseTimer) return false;
                finishIfClosing();
                return true;
            case WM_DRAWITEM:
                if (wParam != IDC_ARTWORK_PREVIEW) return false;
                drawPreview(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return true;
            default:
                return false;
        }
    }

    void onNotify(const NMHDR& header) {
        if (header.idFrom == IDC_ARTWORK_TRACKS && header.code == LVN_ITEMCHANGED) {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if ((change.uChanged & LVIF_STATE) != 0 && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED) != 0)
                previewTrack();
        } else if (header.idFrom == IDC_ARTWORK_RESULTS && header.code == LVN_ITEMCHANGED) {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if ((change.uNewState & LVIS_SELECTED) != 0) previewResult(change.iItem);
        } else if (header.idFrom == IDC_ARTWORK_RESULTS && header.code == NM_DBLCLK) {
            if (::IsWindowEnabled(item(IDC_ARTWORK_APPLY))) apply(false);
        }
    }

    // --- Workers. They run in the program's list, so the exit waits for them
    // only as long as it waits for any worker. Their results come back through
    // the main thread's queue and are dropped once the dialog is gone; closing
    // waits for them, but the end of the program does not.

    std::function<void()> onDialog(std::function<void(EditArtworkDlg&)> work) {
        std::weak_ptr<int> alive = alive_;
        EditArtworkDlg* self = this;
        return [alive, self, work] {
            if (alive.expired() || self->hwnd() == nullptr) return;
            work(*self);
            self->finishIfClosing();
        };
    }
    template <typename T>
    std::function<void(T)> onDialogWith(std::function<void(EditArtworkDlg&, T)> work) {
        std::weak_ptr<int> alive = alive_;
        EditArtworkDlg* self = this;
        return [alive, self, work](T value) {
            if (alive.expired() || self->hwnd() == nullptr) return;
            work(*self, value);
            self->finishIfClosing();
        };
    }
    void startWork(const std::shared_ptr<Thread>& thread) {
        workers_.erase(std::remove_if(workers_.begin(), workers_.end(),
                                      [](const std::shared_ptr<Thread>& t) { return t->finished(); }),
                       workers_.end());
        workers_.push_back(thread);
        runningThreads().start(thread);
    }
    bool workersFinished() const {
        return std::all_of(workers_.begin(), workers_.end(),
                           [](const std::shared_ptr<Thread>& t) { return t->finished(); });
    }

    void loadTracks(bool fromPlaying) {
        // Covers found for the album before are no covers for this one.
        if (searching()) search_->cancel();
        ListView_DeleteAllItems(item(IDC_ARTWORK_TRACKS));
        // Only the latest load fills the list: an earlier, slower one comes back late.
        const unsigned serial = ++loadSerial_;
        struct Loaded {
            AlbumQuery query;
            bool playingRead = false;
            std::vector<AlbumTrack> rows;
        };
        auto loaded = std::make_shared<Loaded>();
        loaded->query = {windowText(item(IDC_ARTWORK_ARTIST)), windowText(item(IDC_ARTWORK_ALBUM)),
                         ::IsDlgButtonChecked(hwnd(), IDC_ARTWORK_EXACT) == BST_CHECKED};
        startWork(std::make_shared<PlayerWork>(
            [loaded, fromPlaying](itunes::App& app) {
                if (fromPlaying) {
                    itunes::TrackPtr playing = app.currentTrack();
                    loaded->query.artist = playing ? playing->artist() : std::wstring();
                    loaded->query.album = playing ? playing->album() : std::wstring();
                    loaded->playingRead = true;
                }
                loaded->rows = findAlbumTracks(app, loaded->query);
            },
            onDialog([loaded, serial](EditArtworkDlg& dlg) {
                if (serial != dlg.loadSerial_) return;
                if (loaded->playingRead) {
                    ::SetWindowTextW(dlg.item(IDC_ARTWORK_ARTIST), loaded->query.artist.c_str());
                    ::SetWindowTextW(dlg.item(IDC_ARTWORK_ALBUM), loaded->query.album.c_str());
                }
                dlg.showTracks(loaded->query, loaded->rows);
            })));
    }

    void showTracks(const AlbumQuery& query, const std::vector<AlbumTrack>& rows) {
        loaded_ = query;
        HWND list = item(IDC_ARTWORK_TRACKS);
        ListView_DeleteAllItems(list);
        for (const AlbumTrack& t : rows) {
            LVITEMW entry{};
            entry.mask = LVIF_TEXT | LVIF_PARAM;
            entry.iItem = ListView_GetItemCount(list);
            entry.pszText = const_cast<wchar_t*>(t.name.c_str());
            entry.lParam = static_cast<LPARAM>(t.trackId);
            const int at = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&entry)));
            setCell(list, at, ColAlbum, t.album);
            setCell(list, at, ColArtist, t.artist);
            setCell(list, at, ColCount, std::to_wstring(t.artworkCount));
            setCell(list, at, ColNumber, std::to_wstring(t.trackNumber));
        }
        HWND keywords = item(IDC_ARTWORK_KEYWORDS);
        ::SetWindowTextW(keywords, (query.artist + L" " + query.album).c_str());
        ::SendMessageW(keywords, EM_SETSEL, 0, -1);
        if (::IsWindowEnabled(keywords)) ::SetFocus(keywords);
    }

    std::vector<int> selectedRows() const {
        std::vector<int> rows;
        HWND list = item(IDC_ARTWORK_TRACKS);
        for (int i = -1; (i = ListView_GetNextItem(list, i, LVNI_SELECTED)) >= 0;)
            rows.push_back(i);
        return rows;
    }

    // --- Preview: the selected track's first picture, or the chosen result.

    void previewTrack() {
        const unsigned serial = ++previewSerial_;
        ::SetWindowTextW(item(IDC_ARTWORK_FOUNDBY), L"");
        if (selectedRows().empty()) {
            showPreview(nullptr);
            return;
        }
        // One reader at a time: the changes meanwhile (a select-all brings one
        // per row) leave one more, for the selection as it is then.
        if (previewRunning_) {
            previewPending_ = serial;
            return;
        }
        startPreview(serial);
    }

    void startPreview(unsigned serial) {
        const std::vector<int> rows = selectedRows();
        if (rows.empty()) return;
        previewRunning_ = true;
        const long trackId = rowTrackId(item(IDC_ARTWORK_TRACKS), rows.front());
        // A file of its own per request: an earlier one may still be reading its file.
        const std::wstring file =
            artwork::artworkFolder() + L"\\EditArtworkDlgPreview" + std::to_wstring(serial) + L".tmp";
        auto picture = std::make_shared<PicturePtr>();
        const AlbumQuery query = loaded_;
        startWork(std::make_shared<PlayerWork>(
            [query, trackId, file, picture](itunes::App& app) {
                if (saveTrackArtwork(app, query, trackId, file))
                    *picture = artwork::LoaderMgr::instance().load(file, true);
                ::DeleteFileW(file.c_str());
            },
            onDialog([serial, picture](EditArtworkDlg& dlg) {
                dlg.previewRunning_ = false;
                // A wish still current goes next; one overtaken by another preview is dropped.
                const unsigned pending = dlg.previewPending_;
                dlg.previewPending_ = 0;
                if (pending != 0 && pending == dlg.previewSerial_) {
                    dlg.startPreview(pending);
                } else if (serial == dlg.previewSerial_) {
                    dlg.showPreview(*picture);
                }
            })));
    }

    void previewResult(int index) {
        ++previewSerial_;
        if (index < 0 || static_cast<std::size_t>(index) >= found_.size()) return;
        const FoundArtwork& a = found_[static_cast<std::size_t>(index)];
        const std::wstring provider = text(a.provider == amazon::Client::Store ? L"Provider0" : L"Provider1");
        ::SetWindowTextW(item(IDC_ARTWORK_FOUNDBY), formatText(text(L"FoundBy"), provider).c_str());
        showPreview(a.picture);
    }

    void showPreview(PicturePtr picture) {
        preview_ = std::move(picture);
        ::InvalidateRect(item(IDC_ARTWORK_PREVIEW), nullptr, TRUE);
    }

    void drawPreview(const DRAWITEMSTRUCT& draw) {
        const RECT& box = draw.rcItem;
        ::FillRect(draw.hDC, &box, ::GetSysColorBrush(COLOR_BTNFACE));
        if (!preview_) return;
        const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
        const tavel::win::dib::DIB fitted =
            fitCentred(preview_->dib(), box.right - box.left, box.bottom - box.top,
                       tavel::win::dib::bgr(GetBValue(face), GetGValue(face), GetRValue(face)));
        if (fitted.empty()) return;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = fitted.width();
        info.bmiHeader.biHeight = -fitted.height();
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        ::SetDIBitsToDevice(draw.hDC, box.left, box.top, static_cast<DWORD>(fitted.width()),
                            static_cast<DWORD>(fitted.height()), 0, 0, 0, static_cast<UINT>(fitted.height()),
                            fitted.pixels(), &info, DIB_RGB_COLORS);
    }

    // --- The track list's menu.

    void trackMenu(LPARAM at) {
        const bool selected = !selectedRows().empty();
        const bool any = ListView_GetItemCount(item(IDC_ARTWORK_TRACKS)) > 0;
        const UINT chosen =
            tavel::win::util::choosePopupMenu(hwnd(), at,
                                              {{IDC_ARTWORK_REMOVE_SELECTED, text(L"RemoveSelected"), selected},
                                               {IDC_ARTWORK_CLEAR_SELECTED, text(L"ClearSelected"), selected},
                                               {IDC_ARTWORK_REMOVE_WITH, text(L"RemoveWithArtwork"), any},
                                               {IDC_ARTWORK_REMOVE_WITHOUT, text(L"RemoveWithoutArtwork"), any}});
        if (chosen != 0) trackCommand(static_cast<WORD>(chosen));
    }

    void trackCommand(WORD id) {
        HWND list = item(IDC_ARTWORK_TRACKS);
        std::vector<int> rows;
        if (id == IDC_ARTWORK_REMOVE_SELECTED || id == IDC_ARTWORK_CLEAR_SELECTED) {
            rows = selectedRows();
        } else {
            const bool withArtwork = id == IDC_ARTWORK_REMOVE_WITH;
            for (int r = 0; r < ListView_GetItemCount(list); ++r) {
                if ((std::wcstol(cellText(list, r, ColCount).c_str(), nullptr, 10) > 0) == withArtwork)
                    rows.push_back(r);
            }
        }
        if (rows.empty()) return;
        if (id == IDC_ARTWORK_CLEAR_SELECTED) {
            if (::MessageBoxW(hwnd(), text(L"ConfirmClear").c_str(), text(L"ConfirmCaption").c_str(),
                              MB_ICONQUESTION | MB_YESNO) != IDYES) {
                return;
            }
            clear(rows);
            return;
        }
        // From the bottom, so the row numbers still to go stay valid.
        for (auto r = rows.rbegin(); r != rows.rend(); ++r)
            ListView_DeleteItem(list, *r);
        previewTrack();
    }

    void clear(const std::vector<int>& rows) {
        HWND list = item(IDC_ARTWORK_TRACKS);
        std::set<long> ids;
        for (int r : rows) {
            ids.insert(rowTrackId(list, r));
            setCell(list, r, ColCount, L"0");
        }
        const AlbumQuery query = loaded_;
        startWork(std::make_shared<PlayerWork>([query, ids](itunes::App& app) { clearAlbumArtwork(app, query, ids); },
                                               onDialog([](EditArtworkDlg& dlg) { dlg.previewTrack(); })));
    }

    // --- Cover search and applying.

    void resetProgress() {
        ::SendMessageW(item(IDC_ARTWORK_PROGRESS), PBM_SETRANGE32, 0, 1);
        ::SendMessageW(item(IDC_ARTWORK_PROGRESS), PBM_SETPOS, 0, 0);
    }

    void clearResults() {
        found_.clear();
        ListView_DeleteAllItems(item(IDC_ARTWORK_RESULTS));
        ListView_SetImageList(item(IDC_ARTWORK_RESULTS), nullptr, LVSIL_NORMAL);
        thumbnails_.reset();
        ::SetWindowTextW(item(IDC_ARTWORK_FOUNDBY), L"");
        ++previewSerial_;
        showPreview(nullptr);
    }

    void startSearch() {
        if (searching()) return;
        const std::wstring keywords = windowText(item(IDC_ARTWORK_KEYWORDS));
        resetProgress();
        clearResults();
        const Ini::Item::Artwork& settings = Ini::instance().artwork;
        const bool store = settings.provider == amazon::Client::Store;
        using tavel::win::util::wideToUtf8;
        // The previous client goes with its files, unless an apply still holds it.
        client_ = std::make_shared<amazon::Client>(
            sink_, wideToUtf8(store ? settings.storeAddress : settings.musicBrainzAddress), artwork::artworkFolder(),
            store ? amazon::Client::Store : amazon::Client::MusicBrainz, wideToUtf8(settings.coverArtAddress));
        ::EnableWindow(item(IDC_ARTWORK_DOWNLOAD), FALSE);
        using Found = std::shared_ptr<FoundArtworks>;
        search_ = std::make_shared<ClientThread>(
            client_, keywords, loaded_.artist, loaded_.album,
            onDialogWith<Found>([](EditArtworkDlg& dlg, Found found) { dlg.searchEnded(found); }));
        startWork(search_);
    }

    void searchEnded(const std::shared_ptr<FoundArtworks>& found) {
        ::EnableWindow(item(IDC_ARTWORK_DOWNLOAD), Ini::instance().artwork.downloadEnabled ? TRUE : FALSE);
        showResults(*found);
        if (::GetForegroundWindow() != hwnd() && ::IsWindowVisible(hwnd())) {
            FLASHWINFO flash{};
            flash.cbSize = sizeof(flash);
            flash.hwnd = hwnd();
            flash.dwFlags = FLASHW_ALL;
            flash.uCount = 2;
            ::FlashWindowEx(&flash);
        }
    }

    void showResults(FoundArtworks& found) {
        clearResults();
        HWND list = item(IDC_ARTWORK_RESULTS);
        const int side = ClientThread::kThumbnailSide;
        thumbnails_.reset(::ImageList_Create(side, side, ILC_COLOR24, static_cast<int>(found.size()), 1));
        for (FoundArtwork& a : found) {
            GdiObject<HBITMAP> bitmap = bitmapFromDib(a.thumbnail);
            const int image = bitmap ? ::ImageList_Add(thumbnails_.get(), bitmap.get(), nullptr) : -1;
            std::wstring label = a.title + L"\r\n" + a.artist;
            LVITEMW entry{};
            entry.mask = LVIF_TEXT | LVIF_IMAGE;
            entry.iItem = static_cast<int>(found_.size());
            entry.iImage = image;
            entry.pszText = &label[0];
            found_.push_back(std::move(a));
            ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&entry));
        }
        ListView_SetImageList(list, thumbnails_.get(), LVSIL_NORMAL);
    }

    void apply(bool inBackground) {
        if (Ini::instance().artwork.confirmApply &&
            ::MessageBoxW(hwnd(), text(L"ConfirmApply").c_str(), text(L"ConfirmCaption").c_str(),
                          MB_ICONQUESTION | MB_YESNO) != IDYES) {
            return;
        }
        const int chosen = ListView_GetNextItem(item(IDC_ARTWORK_RESULTS), -1, LVNI_SELECTED);
        if (chosen < 0 || static_cast<std::size_t>(chosen) >= found_.size()) return;
        HWND list = item(IDC_ARTWORK_TRACKS);
        std::set<long> ids;
        for (int r = 0; r < ListView_GetItemCount(list); ++r)
            ids.insert(rowTrackId(list, r));
        using Counts = std::shared_ptr<ApplyArtworkThread::Counts>;
        if (inBackground) {
            ::ShowWindow(hwnd(), SW_HIDE);
            closing_ = true;
        }
        startWork(std::make_shared<ApplyArtworkThread>(
            ids, loaded_, found_[static_cast<std::size_t>(chosen)].file, client_,
            onDialogWith<Counts>([](EditArtworkDlg& dlg, Counts counts) { dlg.showCounts(*counts); })));
    }

    // The applied tracks' new artwork counts, in the rows that are still listed.
    void showCounts(const ApplyArtworkThread::Counts& counts) {
        HWND list = item(IDC_ARTWORK_TRACKS);
        for (int r = 0; r < ListView_GetItemCount(list); ++r) {
            const long id = rowTrackId(list, r);
            for (const auto& c : counts) {
                if (c.first == id) setCell(list, r, ColCount, std::to_wstring(c.second));
            }
        }
    }

    void reset() {
        for (int id : {IDC_ARTWORK_ARTIST, IDC_ARTWORK_ALBUM, IDC_ARTWORK_KEYWORDS})
            ::SetWindowTextW(item(id), L"");
        ListView_DeleteAllItems(item(IDC_ARTWORK_TRACKS));
        clearResults();
        resetProgress();
        ++loadSerial_;
        loaded_ = AlbumQuery();
    }

    // --- Closing waits for the workers without blocking the window.

    bool searching() const { return search_ && !search_->finished(); }
    void requestClose() {
        // The search ends at its next step; the hidden dialog waits for it.
        if (searching()) search_->cancel();
        ::ShowWindow(hwnd(), SW_HIDE);
        closing_ = true;
        finishIfClosing();
    }
    // Asked again by each worker's result and by a timer: a result may
    // arrive a moment before its thread has ended.
    void finishIfClosing() {
        if (!closing_) return;
        if (!searching() && workersFinished()) {
            ::KillTimer(hwnd(), kCloseTimer);
            close(IDCANCEL);
        } else {
            ::SetTimer(hwnd(), kCloseTimer, 50, nullptr);
        }
    }

    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    HWND sink_ = nullptr;
    AlbumQuery loaded_;  // the query the track list came from
    std::shared_ptr<amazon::Client> client_;
    FoundArtworks found_;
    ImageListHandle thumbnails_;
    PicturePtr preview_;
    unsigned previewSerial_ = 0;
    bool previewRunning_ = false;
    unsigned previewPending_ = 0;  // the serial of the preview still wanted, or 0
    unsigned loadSerial_ = 0;
    std::shared_ptr<ClientThread> search_;  // the last search
    bool closing_ = false;
    std::vector<std::shared_ptr<Thread>> workers_;  // started here, not yet seen finished
};

HWND openEditArtworkDlg = nullptr;

}  // namespace

void showEditArtworkDlg() {
    tavel::win::util::MainThread::check("showEditArtworkDlg");
    EditArtworkDlg dialog;
    dialog.showModal(IDD_EDITARTWORK, ::GetActiveWindow(), openEditArtworkDlg);
}

}  // namespace tavelapp

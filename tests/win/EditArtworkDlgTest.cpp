#include <gtest/gtest.h>

#include "LocalHttpServer.h"  // winsock2.h before windows.h
#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "NoticeRecorder.h"
#include "SimPlayerSuite.h"
#include "WinTestSupport.h"
#include "action/ActionRunner.h"
#include "base/AppPaths.h"
#include "base/RunningThreads.h"
#include "artwork/LoaderMgr.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "feature/EditArtworkDlg.h"
#include "feature/EditArtworkThreads.h"
#include "player/PlayerHost.h"
#include "player/com/ITunesCom.h"
#include "res/resource.h"
#include "win/file/FileSystem.h"
#include "win/util/MainThread.h"

using namespace tavelapp;

namespace {

const std::string kBlock = "<table border=0 align=left><tr><td valign=top align=center>\n";

long rowId(HWND list, int row) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    ::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<long>(item.lParam);
}

// The count column of every row, or "" for an empty list.
std::wstring counts(HWND list) {
    std::wstring out;
    for (int r = 0; r < listRows(list); ++r)
        out += listCell(list, r, 3) + L" ";
    return out;
}

void select(HWND list, std::initializer_list<int> selected) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    for (int row : selected)
        ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
}

WPARAM command(int id) { return MAKEWPARAM(id, BN_CLICKED); }

bool waitFor(const std::function<bool()>& done, DWORD ms = 10000) { return pumpUntil(done, ms); }

std::set<std::wstring> tmpFiles(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE h = ::FindFirstFileW((folder + L"\\*.tmp").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do
        names.insert(found.cFileName);
    while (::FindNextFileW(h, &found));
    ::FindClose(h);
    return names;
}

// The platform's player host, counting connections; asked to, it holds the
// next one's user back after its work, with the player already let go.
class CountingHost : public itunes::PlayerHost {
public:
    struct Held : itunes::PlayerConnection {
        std::unique_ptr<itunes::PlayerConnection> real;
        std::atomic<bool>* done = nullptr;
        ~Held() override {
            real.reset();
            ::Sleep(1500);
            *done = true;
        }
        itunes::App& app() override { return real->app(); }
    };
    std::unique_ptr<itunes::PlayerConnection> open() override {
        ++opened;
        std::unique_ptr<itunes::PlayerConnection> real = itunes::platformPlayerHost().open();
        if (!holdNext.exchange(false)) return real;
        auto held = std::make_unique<Held>();
        held->real = std::move(real);
        held->done = &heldDone;
        return held;
    }
    bool isRunning() override { return itunes::platformPlayerHost().isRunning(); }
    bool isWindowVisible() override { return false; }
    void activateWindow() override {}
    void minimizeWindow() override {}
    std::atomic<int> opened{0};
    std::atomic<bool> holdNext{false}, heldDone{false};
};

class EditArtworkDlgTest : public SimPlayerSuite {
protected:
    void SetUp() override {
        Lang::instance().setFiles(AppPaths::settingsFolder() + L"\\Langs\\en.lng", {});
        saved = Ini::instance().artwork;
        Ini::Item::Artwork& a = Ini::instance().artwork;
        a.downloadEnabled = true;
        a.provider = 0;
        const std::string base = store.base();
        a.storeAddress = std::wstring(base.begin(), base.end());
        a.numDownloadArtworks = 2;
        a.confirmApply = false;
        a.notifyApplyCompleted = false;
        Ini::publish();
        ASSERT_TRUE(tavel::win::file::readFileBytes(moduleFolder() + L"\\artwork\\cover.png", png));
        store.route("/exec/obidos/search-handle-url",
                    "<b class=\"small\">1.</b>\n<a href=" + store.base() +
                        "/p1>A</a>\n<b class=\"small\">2.</b>\n<a href=" + store.base() + "/p2>B</a>\n");
        for (const char* n : {"1", "2"}) {
            store.route(std::string("/p") + n, "<b class=\"sans\">Harbour Lights " + std::string(n) +
                                                   "</b><br><a href=/a>The Paper Lanterns</a>\n" + kBlock +
                                                   "<a href=\"" + store.base() + "/cover" + n + ".png\">");
            store.route(std::string("/cover") + n + ".png", png);
        }
    }
    void TearDown() override {
        Ini::instance().artwork = saved;
        Ini::publish();
        Lang::instance().setFiles(std::wstring(), {});
    }

    Ini::Item::Artwork saved;
    LocalHttpServer store;
    std::string png;
};

}  // namespace

TEST_F(EditArtworkDlgTest, SearchApplyAndClearChangeTheListedTracksArtwork) {
    ITunesCom com;
    ASSERT_TRUE(com.connect());
    // The playing track names the album the editor opens with.
    itunes::TrackCollectionPtr album = com.app()->libraryPlaylist()->search(L"The Paper Lanterns Harbour Lights");
    ASSERT_TRUE(album);
    album->item(1)->play();

    const std::set<std::wstring> tmpBefore = tmpFiles(artwork::artworkFolder());
    struct Seen {
        bool found = false, listed = false, results = false;
        std::wstring artist, before, afterApply, afterClear, afterTrim, foundBy;
        std::vector<long> ids, cleared;
    } seen;
    std::thread actor([&] {
        HWND dialog = nullptr;
        waitFor([&] { return (dialog = ::FindWindowW(L"#32770", L"Edit Artwork")) != nullptr; });
        if (dialog == nullptr) return;
        seen.found = true;
        HWND tracks = ::GetDlgItem(dialog, IDC_ARTWORK_TRACKS);
        HWND results = ::GetDlgItem(dialog, IDC_ARTWORK_RESULTS);
        seen.listed = waitFor([&] { return listRows(tracks) == 6; });
        seen.artist = itemText(dialog, IDC_ARTWORK_ARTIST);
        seen.before = counts(tracks);
        for (int r = 0; r < listRows(tracks); ++r)
            seen.ids.push_back(rowId(tracks, r));

        ::PostMessageW(dialog, WM_COMMAND, command(IDC_ARTWORK_DOWNLOAD), 0);
        seen.results = waitFor([&] { return listRows(results) == 2; });

        select(results, {1});
        seen.foundBy = itemText(dialog, IDC_ARTWORK_FOUNDBY);
        ::SendMessageW(dialog, WM_COMMAND, command(IDC_ARTWORK_APPLY), 0);
        waitFor([&] { return counts(tracks) == L"1 1 1 1 1 1 "; });
        seen.afterApply = counts(tracks);

        select(tracks, {0, 2});
        seen.cleared = {rowId(tracks, 0), rowId(tracks, 2)};
        ::PostMessageW(dialog, WM_COMMAND, command(IDC_ARTWORK_CLEAR_SELECTED), 0);
        HWND confirm = nullptr;
        waitFor([&] { return (confirm = ::FindWindowW(L"#32770", L"Confirm")) != nullptr; });
        if (confirm != nullptr) ::PostMessageW(confirm, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
        waitFor([&] { return counts(tracks) == L"0 1 0 1 1 1 "; });
        seen.afterClear = counts(tracks);

        ::SendMessageW(dialog, WM_COMMAND, command(IDC_ARTWORK_REMOVE_WITHOUT), 0);
        seen.afterTrim = counts(tracks);
        ::SendMessageW(dialog, WM_COMMAND, command(IDCANCEL), 0);
    });
    showEditArtworkDlg();
    actor.join();

    ASSERT_TRUE(seen.found);
    ASSERT_TRUE(seen.listed);
    EXPECT_EQ(L"The Paper Lanterns", seen.artist);
    EXPECT_NE(L"1 1 1 1 1 1 ", seen.before);
    ASSERT_TRUE(seen.results);
    EXPECT_EQ(L"Found by: the store", seen.foundBy);
    EXPECT_EQ(L"1 1 1 1 1 1 ", seen.afterApply);
    EXPECT_EQ(L"0 1 0 1 1 1 ", seen.afterClear);
    EXPECT_EQ(L"1 1 1 1 ", seen.afterTrim);
    // The client went with the dialog, and its downloads with it.
    EXPECT_EQ(tmpBefore, tmpFiles(artwork::artworkFolder()));

    // The player itself holds the new picture, and only on the tracks left.
    std::map<long, long> byId;
    const std::wstring saved = artwork::artworkFolder() + L"\\check.png";
    for (long n = 1; n <= album->count(); ++n) {
        itunes::TrackPtr t = album->item(n);
        byId[t->trackId()] = t->artwork()->count();
        if (t->artwork()->count() == 1) {
            std::string bytes;
            ASSERT_TRUE(t->artwork()->item(1)->saveArtworkToFile(saved));
            ASSERT_TRUE(tavel::win::file::readFileBytes(saved, bytes));
            EXPECT_EQ(png, bytes);
        }
    }
    ::DeleteFileW(saved.c_str());
    for (long id : seen.ids)
        EXPECT_EQ(seen.cleared[0] == id || seen.cleared[1] == id ? 0 : 1, byId[id]) << "track " << id;
}

TEST_F(EditArtworkDlgTest, TheActionOpensItOnTheMainThreadWithTheSearchOffUnlessEnabled) {
    Ini::instance().artwork.downloadEnabled = false;
    Ini::publish();
    bool found = false, downloadOn = true, resultsOn = true, findOn = false;
    std::thread actor([&] {
        HWND dialog = nullptr;
        found = waitFor([&] { return (dialog = ::FindWindowW(L"#32770", L"Edit Artwork")) != nullptr; });
        if (!found) return;
        downloadOn = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_ARTWORK_DOWNLOAD)) != FALSE;
        resultsOn = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_ARTWORK_RESULTS)) != FALSE;
        findOn = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_ARTWORK_FIND)) != FALSE;
        ::PostMessageW(dialog, WM_COMMAND, command(IDCANCEL), 0);
    });
    ActionRunner::instance().runByName(L"EditArtwork", false);
    // The action posts the dialog to this thread, whose loop then runs it until it closes.
    pumpUntil([&] { return found && ::FindWindowW(L"#32770", L"Edit Artwork") == nullptr; }, 15000);
    actor.join();
    runningThreads().waitAll();
    EXPECT_TRUE(found);
    EXPECT_FALSE(downloadOn);
    EXPECT_FALSE(resultsOn);
    EXPECT_TRUE(findOn);
}

TEST_F(EditArtworkDlgTest, ClosingItCancelsTheSearch) {
    // Twenty seconds of search page, a byte at a time.
    store.trickle("/exec/obidos/search-handle-url", std::string(400, 'x'), 50);
    ASSERT_TRUE(runningThreads().waitAllFor(10000));
    std::thread user([&] {
        HWND dialog = nullptr;
        if (!waitFor([&] { return (dialog = ::FindWindowW(L"#32770", L"Edit Artwork")) != nullptr; })) return;
        ::PostMessageW(dialog, WM_COMMAND, command(IDC_ARTWORK_DOWNLOAD), 0);
        waitFor([] { return false; }, 300);
        ::PostMessageW(dialog, WM_COMMAND, command(IDCANCEL), 0);
    });
    const DWORD start = ::GetTickCount();
    showEditArtworkDlg();
    user.join();
    // Closed once the search stopped at its next step, long before the page ends.
    EXPECT_LT(::GetTickCount() - start, 10000u);
    EXPECT_TRUE(runningThreads().waitAllFor(5000));
    EXPECT_FALSE(store.requests().empty()) << "the search had started";
}

TEST_F(EditArtworkDlgTest, TheProgramsEndDoesNotWaitForASearchAndItsLateResultIsDropped) {
    // A store that takes the request and never answers: the search waits
    // until the store goes away.
    SOCKET silent = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof(address);
    ASSERT_EQ(0, ::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof(address)));
    ASSERT_EQ(0, ::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length));
    ASSERT_EQ(0, ::listen(silent, 4));
    const std::string base = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    Ini::instance().artwork.storeAddress = std::wstring(base.begin(), base.end());
    Ini::publish();

    ASSERT_TRUE(runningThreads().waitAllFor(10000));
    const long violations = tavel::win::util::MainThread::violations();
    const DWORD mainThread = ::GetCurrentThreadId();
    std::thread user([&] {
        HWND dialog = nullptr;
        if (!waitFor([&] { return (dialog = ::FindWindowW(L"#32770", L"Edit Artwork")) != nullptr; })) return;
        // The program ends while the search runs: its loop sees WM_QUIT inside the dialog's.
        ::PostMessageW(dialog, WM_COMMAND, command(IDC_ARTWORK_DOWNLOAD), 0);
        ::PostThreadMessageW(mainThread, WM_QUIT, 0, 0);
    });
    showEditArtworkDlg();
    user.join();
    MSG quit;
    ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    // The dialog is gone while its search still runs, now the exit's to wait for.
    EXPECT_FALSE(::FindWindowW(L"#32770", L"Edit Artwork"));
    EXPECT_FALSE(runningThreads().waitAllFor(0));

    // The store goes away; the search ends and its result finds no dialog.
    ::closesocket(silent);
    EXPECT_TRUE(pumpUntil([] { return runningThreads().waitAllFor(0); }, 30000));
    pumpFor(200);
    EXPECT_EQ(violations, tavel::win::util::MainThread::violations());
}

TEST_F(EditArtworkDlgTest, AnOvertakenLoadIsDroppedAndASelectAllReadsThePlayerTwiceAtMost) {
    CountingHost host;
    itunes::PlayerHost::install(&host);
    int rowsAfterSlow = -1, opensForSelectAll = -1;
    std::thread actor([&] {
        HWND dialog = nullptr;
        if (!waitFor([&] { return (dialog = ::FindWindowW(L"#32770", L"Edit Artwork")) != nullptr; })) return;
        HWND tracks = ::GetDlgItem(dialog, IDC_ARTWORK_TRACKS);
        // The opening load is over once it has set the keywords.
        waitFor([&] { return !itemText(dialog, IDC_ARTWORK_KEYWORDS).empty(); });
        host.holdNext = true;  // a slow Find of one album, overtaken by a Find of another
        for (auto album : {std::make_pair(L"Orla Finch", L"Glass Orchard"),
                           std::make_pair(L"The Paper Lanterns", L"Harbour Lights")}) {
            ::SetDlgItemTextW(dialog, IDC_ARTWORK_ARTIST, album.first);
            ::SetDlgItemTextW(dialog, IDC_ARTWORK_ALBUM, album.second);
            ::SendMessageW(dialog, WM_COMMAND, command(IDC_ARTWORK_FIND), 0);
        }
        waitFor([&] { return host.heldDone && listRows(tracks) == 6; });
        ::Sleep(1000);  // room for the late result
        rowsAfterSlow = listRows(tracks);
        const int before = host.opened;
        select(tracks, {0, 1, 2, 3, 4, 5});  // one change per row
        ::Sleep(2000);
        opensForSelectAll = host.opened - before;
        ::PostMessageW(dialog, WM_COMMAND, command(IDCANCEL), 0);
    });
    showEditArtworkDlg();
    actor.join();
    itunes::PlayerHost::install(nullptr);
    EXPECT_EQ(6, rowsAfterSlow);
    EXPECT_EQ(2, opensForSelectAll);
}

TEST_F(EditArtworkDlgTest, EachSearchResultIsToldWhenTheSettingAsksForIt) {
    NoticeRecorder recorder;
    Util::setController(&recorder);
    const std::string results = "<b class=\"small\">1.</b>\n<a href=" + store.base() + "/p1>A</a>\n";
    struct Case {
        std::string search;  // empty: no store at the address
        int coverStatus;
        bool tell;
        std::wstring notice;
    } cases[] = {
        {results, 200, true, L"1 picture(s) found."},
        {results, 200, false, L""},
        {"<html>No results</html>", 200, true, L"nothing found."},
        {results, 404, true, L"results found, but no picture could be downloaded or read."},
        {"", 200, true, L"the search site could not be reached."},
    };
    for (const Case& c : cases) {
        recorder.clear();
        Ini::instance().artwork.notifyDownloadResult = c.tell;
        Ini::publish();
        store.route("/exec/obidos/search-handle-url", c.search);
        store.route("/cover1.png", png, c.coverStatus);
        ClientThread(std::make_shared<amazon::Client>(nullptr, c.search.empty() ? "http://127.0.0.1:1" : store.base(),
                                                      artwork::artworkFolder()),
                     L"harbour lights", L"", L"", nullptr)
            .start();
        // Told through the main thread's drain.
        pumpUntil([&] { return !recorder.notices().empty(); }, c.notice.empty() ? 100 : 2000);
        std::wstring told;
        for (const NoticeRecorder::Notice& n : recorder.notices())
            told += n.text + L"|";
        EXPECT_EQ(c.notice.empty() ? L"" : L"Cover search: " + c.notice + L"\nharbour lights|", told) << c.search;
    }
    Util::setController(nullptr);
}

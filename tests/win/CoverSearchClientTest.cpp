#include <gtest/gtest.h>

#include "LocalHttpServer.h"  // winsock2.h before windows.h
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "WinTestSupport.h"
#include "amazon/Client.h"
#include "amazon/DLErrorMgr.h"
#include "amazon/StorePage.h"
#include "artwork/LoaderMgr.h"
#include "config/Ini.h"

using tavelapp::Ini;
using tavelapp::amazon::Client;
using tavelapp::amazon::DLErrorMgr;
using tavelapp::amazon::SearchCancel;

namespace {

const char kSearchPath[] = "/exec/obidos/search-handle-url";
const std::string kBlock = "<table border=0 align=left><tr><td valign=top align=center>\n";

std::string resultsPage(const std::vector<std::string>& links) {
    std::string page = "<html><body>\n";
    for (std::size_t i = 0; i < links.size(); ++i)
        page += "<b class=\"small\">" + std::to_string(i + 1) + ".</b>\n<a href=" + links[i] + ">Album</a><br>\n";
    return page + "</body></html>";
}

std::string productPage(const std::string& title, const std::string& picture) {
    return "<html><b class=\"sans\">" + title + "</b><br><a href=/artist>The Paper Lanterns</a>\n" + kBlock +
           "<a href=\"" + picture + "\"><img src=\"small.jpg\"></a></html>";
}

std::size_t fileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return static_cast<std::size_t>(-1);
    return data.nFileSizeLow;
}

std::size_t tmpFiles(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE h = ::FindFirstFileW((folder + L"\\*.tmp").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return 0;
    std::size_t n = 0;
    do
        ++n;
    while (::FindNextFileW(h, &found));
    ::FindClose(h);
    return n;
}

class CoverSearchClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = Ini::instance().artwork;
        Ini::instance().artwork.numDownloadArtworks = 3;
        Ini::instance().artwork.artworkListSort = 9;
        Ini::publish();
        window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"kx-covers-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder.c_str(), nullptr);
    }
    void TearDown() override {
        Ini::instance().artwork = saved;
        Ini::publish();
        ::DestroyWindow(window);
        ::RemoveDirectoryW(folder.c_str());
    }
    // The progress messages the client posted, in order; WM_USER+2 as (-1, -1).
    std::vector<std::pair<int, int>> messages() {
        std::vector<std::pair<int, int>> out;
        MSG msg;
        while (::PeekMessageW(&msg, window, Client::kProgress, Client::kDone, PM_REMOVE)) {
            if (msg.message == Client::kDone)
                out.emplace_back(-1, -1);
            else
                out.emplace_back(static_cast<int>(msg.wParam), static_cast<int>(msg.lParam));
        }
        return out;
    }
    Ini::Item::Artwork saved;
    HWND window = nullptr;
    std::wstring folder;
    LocalHttpServer store;
};

TEST_F(CoverSearchClientTest, ThreeResultsThreeProductPagesThreePictures) {
    const std::string base = store.base();
    store.route(kSearchPath, resultsPage({base + "/dp/1", base + "/dp/2 )", base + "/dp/3", base + "/dp/4"}));
    store.route("/dp/1", productPage("Harbour Lights", base + "/img/1.jpg"));
    store.route("/dp/2", productPage("Harbour Lights (Deluxe)", base + "/img/2.png"));
    store.route("/dp/3", productPage("Lights", base + "/img/missing.jpg"));
    store.route("/img/1.jpg", std::string(3000, 'x'));
    store.route("/img/2.png", std::string(10, 'y'));
    std::vector<std::wstring> files;
    {
        Client client(window, base, folder);
        EXPECT_EQ(Client::Found, client.searchAndRecord(L"Harbour Lights", L"The Paper Lanterns", L"Harbour Lights"));
        const std::vector<std::pair<int, int>> expected = {{1, 7}, {2, 7}, {3, 7}, {4, 7},
                                                           {5, 7}, {6, 7}, {1, 1}, {-1, -1}};
        EXPECT_EQ(expected, messages());
        ASSERT_EQ(3u, client.items().size());
        EXPECT_EQ(L"Harbour Lights (Deluxe)", client.items()[1]->title);
        EXPECT_EQ(L"The Paper Lanterns", client.items()[1]->artist);
        EXPECT_EQ(3000u, fileSize(client.items()[0]->localFile));
        EXPECT_EQ(10u, fileSize(client.items()[1]->localFile));
        EXPECT_TRUE(client.items()[2]->localFile.empty()) << "a 404 is no picture";
        EXPECT_EQ(2u, tmpFiles(folder));
        const std::vector<std::string> requests = store.requests();
        ASSERT_FALSE(requests.empty());
        EXPECT_EQ("/exec/obidos/search-handle-url?index=music-jp&rank=+orig-rel-date&field-keywords=Harbour%20Lights",
                  requests[0]);
        EXPECT_EQ(1, std::count(requests.begin(), requests.end(), "/dp/2")) << "the \" )\" is dropped";
        EXPECT_EQ(0, std::count(requests.begin(), requests.end(), "/dp/4")) << "three results at most";
    }
    EXPECT_EQ(0u, tmpFiles(folder)) << "the client's files go with it";
}

TEST_F(CoverSearchClientTest, OutcomesOfASearch) {
    const std::string base = store.base();
    struct Case {
        const char* what;
        std::string searchPage;  // empty: the search page is not served
        int result;
        std::size_t items, files;
        std::vector<std::pair<int, int>> steps;
    } cases[] = {
        {"the store went straight to the product",
         productPage("Aoi Tsuki", base + "/img/a.gif"),
         Client::Found,
         1,
         1,
         {{1, 2}}},
        {"nothing found", "<html>no results</html>", Client::NothingFound, 0, 0, {}},
        {"a picture over the size limit", resultsPage({base + "/dp/big"}), Client::NoPicture, 1, 0, {{1, 3}, {2, 3}}},
        {"the search page does not load", "", Client::PageNotLoaded, 0, 0, {}},
    };
    store.route("/img/a.gif", "GIF89a");
    store.route("/dp/big", productPage("Big", base + "/img/big.png"));
    store.route("/img/big.png", std::string(Client::kMaxDownloadBytes + 1, 'z'));
    for (const Case& c : cases) {
        if (c.searchPage.empty())
            store.route(kSearchPath, "gone", 404);
        else
            store.route(kSearchPath, c.searchPage);
        Client client(window, base, folder);
        EXPECT_EQ(c.result, client.search(L"x", L"a", L"b")) << c.what;
        EXPECT_EQ(c.items, client.items().size()) << c.what;
        EXPECT_EQ(c.files, tmpFiles(folder)) << c.what;
        EXPECT_EQ(c.steps, messages()) << c.what;
    }
    // No server at all.
    Client nowhere(window, "http://127.0.0.1:1", folder);
    EXPECT_EQ(Client::PageNotLoaded, nowhere.search(L"x", L"a", L"b"));
}

TEST_F(CoverSearchClientTest, TheRecordKeepsTheLastResultOfEachAlbum) {
    store.route(kSearchPath, "<html>no results</html>");
    const std::wstring record = tavelapp::artwork::artworkFolder() + L"\\AmazonDL.lst";
    Client(window, store.base(), folder).searchAndRecord(L"x", L"Nobody", L"Nothing");
    store.route(kSearchPath, "gone", 404);
    Client(window, store.base(), folder).searchAndRecord(L"x", L"Nobody", L"Nothing");
    std::string text;
    HANDLE h = ::CreateFileW(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    char buffer[4096];
    DWORD read = 0;
    ::ReadFile(h, buffer, sizeof(buffer), &read, nullptr);
    ::CloseHandle(h);
    const DLErrorMgr::Items items = DLErrorMgr::parse(std::string(buffer, read));
    const auto found = items.find(tavelapp::amazon::albumKey(L"Nobody", L"Nothing"));
    ASSERT_NE(items.end(), found);
    EXPECT_EQ(Client::PageNotLoaded, found->second->result);
}

TEST_F(CoverSearchClientTest, MusicBrainzReleasesAndTheirCoverArtArchivePictures) {
    Ini::instance().artwork.numDownloadArtworks = 2;
    Ini::publish();
    const std::string base = store.base();
    // A release search answer as the service gives it (trimmed), three releases.
    store.route("/ws/2/release/", R"json({"created":"2026-01-01T00:00:00.000Z","count":3,"offset":0,"releases":[
        {"id":"0a1b2c3d-0000-4000-8000-000000000001","score":100,"title":"Harbour Lights",
         "artist-credit":[{"name":"The Paper Lanterns","artist":{"id":"x","name":"The Paper Lanterns"}}]},
        {"id":"0a1b2c3d-0000-4000-8000-000000000002","score":90,"title":"Harbour Lights (Live)",
         "artist-credit":[{"name":"The Paper Lanterns","joinphrase":" & "},{"name":"Friends"}]},
        {"id":"0a1b2c3d-0000-4000-8000-000000000003","score":80,"title":"Third"}]})json");
    // The archive redirects to where the picture is; the second release has none.
    store.route("/release/0a1b2c3d-0000-4000-8000-000000000001/front", base + "/images/1.jpg", 307);
    store.route("/images/1.jpg", std::string(2048, 'j'));
    Client client(window, base, folder, Client::MusicBrainz, base);
    EXPECT_EQ(Client::Found, client.searchAndRecord(L"", L"The Paper Lanterns", L"Harbour \"Lights\""));
    ASSERT_EQ(2u, client.items().size()) << "as many as NumDownloadArtworks";
    EXPECT_EQ(Client::MusicBrainz, client.items()[0]->provider);
    EXPECT_EQ(2048u, fileSize(client.items()[0]->localFile));
    EXPECT_TRUE(client.items()[1]->localFile.empty());
    EXPECT_EQ(L"The Paper Lanterns & Friends", client.items()[1]->artist);
    const std::vector<std::pair<int, int>> expected = {{1, 3}, {2, 3}, {1, 1}, {-1, -1}};
    EXPECT_EQ(expected, messages());
    const std::vector<std::string> requests = store.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(
        "/ws/2/release/?query=artist%3a%22The%20Paper%20Lanterns%22%20AND%20release%3a%22Harbour%20%5c%22Lights"
        "%5c%22%22&fmt=json&limit=2",
        requests[0]);

    store.route("/ws/2/release/",
                R"json({"created":"2026-01-01T00:00:00.000Z","count":0,"offset":0,"releases":[]})json");
    EXPECT_EQ(Client::NothingFound, Client(window, base, folder, Client::MusicBrainz, base).search(L"", L"a", L"b"));
    store.route("/ws/2/release/", "<html>busy</html>");
    EXPECT_EQ(Client::NothingFound, Client(window, base, folder, Client::MusicBrainz, base).search(L"", L"a", L"b"));
}

TEST_F(CoverSearchClientTest, PagesCannotSendItElsewhere) {
    Ini::instance().artwork.numDownloadArtworks = 10;
    Ini::publish();
    // Another host (a port of its own counts as one) that anything may name.
    LocalHttpServer other;
    const std::string base = store.base(), elsewhere = other.base();
    other.route("/dp/1", productPage("Elsewhere", elsewhere + "/img/x.jpg"));
    other.route("/img/x.jpg", "picture");
    const std::string otherPort = elsewhere.substr(elsewhere.rfind(':') + 1);
    store.route(kSearchPath, resultsPage({elsewhere + "/dp/1", "file:///C:/windows/win.ini",
                                          base + "@127.0.0.1:" + otherPort + "/dp/1", "ftp://127.0.0.1:" + otherPort,
                                          "\"" + base + "\\@127.0.0.1:" + otherPort + "/dp/1\"", base + "/dp/moved",
                                          base + "/dp/ok"}));
    store.route("/dp/moved", elsewhere + "/dp/1", 307);
    store.route("/dp/ok", productPage("Own page, other picture", elsewhere + "/img/x.jpg"));
    Client client(window, base, folder);
    EXPECT_EQ(Client::NoPicture, client.search(L"x", L"a", L"b"));
    ASSERT_EQ(1u, client.items().size()) << "only the store's own page was read";
    EXPECT_EQ(L"Own page, other picture", client.items()[0]->title);

    // The archive's redirect to another host.
    store.route("/ws/2/release/",
                R"json({"releases":[{"id":"0a1b2c3d-0000-4000-8000-000000000001","title":"T"}]})json");
    store.route("/release/0a1b2c3d-0000-4000-8000-000000000001/front", elsewhere + "/img/x.jpg", 307);
    EXPECT_EQ(Client::NoPicture, Client(window, base, folder, Client::MusicBrainz, base).search(L"", L"a", L"b"));
    EXPECT_TRUE(other.requests().empty()) << other.requests().front();
    EXPECT_EQ(0u, tmpFiles(folder));
}

TEST_F(CoverSearchClientTest, ASlowServerHoldsTheSearchOnlyUntilItsLimitOrACancel) {
    // Twenty seconds of page, a byte at a time.
    store.trickle(kSearchPath, std::string(400, 'x'), 50);
    const auto seconds = [](std::chrono::steady_clock::time_point since) {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
    };
    Client limited(window, store.base(), folder);
    limited.setTimeLimit(std::chrono::milliseconds(1000));
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Client::PageNotLoaded, limited.search(L"x", L"a", L"b"));
    EXPECT_LT(seconds(start), 8.0);

    auto cancel = std::make_shared<SearchCancel>();
    std::thread editor([cancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        cancel->cancel();
    });
    start = std::chrono::steady_clock::now();
    Client cancelled(window, store.base(), folder);
    EXPECT_EQ(Client::PageNotLoaded, cancelled.searchAndRecord(L"x", L"Nobody", L"Cancelled", cancel));
    EXPECT_LT(seconds(start), 8.0);
    editor.join();
    EXPECT_EQ(0u, DLErrorMgr::instance().items().count(tavelapp::amazon::albumKey(L"Nobody", L"Cancelled")))
        << "a cancelled search is not recorded";
}

}  // namespace

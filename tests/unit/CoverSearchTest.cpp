#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "TempFolder.h"
#include "amazon/AddressRules.h"
#include "amazon/DLErrorMgr.h"
#include "amazon/MusicBrainz.h"
#include "amazon/StorePage.h"
#include "win/file/FileSystem.h"

using namespace tavelapp::amazon;

namespace {

TEST(CoverSearch, AlbumKeyIsTheCrcOfArtistTabAlbumInUtf16) {
    // Worked out bit by bit, apart from the program, for these inputs.
    struct Case {
        const wchar_t* artist;
        const wchar_t* album;
        std::int32_t key;
    } cases[] = {
        {L"", L"", -37058048},
        {L"A", L"B", 1130133738},
        {L"The Paper Lanterns", L"Harbour Lights", 1222126250},
        {L"\u690E\u540D \u9065", L"\u9752\u3044\u6708", -1760396172},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.key, albumKey(c.artist, c.album)) << c.key;
    EXPECT_NE(albumKey(L"A", L"B"), albumKey(L"B", L"A"));
}

TEST(CoverSearch, SearchWordsAndSortOrders) {
    EXPECT_EQ("Harbour%20Lights", encodeKeywords(L"Harbour Lights"));
    EXPECT_EQ("%e9%9d%92%e3%81%84%e6%9c%88", encodeKeywords(L"\u9752\u3044\u6708"));
    EXPECT_EQ("a*-.@_%7e%2b%26%3d%2f", encodeKeywords(L"a*-.@_~+&=/"));
    const std::pair<int, std::string> orders[] = {{0, "+orig-rel-date"}, {1, "-orig-rel-date"}, {2, "+salesrank"},
                                                  {3, "+titlerank"},     {4, "-titlerank"},     {5, "+pricerank"},
                                                  {6, "-pricerank"},     {9, "+orig-rel-date"}, {-1, "+orig-rel-date"}};
    for (const auto& o : orders)
        EXPECT_EQ(o.second, sortOrder(o.first)) << o.first;
}

std::string result(int n, const std::string& link) {
    return "<tr><td><b class=\"small\">" + std::to_string(n) + ".</b>\n<a href=" + link + ">Title " +
           std::to_string(n) + "</a></td></tr>\n";
}

TEST(CoverSearch, ResultLinksOfASearchPage) {
    const std::string page = "<html>" + result(1, "http://127.0.0.1/dp/1") + result(2, "http://127.0.0.1/dp/2 )") +
                             result(3, "\"http://127.0.0.1/dp/3\"") + result(4, "http://127.0.0.1/dp/4") + "</html>";
    EXPECT_TRUE(hasResults(page));
    EXPECT_FALSE(isProductPage(page));
    const std::vector<std::string> three = {"http://127.0.0.1/dp/1", "http://127.0.0.1/dp/2", "http://127.0.0.1/dp/3"};
    EXPECT_EQ(three, resultLinks(page, 3));
    EXPECT_EQ(4u, resultLinks(page, 10).size());
    for (int count : {0, 11, -3})
        EXPECT_EQ(1u, resultLinks(page, count).size()) << count;

    // ")" alone ends the list; so do a missing result and an empty link.
    const std::string stops = result(1, "http://127.0.0.1/dp/1") + result(2, ")") + result(3, "http://127.0.0.1/dp/3");
    EXPECT_EQ(1u, resultLinks(stops, 10).size());
    EXPECT_EQ(1u, resultLinks(result(1, "a") + result(3, "c"), 10).size());
    EXPECT_TRUE(resultLinks(result(1, ""), 10).empty());
    // "1." must be the whole number: result 11 is not result 1.
    EXPECT_FALSE(hasResults("<b class=\"small\">11.</b>\n"));
}

TEST(CoverSearch, ProductPages) {
    const std::string block = "<table border=0 align=left><tr><td valign=top align=center>\n";
    const std::string head = "<b class=\"sans\">Harbour Lights</b><br><a href=/artist/7>The Paper Lanterns</a>";
    const ProductInfo linked =
        parseProductPage(head + block + "<a href=\"http://127.0.0.1/big.jpg\"><img src=\"small.jpg\"></a>");
    EXPECT_EQ(L"Harbour Lights", linked.title);
    EXPECT_EQ(L"The Paper Lanterns", linked.artist);
    EXPECT_EQ("http://127.0.0.1/big.jpg", linked.pictureAddress);
    EXPECT_TRUE(isProductPage(head + block));
    EXPECT_EQ("http://127.0.0.1/p.png", parseProductPage(head + block +
                                                         "<img src=\"http://127.0.0.1/p.png\" "
                                                         "width=100>")
                                            .pictureAddress);
    // Something else after the block, or no block: no address; missing markers leave fields empty.
    EXPECT_EQ("", parseProductPage(head + block + "<p><img src=\"x.png\">").pictureAddress);
    EXPECT_EQ("", parseProductPage(head + "<img src=\"x.png\">").pictureAddress);
    const ProductInfo bare = parseProductPage("<html>nothing here</html>");
    EXPECT_TRUE(bare.title.empty() && bare.artist.empty() && bare.pictureAddress.empty());
}

TEST(CoverSearch, RecordFile) {
    const DLErrorMgr::Items items =
        DLErrorMgr::parse("5\t1\t1700000000\n\n-3\t2\t-1\nx\t0\t0\n5\t0\t0\n7\tbad\n9\t0\t4294967296\r\n");
    ASSERT_EQ(4u, items.size());
    EXPECT_EQ(1, items.at(5)->result) << "the first of a repeated key stays";
    EXPECT_EQ(1700000000, items.at(5)->time);
    EXPECT_EQ(-1, items.at(-3)->time);
    EXPECT_EQ(0, items.at(7)->result);
    EXPECT_EQ(4294967296LL, items.at(9)->time);
    EXPECT_EQ("-3\t2\t-1\n5\t1\t1700000000\n7\t0\t0\n9\t0\t4294967296\n", DLErrorMgr::format(items));

    TempFolder dir;
    const std::wstring path = dir.winPath("AmazonDL.lst");
    {
        DLErrorMgr mgr(path);
        mgr.record(L"A", L"B", 1);
        mgr.record(L"C", L"D", 0);
        mgr.record(L"A", L"B", 2);
        ASSERT_TRUE(mgr.save());
    }
    std::string text;
    ASSERT_TRUE(tavel::win::file::readFileBytes(path, text));
    EXPECT_EQ(2, std::count(text.begin(), text.end(), '\n'));
    const DLErrorMgr again(path);
    ASSERT_EQ(1u, again.items().count(albumKey(L"A", L"B")));
    EXPECT_EQ(2, again.items().at(albumKey(L"A", L"B"))->result);

    // Unreadable at start: kept as it is, then merged in once it can be read.
    const std::string big = "5\t1\t17\n" + std::string(tavel::win::file::kDefaultReadLimit, '\n');
    ASSERT_TRUE(tavel::win::file::writeFileAtomically(path, big));
    DLErrorMgr late(path);
    late.record(L"C", L"D", 3);
    EXPECT_FALSE(late.save());
    ASSERT_TRUE(tavel::win::file::writeFileAtomically(path, "5\t1\t17\n"));
    ASSERT_TRUE(late.save());
    EXPECT_EQ(2u, DLErrorMgr(path).items().size());
}

TEST(CoverSearch, MusicBrainzAnswers) {
    const std::vector<Release> releases = parseMusicBrainzReleases(R"({"releases":[
        {"id":"0a1b2c3d-0000-4000-8000-000000000001","title":"\u9752\u3044\u6708",
         "artist-credit":[{"name":"A","joinphrase":" feat. "},{"name":"B"}]},
        {"title":"no id"},
        {"id":"../../etc","title":"an id that is no id"},
        {"id":"0a1b2c3d-0000-4000-8000-000000000002","title":7}]})");
    ASSERT_EQ(2u, releases.size());
    EXPECT_EQ(L"\u9752\u3044\u6708", releases[0].title);
    EXPECT_EQ(L"A feat. B", releases[0].artist);
    EXPECT_EQ(L"", releases[1].title);
    EXPECT_EQ("/release/0a1b2c3d-0000-4000-8000-000000000001/front", coverArtPath(releases[0].id));
    for (const char* broken : {"", "{", "[]", "{\"releases\":{}}", "<html>busy</html>", "{\"releases\":[1,\"x\"]}"})
        EXPECT_TRUE(parseMusicBrainzReleases(broken).empty()) << broken;
    // The editor's own keywords search by the fields; words the user typed
    // (after Reset too) are searched as typed; nothing at all, no search.
    EXPECT_EQ("/ws/2/release/?query=artist%3a%22a%22%20AND%20release%3a%22b%22&fmt=json&limit=1",
              musicBrainzQuery(L"a b", L"a", L"b", 0));
    EXPECT_EQ("/ws/2/release/?query=artist%3a%22%5c%5c%22%20AND%20release%3a%22%22&fmt=json&limit=10",
              musicBrainzQuery(L"", L"\\", L"", 10));
    EXPECT_EQ("/ws/2/release/?query=blue%20moon&fmt=json&limit=3", musicBrainzQuery(L"blue moon", L"a", L"b", 3));
    EXPECT_EQ("/ws/2/release/?query=blue&fmt=json&limit=1", musicBrainzQuery(L"blue", L"", L"", 1));
    EXPECT_EQ("", musicBrainzQuery(L" ", L"", L"", 1));
}

TEST(CoverSearch, OnlyHttpAddressesOnTheGivenHostsAreFetched) {
    AddressRules store, archive;
    ASSERT_TRUE(store.allowOrigin("http://Store.Example"));
    ASSERT_TRUE(archive.allowOrigin("http://[::1]:8080"));
    archive.allowDomain("archive.org");
    EXPECT_FALSE(store.allowOrigin("file:///C:/x")) << "no origin";
    const struct {
        const AddressRules& rules;
        const char* address;
        bool allowed;
    } cases[] = {
        {store, "http://store.example/dp/1", true},
        {store, "HTTPS://STORE.EXAMPLE:443/img/a.jpg?x=1", true},  // capitals; the other scheme on its own port
        {store, "http://store.example:80", true},
        {store, "http://store.example:8080/", false},  // another port is another server
        {store, "http://store.example:/", false},
        {store, "http://store.example:99999/", false},
        {store, "http://other.example/", false},
        {store, "http://store.example.other.example/", false},
        {store, "http://store.example@other.example/", false},  // user names hide the host
        {store, "http://other.example#@store.example/", false},
        {store, "http://store.example\\@other.example/", false},
        {store, "http://store.example%2f@other.example/", false},
        {store, "http://store.example /", false},
        {store, "file:///C:/windows/win.ini", false},
        {store, "ftp://store.example/", false},
        {store, "//store.example/", false},
        {store, "http:/store.example/", false},
        {archive, "http://[::1]:8080/front", true},
        {archive, "http://[0:0::1]:8080/front", false},
        {archive, "http://[::1]/front", false},
        {archive, "http://[::1:8080/", false},
        {archive, "https://ia800.us.archive.org/x.jpg", true},
        {archive, "https://Archive.org/download/x", true},
        {archive, "https://archive.org:8443/", false},
        {archive, "https://notarchive.org/", false},
        {archive, "https://.archive.org/", false},  // empty labels
        {archive, "https://a..archive.org/", false},
        {store, "http://store.example./", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.allowed, c.rules.allows(c.address)) << c.address;

    // Redirects are read against the address that answered, then checked like any other.
    const std::pair<const char*, const char*> moves[] = {
        {"/images/1.jpg", "http://store.example:81/images/1.jpg"},
        {"2.jpg", "http://store.example:81/release/2.jpg"},
        {"//archive.org/x", "http://archive.org/x"},
        {"https://archive.org/y", "https://archive.org/y"},
        {"/go?to=http://other.example/", "http://store.example:81/go?to=http://other.example/"},
        {"", ""},
    };
    for (const auto& m : moves)
        EXPECT_EQ(m.second, AddressRules::resolve("http://store.example:81/release/front?x=/y", m.first)) << m.first;
}

}  // namespace

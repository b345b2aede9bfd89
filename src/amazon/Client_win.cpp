#include "amazon/Client.h"

#include <windows.h>
#include <wininet.h>

#include "amazon/DLErrorMgr.h"
#include "amazon/MusicBrainz.h"
#include "amazon/StorePage.h"
#include "config/Ini.h"
#include "win/file/FileSystem.h"
#include "win/util/Handle.h"
#include "win/util/SystemLibrary.h"

namespace tavelapp {
namespace amazon {
namespace {

using tavel::win::util::InternetHandle;

bool redirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::string header(HINTERNET request, DWORD which) {
    char buffer[2048];
    DWORD size = sizeof(buffer) - 1;
    if (!::HttpQueryInfoA(request, which, buffer, &size, nullptr)) return std::string();
    return std::string(buffer, size < sizeof(buffer) ? size : 0);
}

void setOption(HINTERNET handle, DWORD option, DWORD value) {
    ::InternetSetOptionW(handle, option, &value, sizeof(value));
}

}  // namespace

bool Client::mustStop() const {
    return (cancel_ && cancel_->cancelled()) || std::chrono::steady_clock::now() >= deadline_;
}

unsigned long Client::waitMs() const {
    // A server that stops answering must not keep one step forever either.
    const long long kOneWaitMs = 15000;
    const long long left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now()).count();
    return static_cast<unsigned long>(left < 1 ? 1 : left > kOneWaitMs ? kOneWaitMs : left);
}

// Follows redirects itself, checking each address before asking for it, then
// reads the body as it comes into `sink`; true when something arrived.
template <typename Sink>
bool Client::download(const std::string& address, Sink sink) const {
    if (!tavel::win::util::SystemLibrary::load(L"wininet.dll")) return false;
    InternetHandle net(::InternetOpenW(L"Kolibrix Client", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!net.get()) return false;
    // Fresh answers every time and no copies of pictures in the cache; no
    // cookies sent or kept, no log-on (NTLM or other) offered, no dialog.
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES |
                        INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT;
    std::string url = address;
    for (int hops = 0;; ++hops) {
        if (hops > kMaxRedirects || !rules_.allows(url) || mustStop()) return false;
        for (DWORD option :
             {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
            setOption(net.get(), option, waitMs());
        InternetHandle request(::InternetOpenUrlA(net.get(), url.c_str(), nullptr, 0, flags, 0));
        if (!request.get()) return false;
        DWORD status = 0, size = sizeof(status);
        if (!::HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
            return false;
        if (redirect(status)) {
            url = AddressRules::resolve(url, header(request.get(), HTTP_QUERY_LOCATION));
            continue;
        }
        if (status < 200 || status >= 300) return false;
        // Only what has arrived is read, so every wait is bounded by the
        // time left: a server that trickles bytes cannot hold the search.
        std::size_t total = 0;
        char buffer[4096];
        for (;;) {
            if (mustStop()) return false;
            setOption(request.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, waitMs());
            DWORD available = 0;
            if (!::InternetQueryDataAvailable(request.get(), &available, 0, 0)) return false;
            if (available == 0) break;
            DWORD read = 0;
            if (!::InternetReadFile(request.get(), buffer, available < sizeof(buffer) ? available : sizeof(buffer),
                                    &read))
                return false;
            if (read == 0) break;
            total += read;
            if (total > kMaxDownloadBytes || !sink(buffer, read)) return false;
        }
        return total > 0;
    }
}

Client::Client(void* window, std::string searchAddress, std::wstring folder, Provider provider,
               std::string coverArtAddress)
    : window_(window),
      searchAddress_(std::move(searchAddress)),
      folder_(std::move(folder)),
      provider_(provider),
      coverArtAddress_(std::move(coverArtAddress)) {
    rules_.allowOrigin(searchAddress_);
    if (provider_ == MusicBrainz && rules_.allowOrigin(coverArtAddress_)) {
        // The archive answers from its own hosts: redirects to the Internet Archive's.
        AddressRules archive;
        archive.allowDomain("coverartarchive.org");
        if (archive.allows(coverArtAddress_)) {
            rules_.allowDomain("coverartarchive.org");
            rules_.allowDomain("archive.org");
        }
    }
}

Client::~Client() {
    for (const ItemPtr& item : items_) {
        if (!item->localFile.empty() && tavel::win::file::fileExists(item->localFile))
            tavel::win::file::deleteFile(item->localFile);
    }
}

bool Client::downloadText(const std::string& url, std::string& text) const {
    text.clear();
    const bool ok = download(url, [&](const char* data, DWORD n) {
        text.append(data, n);
        return true;
    });
    if (!ok) text.clear();
    return ok;
}

bool Client::downloadFile(const std::string& url, const std::wstring& path) const {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = download(url, [&](const char* data, DWORD n) {
        DWORD written = 0;
        return ::WriteFile(file, data, n, &written, nullptr) && written == n;
    });
    ok = ::CloseHandle(file) && ok;
    if (!ok) ::DeleteFileW(path.c_str());
    return ok;
}

void Client::report(unsigned message, std::size_t first, std::size_t second) const {
    // Posted, not sent: the editor's thread may be busy, and the search must
    // never wait for it. Nothing to free when posting fails.
    if (window_ != nullptr)
        ::PostMessageW(static_cast<HWND>(window_), message, static_cast<WPARAM>(first), static_cast<LPARAM>(second));
}

void Client::addProduct(const std::string& page) {
    const ProductInfo info = parseProductPage(page);
    auto item = std::make_shared<Item>();
    item->pictureAddress = info.pictureAddress;
    item->title = info.title;
    item->artist = info.artist;
    items_.push_back(item);
}

int Client::searchAndRecord(const std::wstring& keywords, const std::wstring& artist, const std::wstring& album,
                            std::shared_ptr<const SearchCancel> cancel) {
    const int result = search(keywords, artist, album, cancel);
    // A cancelled search says nothing about the album.
    if (!cancel || !cancel->cancelled()) {
        DLErrorMgr::instance().record(artist, album, result);
        DLErrorMgr::instance().save();
    }
    report(kProgress, 1, 1);
    report(kDone, 0, 0);
    return result;
}

int Client::search(const std::wstring& keywords, const std::wstring& artist, const std::wstring& album,
                   std::shared_ptr<const SearchCancel> cancel) {
    cancel_ = std::move(cancel);
    deadline_ = std::chrono::steady_clock::now() + timeLimit_;
    std::size_t step = 0, total = 0;
    // One published snapshot for the whole search, which runs on a worker.
    const std::shared_ptr<const Settings> settings = Ini::snapshot();
    const int found = provider_ == MusicBrainz ? searchMusicBrainz(*settings, keywords, artist, album, total)
                                               : searchStore(*settings, keywords, step, total);
    if (found != Found) return found;
    return downloadPictures(albumKey(artist, album), step, total) ? Found : NoPicture;
}

int Client::searchStore(const Settings& settings, const std::wstring& keywords, std::size_t& step, std::size_t& total) {
    const std::string url = searchAddress_ + "/exec/obidos/search-handle-url?index=music-jp&rank=" +
                            sortOrder(settings.artwork.artworkListSort) + "&field-keywords=" + encodeKeywords(keywords);
    std::string page;
    if (!downloadText(url, page)) return PageNotLoaded;

    std::vector<std::string> links;
    if (isProductPage(page)) {
        addProduct(page);
    } else {
        if (!hasResults(page)) return NothingFound;
        links = resultLinks(page, settings.artwork.numDownloadArtworks);
    }
    total = items_.size() + 2 * links.size() + 1;
    for (const std::string& link : links) {
        report(kProgress, ++step, total);
        std::string product;
        if (downloadText(link, product)) addProduct(product);
    }
    return Found;
}

int Client::searchMusicBrainz(const Settings& settings, const std::wstring& keywords, const std::wstring& artist,
                              const std::wstring& album, std::size_t& total) {
    int limit = settings.artwork.numDownloadArtworks;
    if (limit < 1 || limit > 10) limit = 1;
    const std::string query = musicBrainzQuery(keywords, artist, album, limit);
    if (query.empty()) return NothingFound;
    std::string answer;
    if (!downloadText(searchAddress_ + query, answer)) return PageNotLoaded;
    for (const Release& release : parseMusicBrainzReleases(answer)) {
        if (items_.size() >= static_cast<std::size_t>(limit)) break;
        auto item = std::make_shared<Item>();
        item->provider = MusicBrainz;
        item->pictureAddress = coverArtAddress_ + coverArtPath(release.id);
        item->title = release.title;
        item->artist = release.artist;
        items_.push_back(item);
    }
    total = items_.size() + 1;
    return items_.empty() ? NothingFound : Found;
}

bool Client::downloadPictures(std::int32_t key, std::size_t& step, std::size_t total) {
    bool any = false;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        Item& item = *items_[i];
        const std::wstring path = folder_ + L"\\" + std::to_wstring(::GetTickCount()) + std::to_wstring(key) + L"_" +
                                  std::to_wstring(i) + L".tmp";
        if (!item.pictureAddress.empty() && downloadFile(item.pictureAddress, path)) {
            item.localFile = path;
            any = true;
        } else {
            item.localFile.clear();
            if (tavel::win::file::fileExists(path)) tavel::win::file::deleteFile(path);
        }
        report(kProgress, ++step, total);
    }
    return any;
}

}  // namespace amazon
}  // namespace tavelapp

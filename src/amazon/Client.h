#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "amazon/AddressRules.h"
#include "amazon/SearchCancel.h"

namespace tavelapp {

struct Settings;

namespace amazon {

// Searches the store for an album's covers and downloads the pictures of the
// first results into temporary files, reporting progress to a window:
// WM_USER+1 (step just started, total steps), then WM_USER+2 when over.
// It fetches only http(s) addresses on the hosts it was given (redirects
// included), without cookies, log-on or dialogs, within one time limit for
// the whole search.
class Client {
public:
    // Where pictures are looked for: the store's pages, or MusicBrainz's
    // release search with the Cover Art Archive's front pictures.
    enum Provider { Store = 0, MusicBrainz = 1 };
    struct Item {
        Provider provider = Store;
        std::string pictureAddress;
        std::wstring title;
        std::wstring artist;
        std::wstring localFile;  // empty when nothing was downloaded
    };
    using ItemPtr = std::shared_ptr<Item>;

    enum Result { Found = 0, NothingFound = 1, NoPicture = 2, PageNotLoaded = 5 };
    static const unsigned kProgress = 0x0400 + 1;
    static const unsigned kDone = 0x0400 + 2;
    // A page or picture larger than this is cut off and counts as failed.
    static const std::size_t kMaxDownloadBytes = 4u << 20;
    // The whole search, pages and pictures, however slowly a server answers.
    static const int kTimeLimitSeconds = 30;
    static const int kMaxRedirects = 5;

    // `window` may be null; the addresses are scheme and host
    // ("http://host:port") without a final slash: the store's or MusicBrainz's
    // search, and for MusicBrainz the Cover Art Archive.
    Client(void* window, std::string searchAddress, std::wstring folder, Provider provider = Store,
           std::string coverArtAddress = std::string());
    virtual ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // search(), then the result in the search record (saved, unless the
    // search was cancelled), then WM_USER+1 (1, 1) and WM_USER+2.
    int searchAndRecord(const std::wstring& keywords, const std::wstring& artist, const std::wstring& album,
                        std::shared_ptr<const SearchCancel> cancel = nullptr);
    // A cancelled search or one past its time limit ends at its next step with
    // what it had (so PageNotLoaded or NoPicture).
    int search(const std::wstring& keywords, const std::wstring& artist, const std::wstring& album,
               std::shared_ptr<const SearchCancel> cancel = nullptr);
    const std::vector<ItemPtr>& items() const { return items_; }
    void setTimeLimit(std::chrono::milliseconds limit) { timeLimit_ = limit; }

private:
    // Into `text` (or the file `path`); false when the address is not
    // allowed, nothing arrived, the server answered with an error, the size
    // limit was passed or the search must stop. A failed download to a file
    // leaves no file.
    bool downloadText(const std::string& url, std::string& text) const;
    bool downloadFile(const std::string& url, const std::wstring& path) const;
    template <typename Sink>
    bool download(const std::string& url, Sink sink) const;
    bool mustStop() const;
    // What is left of the time limit for one wait, at most a single wait's own bound.
    unsigned long waitMs() const;

    void report(unsigned message, std::size_t first, std::size_t second) const;
    void addProduct(const std::string& page);
    // Fill the items and count the steps; Found when there are items to download.
    int searchStore(const Settings& settings, const std::wstring& keywords, std::size_t& step, std::size_t& total);
    int searchMusicBrainz(const Settings& settings, const std::wstring& keywords, const std::wstring& artist,
                          const std::wstring& album, std::size_t& total);
    // Downloads every item's picture into a temporary file; true when any arrived.
    bool downloadPictures(std::int32_t key, std::size_t& step, std::size_t total);

    void* window_;
    std::string searchAddress_;
    std::wstring folder_;
    Provider provider_;
    std::string coverArtAddress_;
    AddressRules rules_;
    std::chrono::milliseconds timeLimit_{std::chrono::seconds(kTimeLimitSeconds)};
    std::chrono::steady_clock::time_point deadline_;
    std::shared_ptr<const SearchCancel> cancel_;
    std::vector<ItemPtr> items_;
};

}  // namespace amazon
}  // namespace tavelapp

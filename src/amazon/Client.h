#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavelapp {

class Ini;

namespace amazon {

// Searches the store for an album's covers and downloads the pictures of the
// first results into temporary files, reporting progress to a window:
// WM_USER+1 (step just started, total steps), then WM_USER+2 when over.
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

    // `window` may be null; the addresses are scheme and host
    // ("http://host:port") without a final slash: the store's or MusicBrainz's
    // search, and for MusicBrainz the Cover Art Archive.
    Client(void* window, std::string searchAddress, std::wstring folder, Provider provider = Store,
           std::string coverArtAddress = std::string());
    virtual ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // search(), then the result in the search record (saved), then WM_USER+1
    // (1, 1) and WM_USER+2.
    int searchAndRecord(const std::wstring& keywords, const std::wstring& artist, const std::wstring& album);
    int search(const std::wstring& keywords, const std::wstring& artist, const std::wstring& album);
    const std::vector<ItemPtr>& items() const { return items_; }

    // Into `text` (or the file `path`); false when nothing arrived, the server
    // answered with an error or the size limit was passed. A failed download
    // to a file leaves no file.
    static bool downloadText(const std::string& url, std::string& text);
    static bool downloadFile(const std::string& url, const std::wstring& path);

private:
    void report(unsigned message, std::size_t first, std::size_t second) const;
    void addProduct(const std::string& page);
    // Fill the items and count the steps; Found when there are items to download.
    int searchStore(const Ini& settings, const std::wstring& keywords, std::size_t& step, std::size_t& total);
    int searchMusicBrainz(const Ini& settings, const std::wstring& keywords, const std::wstring& artist,
                          const std::wstring& album, std::size_t& total);
    // Downloads every item's picture into a temporary file; true when any arrived.
    bool downloadPictures(std::int32_t key, std::size_t& step, std::size_t total);

    void* window_;
    std::string searchAddress_;
    std::wstring folder_;
    Provider provider_;
    std::string coverArtAddress_;
    std::vector<ItemPtr> items_;
};

}  // namespace amazon
}  // namespace tavelapp

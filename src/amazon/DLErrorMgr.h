#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace tavelapp {
namespace amazon {

// The outcome of each album's last cover search, kept in AmazonDL.lst in the
// Artwork folder: one line per album, "key<TAB>result<TAB>time", by key.
class DLErrorMgr {
public:
    struct Item {
        int result = 0;
        std::int64_t time = 0;  // seconds since 1970
    };
    using ItemPtr = std::shared_ptr<Item>;
    using Items = std::map<std::int32_t, ItemPtr>;

    // Created and loaded from the Artwork folder on first use.
    static DLErrorMgr& instance();
    explicit DLErrorMgr(std::wstring path);
    DLErrorMgr(const DLErrorMgr&) = delete;
    DLErrorMgr& operator=(const DLErrorMgr&) = delete;

    void record(const std::wstring& artist, const std::wstring& album, int result);
    // Replaces the file in one step; an unwritable file keeps the records in memory.
    // A file that could not be read at start is merged in first, or kept as it is.
    bool save();
    Items items() const;

    static Items parse(const std::string& text);
    static std::string format(const Items& items);

private:
    mutable std::mutex lock_;
    std::wstring path_;
    Items items_;
    // The file's records are in items_; until then a file found at save is read first.
    bool read_ = false;
};

}  // namespace amazon
}  // namespace tavelapp

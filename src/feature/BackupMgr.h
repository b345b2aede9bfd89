#pragma once
#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "feature/LocalTime.h"
#include "win/file/File.h"

namespace tavelapp {

// Dated copies of the player's two library files in the backup folder. A set
// is "<YYYYMMDD> iTunes Library.itl" and "<YYYYMMDD> iTunes Music Library.xml".
class BackupMgr {
public:
    static const wchar_t* const kLibraryFile;
    static const wchar_t* const kLibraryXmlFile;
    static constexpr int kAttempts = 5;

    // Creates the backup folder when missing and lists the sets in it.
    BackupMgr(const std::wstring& backupFolder, std::wstring playerFolder);

    // Makes today's set unless it exists; prunes to `keep` sets. True when a
    // new set was made.
    bool backup(int keep);
    bool backup(const std::wstring& setName, int keep);

    // Names of the whole sets, oldest first.
    const std::set<std::wstring>& backupNames() const { return backupNames_; }

    // Between failed attempts; the tests make it instant.
    void setRetryWait(std::function<void()> wait) { retryWait_ = std::move(wait); }

    // Throws AppException with the empty key when the copy is not whole.
    static void copyFile(const std::wstring& destination, const std::wstring& source);

    // Eight digits of the local date.
    static std::wstring setNameFor(const LocalTime& date);
    // Whether a backup is due at `now` (seconds since 1970).
    static bool due(bool enabled, std::int64_t now, std::int64_t last, std::int32_t intervalDays);

private:
    std::wstring pathOf(const std::wstring& setName, const wchar_t* file) const;
    bool copySet(const std::wstring& setName);
    void removeSet(const std::wstring& setName) const;

    tavel::win::file::Dir folder_;
    std::wstring playerFolder_;
    std::set<std::wstring> backupNames_;
    std::function<void()> retryWait_;
};

}  // namespace tavelapp

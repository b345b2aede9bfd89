#include "feature/BackupMgr.h"

#include <chrono>
#include <ctime>
#include <cwchar>
#include <thread>

#include "base/AppException.h"
#include "win/file/FileSystem.h"

namespace tavelapp {
namespace fs = tavel::win::file;

const wchar_t* const BackupMgr::kLibraryFile = L"iTunes Library.itl";
const wchar_t* const BackupMgr::kLibraryXmlFile = L"iTunes Music Library.xml";

namespace {

bool startsWithEightDigits(const std::wstring& name) {
    if (name.size() < 8) return false;
    for (std::size_t i = 0; i < 8; ++i)
        if (name[i] < L'0' || name[i] > L'9') return false;
    return true;
}

}  // namespace

BackupMgr::BackupMgr(const std::wstring& backupFolder, std::wstring playerFolder)
    : folder_(backupFolder),
      playerFolder_(std::move(playerFolder)),
      retryWait_([] { std::this_thread::sleep_for(std::chrono::milliseconds(1000)); }) {
    folder_.create();
    // A copy cut short by the end of the program leaves its temporary file.
    for (const std::wstring& file : fs::listFiles(folder_.path(), L"*.tmp")) {
        const std::wstring rest = startsWithEightDigits(file) ? file.substr(8) : std::wstring();
        if (rest == std::wstring(L" ") + kLibraryFile + L".tmp" ||
            rest == std::wstring(L" ") + kLibraryXmlFile + L".tmp")
            fs::deleteFile(folder_.path() + L"\\" + file);
    }
    for (const std::wstring& file : fs::listFiles(folder_.path(), L"*.itl")) {
        if (!startsWithEightDigits(file)) continue;
        const std::wstring name = file.substr(0, 8);
        // Only a whole set counts: a lone half is never taken for a backup,
        // so it neither stands in for today's set nor pushes a whole one out.
        if (file != name + L" " + kLibraryFile) continue;
        if (!fs::fileExists(pathOf(name, kLibraryXmlFile))) continue;
        backupNames_.insert(name);
    }
}

std::wstring BackupMgr::pathOf(const std::wstring& setName, const wchar_t* file) const {
    return folder_.path() + L"\\" + setName + L" " + file;
}

void BackupMgr::copyFile(const std::wstring& destination, const std::wstring& source) {
    if (!fs::copyFileWhole(destination, source)) throw AppException();
}

bool BackupMgr::copySet(const std::wstring& setName) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0) retryWait_();
        try {
            copyFile(pathOf(setName, kLibraryFile), playerFolder_ + L"\\" + kLibraryFile);
            copyFile(pathOf(setName, kLibraryXmlFile), playerFolder_ + L"\\" + kLibraryXmlFile);
            return true;
        } catch (const AppException&) {
        }
    }
    // The first file may be in place without the second: no half set stays.
    removeSet(setName);
    return false;
}

void BackupMgr::removeSet(const std::wstring& setName) const {
    fs::deleteFile(pathOf(setName, kLibraryFile));
    fs::deleteFile(pathOf(setName, kLibraryXmlFile));
}

bool BackupMgr::backup(int keep) {
    return backup(setNameFor(LocalTime::fromUtc(static_cast<std::int64_t>(std::time(nullptr)))), keep);
}

bool BackupMgr::backup(const std::wstring& setName, int keep) {
    if (backupNames_.count(setName) != 0) return false;
    if (!copySet(setName)) return false;
    backupNames_.insert(setName);
    // The set just made always stays, whatever the count says.
    const std::size_t limit = keep < 1 ? 1 : static_cast<std::size_t>(keep);
    while (backupNames_.size() > limit) {
        // A clock set back may make today's name the smallest.
        auto oldest = backupNames_.begin();
        if (*oldest == setName) ++oldest;
        removeSet(*oldest);
        backupNames_.erase(oldest);
    }
    return true;
}

std::wstring BackupMgr::setNameFor(const LocalTime& date) {
    wchar_t text[16];
    std::swprintf(text, sizeof text / sizeof text[0], L"%04d%02d%02d", date.year, date.month, date.day);
    return text;
}

bool BackupMgr::due(bool enabled, std::int64_t now, std::int64_t last, std::int32_t intervalDays) {
    return enabled && now >= last + static_cast<std::int64_t>(intervalDays) * 86400;
}

}  // namespace tavelapp

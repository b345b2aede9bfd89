#include "feature/BackupThread.h"

#include <atomic>
#include <ctime>

#include "base/AppPaths.h"
#include "config/Ini.h"
#include "feature/BackupMgr.h"
#include "win/util/MainThread.h"

namespace tavelapp {
namespace {

std::atomic<std::int64_t> newestSetTime{0};

}  // namespace

BackupThread::BackupThread() : BackupThread(AppPaths::settingsFolder() + L"\\Backups", playerLibraryFolder()) {}

BackupThread::BackupThread(std::wstring backupFolder, std::wstring playerFolder)
    : backupFolder_(std::move(backupFolder)), playerFolder_(std::move(playerFolder)) {}

std::mutex& BackupThread::backupLock() {
    static std::mutex lock;
    return lock;
}

void BackupThread::keepBackupTime(Ini& settings) {
    const std::int64_t made = newestSetTime.load();
    std::int32_t& recorded = settings.detail.lastBackupedTime;
    if (made > recorded) recorded = static_cast<std::int32_t>(made);
}

void BackupThread::begin() { lowerThreadPriority(); }

int BackupThread::run() {
    std::lock_guard<std::mutex> guard(backupLock());
    const std::shared_ptr<const Settings> settings = Ini::snapshot();
    const Ini::Item::Detail& detail = settings->detail;
    const bool enabled = detail.backupEnabled;
    const std::int64_t last = detail.lastBackupedTime;
    const std::int32_t interval = detail.intervalOfBackup;
    const std::int32_t keep = detail.numberOfBackups;
    const std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
    if (!BackupMgr::due(enabled, now, last, interval)) return 0;
    BackupMgr manager(backupFolder_, playerFolder_);
    if (!manager.backup(keep)) return 0;
    madeAt_ = now;
    newestSetTime = now;
    // The settings belong to the main thread; they are saved with the next
    // save, which also takes the time from here should this post be lost.
    static_cast<void>(tavel::win::util::MainThread::post([] {
        keepBackupTime(Ini::instance());
        Ini::publish();
    }));
    return 0;
}

}  // namespace tavelapp

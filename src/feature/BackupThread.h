#pragma once
#include <cstdint>
#include <mutex>
#include <string>

#include "base/Thread.h"

namespace tavelapp {

class Ini;

// Makes the day's backup set when one is due, on a thread of its own at low
// priority so that copying a large library slows nothing else.
class BackupThread : public Thread {
public:
    // The backup folder under the settings folder, the player's in the user's music.
    BackupThread();
    BackupThread(std::wstring backupFolder, std::wstring playerFolder);

    // Keeps two backups from running at once.
    static std::mutex& backupLock();
    // Puts the time of the newest set this run made into `settings` unless
    // they hold a later one. Called before each save of the settings: the
    // update posted to the main thread may have been dropped, or overwritten
    // by a copy of the settings taken before it (the options).
    static void keepBackupTime(Ini& settings);

    // The time written to LastBackupedTime when a set was made; 0 otherwise.
    std::int64_t madeAt() const { return madeAt_; }

protected:
    void begin() override;
    int run() override;

private:
    std::wstring backupFolder_;
    std::wstring playerFolder_;
    std::int64_t madeAt_ = 0;
};

// The player's folder: the user's music folder followed by "\iTunes".
std::wstring playerLibraryFolder();
// Lowers the calling thread's priority for background work.
void lowerThreadPriority();

}  // namespace tavelapp

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "TempFolder.h"
#include "config/Ini.h"
#include "feature/BackupMgr.h"
#include "feature/BackupThread.h"
#include "win/file/FileSystem.h"

using namespace tavelapp;
using tavel::win::file::CopyStep;
namespace stdfs = std::filesystem;

namespace {

std::string contentOf(const stdfs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct CopyHookGuard {
    ~CopyHookGuard() { tavel::win::file::setCopyFaultHook(nullptr); }
};

// A player folder with both library files and a backup folder beside it.
struct BackupFixture {
    TempFolder root;
    const std::string library = std::string(3 * 1024 * 1024 + 17, 'L');
    const std::string xml = "<plist>library</plist>";

    BackupFixture() {
        root.write("iTunes/iTunes Library.itl", library);
        root.write("iTunes/iTunes Music Library.xml", xml);
        stdfs::create_directories(root.path() / "Backups");
    }
    BackupMgr manager() const {
        BackupMgr m(root.winPath("Backups"), root.winPath("iTunes"));
        m.setRetryWait([] {});
        return m;
    }
    void addSet(const std::string& name) const {
        root.write("Backups/" + name + " iTunes Library.itl", "old");
        root.write("Backups/" + name + " iTunes Music Library.xml", "old");
    }
    bool hasFile(const std::string& name) const { return stdfs::exists(root.path() / "Backups" / name); }
    std::size_t fileCount() const {
        return static_cast<std::size_t>(
            std::distance(stdfs::directory_iterator(root.path() / "Backups"), stdfs::directory_iterator()));
    }
};

}  // namespace

TEST(Backup, DueAfterTheIntervalInWholeDays) {
    const std::int64_t last = 1700000000;
    struct Case {
        bool enabled;
        std::int64_t elapsed;
        std::int32_t interval;
        bool due;
    } cases[] = {
        {true, 23 * 3600, 1, false},
        {true, 24 * 3600, 1, true},
        {true, 24 * 3600 - 1, 1, false},
        {true, 3 * 86400 - 1, 3, false},
        {true, 3 * 86400, 3, true},
        {false, 30 * 86400, 1, false},
        {true, 0, 0, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BackupMgr::due(c.enabled, last + c.elapsed, last, c.interval), c.due)
            << c.elapsed << " s, interval " << c.interval;
    // A first backup (never made) is due at once.
    EXPECT_TRUE(BackupMgr::due(true, last, 0, 30));
}

TEST(Backup, SetNameIsTheLocalDateInEightDigits) {
    LocalTime date;
    date.year = 2026;
    date.month = 1;
    date.day = 5;
    EXPECT_EQ(BackupMgr::setNameFor(date), L"20260105");
    date.year = 987;
    date.month = 12;
    date.day = 31;
    EXPECT_EQ(BackupMgr::setNameFor(date), L"09871231");
}

TEST(Backup, NewSetCopiesBothFilesOncePerDay) {
    BackupFixture f;
    BackupMgr manager = f.manager();
    ASSERT_TRUE(manager.backup(L"20261207", 5));
    EXPECT_EQ(contentOf(f.root.path() / "Backups/20261207 iTunes Library.itl"), f.library);
    EXPECT_EQ(contentOf(f.root.path() / "Backups/20261207 iTunes Music Library.xml"), f.xml);
    EXPECT_EQ(f.fileCount(), 2u);
    EXPECT_FALSE(manager.backup(L"20261207", 5));
    // A later run the same day finds the set on disk.
    EXPECT_FALSE(f.manager().backup(L"20261207", 5));
}

TEST(Backup, PruningKeepsTheNewestSetsAndLeavesOtherFilesAlone) {
    BackupFixture f;
    for (const char* name : {"20260101", "20260102", "20260103", "20260104", "20260105"})
        f.addSet(name);
    f.root.write("Backups/notes.itl", "mine");
    f.root.write("Backups/2026x101 iTunes Library.itl", "mine");
    // A half set is no backup: not counted, not deleted.
    f.root.write("Backups/20251231 iTunes Library.itl", "half");
    // Temporary files of a copy cut short go; someone else's stay.
    f.root.write("Backups/20251230 iTunes Library.itl.tmp", "cut");
    f.root.write("Backups/20251230 iTunes Music Library.xml.tmp", "cut");
    f.root.write("Backups/20251230 mine.tmp", "mine");

    BackupMgr manager = f.manager();
    EXPECT_EQ(manager.backupNames().size(), 5u);
    ASSERT_TRUE(manager.backup(L"20260106", 5));
    EXPECT_EQ(manager.backupNames().size(), 5u);
    EXPECT_EQ(*manager.backupNames().begin(), L"20260102");
    EXPECT_FALSE(f.hasFile("20260101 iTunes Library.itl"));
    EXPECT_FALSE(f.hasFile("20260101 iTunes Music Library.xml"));
    EXPECT_TRUE(f.hasFile("20260102 iTunes Library.itl"));
    EXPECT_TRUE(f.hasFile("notes.itl"));
    EXPECT_TRUE(f.hasFile("2026x101 iTunes Library.itl"));
    EXPECT_TRUE(f.hasFile("20251231 iTunes Library.itl"));
    EXPECT_FALSE(f.hasFile("20251230 iTunes Library.itl.tmp"));
    EXPECT_FALSE(f.hasFile("20251230 iTunes Music Library.xml.tmp"));
    EXPECT_TRUE(f.hasFile("20251230 mine.tmp"));

    // Fewer kept sets prune several at once; the one just made always stays,
    // even when a clock set back makes it the smallest name.
    ASSERT_TRUE(manager.backup(L"20250101", 0));
    EXPECT_EQ(manager.backupNames(), std::set<std::wstring>{L"20250101"});
    EXPECT_TRUE(f.hasFile("notes.itl"));
}

TEST(Backup, CopyFailingAtAnyStepLeavesNoSetAndPrunesNothing) {
    CopyHookGuard guard;
    for (CopyStep failing : {CopyStep::OpenSource, CopyStep::CreateTemp, CopyStep::WriteTemp, CopyStep::FlushTemp,
                             CopyStep::CompareSize, CopyStep::Replace}) {
        BackupFixture f;
        for (const char* name : {"20260101", "20260102", "20260103", "20260104", "20260105"})
            f.addSet(name);
        // Only the second file fails, so the first is in place when it does.
        int opened = 0;
        tavel::win::file::setCopyFaultHook([&](CopyStep step) {
            if (step == CopyStep::OpenSource) ++opened;
            return !(step == failing && opened % 2 == 0);
        });
        BackupMgr manager = f.manager();
        int waits = 0;
        manager.setRetryWait([&] { ++waits; });
        EXPECT_FALSE(manager.backup(L"20260106", 5)) << static_cast<int>(failing);
        EXPECT_EQ(waits, BackupMgr::kAttempts - 1);
        EXPECT_EQ(f.fileCount(), 10u) << static_cast<int>(failing);
        EXPECT_TRUE(f.hasFile("20260101 iTunes Library.itl"));
        EXPECT_EQ(manager.backupNames().size(), 5u);
    }
}

TEST(Backup, FailedAttemptsAreRetriedWithBothFiles) {
    CopyHookGuard guard;
    BackupFixture f;
    int attempts = 0;
    tavel::win::file::setCopyFaultHook([&](CopyStep step) {
        if (step == CopyStep::OpenSource) ++attempts;
        // The library file is busy for the first three tries.
        return !(step == CopyStep::OpenSource && attempts <= 3);
    });
    BackupMgr manager = f.manager();
    ASSERT_TRUE(manager.backup(L"20261207", 5));
    EXPECT_EQ(contentOf(f.root.path() / "Backups/20261207 iTunes Library.itl"), f.library);
    EXPECT_EQ(f.fileCount(), 2u);

    // Missing player files: five attempts, then nothing.
    stdfs::remove(f.root.path() / "iTunes/iTunes Music Library.xml");
    tavel::win::file::setCopyFaultHook(nullptr);
    int waits = 0;
    manager.setRetryWait([&] { ++waits; });
    EXPECT_FALSE(manager.backup(L"20261208", 5));
    EXPECT_EQ(waits, BackupMgr::kAttempts - 1);
    EXPECT_FALSE(f.hasFile("20261208 iTunes Library.itl"));
}

TEST(Backup, ThreadMakesADueSetAndRecordsItsTime) {
    BackupFixture f;
    Ini& settings = Ini::instance();
    const Ini::Item::Detail saved = settings.detail;
    settings.detail.backupEnabled = true;
    settings.detail.intervalOfBackup = 1;
    settings.detail.numberOfBackups = 5;
    const std::int32_t now = static_cast<std::int32_t>(std::time(nullptr));

    settings.detail.lastBackupedTime = now - 23 * 3600;
    {
        BackupThread thread(f.root.winPath("Backups"), f.root.winPath("iTunes"));
        thread.start();
        thread.wait();
        EXPECT_EQ(thread.madeAt(), 0);
    }
    EXPECT_EQ(f.fileCount(), 0u);
    EXPECT_EQ(settings.detail.lastBackupedTime, now - 23 * 3600);

    settings.detail.lastBackupedTime = now - 24 * 3600;
    // A copy from before the set (as the options hold) gets the time back at
    // its save, so a set is not made again on the next start.
    Ini copyFromBefore = settings;
    {
        BackupThread thread(f.root.winPath("Backups"), f.root.winPath("iTunes"));
        thread.start();
        thread.wait();
        EXPECT_GE(thread.madeAt(), now);
        EXPECT_EQ(settings.detail.lastBackupedTime, thread.madeAt());
        BackupThread::keepBackupTime(copyFromBefore);
        EXPECT_EQ(copyFromBefore.detail.lastBackupedTime, thread.madeAt());
    }
    EXPECT_EQ(f.fileCount(), 2u);
    settings.detail = saved;
}

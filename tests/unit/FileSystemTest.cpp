#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "TempFolder.h"
#include "win/file/File.h"
#include "win/file/FileSystem.h"

using namespace tavel::win::file;

namespace {

std::string contentOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::wstring> sorted(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end());
    return names;
}

// Turns faults off again even when an assertion fails midway.
struct FaultHookGuard {
    ~FaultHookGuard() { setSaveFaultHook(nullptr); }
};

}  // namespace

TEST(FileSystem, FailedSaveAtAnyStepKeepsTheOldFileWhole) {
    TempFolder folder;
    const std::wstring target = folder.winPath("Option.ini");
    const std::string oldContent(10000, 'o');
    const std::string newContent(20000, 'n');
    FaultHookGuard guard;

    for (SaveStep failing : {SaveStep::CreateTemp, SaveStep::WriteTemp, SaveStep::FlushTemp, SaveStep::Replace}) {
        folder.write("Option.ini", oldContent);
        std::vector<SaveStep> seen;
        setSaveFaultHook([&](SaveStep step) {
            seen.push_back(step);
            return step != failing;
        });
        EXPECT_FALSE(writeFileAtomically(target, newContent));
        EXPECT_EQ(seen.back(), failing);
        EXPECT_EQ(contentOf(folder.path() / "Option.ini"), oldContent);
        EXPECT_FALSE(std::filesystem::exists(folder.path() / "Option.ini.tmp"));

        // Without a previous file a failure must not leave a partial one.
        std::filesystem::remove(folder.path() / "Option.ini");
        EXPECT_FALSE(writeFileAtomically(target, newContent));
        EXPECT_FALSE(std::filesystem::exists(folder.path() / "Option.ini"));
    }

    setSaveFaultHook(nullptr);
    folder.write("Option.ini", oldContent);
    ASSERT_TRUE(writeFileAtomically(target, newContent));
    EXPECT_EQ(contentOf(folder.path() / "Option.ini"), newContent);
    ASSERT_TRUE(writeFileAtomically(target, "again"));
    EXPECT_EQ(contentOf(folder.path() / "Option.ini"), "again");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Option.ini.tmp"));
}

TEST(FileSystem, SaveIntoMissingFolderFails) {
    TempFolder folder;
    EXPECT_FALSE(writeFileAtomically(folder.winPath("missing") + L"\\Option.ini", "x"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "missing"));
}

TEST(FileSystem, ReadsBinaryFilesWhole) {
    TempFolder folder;
    const std::string bytes = std::string("a\0b\r\n\xFF", 6) + std::string(100000, 'z');
    folder.write("data.bin", bytes);
    std::string read = "stale";
    ASSERT_TRUE(readFileBytes(folder.winPath("data.bin"), read));
    EXPECT_EQ(read, bytes);
    EXPECT_FALSE(readFileBytes(folder.winPath("nothing.bin"), read));
    EXPECT_FALSE(readFileBytes(folder.winPath(), read));  // a folder is not a file
}

TEST(FileSystem, ReadsStopAtTheirLimit) {
    TempFolder folder;
    // Past the read buffer, so the limit holds across reads too.
    const std::uint64_t limit = 70000;
    folder.write("edge.bin", std::string(limit, 'e'));
    folder.write("past.bin", std::string(limit + 1, 'p'));
    folder.write("default-past.bin", std::string(kDefaultReadLimit + 1, 'd'));
    std::string read;
    ReadError error = ReadError::Open;
    ASSERT_TRUE(readFileBytes(folder.winPath("edge.bin"), read, limit, &error));
    EXPECT_EQ(limit, read.size());
    EXPECT_EQ(ReadError::None, error);
    read = "kept";
    EXPECT_FALSE(readFileBytes(folder.winPath("past.bin"), read, limit, &error));
    EXPECT_EQ(ReadError::TooLarge, error);
    EXPECT_EQ("kept", read);
    EXPECT_FALSE(readFileBytes(folder.winPath("default-past.bin"), read, kDefaultReadLimit, &error));
    EXPECT_EQ(ReadError::TooLarge, error);
    EXPECT_FALSE(readFileBytes(folder.winPath("default-past.bin"), read)) << "the default limit";
    EXPECT_FALSE(readFileBytes(folder.winPath("nothing.bin"), read, limit, &error));
    EXPECT_EQ(ReadError::Open, error);
}

TEST(FileSystem, NamesMatchRegardlessOfCase) {
    TempFolder folder;
    folder.write("Langs/En.lng", "english");
    const std::wstring root = folder.winPath();

    EXPECT_TRUE(fileExists(root + L"\\langs"));
    EXPECT_TRUE(fileExists(root + L"\\LANGS\\en.LNG"));
    std::string read;
    ASSERT_TRUE(readFileBytes(root + L"\\langs\\en.lng", read));
    EXPECT_EQ(read, "english");

    // A new file goes into the folder that exists under another case.
    ASSERT_TRUE(writeFileAtomically(root + L"\\langs\\ja.lng", "japanese"));
    EXPECT_EQ(contentOf(folder.path() / "Langs" / "ja.lng"), "japanese");
    EXPECT_EQ(listSubfolders(root), std::vector<std::wstring>{L"Langs"});

    EXPECT_TRUE(deleteFile(root + L"\\langs\\EN.lng"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Langs" / "En.lng"));
    EXPECT_FALSE(deleteFile(root + L"\\langs\\EN.lng"));
    EXPECT_FALSE(deleteFile(root + L"\\Langs"));  // folders are not deleted as files
}

TEST(FileSystem, ListsFilesByPatternAndSubfolders) {
    TempFolder folder;
    folder.write("Langs/en.lng", "");
    folder.write("Langs/JA.LNG", "");
    folder.write("Langs/notes.txt", "");
    folder.write("Langs/en.lngx", "");
    folder.write("Langs/sub.lng/inner", "");  // a folder whose name matches the pattern
    const std::wstring langs = folder.winPath("Langs");

    EXPECT_EQ(sorted(listFiles(langs, L"*.lng")), (std::vector<std::wstring>{L"JA.LNG", L"en.lng"}));
    EXPECT_EQ(sorted(listFiles(langs, L"*.*")),
              (std::vector<std::wstring>{L"JA.LNG", L"en.lng", L"en.lngx", L"notes.txt"}));
    EXPECT_EQ(listSubfolders(langs), std::vector<std::wstring>{L"sub.lng"});
    EXPECT_TRUE(listFiles(folder.winPath("none"), L"*").empty());
    EXPECT_TRUE(listSubfolders(folder.winPath("none")).empty());
}

TEST(FileSystem, WildcardsMatchLikeFindFirstFile) {
    EXPECT_TRUE(matchesWildcard(L"Skin.INI", L"*.ini"));
    EXPECT_TRUE(matchesWildcard(L"a.b.c", L"*.c"));
    EXPECT_TRUE(matchesWildcard(L"noext", L"*.*"));
    EXPECT_TRUE(matchesWildcard(L"abc", L"a?c"));
    EXPECT_TRUE(matchesWildcard(L"aXbXc", L"a*b*c"));
    EXPECT_TRUE(matchesWildcard(L"", L"*"));
    EXPECT_FALSE(matchesWildcard(L"a.lngx", L"*.lng"));
    EXPECT_FALSE(matchesWildcard(L"ac", L"a?c"));
    EXPECT_FALSE(matchesWildcard(L"abcd", L"a*b*c"));
}

TEST(File, PathParts) {
    const File file(L"C:\\Program Files\\Kolibrix\\Kolibrix.old.exe");
    EXPECT_EQ(file.folder(), L"C:\\Program Files\\Kolibrix");
    EXPECT_EQ(file.fileName(), L"Kolibrix.old.exe");
    EXPECT_EQ(file.fileTitle(), L"Kolibrix.old");

    const File bare(L"README");
    EXPECT_EQ(bare.folder(), L"");
    EXPECT_EQ(bare.fileName(), L"README");
    EXPECT_EQ(bare.fileTitle(), L"");
    EXPECT_EQ(File(L"C:\\dir\\").fileName(), L"");
}

TEST(File, ExistsRemoveAndCreateFolder) {
    TempFolder folder;
    folder.write("a.txt", "x");
    File file(folder.winPath("A.TXT"));
    EXPECT_TRUE(file.exists());
    EXPECT_TRUE(file.remove());
    EXPECT_FALSE(file.exists());

    Dir dir(folder.winPath("Settings"));
    EXPECT_TRUE(dir.create());
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "Settings"));
    EXPECT_TRUE(dir.create());  // already there
    EXPECT_TRUE(Dir(folder.winPath("settings")).create());

    Dir deep(folder.winPath("x") + L"\\y");
    EXPECT_FALSE(deep.create());  // one level only
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "x"));
}

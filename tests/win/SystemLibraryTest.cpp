#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "win/mixer/SystemMixer.h"
#include "win/util/SystemLibrary.h"

using tavel::win::util::SystemLibrary;

namespace {

// The names in a loaded image's import table (loaded at start), in lower case.
std::vector<std::string> startupImports(HMODULE module) {
    const BYTE* base = reinterpret_cast<const BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    std::vector<std::string> names;
    for (const auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + table.VirtualAddress); d->Name != 0;
         ++d) {
        std::string name = reinterpret_cast<const char*>(base + d->Name);
        for (char& c : name)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        names.push_back(name);
    }
    return names;
}

}  // namespace

// What only some features use stays out of the resident program until used.
TEST(SystemLibrary, TheProgramLoadsFeatureLibrariesOnFirstUse) {
    HMODULE program = ::LoadLibraryW((moduleFolder() + L"\\Kolibrix.exe").c_str());
    ASSERT_NE(nullptr, program);
    const std::vector<std::string> names = startupImports(program);
    ::FreeLibrary(program);
    ASSERT_NE(names.end(), std::find(names.begin(), names.end(), "user32.dll"));
    for (const char* lazy :
         {"winmm.dll", "wininet.dll", "windowscodecs.dll", "ws2_32.dll", "comdlg32.dll", "mswsock.dll", "bcrypt.dll"})
        EXPECT_EQ(names.end(), std::find(names.begin(), names.end(), lazy)) << lazy << " is loaded at start";
}

// Only the system folder's copy is taken: a library of the same name beside
// the program, which the ordinary search would find first, is not.
TEST(SystemLibrary, LoadsFromTheSystemFolderOnly) {
    const std::wstring beside = moduleFolder() + L"\\kx_beside_only.dll";
    ASSERT_TRUE(::CopyFileW((moduleFolder() + L"\\plugins\\testing\\NoInfo.dll").c_str(), beside.c_str(), FALSE));
    HMODULE found = ::LoadLibraryW(L"kx_beside_only.dll");
    EXPECT_NE(nullptr, found);
    if (found != nullptr) ::FreeLibrary(found);
    EXPECT_FALSE(SystemLibrary::load(L"kx_beside_only.dll"));
    ::DeleteFileW(beside.c_str());

    ASSERT_TRUE(SystemLibrary::load(L"winmm.dll"));
    wchar_t path[MAX_PATH] = {}, system[MAX_PATH] = {};
    ASSERT_NE(0u, ::GetModuleFileNameW(::GetModuleHandleW(L"winmm.dll"), path, MAX_PATH));
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_EQ(0, _wcsnicmp(path, system, length)) << path;
    // A delay-loaded call goes through: the mixer answers, with or without a device.
    const double volume = tavel::win::mixer::getSystemVolume();
    EXPECT_TRUE(volume >= 0 && volume <= 1) << volume;
}

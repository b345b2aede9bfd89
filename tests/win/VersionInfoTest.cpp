#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "version.h"

namespace {

std::wstring programPath() { return moduleFolder() + L"\\Kolibrix.exe"; }

std::wstring widen(const char* s) { return std::wstring(s, s + std::char_traits<char>::length(s)); }

}  // namespace

// The release's version number comes from one place and is what Explorer shows.
TEST(ProgramResources, VersionInfoCarriesTheProjectVersion) {
    const std::wstring path = programPath();
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_NE(0u, size) << ::GetLastError();
    std::vector<BYTE> data(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, data.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(VS_FFI_SIGNATURE, fixed->dwSignature);
    EXPECT_EQ(MAKELONG(KOLIBRIX_VERSION_MINOR, KOLIBRIX_VERSION_MAJOR), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(0, KOLIBRIX_VERSION_PATCH), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

    for (const wchar_t* key : {L"ProductVersion", L"FileVersion"}) {
        wchar_t* text = nullptr;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
        ASSERT_TRUE(::VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)) << key;
        EXPECT_EQ(widen(KOLIBRIX_VERSION_STRING), std::wstring(text)) << key;
    }
    wchar_t* name = nullptr;
    ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\ProductName",
                                 reinterpret_cast<void**>(&name), &length));
    EXPECT_EQ(std::wstring(L"Kolibrix"), std::wstring(name));
}

// Without the manifest the dialogs fall back to the old controls and Windows
// scales the program's windows as bitmaps.
TEST(ProgramResources, ManifestAsksForCommonControlsDpiAwarenessAndNoElevation) {
    HMODULE program =
        ::LoadLibraryExW(programPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, program) << ::GetLastError();
    HRSRC found = ::FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(nullptr, found);
    HGLOBAL loaded = ::LoadResource(program, found);
    ASSERT_NE(nullptr, loaded);
    const char* bytes = static_cast<const char*>(::LockResource(loaded));
    const std::string manifest(bytes, ::SizeofResource(program, found));
    ::FreeLibrary(program);

    for (const char* part :
         {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "publicKeyToken=\"6595b64144ccf1df\"",
          "level=\"asInvoker\"", ">PerMonitorV2", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
          "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {                                       // Windows 10 and 11
        EXPECT_NE(std::string::npos, manifest.find(part)) << part;
    }
}

#include <gtest/gtest.h>

#include <cstdint>

#include "WinTestSupport.h"

// The program file loads like an action plug-in library and offers nothing.
TEST(Exports, TheProgramAnswersThePluginEntryPointsWithZero) {
    HMODULE program = ::LoadLibraryW((moduleFolder() + L"\\Kolibrix.exe").c_str());
    ASSERT_NE(nullptr, program);
    using Init = std::int32_t(__stdcall*)(std::uint32_t);
    using Term = std::int32_t(__stdcall*)();
    using Info = std::int32_t(__stdcall*)(std::uint32_t, std::uint32_t, std::uint32_t);
    auto init = reinterpret_cast<Init>(::GetProcAddress(program, "Initialize"));
    auto term = reinterpret_cast<Term>(::GetProcAddress(program, "Terminate"));
    auto info = reinterpret_cast<Info>(::GetProcAddress(program, "GetPluginInfo"));
    ASSERT_NE(nullptr, init);
    ASSERT_NE(nullptr, term);
    ASSERT_NE(nullptr, info);
    EXPECT_EQ(0, init(1));
    EXPECT_EQ(0, info(1, 2, 3));
    EXPECT_EQ(0, term());
    // The stdcall-decorated names lead to the same functions.
    EXPECT_EQ(reinterpret_cast<void*>(init), reinterpret_cast<void*>(::GetProcAddress(program, "_Initialize@4")));
    EXPECT_EQ(reinterpret_cast<void*>(term), reinterpret_cast<void*>(::GetProcAddress(program, "_Terminate@0")));
    EXPECT_EQ(reinterpret_cast<void*>(info), reinterpret_cast<void*>(::GetProcAddress(program, "_GetPluginInfo@12")));
    ::FreeLibrary(program);
}

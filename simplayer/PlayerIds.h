#pragma once
#include <windows.h>

namespace simplayer {

// The player's application class and its event interface.
inline const CLSID kAppClassId = {0xDC0C2640, 0x1415, 0x4644, {0x87, 0x5C, 0x6F, 0x4D, 0x76, 0x98, 0x39, 0xBA}};
inline const IID kEventsInterfaceId = {0x5846EB78, 0x317E, 0x4B6F, {0xB0, 0xC3, 0x11, 0xEE, 0x8C, 0x8F, 0xEE, 0xF2}};

inline const wchar_t kAppClassIdText[] = L"{DC0C2640-1415-4644-875C-6F4D769839BA}";
inline const wchar_t kProgId[] = L"iTunes.Application";
// Clients find the running player by a top-level window of this class.
inline const wchar_t kWindowClass[] = L"iTunes";

}  // namespace simplayer

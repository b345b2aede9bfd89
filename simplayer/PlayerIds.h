#pragma once
#include <windows.h>
#include <oleauto.h>

namespace simplayer {

// The player's application class and its event interface.
inline const CLSID kAppClassId = {0xDC0C2640, 0x1415, 0x4644, {0x87, 0x5C, 0x6F, 0x4D, 0x76, 0x98, 0x39, 0xBA}};
inline const IID kEventsInterfaceId = {0x5846EB78, 0x317E, 0x4B6F, {0xB0, 0xC3, 0x11, 0xEE, 0x8C, 0x8F, 0xEE, 0xF2}};

inline const wchar_t kAppClassIdText[] = L"{DC0C2640-1415-4644-875C-6F4D769839BA}";
inline const wchar_t kProgId[] = L"iTunes.Application";
// Clients find the running player by a top-level window of this class.
inline const wchar_t kWindowClass[] = L"iTunes";

// Member ids of the collections as the player's type library gives them: the
// default member Item, the enumerator, and the others numbered by their place in
// the interface. Scripts call Item through DISPID_VALUE (`tracks(1)`) and walk a
// collection through DISPID_NEWENUM (For Each, Enumerator).
constexpr DISPID kDispCount = 0x60020000;
constexpr DISPID kDispItem = DISPID_VALUE;
constexpr DISPID kDispNewEnum = DISPID_NEWENUM;
constexpr DISPID kDispTracksItemByPlayOrder = 0x60020002;
constexpr DISPID kDispTracksItemByName = 0x60020003;
constexpr DISPID kDispTracksItemByPersistentID = 0x60020005;
constexpr DISPID kDispPlaylistsItemByName = 0x60020002;
constexpr DISPID kDispPlaylistsItemByPersistentID = 0x60020004;

// The player's own objects answer QueryInterface for this private id with
// themselves, so that an object a client passes back can be recognised.
inline const IID kServedObjectId = {0x6E1B7C2A, 0x4F0D, 0x4C55, {0x9A, 0x61, 0x2B, 0x7E, 0x33, 0xC8, 0x0D, 0x51}};

}  // namespace simplayer

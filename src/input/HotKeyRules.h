#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tavelapp {

// The hot-key rules that need no window, kept apart to be tested natively.
namespace HotKeyRules {

// Modifier flags as RegisterHotKey takes them; the Windows key (8) is passed
// through but never shown.
const std::uint32_t kModAlt = 1;
const std::uint32_t kModControl = 2;
const std::uint32_t kModShift = 4;

// Keys of the cursor block and Num Lock: without the extended bit the system
// names them after their number-pad twins.
bool isExtendedKey(std::uint32_t vk);
// The GetKeyNameTextW argument for a scan code of vk.
std::int32_t keyNameParam(std::uint32_t scanCode, std::uint32_t vk);
// "Alt + Ctrl + Shift + <key name>", each part only when present.
std::wstring joinBinding(std::uint32_t mods, const std::wstring& keyName);

// The action's name as the user knows it: its ActionName text, else the reference.
std::wstring actionDisplayName(const std::wstring& reference);
// One line per failed binding, at most eight, then a "..." line.
std::wstring failureList(const std::vector<std::wstring>& displayNames);
// The whole failure message; empty when nothing failed.
std::wstring failureMessage(const std::wstring& heading, const std::vector<std::wstring>& displayNames);

}  // namespace HotKeyRules
}  // namespace tavelapp

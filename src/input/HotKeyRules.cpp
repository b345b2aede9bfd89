#include "input/HotKeyRules.h"

#include "config/Lang.h"

namespace tavelapp {
namespace HotKeyRules {
namespace {

const std::size_t kListedFailures = 8;

}  // namespace

bool isExtendedKey(std::uint32_t vk) {
    switch (vk) {
        case 0x21:  // Page Up
        case 0x22:  // Page Down
        case 0x23:  // End
        case 0x24:  // Home
        case 0x25:  // arrows
        case 0x26:
        case 0x27:
        case 0x28:
        case 0x2D:  // Insert
        case 0x2E:  // Delete
        case 0x90:  // Num Lock
            return true;
        default:
            return false;
    }
}

std::int32_t keyNameParam(std::uint32_t scanCode, std::uint32_t vk) {
    std::uint32_t param = (scanCode & 0xFFu) << 16;
    if (isExtendedKey(vk)) param |= 1u << 24;
    return static_cast<std::int32_t>(param);
}

std::wstring joinBinding(std::uint32_t mods, const std::wstring& keyName) {
    std::wstring text;
    auto append = [&text](const std::wstring& part) {
        if (!text.empty()) text += L" + ";
        text += part;
    };
    if (mods & kModAlt) append(L"Alt");
    if (mods & kModControl) append(L"Ctrl");
    if (mods & kModShift) append(L"Shift");
    append(keyName);
    return text;
}

std::wstring actionDisplayName(const std::wstring& reference) {
    return Lang::instance().getText(L"ActionName", reference, reference);
}

std::wstring failureList(const std::vector<std::wstring>& displayNames) {
    std::wstring list;
    for (std::size_t i = 0; i < displayNames.size() && i <= kListedFailures; ++i) {
        list += i < kListedFailures ? L"\u30FB" + displayNames[i] + L"\n" : std::wstring(L"...\n");
    }
    return list;
}

std::wstring failureMessage(const std::wstring& heading, const std::vector<std::wstring>& displayNames) {
    if (displayNames.empty()) return std::wstring();
    return heading + L"\n\n" + failureList(displayNames);
}

}  // namespace HotKeyRules
}  // namespace tavelapp

#include "option/OptionRules.h"

#include <cwchar>

namespace tavelapp {
namespace OptionRules {

std::vector<std::size_t> duplicateHotKeys(const Ini::HotKeyList& keys) {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i].vk == 0) continue;
        for (std::size_t j = i + 1; j < keys.size(); ++j)
            if (keys[j].mods == keys[i].mods && keys[j].vk == keys[i].vk) found.push_back(i);
    }
    return found;
}

std::wstring duplicateMessage(const std::wstring& heading, const std::vector<std::wstring>& actions,
                              const std::vector<std::wstring>& inputs) {
    std::wstring text = heading;
    for (std::size_t i = 0; i < actions.size() && i < inputs.size(); ++i)
        text += L"\n" + actions[i] + L" - [" + inputs[i] + L"]";
    return text;
}

int selectionAfterDelete(int removed, int remaining) {
    if (remaining <= 0) return -1;
    return removed < remaining ? removed : remaining - 1;
}

std::uint16_t hotKeyFieldValue(std::uint32_t mods, std::uint32_t vk) {
    std::uint16_t flags = 0;
    if (mods & 1) flags |= kFieldAlt;
    if (mods & 2) flags |= kFieldControl;
    if (mods & 4) flags |= kFieldShift;
    switch (vk) {  // the cursor block, as the hot-key server names it
        case 0x21:
        case 0x22:
        case 0x23:
        case 0x24:
        case 0x25:
        case 0x26:
        case 0x27:
        case 0x28:
        case 0x2D:
        case 0x2E:
        case 0x90:
            flags |= kFieldExt;
            break;
        default:
            break;
    }
    return static_cast<std::uint16_t>((flags << 8) | (vk & 0xFF));
}

void fromHotKeyField(std::uint16_t value, std::uint32_t& mods, std::uint32_t& vk) {
    const std::uint16_t flags = static_cast<std::uint16_t>(value >> 8);
    vk = value & 0xFF;
    mods = 0;
    if (flags & kFieldAlt) mods |= 1;
    if (flags & kFieldControl) mods |= 2;
    if (flags & kFieldShift) mods |= 4;
}

bool needsConfirmation(std::uint32_t mods, std::uint32_t vk) {
    if (vk == 0) return false;
    const int count = ((mods & 1) ? 1 : 0) + ((mods & 2) ? 1 : 0) + ((mods & 4) ? 1 : 0);
    return count <= 1;
}

int irPadIndex(std::uint32_t code) {
    const std::uint32_t index = code & 0xFF;
    return index < kIRPadKeys ? static_cast<int>(index) : -1;
}

std::uint32_t irCode(int firstDown, bool shift) {
    return (shift ? 0x100u : 0u) + (firstDown >= 0 ? static_cast<std::uint32_t>(firstDown) : 0u);
}

KeyCapture::KeyCapture(std::uint32_t code, bool useShift, std::uint32_t shiftCode, std::uint32_t shiftFlag)
    : code_(code), useShift_(useShift), shiftCode_(shiftCode), shiftFlag_(shiftFlag) {}

bool KeyCapture::onEvent(std::uint32_t input, bool pressed) {
    if (useShift_ && input == shiftCode_) {
        if (shiftHeld_ == pressed) return false;
        shiftHeld_ = pressed;
        return true;
    }
    if (!pressed) return false;
    code_ = input | (shiftHeld_ ? shiftFlag_ : 0u);
    return true;
}

bool acceptsJoyShift(std::uint32_t input) { return input > 3; }

bool parseInRange(const std::wstring& text, long low, long high, long& value) {
    if (text.empty()) return false;
    wchar_t* end = nullptr;
    const long parsed = std::wcstol(text.c_str(), &end, 10);
    if (end == nullptr || *end != L'\0' || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

}  // namespace OptionRules
}  // namespace tavelapp

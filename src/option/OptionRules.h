#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/Ini.h"

namespace tavelapp {

// The options dialogs' rules that need no window, kept apart to be tested natively.
namespace OptionRules {

// Index of every hot-key binding that a later one repeats (same modifiers and
// key), once per such later binding; key 0 (none) never counts.
std::vector<std::size_t> duplicateHotKeys(const Ini::HotKeyList& keys);
// The heading line, then "<action> - [<input>]" per entry.
std::wstring duplicateMessage(const std::wstring& heading, const std::vector<std::wstring>& actions,
                              const std::vector<std::wstring>& inputs);

// The row to select once row `removed` has gone from a list now `remaining`
// long: the one that took its place, or the new last row; -1 when empty.
int selectionAfterDelete(int removed, int remaining);

// The hot-key field's flags (the common control's HOTKEYF_* values).
const std::uint16_t kFieldShift = 0x01;
const std::uint16_t kFieldControl = 0x02;
const std::uint16_t kFieldAlt = 0x04;
const std::uint16_t kFieldExt = 0x08;
// The field's value (key in the low byte, flags in the high) for a binding.
std::uint16_t hotKeyFieldValue(std::uint32_t mods, std::uint32_t vk);
// Back from the field: modifiers 1 Alt, 2 Control, 4 Shift and the key.
void fromHotKeyField(std::uint16_t value, std::uint32_t& mods, std::uint32_t& vk);
// A key with at most one of Shift, Control and Alt clashes easily with other
// programs: the user confirms it.
bool needsConfirmation(std::uint32_t mods, std::uint32_t vk);

// The infrared key pad: 17 keys and the shift toggle.
const std::uint32_t kIRPadKeys = 17;
// The pad key shown down for a code, or -1.
int irPadIndex(std::uint32_t code);
// The code for the first key down (none: key 0) and the toggle.
std::uint32_t irCode(int firstDown, bool shift);

// What a controller or Wii remote key dialog captures while it listens.
class KeyCapture {
public:
    static const std::uint32_t kNothing = 255;

    // shiftFlag: 0x100 for the game controller, 0x8000 for the Wii remote.
    KeyCapture(std::uint32_t code, bool useShift, std::uint32_t shiftCode, std::uint32_t shiftFlag);

    // One device event; true when what the field shows changed.
    bool onEvent(std::uint32_t input, bool pressed);
    void clear() { code_ = kNothing; }

    std::uint32_t code() const { return code_; }
    bool shiftHeld() const { return shiftHeld_; }

private:
    std::uint32_t code_;
    bool useShift_;
    std::uint32_t shiftCode_;
    std::uint32_t shiftFlag_;
    bool shiftHeld_ = false;
};

// The game controller's shift button is a button, never a stick direction.
bool acceptsJoyShift(std::uint32_t input);

// Fits the edited text into a range; false (value untouched) when it does not.
bool parseInRange(const std::wstring& text, long low, long high, long& value);

}  // namespace OptionRules
}  // namespace tavelapp

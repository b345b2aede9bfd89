#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config/Settings.h"

namespace tavelapp {

// The game-controller rules that need no device, kept apart to be tested natively.
namespace JoyRules {

// Key codes: the four stick directions, then buttons 1 to 32.
const std::uint32_t kUp = 0;
const std::uint32_t kRight = 1;
const std::uint32_t kDown = 2;
const std::uint32_t kLeft = 3;
const std::uint32_t kFirstButton = 4;
const std::uint32_t kLastButton = 35;
// Set in a binding's code: together with the shift button.
const std::uint32_t kShiftFlag = 0x100;

// An axis reading at or below kLow, or at or above kHigh, points that way;
// in between is the centre. Ranges are 0 to 65535.
const std::uint32_t kLow = 0x4000;
const std::uint32_t kHigh = 0xBFFE;

// Data offsets of the standard joystick state.
const std::uint32_t kOffsetX = 0;
const std::uint32_t kOffsetY = 4;
const std::uint32_t kOffsetFirstButton = 48;
const std::uint32_t kOffsetLastButton = 79;

struct Event {
    std::uint32_t code;
    bool pressed;
};

// Turns buffered device items into key codes. A direction fires once, when
// the stick leaves the centre; it fires again only after coming back.
class ItemDecoder {
public:
    std::optional<Event> decode(std::uint32_t offset, std::uint32_t data);

private:
    // Both start outside the centre: a first reading already past a
    // threshold fires nothing.
    std::uint32_t lastX_ = 0;
    std::uint32_t lastY_ = 0;
};

// The shift button: held, it moves the other inputs onto their shifted bindings.
class ShiftLayer {
public:
    ShiftLayer(bool useShift, std::uint32_t shiftCode) : useShift_(useShift), shiftCode_(shiftCode) {}
    // The binding code a press looks up; nothing for releases and the shift button.
    std::optional<std::uint32_t> lookup(std::uint32_t code, bool pressed);
    bool held() const { return held_; }

private:
    bool useShift_;
    std::uint32_t shiftCode_;
    bool held_ = false;
};

// The actions of every binding with that code, in list order.
std::vector<std::wstring> actionsFor(std::uint32_t code, const Settings::KeyList& bindings);

// How a code reads in the settings dialogs, e.g. "Shift + Button 1".
std::wstring displayName(std::uint32_t code);

}  // namespace JoyRules
}  // namespace tavelapp

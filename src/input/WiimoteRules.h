#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/Settings.h"

namespace tavelapp {

class PlayerState;

// The Wii remote's rules that need no window or library, kept apart to be
// tested natively: buttons, the shift layer, the LEDs and the light effects.
namespace WiimoteRules {

const std::uint32_t kShift = 0x8000;
const std::size_t kButtonCount = 11;
const std::uint8_t kButtonsReport = 0x30;
const std::size_t kReportSize = 22;

using OutputReport = std::array<std::uint8_t, kReportSize>;

// What the library hands over with an input report: the id in the second
// byte, the data pointer in the fifth to eighth (a 32-bit process).
struct InputRecord {
    std::uint8_t device = 0;
    std::uint8_t reportId = 0;
    std::uint8_t reserved[2] = {0, 0};
    const std::uint8_t* data = nullptr;
};

// The mask of a button index in the core-button field; 0 above 10.
std::uint16_t buttonMask(std::uint32_t index);
// The core-button field of a report's first two data bytes.
std::uint16_t buttonField(std::uint8_t first, std::uint8_t second);

struct ButtonChange {
    std::uint32_t index;
    bool pressed;
    bool operator==(const ButtonChange& o) const { return index == o.index && pressed == o.pressed; }
};
// Every known button whose bit differs, in index order.
std::vector<ButtonChange> changes(std::uint16_t last, std::uint16_t now);

// The shift layer: the shift button only changes the shift state; a press of
// any other button gives its lookup code; releases give nothing.
class ShiftLayer {
public:
    ShiftLayer(bool useShift, std::uint32_t shiftIndex) : useShift_(useShift), shiftIndex_(shiftIndex) {}
    // True with the code when the press runs bindings.
    bool onButton(std::uint32_t index, bool pressed, std::uint32_t& code);
    bool shifted() const { return shifted_; }

private:
    bool useShift_;
    std::uint32_t shiftIndex_;
    bool shifted_ = false;
};

// The action references bound to a code, in list order.
std::vector<std::wstring> actionsFor(std::uint32_t code, const Settings::KeyList& bindings);

// Whether one LED condition holds for the snapshot; unknown codes never do.
bool ledOn(std::int32_t condition, const PlayerState& state);
// The 4-bit pattern of the four conditions, the first LED in bit 3.
std::uint8_t ledPattern(const std::array<std::int32_t, 4>& conditions, const PlayerState& state);

OutputReport ledReport(std::uint8_t pattern);
OutputReport rumbleReport(bool on);
OutputReport statusRequest();

// One frame of a light effect.
struct Frame {
    enum Rumble { kKeep, kOn, kOff };
    std::uint8_t pattern = 0;
    Rumble rumble = kKeep;
};
const int kEffectFrames = 12;
// The frame an effect shows at a step (0 to 11); patterns 0 to 5.
Frame effectFrame(int effect, int step);
// The effect started on a change of track: 2 to 5 from the tick count.
int trackChangeEffect(std::uint32_t tickCount);

// The button index's name ("WiimoteTwo" ... "WiimotePlus"), empty above 10.
std::wstring buttonName(std::uint32_t index);
// "<shift> + <name>" with the shift flag, else the name.
std::wstring displayName(std::uint32_t code);

// The manager listens here while its library is loaded: the change detector
// hands over each snapshot whose repeat, shuffle, EQ or mute changed. Any thread.
using LampSink = void (*)(const PlayerState& state);
void setLampSink(LampSink sink);
void lampsChanged(const PlayerState& state);

}  // namespace WiimoteRules
}  // namespace tavelapp

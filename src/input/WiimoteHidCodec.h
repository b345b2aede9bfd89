#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavelapp {

// How the project's own Wiimote.dll speaks to a Wii remote over HID: the
// program's output reports become HID output reports of the device's length,
// and every input report that carries the core buttons becomes a button state.
namespace WiimoteHidCodec {

const std::uint16_t kVendor = 0x057E;
// Buttons the remote reports; the other bits of the field carry accelerometer bits.
const std::uint16_t kButtonBits = 0x1F9F;

bool isRemote(std::uint16_t vendor, std::uint16_t product);

// The HID output report for one of the program's reports (id, payload), zero
// filled to outputLength; empty for an id the remote does not take or a
// length too short for it.
std::vector<std::uint8_t> encodeOutput(const std::uint8_t* report, std::size_t size, std::size_t outputLength);
// Continuous core-button reports (0x30), keeping the rumble as it is.
std::vector<std::uint8_t> reportingMode(bool rumble, std::size_t outputLength);

struct Input {
    enum Kind { kNone, kButtons, kStatus };
    Kind kind = kNone;
    std::uint16_t buttons = 0;
};
// A status report carries the buttons too, but after one the remote must be
// told its reporting mode again.
Input decodeInput(const std::uint8_t* bytes, std::size_t size);

}  // namespace WiimoteHidCodec
}  // namespace tavelapp

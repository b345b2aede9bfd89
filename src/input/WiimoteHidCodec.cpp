#include "input/WiimoteHidCodec.h"

#include <algorithm>

namespace tavelapp {
namespace WiimoteHidCodec {
namespace {

// Payload bytes of each output report the remote knows (0x10 to 0x1A).
std::size_t payloadLength(std::uint8_t id) {
    static const std::uint8_t kLengths[] = {1, 1, 2, 1, 1, 1, 21, 6, 21, 1, 1};
    if (id < 0x10 || id > 0x1A) return 0;
    return kLengths[id - 0x10];
}

}  // namespace

bool isRemote(std::uint16_t vendor, std::uint16_t product) {
    return vendor == kVendor && (product == 0x0306 || product == 0x0330);
}

std::vector<std::uint8_t> encodeOutput(const std::uint8_t* report, std::size_t size, std::size_t outputLength) {
    if (report == nullptr || size == 0) return {};
    const std::size_t payload = payloadLength(report[0]);
    if (payload == 0 || outputLength < payload + 1) return {};
    std::vector<std::uint8_t> out(outputLength, 0);
    std::copy(report, report + std::min(size, payload + 1), out.begin());
    return out;
}

std::vector<std::uint8_t> reportingMode(bool rumble, std::size_t outputLength) {
    const std::uint8_t report[] = {0x12, static_cast<std::uint8_t>(rumble ? 1 : 0), 0x30};
    return encodeOutput(report, sizeof(report), outputLength);
}

Input decodeInput(const std::uint8_t* bytes, std::size_t size) {
    Input in;
    if (bytes == nullptr || size < 3) return in;
    const std::uint8_t id = bytes[0];
    // 0x3D carries only extension bytes; the rest of 0x20 to 0x3F start with the buttons.
    if (id < 0x20 || id > 0x3F || id == 0x3D || (id > 0x22 && id < 0x30)) return in;
    in.kind = id == 0x20 ? Input::kStatus : Input::kButtons;
    in.buttons = static_cast<std::uint16_t>(((bytes[1] << 8) | bytes[2]) & kButtonBits);
    return in;
}

}  // namespace WiimoteHidCodec
}  // namespace tavelapp

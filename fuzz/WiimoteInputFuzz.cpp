// Input reports come from any HID device that answers as a Wii remote: any
// report must give no state, a status or buttons within the remote's bits.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "input/WiimoteHidCodec.h"

using namespace tavelapp;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::uint8_t> report(data, data + size);
    const WiimoteHidCodec::Input in = WiimoteHidCodec::decodeInput(report.empty() ? nullptr : report.data(), size);
    if (in.kind == WiimoteHidCodec::Input::kNone && in.buttons != 0) __builtin_trap();
    if ((in.buttons & ~WiimoteHidCodec::kButtonBits) != 0) __builtin_trap();
    if (in.kind != WiimoteHidCodec::Input::kNone && size < 3) __builtin_trap();
    // The same bytes as one of the program's output reports, for a device of any length.
    const std::size_t length = size > 0 ? data[0] % 32 : 0;
    const std::vector<std::uint8_t> out =
        WiimoteHidCodec::encodeOutput(report.empty() ? nullptr : report.data(), size, length);
    if (!out.empty() && out.size() != length) __builtin_trap();
    return 0;
}

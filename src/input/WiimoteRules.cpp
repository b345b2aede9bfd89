#include "input/WiimoteRules.h"

#include <atomic>

#include "config/Lang.h"
#include "player/PlayerState.h"

namespace tavelapp {
namespace WiimoteRules {
namespace {

const std::uint16_t kMasks[kButtonCount] = {0x0001, 0x0002, 0x0004, 0x0008, 0x0010, 0x0080,
                                            0x0100, 0x0200, 0x0400, 0x0800, 0x1000};

std::atomic<LampSink> lampSink{nullptr};

OutputReport report(std::uint8_t id, std::uint8_t payload) {
    OutputReport out{};
    out[0] = id;
    out[1] = payload;
    return out;
}

}  // namespace

std::uint16_t buttonMask(std::uint32_t index) { return index < kButtonCount ? kMasks[index] : 0; }

std::uint16_t buttonField(std::uint8_t first, std::uint8_t second) {
    return static_cast<std::uint16_t>((first << 8) | second);
}

std::vector<ButtonChange> changes(std::uint16_t last, std::uint16_t now) {
    std::vector<ButtonChange> out;
    for (std::uint32_t i = 0; i < kButtonCount; ++i)
        if ((last ^ now) & kMasks[i]) out.push_back({i, (now & kMasks[i]) != 0});
    return out;
}

bool ShiftLayer::onButton(std::uint32_t index, bool pressed, std::uint32_t& code) {
    if (useShift_ && index == shiftIndex_) {
        shifted_ = pressed;
        return false;
    }
    if (!pressed) return false;
    code = index + (shifted_ ? kShift : 0);
    return true;
}

std::vector<std::wstring> actionsFor(std::uint32_t code, const Settings::KeyList& bindings) {
    std::vector<std::wstring> out;
    for (const auto& binding : bindings)
        if (binding.key == code) out.push_back(binding.action);
    return out;
}

bool ledOn(std::int32_t condition, const PlayerState& state) {
    const int repeat = state.repeat();
    switch (condition) {
        case 1:
        case 17:
            return true;
        case 2:
            return repeat == 0;
        case 3:
            return repeat == 1;
        case 4:
            return repeat == 2;
        case 5:
            return repeat == 0 || repeat == 1;
        case 6:
            return repeat == 1 || repeat == 2;
        case 7:
            return repeat == 2 || repeat == 0;
        case 8:
            return state.isShuffle();
        case 9:
            return !state.isShuffle();
        case 10:
            return state.isMute();
        case 11:
            return !state.isMute();
        case 12:
            return state.isEQ();
        case 13:
            return !state.isEQ();
        case 14:
            return state.isVisuals();
        case 15:
            return !state.isVisuals();
        default:
            return false;
    }
}

std::uint8_t ledPattern(const std::array<std::int32_t, 4>& conditions, const PlayerState& state) {
    std::uint8_t pattern = 0;
    for (std::size_t i = 0; i < conditions.size(); ++i)
        if (ledOn(conditions[i], state)) pattern |= static_cast<std::uint8_t>(8 >> i);
    return pattern;
}

OutputReport ledReport(std::uint8_t pattern) {
    // The remote's LED bits sit in the high nibble, the first LED lowest.
    std::uint8_t payload = 0;
    if (pattern & 8) payload |= 0x10;
    if (pattern & 4) payload |= 0x20;
    if (pattern & 2) payload |= 0x40;
    if (pattern & 1) payload |= 0x80;
    return report(0x11, payload);
}

OutputReport rumbleReport(bool on) { return report(0x13, on ? 1 : 0); }

OutputReport statusRequest() { return report(0x15, 0); }

Frame effectFrame(int effect, int step) {
    static const std::uint8_t kRunning[4] = {8, 4, 2, 1};
    static const std::uint8_t kPairs[3] = {0, 6, 9};
    static const std::uint8_t kBounce[kEffectFrames] = {0, 8, 4, 2, 1, 2, 4, 8, 4, 2, 1, 0};
    static const std::uint8_t kWave[kEffectFrames] = {0, 8, 12, 6, 3, 1, 8, 12, 6, 3, 1, 0};
    Frame frame;
    if (step < 0 || step >= kEffectFrames) return frame;
    switch (effect) {
        case 0:
            if (step % 4 == 0) frame.rumble = Frame::kOn;
            if (step % 4 == 2) frame.rumble = Frame::kOff;
            frame.pattern = kRunning[step % 4];
            break;
        case 1:
            frame.pattern = kRunning[step % 4];
            break;
        case 2:
            frame.pattern = step % 2 == 0 ? 15 : 0;
            break;
        case 3:
            frame.pattern = kPairs[step % 3];
            break;
        case 4:
            frame.pattern = kBounce[step];
            break;
        case 5:
            frame.pattern = kWave[step];
            break;
        default:
            break;
    }
    return frame;
}

int trackChangeEffect(std::uint32_t tickCount) { return static_cast<int>(tickCount % 20) / 5 + 2; }

std::wstring buttonName(std::uint32_t index) {
    static const wchar_t* const kKeys[kButtonCount] = {L"WiimoteTwo",   L"WiimoteOne",  L"WiimoteB",    L"WiimoteA",
                                                       L"WiimoteMinus", L"WiimoteHome", L"WiimoteLeft", L"WiimoteRight",
                                                       L"WiimoteDown",  L"WiimoteUp",   L"WiimotePlus"};
    if (index >= kButtonCount) return std::wstring();
    return Lang::instance().text(L"Others", kKeys[index]);
}

std::wstring displayName(std::uint32_t code) {
    std::wstring name;
    if (code & kShift) name = Lang::instance().text(L"Others", L"WiimoteShift") + L" + ";
    return name + buttonName(code & 0xFF);
}

void setLampSink(LampSink sink) { lampSink.store(sink); }

void lampsChanged(const PlayerState& state) {
    if (const LampSink sink = lampSink.load()) sink(state);
}

}  // namespace WiimoteRules
}  // namespace tavelapp

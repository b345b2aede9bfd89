#include "input/JoyRules.h"

#include "config/Lang.h"

namespace tavelapp {
namespace JoyRules {
namespace {

// Strictly between the thresholds: a reading of exactly kLow already points
// left, so counting it as centre too would fire a held stick twice.
bool centred(std::uint32_t value) { return value > kLow && value < kHigh; }

// The direction an axis move fires, if it leaves the centre past a threshold.
std::optional<std::uint32_t> axisCode(std::uint32_t& last, std::uint32_t value, std::uint32_t lowCode,
                                      std::uint32_t highCode) {
    std::optional<std::uint32_t> code;
    if (centred(last)) {
        if (value <= kLow) {
            code = lowCode;
        } else if (value >= kHigh) {
            code = highCode;
        }
    }
    last = value;
    return code;
}

}  // namespace

std::optional<Event> ItemDecoder::decode(std::uint32_t offset, std::uint32_t data) {
    std::optional<std::uint32_t> code;
    bool pressed = true;
    if (offset == kOffsetX) {
        code = axisCode(lastX_, data, kLeft, kRight);
    } else if (offset == kOffsetY) {
        code = axisCode(lastY_, data, kUp, kDown);
    } else if (offset >= kOffsetFirstButton && offset <= kOffsetLastButton) {
        code = offset - kOffsetFirstButton + kFirstButton;
        pressed = (data & 0x80u) != 0;
    }
    if (!code) return std::nullopt;
    return Event{*code, pressed};
}

std::optional<std::uint32_t> ShiftLayer::lookup(std::uint32_t code, bool pressed) {
    if (useShift_ && code == shiftCode_) {
        held_ = pressed;
        return std::nullopt;
    }
    if (!pressed) return std::nullopt;
    return held_ ? code + kShiftFlag : code;
}

std::vector<std::wstring> actionsFor(std::uint32_t code, const Settings::KeyList& bindings) {
    std::vector<std::wstring> actions;
    for (const auto& binding : bindings) {
        if (binding.key == code) actions.push_back(binding.action);
    }
    return actions;
}

std::wstring displayName(std::uint32_t code) {
    const Lang& lang = Lang::instance();
    if ((code & kShiftFlag) != 0) {
        return lang.text(L"Others", L"JoyShift") + L" + " + displayName(code & 0xFFu);
    }
    switch (code) {
        case kUp:
            return lang.text(L"Others", L"JoyUp");
        case kRight:
            return lang.text(L"Others", L"JoyRight");
        case kDown:
            return lang.text(L"Others", L"JoyDown");
        case kLeft:
            return lang.text(L"Others", L"JoyLeft");
        default:
            break;
    }
    if (code <= kLastButton) return lang.text(L"Others", L"JoyButton") + L" " + std::to_wstring(code - 3);
    return lang.text(L"Others", L"JoyNothing");
}

}  // namespace JoyRules
}  // namespace tavelapp

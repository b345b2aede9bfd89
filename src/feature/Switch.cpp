#include "feature/Switch.h"

namespace tavelapp {

Switch parseSwitch(const std::wstring& parameter) {
    if (parameter == L"On") return Switch::On;
    if (parameter == L"Off") return Switch::Off;
    if (parameter == L"OnOff") return Switch::Toggle;
    return Switch::None;
}

}  // namespace tavelapp

#pragma once
#include <cstdint>
#include <string>

#include "feature/NumberActionIni.h"

namespace tavelapp {

// Settings\CountdownTimer.ini.
class CountdownTimerIni : public NumberActionIni {
public:
    static CountdownTimerIni& instance();
    explicit CountdownTimerIni(std::wstring path)
        : NumberActionIni(std::move(path), L"CountdownTimer", L"Minute", minute, L"DoNothing") {}

    std::int32_t minute = 0;
};

}  // namespace tavelapp

#pragma once
#include <cstdint>
#include <string>

#include "win/file/Ini.h"

namespace tavelapp {

// Settings\ClockTimer.ini.
class ClockTimerIni : public tavel::win::file::Ini {
public:
    static ClockTimerIni& instance();
    explicit ClockTimerIni(std::wstring path) : tavel::win::file::Ini(std::move(path)) {}

    void serialize() override;

    bool alwaysEnabled = false;
    std::int32_t hour = 0;
    std::int32_t minute = 0;
    std::wstring action = L"DoNothing";
};

}  // namespace tavelapp

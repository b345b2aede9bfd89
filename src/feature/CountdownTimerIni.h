#pragma once
#include <cstdint>
#include <string>

#include "win/file/Ini.h"

namespace tavelapp {

// Settings\CountdownTimer.ini.
class CountdownTimerIni : public tavel::win::file::Ini {
public:
    static CountdownTimerIni& instance();
    explicit CountdownTimerIni(std::wstring path) : tavel::win::file::Ini(std::move(path)) {}

    void serialize() override;

    std::int32_t minute = 0;
    std::wstring action = L"DoNothing";
};

}  // namespace tavelapp

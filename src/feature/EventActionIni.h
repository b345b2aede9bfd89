#pragma once
#include <cstdint>
#include <string>

#include "feature/NumberActionIni.h"

namespace tavelapp {

// Settings\EventAction.ini.
class EventActionIni : public NumberActionIni {
public:
    static EventActionIni& instance();
    explicit EventActionIni(std::wstring path)
        : NumberActionIni(std::move(path), L"EventAction", L"Method", method, L"donothing") {}

    std::int32_t method = 0;
};

}  // namespace tavelapp

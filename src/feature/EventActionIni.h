#pragma once
#include <cstdint>
#include <string>

#include "win/file/Ini.h"

namespace tavelapp {

// Settings\EventAction.ini.
class EventActionIni : public tavel::win::file::Ini {
public:
    static EventActionIni& instance();
    explicit EventActionIni(std::wstring path) : tavel::win::file::Ini(std::move(path)) {}

    void serialize() override;

    std::int32_t method = 0;
    std::wstring action = L"donothing";
};

}  // namespace tavelapp

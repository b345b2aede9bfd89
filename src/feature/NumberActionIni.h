#pragma once
#include <cstdint>
#include <string>

#include "win/file/Ini.h"

namespace tavelapp {

// A feature's file of one number and one action: section <section> with the
// keys <numberKey> (0 when missing) and Action.
class NumberActionIni : public tavel::win::file::Ini {
public:
    void serialize() override {
        integer(section_, numberKey_, number_, 0);
        string(section_, L"Action", action, defaultAction_);
    }

    std::wstring action;

protected:
    // number: the derived file's own field, written by serialize() only.
    NumberActionIni(std::wstring path, const wchar_t* section, const wchar_t* numberKey, std::int32_t& number,
                    const wchar_t* defaultAction)
        : tavel::win::file::Ini(std::move(path)),
          action(defaultAction),
          section_(section),
          numberKey_(numberKey),
          number_(number),
          defaultAction_(defaultAction) {}

private:
    const wchar_t* section_;
    const wchar_t* numberKey_;
    std::int32_t& number_;
    const wchar_t* defaultAction_;
};

}  // namespace tavelapp

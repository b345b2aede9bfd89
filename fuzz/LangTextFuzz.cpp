// Language files are downloaded with skins and action packages: any text, with
// any escapes and format marks, must give a result with or without arguments.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/Lang.h"
#include "win/util/TextCodec.h"

using namespace tavelapp;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const unsigned arguments = data[0] % 5;
    const std::wstring text =
        tavel::win::util::utf8ToWide(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    const std::wstring unescaped = unescapeText(text);
    if (unescaped.size() > text.size()) __builtin_trap();
    const std::wstring a[4] = {L"Artist", L"%1%", L"\\n", L"Album"};
    formatText(text, arguments > 0 ? a[0] : std::wstring(), arguments > 1 ? a[1] : std::wstring(),
               arguments > 2 ? a[2] : std::wstring(), arguments > 3 ? a[3] : std::wstring());
    return 0;
}

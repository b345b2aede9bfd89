// Settings, language and skin files come from anywhere: any bytes must parse,
// and what we write must read back the same.
#include <cstddef>
#include <cstdint>
#include <string>

#include "win/file/IniDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const tavel::win::file::IniDocument doc = tavel::win::file::IniDocument::parse(bytes);
    const std::string written = doc.serialize();
    const tavel::win::file::IniDocument again = tavel::win::file::IniDocument::parse(written);
    if (again.serialize() != written) __builtin_trap();
    for (const std::wstring& section : doc.sectionNames()) {
        for (const std::wstring& key : doc.keyNames(section)) {
            if (doc.getString(section, key, L"") != again.getString(section, key, L"")) __builtin_trap();
            (void)doc.getInt(section, key, 0);
        }
    }
    return 0;
}

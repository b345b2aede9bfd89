// Action list files come with downloaded action packages: any bytes, in the
// ANSI code page or UTF-8 with a BOM, must give entries that can be looked up.
#include <cstddef>
#include <cstdint>
#include <string>

#include "action/ActionList.h"
#include "win/file/FileSystem.h"
#include "win/util/TextCodec.h"

using namespace tavelapp;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // As the list reader decodes a file.
    const std::wstring text = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? tavel::win::util::utf8ToWide(bytes.substr(3))
                                                                       : tavel::win::file::decodeAnsi(bytes);
    ActionList list;
    list.parse(L"Fuzz", text);
    if (list.items().size() > text.size() + 1) __builtin_trap();
    for (const ActionListItemPtr& item : list.items()) {
        if (!item || (item->actionName.empty() && !item->key.empty())) __builtin_trap();
        if (item->key.find_first_of(L"\t\n") != std::wstring::npos) __builtin_trap();
        const int index = list.indexOf(item->id);
        if (index < 0 || list.items()[static_cast<std::size_t>(index)]->key != item->key) __builtin_trap();
    }
    return 0;
}

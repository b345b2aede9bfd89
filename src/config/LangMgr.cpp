#include "config/LangMgr.h"

#include "base/AppPaths.h"
#include "win/file/File.h"
#include "win/file/FileSystem.h"
#include "win/file/IniDocument.h"
#include "win/util/StringUtil.h"

namespace tavelapp {

LangMgr::List LangMgr::list() { return list(AppPaths::settingsFolder() + L"\\Langs"); }

LangMgr::List LangMgr::list(const std::wstring& langsFolder) {
    List result;
    for (const std::wstring& fileName : tavel::win::file::listFiles(langsFolder, L"*.lng")) {
        List::Item item;
        item.id = tavel::win::util::asciiLower(tavel::win::file::File(fileName).fileTitle());
        std::string bytes;
        if (tavel::win::file::readFileBytes(langsFolder + L"\\" + fileName, bytes)) {
            item.name = tavel::win::file::IniDocument::parse(bytes).getString(L"Info", L"Name", std::wstring());
        }
        result.items.push_back(item);
    }
    return result;
}

}  // namespace tavelapp

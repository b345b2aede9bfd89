#include "action/ActionList.h"

#include "action/ActionPluginMgr.h"
#include "base/AppPaths.h"
#include "config/Lang.h"
#include "win/file/FileSystem.h"
#include "win/util/StringUtil.h"
#include "win/util/TextCodec.h"

namespace tavelapp {

std::wstring ActionListItem::displayName() const { return Lang::instance().text(L"ActionName", id); }

std::wstring ActionListItem::description() const { return Lang::instance().text(L"ActionDesc", id); }

ActionList& ActionList::instance() {
    static ActionList list;
    return list;
}

void ActionList::clear() {
    items_.clear();
    folders_.clear();
}

void ActionList::load() { load(AppPaths::settingsFolder() + L"\\Actions"); }

void ActionList::load(const std::wstring& actionsFolder) {
    clear();
    for (const std::wstring& folder : tavel::win::file::listSubfolders(actionsFolder)) {
        folders_.push_back(folder);
        const std::wstring path = actionsFolder + L"\\" + folder;
        for (const std::wstring& file : tavel::win::file::listFiles(path, L"*.act")) {
            loadFile(folder, path + L"\\" + file);
        }
        for (const std::wstring& library : tavel::win::file::listFiles(path, L"*.dll")) {
            ActionPluginMgr::instance().addPlugin(path + L"\\" + library);
        }
    }
}

void ActionList::loadFile(const std::wstring& folder, const std::wstring& path) {
    std::string bytes;
    if (!tavel::win::file::readFileBytes(path, bytes)) return;
    // List files are in the ANSI code page; a UTF-8 file says so by its BOM.
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        parse(folder, tavel::win::util::utf8ToWide(bytes.substr(3)));
    } else {
        parse(folder, tavel::win::file::decodeAnsi(bytes));
    }
}

void ActionList::parse(const std::wstring& folder, const std::wstring& text) {
    std::wstring section;
    std::wstring::size_type start = 0;
    while (start <= text.size()) {
        std::wstring::size_type end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.empty() || line[0] == L';') continue;
        if (line[0] == L'[') {
            section = line.size() >= 2 ? line.substr(1, line.size() - 2) : std::wstring();
            continue;
        }
        std::vector<std::wstring> fields;
        std::wstring::size_type from = 0;
        for (;;) {
            const std::wstring::size_type tab = line.find(L'\t', from);
            fields.push_back(line.substr(from, tab == std::wstring::npos ? std::wstring::npos : tab - from));
            if (tab == std::wstring::npos) break;
            from = tab + 1;
        }
        auto item = std::make_shared<ActionListItem>();
        item->folder = folder;
        item->section = section;
        item->id = fields[0];
        item->key = tavel::win::util::asciiLower(fields[0]);
        item->actionName = fields.size() > 1 && !fields[1].empty() ? fields[1] : item->key;
        for (std::size_t i = 2; i < fields.size() && !fields[i].empty(); ++i)
            item->params.push_back(fields[i]);
        items_.push_back(item);
    }
}

ActionListItemPtr ActionList::find(const std::wstring& name) const {
    const int index = indexOf(name);
    return index < 0 ? nullptr : items_[static_cast<std::size_t>(index)];
}

int ActionList::indexOf(const std::wstring& name) const {
    const std::wstring key = tavel::win::util::asciiLower(name);
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i]->key == key) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace tavelapp

#pragma once
#include <string>
#include <vector>

#include "action/ActionListItem.h"

namespace tavelapp {

// The entries of every "*.act" list file in the Actions sub-folders.
class ActionList {
public:
    using Item = ActionListItem;

    static ActionList& instance();

    // Drops all entries, then reads every sub-folder of the settings folder's
    // Actions folder: its list files, then its plug-in libraries. Once per run.
    void load();
    void load(const std::wstring& actionsFolder);
    // Appends the entries of one list file; an unreadable file adds nothing.
    void loadFile(const std::wstring& folder, const std::wstring& path);
    void parse(const std::wstring& folder, const std::wstring& text);

    // The first entry whose key equals the lowered name; null when none.
    ActionListItemPtr find(const std::wstring& name) const;
    int indexOf(const std::wstring& name) const;

    const std::vector<ActionListItemPtr>& items() const { return items_; }
    const std::vector<std::wstring>& folders() const { return folders_; }
    void clear();

private:
    std::vector<ActionListItemPtr> items_;
    std::vector<std::wstring> folders_;
};

}  // namespace tavelapp

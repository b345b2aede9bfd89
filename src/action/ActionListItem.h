#pragma once
#include <memory>
#include <string>
#include <vector>

namespace tavelapp {

// One entry of an action list: a user-visible name for an action with fixed parameters.
struct ActionListItem {
    std::wstring folder;   // the Actions sub-folder whose list file holds it
    std::wstring section;  // the last section heading above it
    std::wstring key;      // the ID lowered, for look-ups
    std::wstring actionName;
    std::vector<std::wstring> params;
    std::wstring id;  // as written

    // Language texts "ActionName" / "ActionDesc" under the ID.
    std::wstring displayName() const;
    std::wstring description() const;
};

using ActionListItemPtr = std::shared_ptr<ActionListItem>;

}  // namespace tavelapp

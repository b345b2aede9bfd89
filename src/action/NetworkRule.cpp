#include "action/NetworkRule.h"

#include "action/ActionList.h"
#include "action/ITunesActionFactory.h"
#include "win/util/StringUtil.h"

namespace tavelapp {
namespace action {

bool allowedOverNetwork(const std::wstring& reference, bool allowAll) {
    if (allowAll) return true;
    std::wstring name = reference;
    if (ActionListItemPtr entry = ActionList::instance().find(reference)) name = entry->actionName;
    name = tavel::win::util::asciiLower(name);
    if (ITunesActionFactory::instance().exists(name)) return true;
    return name == L"donothing" || name == L"notifytrack" || name == L"notifysetting" || name == L"notifychanges";
}

}  // namespace action
}  // namespace tavelapp

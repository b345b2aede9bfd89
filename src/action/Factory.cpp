#include "action/Factory.h"

#include "win/util/StringUtil.h"

namespace tavelapp {
namespace action {

void Factory::add(const std::wstring& name, Creator creator) {
    creators_.emplace(tavel::win::util::asciiLower(name), std::move(creator));
}

bool Factory::exists(const std::wstring& name) const { return creators_.count(name) != 0; }

std::shared_ptr<Action> Factory::create(const std::wstring& name, const ActionListItemPtr& entry,
                                        const std::vector<std::wstring>& params) const {
    auto it = creators_.find(name);
    return it == creators_.end() ? nullptr : it->second(entry, params);
}

std::vector<std::wstring> Factory::names() const {
    std::vector<std::wstring> result;
    for (const auto& entry : creators_)
        result.push_back(entry.first);
    return result;
}

}  // namespace action
}  // namespace tavelapp

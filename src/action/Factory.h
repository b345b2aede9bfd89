#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "action/Action.h"

namespace tavelapp {
namespace action {

// Action names to creators. Names are stored lowered (A-Z); look-ups take the
// name as given, already lowered by the caller.
class Factory {
public:
    using Creator = std::function<std::shared_ptr<Action>(const ActionListItemPtr&, const std::vector<std::wstring>&)>;

    virtual ~Factory() = default;
    // An existing name keeps its first creator.
    void add(const std::wstring& name, Creator creator);
    bool exists(const std::wstring& name) const;
    std::shared_ptr<Action> create(const std::wstring& name, const ActionListItemPtr& entry,
                                   const std::vector<std::wstring>& params) const;
    // Registered names, lowered, in map order.
    std::vector<std::wstring> names() const;

    template <typename T>
    void add(const std::wstring& name) {
        add(name, [](const ActionListItemPtr& entry, const std::vector<std::wstring>& params) {
            return std::make_shared<T>(entry, params);
        });
    }

private:
    std::map<std::wstring, Creator> creators_;
};

}  // namespace action
}  // namespace tavelapp

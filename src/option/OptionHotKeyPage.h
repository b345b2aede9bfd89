#pragma once
#include "option/BindingListPage.h"

namespace tavelapp {

// The hot keys; two bindings of the same keys cannot be applied.
class OptionHotKeyPage : public BindingListPageOf<Ini::HotKey> {
public:
    explicit OptionHotKeyPage(Ini& settings);

protected:
    std::wstring inputTextAt(std::size_t index) const override;
    bool capture(std::size_t index) override;
    void resetList() override;
    bool validate() override;
};

}  // namespace tavelapp

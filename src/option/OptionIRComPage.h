#pragma once
#include "option/BindingListPage.h"

namespace tavelapp {

// The phone's infrared keys.
class OptionIRComPage : public BindingListPageOf<Ini::Key> {
public:
    explicit OptionIRComPage(Ini& settings);

protected:
    std::wstring inputTextAt(std::size_t index) const override;
    bool capture(std::size_t index) override;
    void resetList() override;
};

}  // namespace tavelapp

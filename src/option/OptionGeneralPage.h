#pragma once
#include <string>
#include <vector>

#include "option/OptionPage.h"

namespace tavelapp {

// Language, notification skin, start with Windows and the phone remote over
// the network.
class OptionGeneralPage : public OptionPage {
public:
    explicit OptionGeneralPage(Ini& settings);

protected:
    void onInit() override;
    bool validate() override;
    void apply() override;

private:
    std::vector<std::wstring> languages_;
    std::vector<std::wstring> skins_;
};

}  // namespace tavelapp

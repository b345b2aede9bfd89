#pragma once
#include "option/OptionPage.h"

namespace tavelapp {

// Cover search and picture decoding.
class OptionArtworkPage : public OptionPage {
public:
    explicit OptionArtworkPage(Ini& settings);

protected:
    void onInit() override;
    bool onCommand(WORD id, WORD code, HWND control) override;

private:
    void updateEnabled();
};

}  // namespace tavelapp

#pragma once
#include <string>
#include <vector>

#include "option/OptionPage.h"
#include "web/PairingStore.h"
#include "web/WebDevicesFile.h"

namespace tavelapp {

// Language, notification skin, start with Windows, the phone remote over
// the network and the web remote with its paired devices.
class OptionGeneralPage : public OptionPage {
public:
    explicit OptionGeneralPage(Ini& settings);

protected:
    void onInit() override;
    bool validate() override;
    void apply() override;
    bool onCommand(WORD id, WORD code, HWND control) override;

private:
    void listDevices();

    std::vector<std::wstring> languages_;
    std::vector<std::wstring> skins_;
    // The paired devices as the sheet shows them; saved on OK when one was
    // removed, through the object that loaded them (a file that could not be
    // read then is not saved over).
    WebDevicesFile devicesFile_{WebDevicesFile::defaultPath()};
    bool devicesChanged_ = false;
};

}  // namespace tavelapp

#include "option/OptionArtworkPage.h"

#include "res/resource.h"

namespace tavelapp {

OptionArtworkPage::OptionArtworkPage(Ini& settings) : OptionPage(IDD_OPT_ARTWORK, L"OptionArtworkPage", settings) {
    Ini::Item::Artwork& a = settings_.artwork;
    syncer_.bindCheck(IDC_OPT_A_DOWNLOAD, a.downloadEnabled);
    syncer_.bindCheck(IDC_OPT_A_NOTIFYRESULT, a.notifyDownloadResult);
    syncer_.bindCheck(IDC_OPT_A_CONFIRMAPPLY, a.confirmApply);
    syncer_.bindCheck(IDC_OPT_A_NOTIFYAPPLIED, a.notifyApplyCompleted);
    syncer_.bindCheck(IDC_OPT_A_USEWIC, a.useWic);
}

void OptionArtworkPage::onInit() { updateEnabled(); }

bool OptionArtworkPage::onCommand(WORD id, WORD code, HWND) {
    if (id == IDC_OPT_A_DOWNLOAD && code == BN_CLICKED) {
        updateEnabled();
        return true;
    }
    return false;
}

void OptionArtworkPage::updateEnabled() {
    enable(IDC_OPT_A_NOTIFYRESULT, ::IsDlgButtonChecked(hwnd(), IDC_OPT_A_DOWNLOAD) == BST_CHECKED);
}

}  // namespace tavelapp

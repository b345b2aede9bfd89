#include "option/OptionArtworkPage.h"

#include "res/resource.h"

namespace tavelapp {

OptionArtworkPage::OptionArtworkPage(Ini& settings) : OptionPage(IDD_OPT_ARTWORK, L"OptionArtworkPage", settings) {
    Ini::Item::Artwork& a = settings_.artwork;
    syncer_.bindCheck(IDC_OPT_A_DOWNLOAD, a.downloadEnabled);
    syncer_.bindSelection(IDC_OPT_A_PROVIDER, a.provider);
    syncer_.bindText(IDC_OPT_A_STOREADDRESS, a.storeAddress);
    syncer_.bindText(IDC_OPT_A_MBADDRESS, a.musicBrainzAddress);
    syncer_.bindText(IDC_OPT_A_CAADDRESS, a.coverArtAddress);
    syncer_.bindCheck(IDC_OPT_A_NOTIFYRESULT, a.notifyDownloadResult);
    syncer_.bindCheck(IDC_OPT_A_CONFIRMAPPLY, a.confirmApply);
    syncer_.bindCheck(IDC_OPT_A_NOTIFYAPPLIED, a.notifyApplyCompleted);
    syncer_.bindCheck(IDC_OPT_A_USEWIC, a.useWic);
}

void OptionArtworkPage::onInit() {
    HWND providers = item(IDC_OPT_A_PROVIDER);
    for (const wchar_t* key : {L"Provider0", L"Provider1"})
        ::SendMessageW(providers, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(syncer_.text(key).c_str()));
    ::SendMessageW(providers, CB_SETCURSEL, static_cast<WPARAM>(settings_.artwork.provider), 0);
    updateEnabled();
}

bool OptionArtworkPage::onCommand(WORD id, WORD code, HWND) {
    if ((id == IDC_OPT_A_DOWNLOAD && code == BN_CLICKED) || (id == IDC_OPT_A_PROVIDER && code == CBN_SELCHANGE)) {
        updateEnabled();
        return true;
    }
    return false;
}

void OptionArtworkPage::updateEnabled() {
    const bool on = ::IsDlgButtonChecked(hwnd(), IDC_OPT_A_DOWNLOAD) == BST_CHECKED;
    const bool store = ::SendMessageW(item(IDC_OPT_A_PROVIDER), CB_GETCURSEL, 0, 0) == 0;
    for (int id : {IDC_OPT_A_PROVIDER, IDC_OPT_A_PROVIDER_LABEL, IDC_OPT_A_NOTIFYRESULT})
        enable(id, on);
    enable(IDC_OPT_A_STOREADDRESS, on && store);
    enable(IDC_OPT_A_STOREADDRESS_LABEL, on && store);
    for (int id : {IDC_OPT_A_MBADDRESS, IDC_OPT_A_MBADDRESS_LABEL, IDC_OPT_A_CAADDRESS, IDC_OPT_A_CAADDRESS_LABEL})
        enable(id, on && !store);
}

}  // namespace tavelapp

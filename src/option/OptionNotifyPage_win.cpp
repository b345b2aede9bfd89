#include "option/OptionNotifyPage.h"

#include "base/NotifyWndInfo.h"
#include "notify/NotificationTexts.h"
#include "notify/NotifyWndMgr.h"
#include "option/CaptureDlg.h"
#include "option/OptionRules.h"
#include "notify/PlayerStateFactory.h"
#include "res/resource.h"

namespace tavelapp {

OptionNotifyPage::OptionNotifyPage(Ini& settings) : OptionPage(IDD_OPT_NOTIFY, L"OptionNotifyPage", settings) {
    Ini::Item::Notify& n = settings_.notify;
    syncer_.bindCheck(IDC_OPT_N_TRACK, n.notifyTrack);
    syncer_.bindCheck(IDC_OPT_N_ARTWORK, n.showArtwork);
    syncer_.bindCheck(IDC_OPT_N_CONTINUOUS, n.arrowContinuousNotify);
    syncer_.bindCheck(IDC_OPT_N_SYSVOLUME, n.notifySystemVolume);
    syncer_.bindCheck(IDC_OPT_N_SYSMUTE, n.notifySystemMute);
    syncer_.bindCheck(IDC_OPT_N_VOLUME, n.notifyVolume);
    syncer_.bindCheck(IDC_OPT_N_MUTE, n.notifyMute);
    syncer_.bindCheck(IDC_OPT_N_SHUFFLE, n.notifyShuffle);
    syncer_.bindCheck(IDC_OPT_N_REPEAT, n.notifyRepeat);
    syncer_.bindCheck(IDC_OPT_N_RATING, n.notifyRating);
    syncer_.bindCheck(IDC_OPT_N_PLAYERSTATE, n.notifyPlayerState);
    syncer_.bindCheck(IDC_OPT_N_EQ, n.notifyEQ);
    syncer_.bindCheck(IDC_OPT_N_VISUALS, n.notifyVisuals);
    syncer_.bindCheck(IDC_OPT_N_CLICKTRACKONLY, n.runClickActionOnlyTrackNotify);
    syncer_.bindText(IDC_OPT_N_TRACKTEXT, n.notifyTrackText);
    syncer_.bindNumber(IDC_OPT_N_TIME, n.notifyTime);
    syncer_.bindNumber(IDC_OPT_N_TIMEOTHERS, n.notifyTimeOthers);
    syncer_.bindNumber(IDC_OPT_N_TRANSPARENCY, n.transparency);
    syncer_.bindSelection(IDC_OPT_N_EFFECT, n.effect);
}

OptionNotifyPage::~OptionNotifyPage() = default;

void OptionNotifyPage::onInit() {
    HWND templates = item(IDC_OPT_N_TRACKTEXT);
    for (const std::wstring& preset : Ini::trackTextPresets())
        ::SendMessageW(templates, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(preset.c_str()));
    ::SendMessageW(templates, CB_LIMITTEXT, 511, 0);
    // Filling the list cleared the edited text: show the setting again.
    ::SetWindowTextW(templates, settings_.notify.notifyTrackText.c_str());
    HWND effects = item(IDC_OPT_N_EFFECT);
    for (int i = 0; i < 4; ++i)
        ::SendMessageW(effects, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(syncer_.text(L"Effect" + std::to_wstring(i)).c_str()));
    ::SendMessageW(effects, CB_SETCURSEL, static_cast<WPARAM>(settings_.notify.effect), 0);
    clickActions_.fill(item(IDC_OPT_N_CLICKACTION), settings_.notify.clickAction);
    updateEnabled();
}

void OptionNotifyPage::updateEnabled() {
    const bool track = ::IsDlgButtonChecked(hwnd(), IDC_OPT_N_TRACK) == BST_CHECKED;
    for (int id : {IDC_OPT_N_TRACKTEXT, IDC_OPT_N_TRACKTEXT_LABEL, IDC_OPT_N_ARTWORK})
        enable(id, track);
}

bool OptionNotifyPage::onCommand(WORD id, WORD code, HWND) {
    if (id == IDC_OPT_N_TRACK && code == BN_CLICKED) {
        updateEnabled();
        return true;
    }
    if (id == IDC_OPT_N_PREVIEW && code == BN_CLICKED) {
        preview();
        return true;
    }
    return false;
}

bool OptionNotifyPage::validate() {
    long value = 0;
    if (OptionRules::parseInRange(syncer_.text(IDC_OPT_N_TRANSPARENCY), 0, 100, value)) return true;
    ::MessageBoxW(hwnd(), syncer_.text(L"TransparencyRangeText").c_str(), syncer_.text(L"Caption").c_str(),
                  MB_OK | MB_ICONWARNING);
    ::SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(IDC_OPT_N_TRANSPARENCY)), TRUE);
    return false;
}

void OptionNotifyPage::apply() {
    storeChoice(settings_.notify.clickAction, item(IDC_OPT_N_CLICKACTION), clickActions_);
}

void OptionNotifyPage::preview() {
    // The preview draws with a copy of the edited values and its own skin; the
    // live settings and skin stay as saved until the sheet closes. Reading the
    // controls early only touches the sheet's copy.
    syncer_.fromControls();
    auto shown = std::make_shared<Ini>(settings_);
    long transparency = 0;
    if (!OptionRules::parseInRange(syncer_.text(IDC_OPT_N_TRANSPARENCY), 0, 100, transparency)) transparency = 0;
    shown->notify.transparency = static_cast<std::int32_t>(transparency);
    if (!preview_) preview_.reset(new NotifyWndMgr());
    preview_->useOwnLook(shown);
    const std::wstring text =
        NotificationTexts::trackText(*PlayerStateFactory::instance().latest(), shown->notify.notifyTrackText);
    preview_->show(NotificationTexts::kTrack, text, nullptr, NotifyWndInfo::kTrack, shown->notify.notifyTime);
}

}  // namespace tavelapp

#include "option/OptionDetailPage.h"

#include <commdlg.h>
#include <mmsystem.h>

#include <vector>

#include "option/CaptureDlg.h"
#include "res/resource.h"

namespace tavelapp {

OptionDetailPage::OptionDetailPage(Ini& settings) : OptionPage(IDD_OPT_DETAIL, L"OptionDetailPage", settings) {
    Ini::Item::Detail& d = settings_.detail;
    syncer_.bindNumber(IDC_OPT_D_SYNCHROTIME, d.synchroTime);
    syncer_.bindCheck(IDC_OPT_D_DISABLEBOOT, d.disableBootITunes);
    syncer_.bindCheck(IDC_OPT_D_IGNOREWAITING, d.ignoreWaitingAction);
    syncer_.bindCheck(IDC_OPT_D_SOUND, d.soundEnabled);
    syncer_.bindCheck(IDC_OPT_D_OBSERVATION, d.notifyObservationState);
    syncer_.bindCheck(IDC_OPT_D_BACKUP, d.backupEnabled);
    syncer_.bindCheck(IDC_OPT_D_DISABLE, d.disable);
    syncer_.bindText(IDC_OPT_D_SOUNDPATH, d.soundPath);
    syncer_.bindNumber(IDC_OPT_D_BACKUPS, d.numberOfBackups);
    syncer_.bindNumber(IDC_OPT_D_INTERVAL, d.intervalOfBackup);
}

void OptionDetailPage::onInit() {
    trayActions_.fill(item(IDC_OPT_D_TRAYACTION), settings_.detail.trayIconAction);
    wheelActions_.fill(item(IDC_OPT_D_WHEELACTION), settings_.detail.trayIconWheelClickAction);
    startupActions_.fill(item(IDC_OPT_D_STARTUPACTION), settings_.detail.startupAction);
    endupActions_.fill(item(IDC_OPT_D_ENDUPACTION), settings_.detail.endupAction);
}

bool OptionDetailPage::onCommand(WORD id, WORD code, HWND) {
    if (code != BN_CLICKED) return false;
    if (id == IDC_OPT_D_BROWSE) {
        browse();
        return true;
    }
    if (id == IDC_OPT_D_PLAY) {
        const std::wstring path = syncer_.text(IDC_OPT_D_SOUNDPATH);
        ::PlaySoundW(path.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
        return true;
    }
    return false;
}

void OptionDetailPage::browse() {
    std::vector<wchar_t> path(MAX_PATH * 4, L'\0');
    const std::wstring current = syncer_.text(IDC_OPT_D_SOUNDPATH);
    current.copy(path.data(), path.size() - 1);
    // Name and pattern, each ended by a NUL, and an empty entry to close the list.
    std::wstring filter = syncer_.text(L"SoundFilter");
    filter.push_back(L'\0');
    filter += L"*.wav";
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    const std::wstring title = syncer_.text(L"SoundBrowseTitle");
    OPENFILENAMEW open{};
    open.lStructSize = sizeof(open);
    open.hwndOwner = hwnd();
    open.lpstrFilter = filter.c_str();
    open.lpstrFile = path.data();
    open.nMaxFile = static_cast<DWORD>(path.size());
    open.lpstrTitle = title.c_str();
    open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (::GetOpenFileNameW(&open)) ::SetDlgItemTextW(hwnd(), IDC_OPT_D_SOUNDPATH, path.data());
}

void OptionDetailPage::apply() {
    storeChoice(settings_.detail.trayIconAction, item(IDC_OPT_D_TRAYACTION), trayActions_);
    storeChoice(settings_.detail.trayIconWheelClickAction, item(IDC_OPT_D_WHEELACTION), wheelActions_);
    storeChoice(settings_.detail.startupAction, item(IDC_OPT_D_STARTUPACTION), startupActions_);
    storeChoice(settings_.detail.endupAction, item(IDC_OPT_D_ENDUPACTION), endupActions_);
}

}  // namespace tavelapp

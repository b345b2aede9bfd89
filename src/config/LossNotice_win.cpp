#include "config/LossNotice.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "base/NotifyWndInfo.h"
#include "base/Util.h"
#include "config/Lang.h"

namespace tavelapp {
namespace {

std::atomic<bool> toldUnsaved{false};
std::atomic<bool> toldTimer{false};

void tell(std::atomic<bool>& told, const std::string& key, const std::wstring& text) {
    if (told.exchange(true)) return;
    if (Util::hasController()) {
        Util::notify(key, text, NotifyWndInfo::kWarning);
    } else {
        ::MessageBoxW(nullptr, text.c_str(), L"Kolibrix", MB_OK | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST);
    }
}

std::wstring text(const wchar_t* key) { return Lang::instance().text(L"Notification", key); }

}  // namespace

bool LossNotice::save(tavel::win::file::Ini& file) {
    if (file.save()) return true;
    tell(toldUnsaved, "SettingsNotSaved", formatText(text(L"SettingsNotSaved"), file.path()));
    return false;
}

void LossNotice::timerRefused() { tell(toldTimer, "TimerNotStarted", text(L"TimerNotStarted")); }

void LossNotice::rearm() {
    toldUnsaved = false;
    toldTimer = false;
}

}  // namespace tavelapp

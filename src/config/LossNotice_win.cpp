#include "config/LossNotice.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "base/NotifyWndInfo.h"
#include "base/Util.h"
#include "config/Lang.h"
#include "win/util/MainThread.h"

namespace tavelapp {
namespace {

std::atomic<bool> toldUnsaved{false};
std::atomic<bool> toldTimer{false};

// Once the notifications are gone (at exit) only a message box can tell; it
// closes by itself after a while, so an ending session is never held.
void showBox(const std::wstring& text) {
    const UINT style = MB_OK | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST;
    using TimedBox = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT, WORD, DWORD);
    const auto timed = reinterpret_cast<TimedBox>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "MessageBoxTimeoutW")));
    if (timed != nullptr) {
        timed(nullptr, text.c_str(), L"Kolibrix", style, 0, 60000);
    } else {
        ::MessageBoxW(nullptr, text.c_str(), L"Kolibrix", style);
    }
}

void tell(std::atomic<bool>& told, const std::string& key, const std::wstring& text) {
    if (told.exchange(true)) return;
    if (Util::hasController()) {
        Util::notify(key, text, NotifyWndInfo::kWarning);
    } else if (tavel::win::util::MainThread::isCurrent()) {
        // Never on a worker: nobody waits for its box, and the exit waits for it.
        showBox(text);
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

#include "option/OptionSheet.h"

#include <commctrl.h>

#include "config/Lang.h"
#include "option/OptionArtworkPage.h"
#include "option/OptionDetailPage.h"
#include "option/OptionGeneralPage.h"
#include "option/OptionHotKeyPage.h"
#include "option/OptionIRComPage.h"
#include "option/OptionJoyPage.h"
#include "option/OptionNotifyPage.h"
#include "option/OptionWiimotePage.h"
#include "win/util/CallbackGuard.h"
#include "win/util/MainThread.h"

namespace tavelapp {
namespace {

int sheetCount = 0;
OptionSheet* showing = nullptr;  // the sheet whose window is being created

}  // namespace

void registerControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_HOTKEY_CLASS | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES;
    ::InitCommonControlsEx(&controls);
}

OptionSheet::OptionSheet(const Ini& settings)
    : settings_(settings),
      generalPage_(new OptionGeneralPage(settings_)),
      hotKeyPage_(new OptionHotKeyPage(settings_)),
      joyPage_(new OptionJoyPage(settings_)),
      wiimotePage_(new OptionWiimotePage(settings_)),
      irComPage_(new OptionIRComPage(settings_)),
      notifyPage_(new OptionNotifyPage(settings_)),
      artworkPage_(new OptionArtworkPage(settings_)),
      detailPage_(new OptionDetailPage(settings_)),
      title_(Lang::instance().text(L"OptionSheet", L"Caption")) {
    ++sheetCount;
    // The six input and notification pages first, then the general and artwork pages.
    shown_ = {hotKeyPage_.get(), joyPage_.get(),    irComPage_.get(),   wiimotePage_.get(),
              notifyPage_.get(), detailPage_.get(), generalPage_.get(), artworkPage_.get()};
    for (OptionPage* page : shown_)
        page->setSheet(this);
}

OptionSheet::~OptionSheet() { --sheetCount; }

bool OptionSheet::exists() { return sheetCount > 0; }

namespace {
bool pairingAsked = false;
}  // namespace

void OptionSheet::askPairing() { pairingAsked = true; }

bool OptionSheet::takePairingAsked() {
    const bool asked = pairingAsked;
    pairingAsked = false;
    return asked;
}

bool OptionSheet::show(HWND owner) {
    tavel::win::util::MainThread::check("OptionSheet::show");
    registerControls();
    std::vector<HPROPSHEETPAGE> pages;
    for (OptionPage* page : shown_)
        if (HPROPSHEETPAGE handle = page->create()) pages.push_back(handle);
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_NOCONTEXTHELP | PSH_USECALLBACK;
    header.hwndParent = owner;
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.pszCaption = title_.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    header.pfnCallback = &OptionSheet::callback;
    cancelled_ = false;
    showing = this;
    const INT_PTR result = ::PropertySheetW(&header);
    showing = nullptr;
    hwnd_ = nullptr;
    if (result < 0) return false;
    return !cancelled_ || applied_ != nullptr;
}

const Ini& OptionSheet::result() const { return cancelled_ && applied_ ? *applied_ : settings_; }

int CALLBACK OptionSheet::callback(HWND sheet, UINT message, LPARAM) {
    return tavel::win::util::guardedOr("OptionSheet", 0, [&] {
        if (message == PSCB_INITIALIZED && showing != nullptr) {
            showing->hwnd_ = sheet;
            // Opened from the tray, it must not hide behind another program's window.
            ::SetForegroundWindow(sheet);
        }
        return 0;
    });
}

void OptionSheet::onPageApplied(HWND page, bool valid, bool byOk) {
    if (!valid) applyRefused_ = true;
    if (byOk && valid) return;  // the sheet closes; result() is the copy itself
    // The pages answer one after another; once all have, the copy is kept.
    if (!applyPending_ && ::PostMessageW(page, kAppliedMessage, 0, 0)) applyPending_ = true;
}

void OptionSheet::onApplyDone() {
    if (!applyRefused_) applied_.reset(new Ini(settings_));
    applyRefused_ = false;
    applyPending_ = false;
}

}  // namespace tavelapp

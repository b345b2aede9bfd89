#include "option/OptionPage.h"

#include "config/Lang.h"
#include "option/OptionSheet.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {

OptionPage::OptionPage(int templateId, const std::wstring& section, Ini& settings)
    : settings_(settings),
      syncer_(section),
      templateId_(templateId),
      title_(Lang::instance().text(section, L"Caption")) {}

HPROPSHEETPAGE OptionPage::create() {
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_USETITLE;
    page.hInstance = ::GetModuleHandleW(nullptr);
    page.pszTemplate = MAKEINTRESOURCEW(templateId_);
    page.pszTitle = title_.c_str();
    page.pfnDlgProc = &OptionPage::procedure;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return ::CreatePropertySheetPageW(&page);
}

void OptionPage::changed() {
    if (initialised_) PropSheet_Changed(::GetParent(hwnd_), hwnd_);
}

int OptionPage::ask(const std::wstring& captionKey, const std::wstring& textKey, UINT type) const {
    return ::MessageBoxW(hwnd_, syncer_.text(textKey).c_str(), syncer_.text(captionKey).c_str(), type);
}

INT_PTR CALLBACK OptionPage::procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return tavel::win::util::guardedOr<INT_PTR>("OptionPage", FALSE, [&]() -> INT_PTR {
        if (message == WM_INITDIALOG) {
            auto* self = reinterpret_cast<OptionPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
            ::SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
            self->hwnd_ = dialog;
        }
        auto* self = reinterpret_cast<OptionPage*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        if (self == nullptr) return FALSE;
        const INT_PTR result = self->handle(message, wParam, lParam);
        if (message == WM_NCDESTROY) self->hwnd_ = nullptr;
        return result;
    });
}

INT_PTR OptionPage::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            syncer_.init(hwnd_);
            onInit();
            initialised_ = true;
            return TRUE;
        case WM_COMMAND: {
            const WORD id = LOWORD(wParam);
            const WORD code = HIWORD(wParam);
            const bool handled = onCommand(id, code, reinterpret_cast<HWND>(lParam));
            if (code == BN_CLICKED || code == EN_CHANGE || code == CBN_SELCHANGE || code == CBN_EDITCHANGE) changed();
            return handled ? TRUE : FALSE;
        }
        case WM_NOTIFY: {
            NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
            if (header.code == PSN_APPLY) {
                const LRESULT answer = onApply(*reinterpret_cast<PSHNOTIFY*>(lParam)) ? PSNRET_NOERROR : PSNRET_INVALID;
                ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, answer);
                return TRUE;
            }
            if (header.code == PSN_RESET) {
                if (sheet_ != nullptr) sheet_->onCancelled();
                return FALSE;
            }
            return onNotify(header) ? TRUE : FALSE;
        }
        case OptionSheet::kAppliedMessage:
            if (sheet_ != nullptr) sheet_->onApplyDone();
            return TRUE;
        default:
            return FALSE;
    }
}

bool OptionPage::onApply(const PSHNOTIFY& notice) {
    const bool valid = validate();
    if (valid) {
        syncer_.fromControls();
        apply();
    }
    if (sheet_ != nullptr) sheet_->onPageApplied(hwnd_, valid, notice.lParam != FALSE);
    return valid;
}

}  // namespace tavelapp

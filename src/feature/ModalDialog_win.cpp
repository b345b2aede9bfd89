#include "feature/ModalDialog.h"

#include "win/util/CallbackGuard.h"
#include "win/util/MainThread.h"

namespace tavelapp {

INT_PTR ModalDialog::showModal(int templateId, HWND owner, HWND& openOfThisKind) {
    tavel::win::util::MainThread::check("ModalDialog::showModal");
    if (openOfThisKind != nullptr && ::IsWindow(openOfThisKind)) {
        ::SetForegroundWindow(openOfThisKind);
        return 0;
    }
    struct Reset {
        HWND& open;
        ~Reset() { open = nullptr; }
    } reset{openOfThisKind};
    open_ = &openOfThisKind;
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner, &procedure,
                             reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK ModalDialog::procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return tavel::win::util::guardedOr<INT_PTR>("ModalDialog", FALSE, [&]() -> INT_PTR {
        if (message == WM_INITDIALOG) {
            auto* self = reinterpret_cast<ModalDialog*>(lParam);
            ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            self->hwnd_ = dialog;
            if (self->open_ != nullptr) *self->open_ = dialog;
            self->onInit();
            return TRUE;
        }
        auto* self = reinterpret_cast<ModalDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        if (self == nullptr) return FALSE;
        if (message == WM_COMMAND) return self->onCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        if (message == WM_NCDESTROY) self->hwnd_ = nullptr;
        return self->onMessage(message, wParam, lParam) ? TRUE : FALSE;
    });
}

}  // namespace tavelapp

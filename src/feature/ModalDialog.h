#pragma once
#include <windows.h>

namespace tavelapp {

// A modal dialog from a resource template, bound to its object in
// WM_INITDIALOG; no exception leaves the dialog procedure. A second show of
// the same kind while one is open brings that one forward instead.
class ModalDialog {
public:
    ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;
    virtual ~ModalDialog() = default;

    // The dialog's result, or 0 when one of its kind was open already.
    INT_PTR showModal(int templateId, HWND owner, HWND& openOfThisKind);
    HWND hwnd() const { return hwnd_; }

protected:
    virtual void onInit() = 0;
    // True when handled.
    virtual bool onCommand(WORD id, WORD code) = 0;
    virtual bool onMessage(UINT, WPARAM, LPARAM) { return false; }
    HWND item(int id) const { return ::GetDlgItem(hwnd_, id); }
    void close(INT_PTR result) { ::EndDialog(hwnd_, result); }

private:
    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    HWND* open_ = nullptr;
};

}  // namespace tavelapp

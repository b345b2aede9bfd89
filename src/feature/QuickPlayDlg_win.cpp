#include <windows.h>

#include <vector>

#include "config/DialogLocalizer.h"
#include "config/Lang.h"
#include "feature/ActionChoice.h"
#include "feature/ModalDialog.h"
#include "feature/QuickPlayDlg.h"
#include "res/resource.h"

namespace tavelapp {
namespace {

std::wstring textOf(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    ::GetWindowTextW(window, buffer.data(), length + 1);
    return std::wstring(buffer.data());
}

class QuickPlayWindow : public ModalDialog {
public:
    explicit QuickPlayWindow(QuickPlayDlg& model) : model_(model) {}

private:
    void onInit() override {
        localizeDialog(hwnd(), L"QuickPlayDlg");
        HWND combo = item(IDC_QUICKPLAY_PLAYLIST);
        for (const std::wstring& entry : model_.entries(Lang::instance().text(L"QuickPlayDlg", L"PlayingPlaylistText")))
            ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        ::SendMessageW(combo, CB_SETCURSEL, 0, 0);
        bringForward(hwnd());
        ::SetFocus(item(IDC_QUICKPLAY_SEARCH));
    }
    bool onCommand(WORD id, WORD) override {
        switch (id) {
            case IDOK: {
                HWND combo = item(IDC_QUICKPLAY_PLAYLIST);
                model_.accept(textOf(item(IDC_QUICKPLAY_SEARCH)),
                              static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0)), textOf(combo));
                close(1);
                return true;
            }
            case IDCANCEL:
                close(2);
                return true;
            case 4:
                return true;
            default:
                return false;
        }
    }

    QuickPlayDlg& model_;
};

HWND openQuickPlayDlg = nullptr;

}  // namespace

int QuickPlayDlg::show() {
    QuickPlayWindow window(*this);
    const INT_PTR result = window.showModal(IDD_QUICKPLAY, ::GetActiveWindow(), openQuickPlayDlg);
    return result == 1 ? 1 : 2;
}

}  // namespace tavelapp

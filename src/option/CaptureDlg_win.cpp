#include "option/CaptureDlg.h"

#include "action/ActionList.h"
#include "option/OptionSheet.h"
#include "res/resource.h"
#include "win/util/StringUtil.h"

namespace tavelapp {
namespace {

// One binding is edited at a time.
HWND openDialog = nullptr;

void showActionDescription(HWND dialog, const ActionChoice& actions) {
    ActionListItemPtr entry = ActionList::instance().find(actions.selected(::GetDlgItem(dialog, IDC_CAP_ACTION)));
    ::SetDlgItemTextW(dialog, IDC_CAP_DESC, entry ? entry->description().c_str() : L"");
}

}  // namespace

std::wstring chosenAction(HWND combo, const ActionChoice& actions) {
    const std::wstring key = actions.selected(combo);
    ActionListItemPtr entry = ActionList::instance().find(key);
    return entry ? entry->id : key;
}

void storeChoice(std::wstring& setting, HWND combo, const ActionChoice& actions) {
    const std::wstring key = actions.selected(combo);
    if (key.empty() || tavel::win::util::asciiLower(key) == tavel::win::util::asciiLower(setting)) return;
    setting = chosenAction(combo, actions);
}

CaptureDlg::CaptureDlg(const wchar_t* section, int templateId, std::wstring& action, bool add)
    : syncer_(section), templateId_(templateId), action_(action), add_(add) {}

INT_PTR CaptureDlg::show(HWND owner) {
    registerControls();
    return showModal(templateId_, owner, openDialog);
}

void CaptureDlg::onInit() {
    syncer_.init(hwnd());
    ::SetWindowTextW(hwnd(), syncer_.text(add_ ? L"CaptionAdd" : L"CaptionEdit").c_str());
    actions_.fill(item(IDC_CAP_ACTION), action_.empty() ? std::wstring(L"DoNothing") : action_);
    showActionDescription(hwnd(), actions_);
    onInitInput();
    bringForward(hwnd());
}

bool CaptureDlg::onCommand(WORD id, WORD code) {
    switch (id) {
        case IDC_CAP_ACTION:
            if (code == CBN_SELCHANGE) showActionDescription(hwnd(), actions_);
            return true;
        case IDC_CAP_BROWSE:
            actions_.choose(hwnd(), item(IDC_CAP_ACTION));
            showActionDescription(hwnd(), actions_);
            return true;
        case IDOK:
            ok();
            return true;
        case IDCANCEL:
            onCancel();
            close(IDCANCEL);
            return true;
        default:
            return onInputCommand(id, code);
    }
}

void CaptureDlg::ok() {
    if (actions_.selected(item(IDC_CAP_ACTION)).empty()) return;
    std::wstring action = action_;
    storeChoice(action, item(IDC_CAP_ACTION), actions_);
    if (!storeInput()) return;
    action_ = action;
    close(IDOK);
}

}  // namespace tavelapp

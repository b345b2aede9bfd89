#include "option/OptionIRComPage.h"

#include "input/IRRules.h"
#include "option/GetIRComKeyDlg.h"
#include "res/resource.h"

namespace tavelapp {

OptionIRComPage::OptionIRComPage(Ini& settings)
    : BindingListPageOf<Ini::Key>(IDD_OPT_IRCOM, L"OptionIRComPage", settings, settings.irCom.disable,
                                  settings.irComKeys) {}

std::wstring OptionIRComPage::inputTextAt(std::size_t index) const { return IRRules::displayName(list_[index].key); }

bool OptionIRComPage::capture(std::size_t index) {
    Ini::Key binding = copyOf(index);
    GetIRComKeyDlg dialog(binding, index >= count());
    if (dialog.show(hwnd()) != IDOK) return false;
    store(index, binding);
    return true;
}

void OptionIRComPage::resetList() { list_ = Ini::defaultIRComKeys(); }

}  // namespace tavelapp

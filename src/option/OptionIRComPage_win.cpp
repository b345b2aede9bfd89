#include "option/OptionIRComPage.h"

#include "input/IRRules.h"
#include "option/GetIRComKeyDlg.h"
#include "res/resource.h"

namespace tavelapp {

OptionIRComPage::OptionIRComPage(Ini& settings)
    : BindingListPageOf<Ini::Key>(IDD_OPT_IRCOM, L"OptionIRComPage", settings, settings.irCom.disable,
                                  settings.irComKeys) {}

std::wstring OptionIRComPage::inputTextAt(std::size_t index) const { return IRRules::displayName(list_[index].key); }

bool OptionIRComPage::capture(std::size_t index) { return captureWith<GetIRComKeyDlg>(index, Ini::Key()); }

void OptionIRComPage::resetList() { list_ = Ini::defaultIRComKeys(); }

}  // namespace tavelapp

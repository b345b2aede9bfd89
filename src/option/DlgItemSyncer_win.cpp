#include "option/DlgItemSyncer.h"

#include "config/DialogLocalizer.h"
#include "config/Lang.h"

namespace tavelapp {

void DlgItemSyncer::init(HWND dialog) {
    attach(dialog);
    localizeDialog(dialog, section_);
    toControls();
}

std::wstring DlgItemSyncer::text(const std::wstring& key) const { return Lang::instance().text(section_, key); }

}  // namespace tavelapp

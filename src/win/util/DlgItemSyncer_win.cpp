#include "win/util/DlgItemSyncer.h"

#include <cwchar>

namespace tavel {
namespace win {
namespace util {

void DlgItemSyncer::bindCheck(int id, bool& value) {
    bindings_.push_back({[this, id, &value] { ::CheckDlgButton(dialog_, id, value ? BST_CHECKED : BST_UNCHECKED); },
                         [this, id, &value] { value = ::IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }});
}

void DlgItemSyncer::bindSelection(int id, std::int32_t& value) {
    bindings_.push_back({[this, id, &value] { ::SendMessageW(item(id), CB_SETCURSEL, static_cast<WPARAM>(value), 0); },
                         [this, id, &value] {
                             const LRESULT index = ::SendMessageW(item(id), CB_GETCURSEL, 0, 0);
                             if (index >= 0) value = static_cast<std::int32_t>(index);
                         }});
}

void DlgItemSyncer::bindText(int id, std::wstring& value) {
    bindings_.push_back({[this, id, &value] { ::SetDlgItemTextW(dialog_, id, value.c_str()); },
                         [this, id, &value] { value = text(id); }});
}

void DlgItemSyncer::bindNumber(int id, std::int32_t& value) {
    bindings_.push_back({[this, id, &value] { ::SetDlgItemTextW(dialog_, id, std::to_wstring(value).c_str()); },
                         [this, id, &value] {
                             // As the profile functions read numbers: what does not parse is 0.
                             value = static_cast<std::int32_t>(std::wcstol(text(id).c_str(), nullptr, 10));
                         }});
}

void DlgItemSyncer::bindNumber(int id, std::uint32_t& value) {
    bindings_.push_back(
        {[this, id, &value] { ::SetDlgItemTextW(dialog_, id, std::to_wstring(value).c_str()); },
         [this, id, &value] { value = static_cast<std::uint32_t>(std::wcstoul(text(id).c_str(), nullptr, 10)); }});
}

void DlgItemSyncer::toControls() {
    for (const Binding& binding : bindings_)
        binding.show();
}

void DlgItemSyncer::fromControls() {
    for (const Binding& binding : bindings_)
        binding.store();
}

std::wstring DlgItemSyncer::text(int id) const {
    HWND control = item(id);
    const int length = ::GetWindowTextLengthW(control);
    std::wstring value(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(control, &value[0], length + 1);
    value.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return value;
}

}  // namespace util
}  // namespace win
}  // namespace tavel

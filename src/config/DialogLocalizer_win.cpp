#include "config/DialogLocalizer.h"

#include <commctrl.h>

#include <vector>

#include "config/Lang.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {
namespace {

std::wstring windowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    ::GetWindowTextW(window, buffer.data(), length + 1);
    return std::wstring(buffer.data());
}

struct Context {
    HWND dialog;
    const std::wstring* section;
    HWND tooltip;
};

BOOL localizeOne(HWND child, LPARAM param) {
    auto* context = reinterpret_cast<Context*>(param);
    if (::GetParent(child) != context->dialog) return TRUE;  // only the dialog's own controls
    const std::wstring key = windowText(child);
    if (key.empty()) return TRUE;
    const Lang& lang = Lang::instance();
    ::SetWindowTextW(child, lang.text(*context->section, key).c_str());

    std::wstring hint = lang.getText(*context->section, key + L"_Hint", std::wstring());
    if (hint.empty()) return TRUE;
    hint = unescapeText(hint);
    if (context->tooltip == nullptr) {
        context->tooltip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                             context->dialog, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        if (context->tooltip == nullptr) return FALSE;
        // Hints may be several lines long.
        ::SendMessageW(context->tooltip, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    TOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = context->dialog;
    info.uId = reinterpret_cast<UINT_PTR>(child);
    info.lpszText = const_cast<wchar_t*>(hint.c_str());
    ::SendMessageW(context->tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    return TRUE;
}

// A control that fails keeps its text; the others are still done.
BOOL CALLBACK localizeChild(HWND child, LPARAM param) {
    return tavel::win::util::guardedOr<BOOL>("DialogLocalizer", TRUE, [&] { return localizeOne(child, param); });
}

}  // namespace

HWND localizeDialog(HWND dialog, const std::wstring& section) {
    ::SetWindowTextW(dialog, Lang::instance().text(section, L"Caption").c_str());
    Context context{dialog, &section, nullptr};
    ::EnumChildWindows(dialog, &localizeChild, reinterpret_cast<LPARAM>(&context));
    return context.tooltip;
}

}  // namespace tavelapp

#include "app/AppException.h"

#include "app/NotifyWndInfo.h"
#include "app/Util.h"
#include "config/Lang.h"
#include "win/util/StringUtil.h"

namespace tavelapp {

std::wstring AppException::text() const { return Lang::instance().text(L"Error", messageKey); }

void AppException::tellUser() const {
    if (messageKey.empty()) return;
    // The key names the notification too, so a repeated failure replaces the last one.
    std::string key;
    for (wchar_t c : messageKey)
        key += c < 0x80 ? static_cast<char>(c) : '?';
    Util::notify(key, text(), NotifyWndInfo::kWarning);
}

}  // namespace tavelapp

#include "base/AppException.h"

#include "base/NotifyWndInfo.h"
#include "base/Util.h"
#include "win/util/StringUtil.h"

namespace tavelapp {

namespace {

AppException::TextLookup& textLookup() {
    static AppException::TextLookup lookup;
    return lookup;
}

std::string asciiKey(const std::wstring& messageKey) {
    std::string key;
    for (wchar_t c : messageKey)
        key += c < 0x80 ? static_cast<char>(c) : '?';
    return key;
}

}  // namespace

void AppException::setTextLookup(TextLookup lookup) { textLookup() = std::move(lookup); }

std::wstring AppException::text() const {
    const TextLookup& lookup = textLookup();
    return lookup ? lookup(messageKey) : messageKey;
}

void AppException::tellUser() const {
    if (messageKey.empty()) return;
    // The key names the notification too, so a repeated failure replaces the last one.
    Util::notify(asciiKey(messageKey), text(), NotifyWndInfo::kWarning);
}

std::string AppException::keyOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const AppException& e) {
        // The empty key: the player could not be reached.
        return "AppException " + (e.messageKey.empty() ? std::string("(player unreachable)") : asciiKey(e.messageKey));
    }
}

}  // namespace tavelapp

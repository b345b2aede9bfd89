#pragma once
#include <exception>
#include <functional>
#include <string>

namespace tavelapp {

// A failure the user must hear of, named by a key of the "Error" language
// section. An empty key means the player cannot be reached; callers swallow it.
class AppException {
public:
    explicit AppException(std::wstring key = std::wstring()) : messageKey(std::move(key)) {}
    // The language text of the key, or the key itself when no language has it.
    std::wstring text() const;
    // The language layer sits above this one: it hands in how a key becomes
    // text. Until then (or without a language) a text is its key.
    using TextLookup = std::function<std::wstring(const std::wstring& key)>;
    static void setTextLookup(TextLookup lookup);
    // Shows the text as a warning notification; nothing for the empty key.
    void tellUser() const;
    // For the guards' trace: "AppException <key>" when `error` is one, else
    // `error` is thrown on.
    static std::string keyOf(const std::exception_ptr& error);

    std::wstring messageKey;
};

}  // namespace tavelapp

#pragma once
#include <mutex>
#include <string>
#include <vector>

namespace tavelapp {

// Texts of the current language file, with the action packages' language files
// and finally the caller's default behind it.
class Lang {
public:
    static Lang& instance();

    // Current language file: settings folder + "\langs\" + Lang/Id + ".lng";
    // also looks up the action packages again.
    void reload();
    // For tests and callers that know better: an explicit file and package folders.
    void setFiles(const std::wstring& languageFile, const std::vector<std::wstring>& packageLanguageFiles);

    std::wstring getText(const std::wstring& section, const std::wstring& key, const std::wstring& def) const;
    // A missing text shows its key.
    std::wstring text(const std::wstring& section, const std::wstring& key) const { return getText(section, key, key); }
    std::wstring path() const;

private:
    Lang();
    mutable std::mutex lock_;  // guards the paths only; files are read on every call
    std::wstring path_;
    std::vector<std::wstring> packageFiles_;
};

// Unescapes \n, \r and \\, then inserts the arguments up to the first empty one
// for %1%, %2%, ... When text and arguments do not fit together, the unescaped
// text comes back without insertions.
std::wstring formatText(const std::wstring& text, const std::wstring& a1 = std::wstring(),
                        const std::wstring& a2 = std::wstring(), const std::wstring& a3 = std::wstring(),
                        const std::wstring& a4 = std::wstring());
std::wstring unescapeText(const std::wstring& text);
// Whether every '%' is part of "%%" or "%N%" (N from 1 to 999), the only
// directives language texts use. The formatter misreads some others past the
// end of its own tables, and language files come from anywhere: a text with
// any other is never given to it.
bool plainDirectivesOnly(const std::wstring& text);

}  // namespace tavelapp

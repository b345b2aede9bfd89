#pragma once
#include <map>
#include <string>

namespace tavelapp {

// Fills placeholders in one pass: each replacement is inserted literally and
// never searched again, so a value that looks like a placeholder stays as it is.
class Replacer {
public:
    // Keys in the order of their UTF-16 code units (a prefix first), whatever
    // the width of wchar_t.
    struct KeyOrder {
        bool operator()(const std::wstring& a, const std::wstring& b) const;
    };

    // Replacements per apply(); the rest of the text is copied untouched.
    static constexpr int kBudget = 512;

    virtual ~Replacer() = default;

    // Inserts the pair or overwrites the key's replacement. Keys are
    // case-sensitive; an empty key is ignored.
    void add(const std::wstring& key, const std::wstring& value);

    // Repeatedly replaces the earliest key occurrence in the rest of the text;
    // at equal positions the first key in key order wins.
    std::wstring apply(const std::wstring& text) const;

private:
    std::map<std::wstring, std::wstring, KeyOrder> pairs_;
};

}  // namespace tavelapp

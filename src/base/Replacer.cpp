#include "base/Replacer.h"

#include <cstdint>
#include <cwchar>
#include <vector>

namespace tavelapp {
namespace {

// Walks a wide string as UTF-16 code units; with a 32-bit wchar_t a character
// beyond the BMP becomes its surrogate pair, so it sorts below U+E000-U+FFFF
// as it does on Windows.
class Utf16Units {
public:
    explicit Utf16Units(const std::wstring& text) : text_(text) {}
    bool next(std::uint32_t& unit) {
        if (low_ != 0) {
            unit = low_;
            low_ = 0;
            return true;
        }
        if (index_ == text_.size()) return false;
        std::uint32_t c = static_cast<std::uint32_t>(text_[index_++]);
        if (c >= 0x10000 && c <= 0x10FFFF) {
            c -= 0x10000;
            unit = 0xD800 + (c >> 10);
            low_ = 0xDC00 + (c & 0x3FF);
        } else {
            unit = c;
        }
        return true;
    }

private:
    const std::wstring& text_;
    std::wstring::size_type index_ = 0;
    std::uint32_t low_ = 0;
};

}  // namespace

bool Replacer::KeyOrder::operator()(const std::wstring& a, const std::wstring& b) const {
#if WCHAR_MAX <= 0xFFFF
    return a < b;
#else
    Utf16Units left(a), right(b);
    std::uint32_t x = 0, y = 0;
    for (;;) {
        const bool hasLeft = left.next(x);
        const bool hasRight = right.next(y);
        if (!hasLeft || !hasRight) return !hasLeft && hasRight;
        if (x != y) return x < y;
    }
#endif
}

void Replacer::add(const std::wstring& key, const std::wstring& value) {
    // An empty key would match everywhere and eat the whole budget.
    if (key.empty()) return;
    pairs_[key] = value;
}

std::wstring Replacer::apply(const std::wstring& text) const {
    // The rest is always a suffix of the text, so each key's next occurrence is
    // remembered and searched again only once the rest has moved past it.
    struct Candidate {
        const std::wstring* key;
        const std::wstring* value;
        std::wstring::size_type position;
    };
    std::vector<Candidate> candidates;
    candidates.reserve(pairs_.size());
    for (const auto& pair : pairs_)
        candidates.push_back({&pair.first, &pair.second, text.find(pair.first)});

    std::wstring result;
    std::wstring::size_type rest = 0;
    for (int budget = kBudget; budget > 0; --budget) {
        const Candidate* best = nullptr;
        for (Candidate& candidate : candidates) {
            if (candidate.position == std::wstring::npos) continue;
            if (candidate.position < rest) candidate.position = text.find(*candidate.key, rest);
            if (candidate.position == std::wstring::npos) continue;
            if (best == nullptr || candidate.position < best->position) best = &candidate;
        }
        if (best == nullptr) break;
        result.append(text, rest, best->position - rest);
        result += *best->value;
        rest = best->position + best->key->size();
    }
    result.append(text, rest, std::wstring::npos);
    return result;
}

}  // namespace tavelapp

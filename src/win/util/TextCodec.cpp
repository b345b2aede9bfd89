#include "win/util/TextCodec.h"

namespace tavel {
namespace win {
namespace util {
namespace {

constexpr bool wideIsUtf16 = sizeof(wchar_t) == 2;
constexpr char32_t replacement = 0xFFFD;

bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool isAstral(char32_t c) { return c > 0xFFFF; }

void appendCodePoint(std::wstring& out, char32_t cp) {
    if (wideIsUtf16 && cp > 0xFFFF) {
        cp -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<wchar_t>(cp));
    }
}

// Next code point of a wide string; ill-formed units give U+FFFD.
char32_t nextCodePoint(const std::wstring& text, std::size_t& i) {
    char32_t c = static_cast<char32_t>(text[i++]);
    if (wideIsUtf16) {
        c &= 0xFFFF;
        if (isHighSurrogate(c) && i < text.size()) {
            char32_t low = static_cast<char32_t>(text[i]) & 0xFFFF;
            if (isLowSurrogate(low)) {
                ++i;
                return 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            }
        }
        return isSurrogate(c) ? replacement : c;
    }
    return (isSurrogate(c) || c > 0x10FFFF) ? replacement : c;
}

// Decodes one UTF-8 sequence at bytes[i]. Returns false for an ill-formed
// sequence; `length` is then the maximal valid prefix (at least 1), which is
// what gets replaced by one U+FFFD.
bool decodeUtf8At(const std::string& bytes, std::size_t i, char32_t& cp, std::size_t& length) {
    const auto byteAt = [&bytes](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byteAt(i);
    length = 1;
    if (lead < 0x80) {
        cp = lead;
        return true;
    }
    std::size_t need;
    unsigned char lo = 0x80, hi = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        need = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        need = 2;
        cp = lead & 0x0F;
        if (lead == 0xE0) lo = 0xA0;  // overlong
        if (lead == 0xED) hi = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        need = 3;
        cp = lead & 0x07;
        if (lead == 0xF0) lo = 0x90;  // overlong
        if (lead == 0xF4) hi = 0x8F;  // above U+10FFFF
    } else {
        return false;
    }
    for (std::size_t k = 1; k <= need; ++k) {
        if (i + k >= bytes.size()) return false;
        const unsigned char b = byteAt(i + k);
        const unsigned char min = k == 1 ? lo : 0x80;
        const unsigned char max = k == 1 ? hi : 0xBF;
        if (b < min || b > max) return false;
        cp = (cp << 6) | (b & 0x3F);
        length = k + 1;
    }
    return true;
}

}  // namespace

std::wstring utf8ToWide(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t cp = 0;
        std::size_t length = 1;
        if (decodeUtf8At(bytes, i, cp, length))
            appendCodePoint(out, cp);
        else
            appendCodePoint(out, replacement);
        i += length;
    }
    return out;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string wideToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size())
        appendUtf8(out, nextCodePoint(text, i));
    return out;
}

std::wstring utf16leToWide(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size() / 2 + 1);
    const std::size_t units = bytes.size() / 2;
    const auto unitAt = [&bytes](std::size_t k) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * k]) |
                                     (static_cast<unsigned char>(bytes[2 * k + 1]) << 8));
    };
    for (std::size_t k = 0; k < units; ++k) {
        const char32_t unit = unitAt(k);
        if (isHighSurrogate(unit) && k + 1 < units && isLowSurrogate(unitAt(k + 1))) {
            appendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(k + 1) - 0xDC00));
            ++k;
        } else {
            appendCodePoint(out, isSurrogate(unit) ? replacement : unit);
        }
    }
    if (bytes.size() % 2 != 0) appendCodePoint(out, replacement);
    return out;
}

std::u16string wideToUtf16(const std::wstring& text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = nextCodePoint(text, i);
        if (cp > 0xFFFF) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

bool isValidUtf8(const std::string& bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t cp = 0;
        std::size_t length = 1;
        if (!decodeUtf8At(bytes, i, cp, length)) return false;
        i += length;
    }
    return true;
}

std::size_t utf16Length(const std::wstring& text) {
    if (wideIsUtf16) return text.size();
    std::size_t units = 0;
    for (wchar_t c : text)
        units += isAstral(static_cast<char32_t>(c)) ? 2 : 1;
    return units;
}

std::wstring truncateUtf16(const std::wstring& text, std::size_t maxUnits) {
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char32_t c = static_cast<char32_t>(text[i]);
        std::size_t width = 1;  // wide characters this code point takes
        std::size_t cost = 1;   // UTF-16 units it takes
        if (wideIsUtf16) {
            if (isHighSurrogate(c & 0xFFFF) && i + 1 < text.size() &&
                isLowSurrogate(static_cast<char32_t>(text[i + 1]) & 0xFFFF)) {
                width = 2;
                cost = 2;
            }
        } else if (isAstral(c)) {
            cost = 2;
        }
        if (units + cost > maxUnits) break;
        units += cost;
        i += width;
    }
    return text.substr(0, i);
}

}  // namespace util
}  // namespace win
}  // namespace tavel

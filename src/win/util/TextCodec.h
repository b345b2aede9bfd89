#pragma once
#include <cstddef>
#include <string>

namespace tavel {
namespace win {
namespace util {

// Conversions between byte encodings and std::wstring. wchar_t holds UTF-16 on
// Windows and UTF-32 elsewhere; these functions produce whichever the platform
// uses. Malformed input never fails: each bad sequence becomes U+FFFD.

std::wstring utf8ToWide(const std::string& bytes);
std::string wideToUtf8(const std::wstring& text);
// Appends one code point as UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);
// Little-endian UTF-16 bytes without BOM; an odd trailing byte becomes U+FFFD.
std::wstring utf16leToWide(const std::string& bytes);
std::u16string wideToUtf16(const std::wstring& text);

// Strict check (no overlongs, no surrogates, nothing above U+10FFFF).
bool isValidUtf8(const std::string& bytes);

// Length and cut counted in UTF-16 code units, as the Windows buffer limits
// are; a cut never leaves half a surrogate pair behind.
std::size_t utf16Length(const std::wstring& text);
std::wstring truncateUtf16(const std::wstring& text, std::size_t maxUnits);

}  // namespace util
}  // namespace win
}  // namespace tavel

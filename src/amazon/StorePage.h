#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tavelapp {
namespace amazon {

// What the cover search reads from the store's pages, by fixed text markers.

// The album's key in the search record: a 16-bit-style CRC (initial 0xFFFF,
// polynomial 0x4F5A, most significant bit first, no reflection, no final
// XOR) in a 32-bit register over artist, a tab and album as UTF-16LE bytes.
std::int32_t albumKey(const std::wstring& artist, const std::wstring& album);

// The search words as UTF-8, percent-encoded except A-Z a-z 0-9 * - . @ _
// with lower-case hexadecimal digits.
std::string encodeKeywords(const std::wstring& keywords);

// The store's name of a sort order 0-6; anything else counts as 0.
const char* sortOrder(int setting);

// A position over a page's text.
class PageCursor {
public:
    explicit PageCursor(const std::string& page) : page_(page) {}
    // Moves just past the marker at or after the position; false (and the
    // position stays) when there is none.
    bool skipTo(const std::string& marker);
    std::string peek(std::size_t n) const;
    // The text up to the next marker, without moving; empty when none follows.
    std::string readUntil(const std::string& marker) const;

private:
    const std::string& page_;
    std::size_t pos_ = 0;
};

struct ProductInfo {
    std::string pictureAddress;
    std::wstring title;
    std::wstring artist;
};

// True when the store jumped straight to a single product.
bool isProductPage(const std::string& page);
// Whatever a product page says; missing markers leave fields empty.
ProductInfo parseProductPage(const std::string& page);
// The links of results 1 to `count` (count outside 1-10 counts as 1); empty
// when the page has no first result.
std::vector<std::string> resultLinks(const std::string& page, int count);
// Whether the page lists results at all.
bool hasResults(const std::string& page);

}  // namespace amazon
}  // namespace tavelapp

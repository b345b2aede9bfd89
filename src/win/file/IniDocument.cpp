#include "win/file/IniDocument.h"

#include "win/file/FileSystem.h"
#include "win/util/TextCodec.h"

namespace tavel {
namespace win {
namespace file {
namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring trim(const std::wstring& text, std::size_t begin, std::size_t end) {
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

std::wstring trim(const std::wstring& text) { return trim(text, 0, text.size()); }

std::wstring lowerAscii(std::wstring text) {
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

bool isQuote(wchar_t c) { return c == L'"' || c == L'\''; }

bool enclosedInQuotes(const std::wstring& value) {
    return value.size() >= 2 && isQuote(value.front()) && value.back() == value.front();
}

// Line breaks would split the entry and could inject sections; a name or
// value cannot hold them.
std::wstring singleLine(std::wstring text) {
    for (wchar_t& c : text)
        if (c == L'\r' || c == L'\n') c = L' ';
    return text;
}

// Values the reader would alter (outer blanks trimmed, one pair of quotes
// removed) are written inside quotes, so every value reads back unchanged.
std::wstring encodeValue(const std::wstring& value) {
    std::wstring line = singleLine(value);
    if (!line.empty() && (isBlank(line.front()) || isBlank(line.back()) || enclosedInQuotes(line)))
        return L"\"" + line + L"\"";
    return line;
}

int digitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

std::wstring IniDocument::decode(const std::string& bytes) {
    if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return util::utf8ToWide(bytes.substr(3));
    if (bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0) return util::utf16leToWide(bytes.substr(2));
    if (util::isValidUtf8(bytes)) return util::utf8ToWide(bytes);
    return decodeAnsi(bytes);
}

IniDocument IniDocument::parse(const std::string& bytes) { return parseText(decode(bytes)); }

IniDocument IniDocument::parseText(const std::wstring& text) {
    IniDocument doc;
    Section* current = nullptr;  // null before the first section and inside a repeated one
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != L'\n' && text[end] != L'\r')
            ++end;
        std::size_t begin = pos;
        pos = end + 1;
        while (begin < end && isBlank(text[begin]))
            ++begin;
        if (begin == end || text[begin] == L';') continue;

        if (text[begin] == L'[') {
            const std::size_t close = text.rfind(L']', end - 1);
            if (close == std::wstring::npos || close <= begin) {
                current = nullptr;  // broken header: its keys belong nowhere
                continue;
            }
            const std::wstring name = trim(text, begin + 1, close);
            const std::wstring lower = lowerAscii(name);
            if (doc.index_.count(lower) != 0) {
                current = nullptr;
            } else {
                doc.index_.emplace(lower, doc.sections_.size());
                doc.sections_.push_back(Section{name, {}, {}});
                current = &doc.sections_.back();
            }
            continue;
        }

        if (!current) continue;
        std::size_t equals = begin;
        while (equals < end && text[equals] != L'=')
            ++equals;
        if (equals == end) continue;
        const std::wstring key = trim(text, begin, equals);
        if (key.empty()) continue;
        if (current->index.count(lowerAscii(key)) != 0) continue;
        // Stored without the quotes, as the reader sees it; serialize() adds
        // them back where needed.
        std::wstring value = trim(text, equals + 1, end);
        if (enclosedInQuotes(value)) value = value.substr(1, value.size() - 2);
        addEntry(*current, key, value);
    }
    return doc;
}

void IniDocument::addEntry(Section& section, const std::wstring& key, const std::wstring& value) {
    section.index.emplace(lowerAscii(key), section.entries.size());
    section.entries.push_back(Entry{key, value});
}

const std::wstring* IniDocument::findValue(const std::wstring& section, const std::wstring& key) const {
    const auto s = index_.find(lowerAscii(trim(section)));
    if (s == index_.end()) return nullptr;
    const Section& sec = sections_[s->second];
    const auto k = sec.index.find(lowerAscii(trim(key)));
    if (k == sec.index.end()) return nullptr;
    return &sec.entries[k->second].value;
}

std::wstring IniDocument::getString(const std::wstring& section, const std::wstring& key,
                                    const std::wstring& def) const {
    const std::wstring* value = findValue(section, key);
    return util::truncateUtf16(value ? *value : def, maxValueLength);
}

std::int32_t IniDocument::getInt(const std::wstring& section, const std::wstring& key, std::int32_t def) const {
    const std::wstring value = getString(section, key, std::wstring());
    if (value.empty()) return def;
    std::size_t i = 0;
    while (i < value.size() && static_cast<std::uint32_t>(value[i]) <= 0x20)
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == L'+' || value[i] == L'-')) {
        negative = value[i] == L'-';
        ++i;
    }
    std::uint32_t base = 10;
    if (i + 1 < value.size() && value[i] == L'0' && (value[i + 1] == L'x' || value[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    std::uint32_t result = 0;  // unsigned, so overflow wraps as the system's parser does
    for (; i < value.size(); ++i) {
        const int digit = digitValue(value[i]);
        if (digit < 0 || static_cast<std::uint32_t>(digit) >= base) break;
        result = result * base + static_cast<std::uint32_t>(digit);
    }
    if (negative) result = 0u - result;
    return static_cast<std::int32_t>(result);
}

bool IniDocument::hasKey(const std::wstring& section, const std::wstring& key) const {
    return findValue(section, key) != nullptr;
}

bool IniDocument::hasSection(const std::wstring& section) const { return index_.count(lowerAscii(trim(section))) != 0; }

std::vector<std::wstring> IniDocument::sectionNames() const {
    std::vector<std::wstring> names;
    names.reserve(sections_.size());
    for (const Section& s : sections_)
        names.push_back(s.name);
    return names;
}

std::vector<std::wstring> IniDocument::keyNames(const std::wstring& section) const {
    std::vector<std::wstring> names;
    const auto s = index_.find(lowerAscii(trim(section)));
    if (s == index_.end()) return names;
    for (const Entry& e : sections_[s->second].entries)
        names.push_back(e.key);
    return names;
}

IniDocument::Section& IniDocument::sectionFor(const std::wstring& name) {
    const std::wstring lower = lowerAscii(name);
    const auto s = index_.find(lower);
    if (s != index_.end()) return sections_[s->second];
    index_.emplace(lower, sections_.size());
    sections_.push_back(Section{name, {}, {}});
    return sections_.back();
}

void IniDocument::set(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    Section& sec = sectionFor(trim(section));
    const std::wstring name = trim(key);
    const auto k = sec.index.find(lowerAscii(name));
    if (k != sec.index.end())
        sec.entries[k->second].value = value;
    else
        addEntry(sec, name, value);
}

std::string IniDocument::serialize() const {
    std::wstring text;
    bool first = true;
    for (const Section& s : sections_) {
        if (!first) text += L"\r\n";
        first = false;
        text += L"[" + singleLine(s.name) + L"]\r\n";
        for (const Entry& e : s.entries)
            text += singleLine(e.key) + L"=" + encodeValue(e.value) + L"\r\n";
    }
    return "\xEF\xBB\xBF" + util::wideToUtf8(text);
}

}  // namespace file
}  // namespace win
}  // namespace tavel

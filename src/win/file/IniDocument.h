#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace tavel {
namespace win {
namespace file {

// An INI file in memory, read and written with the syntax of the Windows
// private-profile functions: "[section]" and "key=value" lines, names
// compared case-insensitively (ASCII), names and values trimmed of blanks and
// tabs, ';' starting a comment line, the first of duplicated sections or keys
// winning. Reading accepts UTF-8 (with or without BOM), UTF-16LE with BOM and
// otherwise the ANSI code page; writing produces UTF-8 with a BOM and CRLF.
class IniDocument {
public:
    // A read value is cut to this many UTF-16 units, like a 512-character buffer.
    static constexpr std::size_t maxValueLength = 511;

    // Any bytes are accepted; what cannot be understood is skipped.
    static IniDocument parse(const std::string& bytes);
    static IniDocument parseText(const std::wstring& text);
    // File bytes to text by BOM, UTF-8 validity or else the ANSI code page.
    static std::wstring decode(const std::string& bytes);

    // Missing key -> def. One pair of matching enclosing quotes is removed.
    std::wstring getString(const std::wstring& section, const std::wstring& key, const std::wstring& def) const;
    // As GetPrivateProfileIntW: missing or empty -> def; otherwise optional
    // sign, optional "0x", digits up to the first non-digit (none -> 0),
    // wrapping to 32 bits.
    std::int32_t getInt(const std::wstring& section, const std::wstring& key, std::int32_t def) const;
    bool hasKey(const std::wstring& section, const std::wstring& key) const;
    bool hasSection(const std::wstring& section) const;

    // Names as first written, in file order.
    std::vector<std::wstring> sectionNames() const;
    std::vector<std::wstring> keyNames(const std::wstring& section) const;
    bool empty() const { return sections_.empty(); }

    // Adds or replaces; new sections and keys go to the end.
    void set(const std::wstring& section, const std::wstring& key, const std::wstring& value);

    std::string serialize() const;

private:
    struct Entry {
        std::wstring key;
        std::wstring value;
    };
    struct Section {
        std::wstring name;
        std::vector<Entry> entries;
        std::unordered_map<std::wstring, std::size_t> index;  // lower-cased key -> entry
    };

    const std::wstring* findValue(const std::wstring& section, const std::wstring& key) const;
    Section& sectionFor(const std::wstring& name);
    static void addEntry(Section& section, const std::wstring& key, const std::wstring& value);

    std::vector<Section> sections_;
    std::unordered_map<std::wstring, std::size_t> index_;  // lower-cased name -> section
};

}  // namespace file
}  // namespace win
}  // namespace tavel

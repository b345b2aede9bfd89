// Checks the files shipped beside the program: the help page
// dist/KolibrixHelp.html (opened by the tray menu's "Online help"; Japanese
// with an English half after id="en", or an English twin
// dist/KolibrixHelp.en.html) and dist/Links.ini (the addresses of the tray
// menu's links). The page must name every default binding of config/Ini.cpp,
// so that it cannot silently fall behind the defaults.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "config/Ini.h"
#include "win/file/FileSystem.h"
#include "win/file/IniDocument.h"
#include "win/util/TextCodec.h"

using tavel::win::file::IniDocument;
using tavelapp::Ini;

namespace {

const char* const kHelpPage = "dist/KolibrixHelp.html";
const char* const kEnglishTwin = "dist/KolibrixHelp.en.html";
const char* const kLinksFile = "dist/Links.ini";

// A path below the source tree, Windows-style as the file layer expects.
std::wstring sourcePath(const std::string& relative) {
    std::wstring path;
    for (char c : std::string(KOLIBRIX_SOURCE_DIR) + "/" + relative)
        path.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return path;
}

bool readSource(const std::string& relative, std::string& out) {
    return tavel::win::file::readFileBytes(sourcePath(relative), out);
}

// Strict UTF-8: no overlong forms, surrogates or values above U+10FFFF.
std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

bool isNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The word occurs on its own: not as part of a longer name ("Play" in "PlayPause").
bool mentionsWord(const std::string& text, const std::string& word) {
    for (std::size_t pos = text.find(word); pos != std::string::npos; pos = text.find(word, pos + 1)) {
        const bool before = pos == 0 || !isNameChar(text[pos - 1]);
        const std::size_t end = pos + word.size();
        const bool after = end == text.size() || !isNameChar(text[end]);
        if (before && after) return true;
    }
    return false;
}

// Values of an attribute written as name="value" after a blank.
std::vector<std::string> attributeValues(const std::string& html, const std::string& name) {
    std::vector<std::string> values;
    const std::string marker = name + "=\"";
    for (std::size_t pos = html.find(marker); pos != std::string::npos; pos = html.find(marker, pos + 1)) {
        if (pos == 0 || (html[pos - 1] != ' ' && html[pos - 1] != '\n' && html[pos - 1] != '\t')) continue;
        const std::size_t start = pos + marker.size();
        const std::size_t end = html.find('"', start);
        if (end == std::string::npos) break;
        values.push_back(html.substr(start, end - start));
    }
    return values;
}

// One language version of the help: a label for messages and its HTML text.
struct HelpVersion {
    std::string label;
    std::string html;
};

// The Japanese and the English help: the halves of the page around id="en",
// or the page and its English twin.
std::vector<HelpVersion> helpVersions() {
    std::vector<HelpVersion> versions;
    std::string page;
    if (!readSource(kHelpPage, page)) return versions;
    const std::size_t english = page.find(" id=\"en\"");
    if (english != std::string::npos) {
        versions.push_back({std::string(kHelpPage) + " (Japanese half)", page.substr(0, english)});
        versions.push_back({std::string(kHelpPage) + " (English half)", page.substr(english)});
    } else {
        versions.push_back({kHelpPage, page});
    }
    std::string twin;
    if (readSource(kEnglishTwin, twin)) versions.push_back({kEnglishTwin, twin});
    return versions;
}

// The help files present: the page and, when it exists, its English twin.
std::vector<std::pair<std::string, std::string>> helpFiles() {
    std::vector<std::pair<std::string, std::string>> files;
    for (const char* name : {kHelpPage, kEnglishTwin}) {
        std::string bytes;
        if (readSource(name, bytes)) files.emplace_back(name, bytes);
    }
    return files;
}

// The rows of the page's tables, "<tr>" to "</tr>".
std::vector<std::string> tableRows(const std::string& html) {
    std::vector<std::string> rows;
    for (std::size_t pos = html.find("<tr>"); pos != std::string::npos; pos = html.find("<tr>", pos + 1)) {
        const std::size_t end = html.find("</tr>", pos);
        if (end == std::string::npos) break;
        rows.push_back(html.substr(pos, end - pos));
    }
    return rows;
}

// How the page shows a virtual-key code on a key cap.
const std::map<std::uint32_t, std::string>& keyCaps() {
    static const std::map<std::uint32_t, std::string> caps = [] {
        // The arrows are U+2190 to U+2193 in UTF-8.
        std::map<std::uint32_t, std::string> m = {
            {0x0D, "Enter"},        {0x21, "Page Up"},      {0x22, "Page Down"},    {0x23, "End"},
            {0x24, "Home"},         {0x25, "\xE2\x86\x90"}, {0x26, "\xE2\x86\x91"}, {0x27, "\xE2\x86\x92"},
            {0x28, "\xE2\x86\x93"}, {0x2D, "Insert"},
        };
        for (std::uint32_t vk = '0'; vk <= '9'; ++vk)
            m[vk] = std::string(1, static_cast<char>(vk));
        for (std::uint32_t vk = 'A'; vk <= 'Z'; ++vk)
            m[vk] = std::string(1, static_cast<char>(vk));
        return m;
    }();
    return caps;
}

std::string kbd(const std::string& cap) { return "<kbd>" + cap + "</kbd>"; }

template <typename List>
std::vector<std::string> actionNames(const List& list) {
    std::vector<std::string> names;
    for (const auto& binding : list)
        names.push_back(narrow(binding.action));
    return names;
}

// One default binding list: its name for messages, the anchor of its
// subsection in the help and the actions it binds.
struct DefaultList {
    std::string name;
    std::string anchor;
    std::vector<std::string> actions;
};

std::vector<DefaultList> defaultLists() {
    return {
        {"hot keys", "hotkeys", actionNames(Ini::defaultHotKeys())},
        {"infrared keys", "infrared", actionNames(Ini::defaultIRComKeys())},
        {"game-controller keys", "joystick", actionNames(Ini::defaultJoyKeys())},
        {"Wii remote keys", "wiimote", actionNames(Ini::defaultWiimoteKeys())},
    };
}

// The subsection whose heading has id="<anchor>" (or id="en-<anchor>" in the
// English half), up to the next heading; empty when there is none.
std::string subsection(const std::string& html, const std::string& anchor) {
    for (const std::string& id : {anchor, "en-" + anchor}) {
        const std::size_t start = html.find(" id=\"" + id + "\"");
        if (start == std::string::npos) continue;
        std::size_t end = html.size();
        for (const char* heading : {"<h2", "<h3"}) {
            const std::size_t next = html.find(heading, start);
            if (next != std::string::npos && next < end) end = next;
        }
        return html.substr(start, end - start);
    }
    return std::string();
}

IniDocument loadLinks() {
    std::string bytes;
    EXPECT_TRUE(readSource(kLinksFile, bytes)) << kLinksFile;
    return IniDocument::parse(bytes);
}

const wchar_t* const kLinkKeys[] = {L"Official", L"SupportBBS", L"Library_ExAction", L"Library_Skin"};

}  // namespace

TEST(HelpFiles, PageExistsAndIsUtf8WithCharsetDeclared) {
    std::string page;
    ASSERT_TRUE(readSource(kHelpPage, page)) << kHelpPage << " is missing";
    ASSERT_FALSE(page.empty());
    for (const auto& [name, bytes] : helpFiles()) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(tavel::win::util::isValidUtf8(bytes)) << "not valid UTF-8";
        const std::string text = lower(bytes);
        EXPECT_EQ(text.rfind("<!doctype html>", 0), 0u) << "does not start with <!DOCTYPE html>";
        EXPECT_NE(text.find("<meta charset=\"utf-8\">"), std::string::npos) << "no <meta charset=\"utf-8\">";
        EXPECT_NE(text.find("<title>"), std::string::npos);
        EXPECT_NE(text.find("</html>"), std::string::npos) << "the page seems cut short";
    }
}

TEST(HelpFiles, PageIsSelfContained) {
    const auto files = helpFiles();
    ASSERT_FALSE(files.empty());
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        const std::string text = lower(bytes);
        for (const char* forbidden :
             {"<script", "<link", " src=", "url(", "@import", "<iframe", "<object", "<embed", "<img", "javascript:"})
            EXPECT_EQ(text.find(forbidden), std::string::npos) << "uses \"" << forbidden << "\"";
    }
}

TEST(HelpFiles, PageHasAnEnglishVersion) {
    const auto versions = helpVersions();
    ASSERT_FALSE(versions.empty()) << kHelpPage << " is missing";
    EXPECT_GE(versions.size(), 2u) << "neither an English half (id=\"en\") nor " << kEnglishTwin;
}

TEST(HelpFiles, PageNamesEveryDefaultHotKeyAction) {
    const auto versions = helpVersions();
    ASSERT_FALSE(versions.empty()) << kHelpPage << " is missing";
    const auto hotKeys = Ini::defaultHotKeys();
    ASSERT_FALSE(hotKeys.empty());
    for (const HelpVersion& version : versions) {
        SCOPED_TRACE(version.label);
        for (const auto& key : hotKeys) {
            const std::string action = narrow(key.action);
            EXPECT_TRUE(mentionsWord(version.html, action)) << "hot-key action " << action << " is not mentioned";
        }
    }
}

TEST(HelpFiles, PageShowsEveryDefaultHotKeyWithItsKeys) {
    const auto versions = helpVersions();
    ASSERT_FALSE(versions.empty()) << kHelpPage << " is missing";
    for (const HelpVersion& version : versions) {
        SCOPED_TRACE(version.label);
        const std::vector<std::string> rows = tableRows(subsection(version.html, "hotkeys"));
        ASSERT_FALSE(rows.empty()) << "no hot-key table";
        for (const auto& key : Ini::defaultHotKeys()) {
            const std::string action = narrow(key.action);
            const auto cap = keyCaps().find(key.vk);
            ASSERT_NE(cap, keyCaps().end())
                << "no key cap known for VK " << key.vk << " (" << action << "): add it to keyCaps()";
            bool found = false;
            for (const std::string& row : rows) {
                if (row.find("<code>" + action + "</code>") == std::string::npos) continue;
                const bool ctrl = row.find(kbd("Ctrl")) != std::string::npos;
                const bool alt = row.find(kbd("Alt")) != std::string::npos;
                const bool shift = row.find(kbd("Shift")) != std::string::npos;
                if (row.find(kbd(cap->second)) != std::string::npos && ctrl == ((key.mods & 2) != 0) &&
                    alt == ((key.mods & 1) != 0) && shift == ((key.mods & 4) != 0))
                    found = true;
            }
            EXPECT_TRUE(found) << "no table row shows " << action << " with its keys (mods " << key.mods << ", "
                               << cap->second << ")";
        }
    }
}

TEST(HelpFiles, EachBindingTableShowsEveryActionOfItsDefaultList) {
    const auto versions = helpVersions();
    ASSERT_FALSE(versions.empty()) << kHelpPage << " is missing";
    for (const HelpVersion& version : versions) {
        SCOPED_TRACE(version.label);
        for (const DefaultList& list : defaultLists()) {
            ASSERT_FALSE(list.actions.empty()) << list.name;
            const std::string table = subsection(version.html, list.anchor);
            ASSERT_FALSE(table.empty()) << "no subsection id=\"" << list.anchor << "\" for the " << list.name;
            for (const std::string& action : list.actions)
                EXPECT_NE(table.find("<code>" + action + "</code>"), std::string::npos)
                    << "action " << action << " of the default " << list.name << " is not in its table";
        }
    }
}

TEST(HelpFiles, EveryInternalLinkHasItsAnchor) {
    const auto files = helpFiles();
    ASSERT_FALSE(files.empty());
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        std::set<std::string> ids;
        for (const std::string& id : attributeValues(bytes, "id")) {
            EXPECT_FALSE(id.empty()) << "empty id";
            EXPECT_TRUE(ids.insert(id).second) << "id \"" << id << "\" is used twice";
        }
        std::size_t internal = 0;
        for (const std::string& href : attributeValues(bytes, "href")) {
            if (href.empty() || href[0] != '#') continue;
            ++internal;
            const std::string target = href.substr(1);
            EXPECT_FALSE(target.empty()) << "link to a bare \"#\"";
            EXPECT_TRUE(ids.count(target)) << "href=\"" << href << "\" has no id=\"" << target << "\"";
        }
        EXPECT_GT(internal, 10u) << "expected a table of contents linking to the sections";
    }
}

TEST(HelpFiles, LinksIniIsUtf8WithBomAndCrlf) {
    std::string bytes;
    ASSERT_TRUE(readSource(kLinksFile, bytes)) << kLinksFile << " is missing";
    EXPECT_EQ(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0) << "no UTF-8 BOM";
    EXPECT_TRUE(tavel::win::util::isValidUtf8(bytes));
    std::size_t lines = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ++lines;
            EXPECT_TRUE(i > 0 && bytes[i - 1] == '\r') << "line " << lines << " ends without CRLF";
        } else if (bytes[i] == '\r') {
            EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "stray carriage return";
        }
    }
    EXPECT_GT(lines, 0u);
}

TEST(HelpFiles, LinksIniHasTheFourHttpsAddresses) {
    const IniDocument links = loadLinks();
    ASSERT_TRUE(links.hasSection(L"Links")) << "no [Links] section";
    for (const wchar_t* key : kLinkKeys) {
        SCOPED_TRACE(narrow(key));
        ASSERT_TRUE(links.hasKey(L"Links", key)) << "missing key";
        const std::wstring value = links.getString(L"Links", key, L"");
        const std::wstring scheme = L"https://";
        ASSERT_EQ(value.rfind(scheme, 0), 0u) << "not an https address: " << narrow(value);
        const std::wstring rest = value.substr(scheme.size());
        const std::size_t slash = rest.find(L'/');
        const std::wstring host = rest.substr(0, slash);
        EXPECT_FALSE(host.empty()) << "no host";
        EXPECT_NE(host.find(L'.'), std::wstring::npos) << "host without a dot";
        for (wchar_t c : value) {
            EXPECT_TRUE(c > 0x20 && c < 0x7F && c != L'"' && c != L'<' && c != L'>')
                << "character " << static_cast<unsigned>(c) << " does not belong in an address";
        }
    }
}

TEST(HelpFiles, PageLinksTheAddressesOfLinksIni) {
    const IniDocument links = loadLinks();
    const auto versions = helpVersions();
    ASSERT_FALSE(versions.empty()) << kHelpPage << " is missing";
    for (const HelpVersion& version : versions) {
        SCOPED_TRACE(version.label);
        const std::vector<std::string> hrefs = attributeValues(version.html, "href");
        const std::set<std::string> targets(hrefs.begin(), hrefs.end());
        for (const wchar_t* key : kLinkKeys) {
            const std::string address = narrow(links.getString(L"Links", key, L""));
            EXPECT_TRUE(targets.count(address)) << narrow(key) << " address " << address << " is not linked";
        }
    }
}

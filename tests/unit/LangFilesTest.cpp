// Checks the shipped language files data/Langs/ja.lng and data/Langs/en.lng.
// Self-contained: a small local reader of "[section]" / "key=value" lines,
// so that a fault in the program's own INI code cannot hide a fault here.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "PlayerStateSupport.h"

namespace {

using SectionKey = std::pair<std::string, std::string>;

struct LangFile {
    bool opened = false;
    bool hasBom = false;
    std::vector<std::string> problems;  // syntax and encoding faults
    std::vector<SectionKey> order;      // keys in file order
    std::map<SectionKey, std::string> values;
};

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// Number of UTF-16 code units of a UTF-8 text, or -1 if it is not valid UTF-8
// (overlong forms, surrogates and values above U+10FFFF are invalid).
long utf16Length(const std::string& s) {
    long units = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int extra;
        unsigned long cp;
        if (c < 0x80) {
            extra = 0;
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
        } else
            return -1;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= s.size()) return -1;
            const unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return -1;
            cp = (cp << 6) | (cc & 0x3F);
        }
        static const unsigned long minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
        units += cp >= 0x10000 ? 2 : 1;
        i += extra + 1;
    }
    return units;
}

bool hasOuterBlank(const std::string& s) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    return !s.empty() && (blank(s.front()) || blank(s.back()));
}

LangFile readLangFile(const std::string& name) {
    LangFile f;
    std::ifstream in(std::string(KOLIBRIX_SOURCE_DIR) + "/data/Langs/" + name, std::ios::binary);
    if (!in) return f;
    f.opened = true;
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();

    f.hasBom = text.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (f.hasBom) text.erase(0, 3);
    if (utf16Length(text) < 0) f.problems.push_back("not valid UTF-8");

    std::set<SectionKey> seen;  // compared without case, as the program reads them
    std::string section;
    bool inSection = false;
    std::size_t pos = 0;
    for (int lineNo = 1; pos < text.size(); ++lineNo) {
        std::size_t end = text.find('\n', pos);
        std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
        pos = end == std::string::npos ? text.size() : end + 1;
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        if (end != std::string::npos) {
            if (line.empty() || line.back() != '\r')
                f.problems.push_back(where + "line feed without carriage return");
            else
                line.pop_back();
        }
        if (line.find('\r') != std::string::npos) f.problems.push_back(where + "stray carriage return");
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            if (line.back() != ']' || line.size() < 3) {
                f.problems.push_back(where + "malformed section header");
                continue;
            }
            section = line.substr(1, line.size() - 2);
            inSection = true;
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) {
            f.problems.push_back(where + "neither comment, section nor key=value");
            continue;
        }
        if (!inSection) {
            f.problems.push_back(where + "key outside any section");
            continue;
        }
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (hasOuterBlank(key) || hasOuterBlank(value))
            f.problems.push_back(where + "blank around key or value (the reader trims it)");
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            f.problems.push_back(where + "value in quotes (the reader strips them)");
        if (!seen.insert({lower(section), lower(key)}).second) {
            f.problems.push_back(where + "duplicate key " + section + "/" + key);
            continue;
        }
        f.order.push_back({section, key});
        f.values[{section, key}] = value;
    }
    return f;
}

// Positional directives (%N%) of a text that is formatted with arguments.
// "%%" is a literal percent sign. Returns false for a malformed directive.
bool directives(const std::string& text, std::set<int>& found) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        if (i + 1 < text.size() && text[i + 1] == '%') {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        int n = 0;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9' && j - i < 4)
            n = n * 10 + (text[j++] - '0');
        if (j == i + 1 || j >= text.size() || text[j] != '%' || n == 0) return false;
        found.insert(n);
        i = j;
    }
    return true;
}

// Texts that the program formats with arguments, and how many it passes.
const std::map<SectionKey, int>& formattedTexts() {
    static const std::map<SectionKey, int> texts = {
        {{"Notification", "StartObservation"}, 1},      // player name
        {{"Notification", "EndObservation"}, 1},        // player name
        {{"Notification", "ActionIsNotAvailable"}, 2},  // action name, target name
        {{"Notification", "CancelRunAction"}, 1},       // action name
        {{"Notification", "ActionDoesNotExist"}, 1},    // action name
        {{"Notification", "SettingsNotSaved"}, 1},      // file path
        {{"Notification", "IRComTooManyLines"}, 1},     // lines run per object
        {{"Notification", "WebPairAsk"}, 1},            // the asking device's address
        {{"PairingDlg", "CodeForDevice"}, 1},           // the device's address or network
        {{"PairingDlg", "TurnedOn"}, 1},                // port
        {{"PairingDlg", "Remaining"}, 1},               // minutes and seconds
        {{"OptionGeneralPage", "WebDeviceLine"}, 3},    // name, paired, last used
        {{"Artwork", "ApplyStart_Text"}, 2},            // artist, album
        {{"Artwork", "ApplyEnd_Text"}, 2},              // artist, album
        {{"Artwork", "ApplyFailed_Text"}, 2},           // artist, album
        {{"Artwork", "SearchFound_Text"}, 2},           // searched, picture count
        {{"Artwork", "SearchNothing_Text"}, 1},         // searched
        {{"Artwork", "SearchNoPicture_Text"}, 1},       // searched
        {{"Artwork", "SearchFailed_Text"}, 1},          // searched
        {{"QuickPlayDlg", "PlayingPlaylistText"}, 1},   // playlist name
        {{"EditArtworkDlg", "FoundBy"}, 1},             // provider name
        {{"OptionJoyPage", "Shift"}, 1},                // shift button name
        {{"OptionWiimotePage", "Shift"}, 1},            // shift button name
        {{"CommandLine", "Usage"}, 0},                  // escapes only: several lines
        {{"CommandLine", "ExitCodes"}, 0},              // escapes only: several lines
        // Formatted by the web remote's page.
        {{"Web", "PageRateMany"}, 1},           // number of stars
        {{"Web", "PageMutedVolume"}, 1},        // the volume kept under mute
        {{"Web", "PageSent"}, 1},               // the action's name
        {{"Web", "PagePairExpiry"}, 1},         // minutes and seconds left
        {{"Web", "PagePairRequestFailed"}, 1},  // the server's error
        {{"Web", "PagePairFailed"}, 1},         // the server's error
        {{"Web", "PageActionFailed"}, 1},       // the server's error
        {{"Web", "PageFoundMany"}, 1},          // tracks found
        {{"Web", "PageTracksMany"}, 1},         // tracks in a playlist
        {{"Web", "PageMore"}, 1},               // tracks the next page adds
        {{"Web", "PageLoadFailed"}, 1},         // the server's error
        {{"Web", "PagePlaying"}, 1},            // the track's or playlist's name
        {{"Web", "PagePositionOf"}, 2},         // position and duration
    };
    return texts;
}

std::vector<SectionKey> requiredKeys() {
    const std::map<std::string, std::vector<std::string>> table = {
        {"Info", {"Name"}},
        {"ClockTimerDlg", {"Caption", "Time", "Action", "Menu", "AlwaysEnabled", "Start", "Stop", "Close"}},
        {"CountdownTimerDlg", {"Caption", "Minute", "Action", "Menu", "Start", "Stop", "Close"}},
        {"EventActionDlg", {"Caption", "Method", "Method0", "Method1", "Action", "Menu", "Start", "Stop", "Close"}},
        {"QuickPlayDlg", {"Caption", "Search", "Playlist", "Hint", "PlayingPlaylistText", "OK", "Cancel"}},
        {"EditArtworkDlg",
         {"Caption", "Target", "Artist", "Album", "Find", "ExactMatch", "FindPlaying", "Keywords", "Download", "Apply",
          "ApplyInBackground", "Reset", "Close"}},
        {"TrayIconMenu",
         {"OnlineHelp",
          "Link",
          "Link_Official",
          "Link_SupportBBS",
          "Link_Library_ExAction",
          "Link_Library_Skin",
          "QuickPlay",
          "InterruptPlay",
          "RunAction",
          "EditArtwork",
          "ClockTimer",
          "ClockTimer_Option",
          "ClockTimer_Start",
          "ClockTimer_Stop",
          "CountdownTimer",
          "CountdownTimer_Option",
          "CountdownTimer_Start",
          "CountdownTimer_Stop",
          "EventAction",
          "EventAction_Option",
          "EventAction_Start",
          "EventAction_Stop",
          "EventAction_LastPlay",
          "Action",
          "Skin",
          "ActionTarget",
          "Lang",
          "Option",
          "PairPhone",
          "StartWithWindows",
          "Boot",
          "StartObservation",
          "Exit"}},
        {"Notification",
         {"StartObservation", "EndObservation", "AppIsDisabled", "ActionIsNotAvailable", "CancelRunAction",
          "ActionDoesNotExist", "ActionQueueFull", "PlayerIsNotRunning", "NoPlayingTrack", "SettingsNotSaved",
          "TimerNotStarted", "IRComTooManyLines", "IRComBusy", "WebPairClosedWrong", "WebPairClosedAsks"}},
        {"Error",
         {"HotkeyRegist", "HotkeyCreateWindow", "JoyInitialize", "JoySetEventNotification", "IRComInitialize",
          "IRComOpen", "IRComSetSockOpt", "IRComBind", "IRComListen", "IRComRecv", "IRComTcpRecv",
          "WiimoteDllLoadError", "WiimoteDllEntryPoint"}},
        {"Others", {"HotkeyNothing", "IRComKeyUp",  "IRComKeyRight", "IRComKeyDown", "IRComKeyLeft", "IRComKeySelect",
                    "IRComKeyShift", "JoyUp",       "JoyRight",      "JoyDown",      "JoyLeft",      "JoyButton",
                    "JoyNothing",    "JoyShift",    "WiimoteA",      "WiimoteB",     "WiimoteLeft",  "WiimoteRight",
                    "WiimoteDown",   "WiimoteUp",   "WiimotePlus",   "WiimoteMinus", "WiimoteHome",  "WiimoteOne",
                    "WiimoteTwo",    "WiimoteShift"}},
        {"Artwork", {"ApplyStart_Text", "ApplyEnd_Text", "ApplyFailed_Text"}},
        {"ExitSystemDlg", {"Caption", "Text", "Continue", "Abort"}},
        {"PairingDlg", {"Caption", "Intro", "Addresses", "Code", "CodeForAnyone", "PairedLabel", "Close"}},
        {"CommandLine", {"Intro", "Usage", "ExitCodes", "Example"}},
    };
    std::vector<SectionKey> keys;
    for (const std::string& key : stateWordKeys())
        keys.push_back({"Others", key});
    for (const auto& section : table)
        for (const auto& key : section.second)
            keys.push_back({section.first, key});
    return keys;
}

std::string join(const SectionKey& k) { return k.first + "/" + k.second; }

TEST(LangFiles, ShippedLanguageFilesAreCompleteAndConsistent) {
    const std::vector<std::string> names = {"ja.lng", "en.lng"};
    std::vector<LangFile> files;
    for (const auto& name : names) {
        files.push_back(readLangFile(name));
        const LangFile& f = files.back();
        ASSERT_TRUE(f.opened) << name << " cannot be opened";
        EXPECT_TRUE(f.hasBom) << name << " does not start with a UTF-8 byte order mark";
        for (const auto& p : f.problems)
            ADD_FAILURE() << name << ": " << p;
    }

    // Every text the program asks for is present and not empty.
    for (std::size_t i = 0; i < files.size(); ++i)
        for (const auto& k : requiredKeys()) {
            auto it = files[i].values.find(k);
            if (it == files[i].values.end())
                ADD_FAILURE() << names[i] << " lacks " << join(k);
            else
                EXPECT_FALSE(it->second.empty()) << names[i] << ": " << join(k) << " is empty";
        }

    // Both languages offer the same keys, in the same order.
    const std::size_t common = std::min(files[0].order.size(), files[1].order.size());
    for (std::size_t i = 0; i < common; ++i)
        if (files[0].order[i] != files[1].order[i]) {
            ADD_FAILURE() << "key " << i + 1 << " differs: " << join(files[0].order[i]) << " in ja.lng, "
                          << join(files[1].order[i]) << " in en.lng";
            break;
        }
    for (const auto& kv : files[0].values)
        if (!files[1].values.count(kv.first)) ADD_FAILURE() << "only in ja.lng: " << join(kv.first);
    for (const auto& kv : files[1].values)
        if (!files[0].values.count(kv.first)) ADD_FAILURE() << "only in en.lng: " << join(kv.first);

    for (std::size_t i = 0; i < files.size(); ++i) {
        for (const auto& kv : files[i].values) {
            const std::string what = names[i] + ": " + join(kv.first);
            const std::string& value = kv.second;

            // The reader takes at most 511 characters (UTF-16 units).
            EXPECT_LE(utf16Length(value), 511) << what << " is longer than the reader takes";

            auto formatted = formattedTexts().find(kv.first);
            if (formatted == formattedTexts().end()) {
                // Shown as written: an escape or a percent sign would appear literally
                // (and the labels of Others end up in templates with %placeholders%).
                EXPECT_EQ(value.find('\\'), std::string::npos) << what << " has a backslash but is not formatted";
                EXPECT_EQ(value.find('%'), std::string::npos) << what << " has a percent sign but is not formatted";
                continue;
            }
            // Formatted: a directive set that does not match the arguments makes the
            // program show the text without them, so it must be exactly %1%..%n%.
            std::set<int> found;
            EXPECT_TRUE(directives(value, found)) << what << " has a malformed % directive: " << value;
            std::set<int> expected;
            for (int n = 1; n <= formatted->second; ++n)
                expected.insert(n);
            EXPECT_EQ(found, expected) << what << " must use exactly the directives %1% to %" << formatted->second
                                       << "%: " << value;
        }
    }
}

TEST(LangFiles, DirectiveScannerRejectsMalformedText) {
    std::set<int> found;
    EXPECT_TRUE(directives("%2% of %1%, 100%%", found));
    EXPECT_EQ(found, (std::set<int>{1, 2}));
    for (const char* bad : {"100% sure", "%1", "%x%", "%0%", "%1% and %"}) {
        std::set<int> ignored;
        EXPECT_FALSE(directives(bad, ignored)) << bad;
    }
    EXPECT_EQ(utf16Length("\xE2\x98\x85"), 1);      // U+2605, three bytes
    EXPECT_EQ(utf16Length("\xF0\x9F\x8E\xB5"), 2);  // U+1F3B5, a surrogate pair
    EXPECT_EQ(utf16Length("\xC0\xAF"), -1);         // overlong
    EXPECT_EQ(utf16Length("\xE3\x81"), -1);         // cut short
}

}  // namespace

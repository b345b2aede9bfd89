// Checks the action package shipped as data/Actions/Default: every default
// binding reaches an entry, every entry names a built-in action with
// parameters that action understands, and both language files carry the
// menu texts of every entry and section.

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "action/ActionList.h"
#include "feature/ActionPluginKolibrix.h"
#include "action/ITunesActionFactory.h"
#include "feature/KolibrixActionFactory.h"
#include "feature/SystemActionFactory.h"
#include "config/Ini.h"
#include "win/file/FileSystem.h"
#include "win/file/IniDocument.h"
#include "win/util/StringUtil.h"

using namespace tavelapp;
using tavel::win::file::IniDocument;
using tavel::win::util::asciiLower;

namespace {

// A path below the source tree, Windows-style as the file layer expects.
std::wstring sourcePath(const std::string& relative) {
    std::wstring path;
    for (char c : std::string(KOLIBRIX_SOURCE_DIR) + "/" + relative)
        path.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return path;
}

const char* const kListFile = "data/Actions/Default/Default.act";

ActionList loadDefaultList() {
    ActionList list;
    list.loadFile(L"Default", sourcePath(kListFile));
    return list;
}

IniDocument loadLang(const std::string& name) {
    std::string bytes;
    EXPECT_TRUE(tavel::win::file::readFileBytes(sourcePath("data/Langs/" + name), bytes)) << name;
    return IniDocument::parse(bytes);
}

std::string narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

bool isCommand(const std::wstring& lowered) {
    for (const wchar_t* command : ActionPluginKolibrix::kCommands)
        if (lowered == command) return true;
    return lowered == L"itunes_boot" || lowered == L"itunes_quit" || lowered == L"itunes_bootquit";
}

bool isFactoryAction(const std::wstring& lowered) {
    return action::ITunesActionFactory::instance().exists(lowered) ||
           action::KolibrixActionFactory::instance().exists(lowered) ||
           action::SystemActionFactory::instance().exists(lowered);
}

// The action names of the four default binding lists.
std::vector<std::wstring> defaultBindingNames() {
    std::vector<std::wstring> names;
    for (const auto& key : Ini::defaultHotKeys())
        names.push_back(key.action);
    for (const auto& key : Ini::defaultIRComKeys())
        names.push_back(key.action);
    for (const auto& key : Ini::defaultJoyKeys())
        names.push_back(key.action);
    for (const auto& key : Ini::defaultWiimoteKeys())
        names.push_back(key.action);
    return names;
}

// The default tray, start-up, end-up and notification-click actions.
std::vector<std::wstring> defaultSettingActions() {
    const Ini::Item::Detail detail;
    return {detail.trayIconAction, detail.trayIconWheelClickAction, detail.startupAction, detail.endupAction,
            Ini::Item::Notify().clickAction};
}

bool isNumber(const std::wstring& text) {
    if (text.empty() || text.size() > 9) return false;
    for (wchar_t c : text)
        if (c < L'0' || c > L'9') return false;
    return true;
}

bool oneOf(const std::wstring& text, std::initializer_list<const wchar_t*> choices) {
    for (const wchar_t* choice : choices)
        if (text == choice) return true;
    return false;
}

// Operator and number in the form the Rating, Volume and SystemVolume actions read.
bool isLevelChange(const std::wstring& text, const std::wstring& operators) {
    return text.size() >= 2 && operators.find(text[0]) != std::wstring::npos && isNumber(text.substr(1)) &&
           std::stoi(text.substr(1)) <= 100;
}

// Empty when the parameters are ones the action acts on as intended; otherwise
// what is wrong. Parameters are compared case-sensitively, as the actions do.
std::string parameterProblem(const std::wstring& action, const std::vector<std::wstring>& p) {
    const std::size_t n = p.size();
    if (oneOf(action, {L"mute", L"shuffle", L"eq", L"visuals", L"miniplayer", L"systemmute"}))
        return n == 0 || (n == 1 && oneOf(p[0], {L"On", L"Off"})) ? "" : "expects nothing, On or Off";
    if (action == L"repeat")
        return n == 0 || (n == 1 && oneOf(p[0], {L"One", L"All", L"Off", L"OneAll"}))
                   ? ""
                   : "expects One, All, Off or OneAll";
    if (action == L"rating") return n == 1 && isLevelChange(p[0], L"+-=?*/") ? "" : "expects an operator and 0-100";
    if (action == L"volume" || action == L"systemvolume")
        return n == 1 && isLevelChange(p[0], L"+-=") ? "" : "expects +, - or = and 0-100";
    if (action == L"browserwindow")
        return n == 1 && oneOf(p[0], {L"Activate", L"Minimize"}) ? "" : "expects Activate or Minimize";
    if (oneOf(action, {L"clocktimer", L"countdowntimer", L"eventaction"}))
        return n == 1 && oneOf(p[0], {L"On", L"Off", L"OnOff"}) ? "" : "expects On, Off or OnOff";
    if (action == L"exitsystem")
        return n == 2 && oneOf(p[0], {L"Shutdown", L"Logoff", L"Reboot", L"PowerOff"}) && isNumber(p[1]) &&
                       std::stoi(p[1]) > 0
                   ? ""
                   : "expects a mode and a count-down length";
    if (action == L"fastforward" || action == L"rewind")
        return n == 0 || (n == 1 && (p[0] == L"OnOff" || isNumber(p[0]))) ? "" : "expects nothing, OnOff or a time";
    if (action == L"prevtrack" || action == L"nexttrack")
        return n == 0 || (n == 1 && isNumber(p[0])) ? "" : "expects nothing or a count";
    if (action == L"reshuffle") return n == 0 || (n == 1 && p[0] == L"Play") ? "" : "expects nothing or Play";
    if (action == L"quickplay" || action == L"runscript") return n <= 2 ? "" : "takes at most two parameters";
    return n == 0 ? "" : "takes no parameters";
}

TEST(DefaultActions, EveryDefaultActionReferenceResolvesToAnEntry) {
    const ActionList list = loadDefaultList();
    ASSERT_FALSE(list.items().empty()) << kListFile << " is missing or empty";
    const std::vector<std::wstring> bindings = defaultBindingNames();
    ASSERT_EQ(31u + 27u + 25u + 16u, bindings.size());
    for (const std::wstring& name : bindings)
        EXPECT_TRUE(list.find(name)) << narrow(name) << " has no entry in " << kListFile;
    // Settings may also name a built-in action directly.
    for (const std::wstring& name : defaultSettingActions())
        EXPECT_TRUE(list.find(name) || isCommand(asciiLower(name)) || isFactoryAction(asciiLower(name)))
            << narrow(name) << " is neither an entry nor a built-in action";

    // The run-action dialog preselects DoNothing; it must stay out of the menus.
    const ActionListItemPtr nothing = list.find(L"DoNothing");
    ASSERT_TRUE(nothing);
    EXPECT_EQ(L"donothing", asciiLower(nothing->actionName));
    EXPECT_EQ(L"nothing", nothing->section);
}

TEST(DefaultActions, DefaultBindingsDoWhatTheirNamesSay) {
    const ActionList list = loadDefaultList();
    using Params = std::vector<std::wstring>;
    const std::map<std::wstring, std::pair<std::wstring, Params>> expected = {
        {L"PlayPause", {L"playpause", {}}},
        {L"Play", {L"play", {}}},
        {L"Pause", {L"pause", {}}},
        {L"Stop", {L"stop", {}}},
        {L"PreviousTrack", {L"prevtrack", {}}},
        {L"NextTrack", {L"nexttrack", {}}},
        {L"Rewind", {L"rewind", {L"OnOff"}}},
        {L"FastForward", {L"fastforward", {L"OnOff"}}},
        {L"PrevAlbum", {L"prevalbum", {}}},
        {L"NextAlbum", {L"nextalbum", {}}},
        {L"PrevArtist", {L"prevartist", {}}},
        {L"NextArtist", {L"nextartist", {}}},
        {L"PrevPlaylist", {L"prevplaylist", {}}},
        {L"NextPlaylist", {L"nextplaylist", {}}},
        {L"ReshuffleAndPlay", {L"reshuffle", {L"Play"}}},
        {L"Volume_Up5", {L"volume", {L"+5"}}},
        {L"Volume_Down5", {L"volume", {L"-5"}}},
        {L"Rating_0", {L"rating", {L"=0"}}},
        {L"Rating_1", {L"rating", {L"=20"}}},
        {L"Rating_2", {L"rating", {L"=40"}}},
        {L"Rating_3", {L"rating", {L"=60"}}},
        {L"Rating_4", {L"rating", {L"=80"}}},
        {L"Rating_5", {L"rating", {L"=100"}}},
        {L"Mute_OnOff", {L"mute", {}}},
        {L"Shuffle_OnOff", {L"shuffle", {}}},
        {L"Repeat_OneAll", {L"repeat", {L"OneAll"}}},
        {L"EQ_OnOff", {L"eq", {}}},
        {L"Visuals_OnOff", {L"visuals", {}}},
        {L"QuickPlay", {L"quickplay", {}}},
        {L"InterruptPlay", {L"showinterruptplayoption", {}}},
        {L"RunAction", {L"runaction", {}}},
        {L"NotifyTrack", {L"notifytrack", {}}},
        {L"NotifySetting", {L"notifysetting", {}}},
        {L"ActivateBrowserWindow", {L"browserwindow", {L"Activate"}}},
        {L"MinimizeBrowserWindow", {L"browserwindow", {L"Minimize"}}},
        {L"ShowOption", {L"showoption", {}}},
        {L"ShowInterruptPlayOption", {L"showinterruptplayoption", {}}},
        {L"DoNothing", {L"donothing", {}}},
    };
    // The table covers every default reference, so a new default binding needs a line here.
    std::vector<std::wstring> references = defaultBindingNames();
    for (const std::wstring& name : defaultSettingActions())
        references.push_back(name);
    for (const std::wstring& name : references) {
        bool listed = false;
        for (const auto& entry : expected)
            listed = listed || asciiLower(entry.first) == asciiLower(name);
        EXPECT_TRUE(listed) << narrow(name) << " is a default reference without an expectation here";
    }
    for (const auto& entry : expected) {
        const ActionListItemPtr item = list.find(entry.first);
        if (!item) {
            // Bare names are fine when no entry shadows them (ShowInterruptPlayOption).
            EXPECT_EQ(asciiLower(entry.first), entry.second.first) << narrow(entry.first) << " has no entry";
            continue;
        }
        EXPECT_EQ(entry.second.first, asciiLower(item->actionName)) << narrow(entry.first);
        EXPECT_EQ(entry.second.second, item->params) << narrow(entry.first);
    }
}

TEST(DefaultActions, EveryEntryRunsABuiltInActionWithParametersItUnderstands) {
    const ActionList list = loadDefaultList();
    ASSERT_FALSE(list.items().empty());
    for (const ActionListItemPtr& item : list.items()) {
        const std::wstring action = asciiLower(item->actionName);
        const std::string id = narrow(item->id);
        EXPECT_TRUE(isCommand(action) || isFactoryAction(action))
            << id << ": no built-in plug-in provides " << narrow(item->actionName);
        const std::string problem = parameterProblem(action, item->params);
        EXPECT_EQ("", problem) << id << " (" << narrow(item->actionName) << ")";

        // An ID that is itself an action name shadows that name for everyone who
        // runs it bare (the tray menu runs ShowClockTimerOption and others so).
        if (isCommand(item->key) || isFactoryAction(item->key)) {
            EXPECT_EQ(item->key, action) << id << " redirects the action of the same name";
        }
    }
    // The runner asks for NotifyChanges after every player change; an entry of that
    // ID would have to keep the utility command.
    if (const ActionListItemPtr changes = list.find(L"NotifyChanges")) {
        EXPECT_EQ(L"notifychanges", asciiLower(changes->actionName));
    }
}

TEST(DefaultActions, ListFileIsPlainAsciiWithUniqueIdsUnderLowerCaseSections) {
    std::string bytes;
    ASSERT_TRUE(tavel::win::file::readFileBytes(sourcePath(kListFile), bytes));
    for (std::size_t i = 0; i < bytes.size(); ++i)
        ASSERT_LT(static_cast<unsigned char>(bytes[i]), 0x80u) << "byte " << i << " is not ASCII";

    const ActionList list = loadDefaultList();
    std::set<std::wstring> keys;
    for (const ActionListItemPtr& item : list.items()) {
        const std::string id = narrow(item->id);
        EXPECT_TRUE(keys.insert(item->key).second) << id << " is defined twice";
        EXPECT_FALSE(item->section.empty()) << id << " stands before the first section heading";
        EXPECT_EQ(asciiLower(item->section), item->section) << "section of " << id << " is not lower case";
        // IDs are also keys of the language files: no blanks, '=', ';' or brackets.
        for (wchar_t c : item->id) {
            const bool plain =
                (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'_';
            EXPECT_TRUE(plain) << id << " holds a character other than letters, digits and '_'";
        }
    }
}

TEST(DefaultActions, BothLanguagesNameAndDescribeEveryEntryAndSection) {
    const ActionList list = loadDefaultList();
    ASSERT_FALSE(list.items().empty());
    for (const std::string name : {"ja.lng", "en.lng"}) {
        const IniDocument lang = loadLang(name);
        std::set<std::wstring> sections, ids;
        std::map<std::wstring, std::string> displayNames;
        for (const ActionListItemPtr& item : list.items()) {
            const std::string id = narrow(item->id);
            if (!ids.insert(item->key).second) continue;  // a repeated ID is reported elsewhere
            sections.insert(item->section);
            const std::wstring display = lang.getString(L"ActionName", item->id, L"");
            EXPECT_FALSE(display.empty()) << name << " lacks ActionName/" << id;
            EXPECT_FALSE(lang.getString(L"ActionDesc", item->id, L"").empty()) << name << " lacks ActionDesc/" << id;
            if (!display.empty()) {
                const auto seen = displayNames.emplace(display, id);
                EXPECT_TRUE(seen.second) << name << ": " << id << " and " << seen.first->second
                                         << " show the same name";
            }
        }
        for (const std::wstring& section : sections)
            EXPECT_FALSE(lang.getString(L"ActionType", section, L"").empty())
                << name << " lacks ActionType/" << narrow(section);

        // No stale texts: every key names a section or entry of the list.
        for (const std::wstring& key : lang.keyNames(L"ActionType"))
            EXPECT_TRUE(sections.count(key)) << name << ": ActionType/" << narrow(key) << " names no section";
        for (const wchar_t* texts : {L"ActionName", L"ActionDesc"})
            for (const std::wstring& key : lang.keyNames(texts))
                EXPECT_TRUE(ids.count(asciiLower(key)))
                    << name << ": " << narrow(texts) << "/" << narrow(key) << " names no entry";
    }
}

TEST(DefaultActions, ParameterCheckRejectsWhatTheActionsWouldMisread) {
    EXPECT_EQ("", parameterProblem(L"rating", {L"?60"}));
    EXPECT_NE("", parameterProblem(L"rating", {L"60"}));
    EXPECT_NE("", parameterProblem(L"rating", {L"=120"}));
    EXPECT_NE("", parameterProblem(L"volume", {L"*5"}));
    EXPECT_NE("", parameterProblem(L"shuffle", {L"on"}));
    EXPECT_NE("", parameterProblem(L"clocktimer", {}));
    EXPECT_NE("", parameterProblem(L"exitsystem", {L"Shutdown"}));
    EXPECT_NE("", parameterProblem(L"exitsystem", {L"Hibernate", L"60"}));
    EXPECT_NE("", parameterProblem(L"play", {L"x"}));
    EXPECT_EQ("", parameterProblem(L"rewind", {L"3000"}));
    EXPECT_TRUE(isCommand(L"itunes_bootquit"));
    EXPECT_TRUE(isCommand(L"donothing"));
    EXPECT_FALSE(isFactoryAction(L"donothing"));
    EXPECT_TRUE(isFactoryAction(L"exitsystem"));
}

}  // namespace

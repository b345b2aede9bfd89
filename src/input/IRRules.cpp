#include "input/IRRules.h"

#include <limits>

#include "config/Lang.h"
#include "win/util/StringUtil.h"

namespace tavelapp {
namespace IRRules {
namespace {

std::wstring trimBlanks(const std::wstring& text) {
    const std::size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

std::uint32_t leadingNumber(const std::wstring& text) {
    std::uint64_t value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') break;
        // A huge number matches no binding; it must not wrap onto one.
        value = value * 10 + static_cast<std::uint64_t>(c - L'0');
        if (value > std::numeric_limits<std::uint32_t>::max()) return std::numeric_limits<std::uint32_t>::max();
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace

Command parseLine(const std::wstring& sent) {
    Command command;
    // Senders that end lines with CR LF leave the CR here.
    const std::wstring line = !sent.empty() && sent.back() == L'\r' ? sent.substr(0, sent.size() - 1) : sent;
    const std::wstring rest = line.size() >= 4 ? trimBlanks(line.substr(4)) : std::wstring();
    if (line.compare(0, 4, L"KEY:") == 0) {
        command.kind = Command::kKey;
        command.key = leadingNumber(rest);
    } else if (line.compare(0, 4, L"RUN:") == 0) {
        command.kind = Command::kRun;
        command.reference = rest;
    }
    return command;
}

std::vector<std::wstring> actionsFor(const Command& command, const Settings::KeyList& bindings) {
    std::vector<std::wstring> actions;
    if (command.kind == Command::kRun) {
        actions.push_back(command.reference);
    } else if (command.kind == Command::kKey) {
        for (const auto& binding : bindings) {
            if (binding.key == command.key) actions.push_back(binding.action);
        }
    }
    return actions;
}

std::vector<std::wstring> actionsToRun(const Command& command, const Settings::KeyList& bindings, bool fromNetwork,
                                       bool allowAll) {
    std::vector<std::wstring> actions = actionsFor(command, bindings);
    if (!fromNetwork) return actions;
    std::vector<std::wstring> allowed;
    for (const std::wstring& action : actions) {
        if (allowedOverNetwork(action, allowAll)) allowed.push_back(action);
    }
    return allowed;
}

std::wstring keyName(std::uint32_t index) {
    static const wchar_t* const kLangKeys[] = {L"IRComKeyUp", L"IRComKeyRight", L"IRComKeyDown", L"IRComKeyLeft",
                                               L"IRComKeySelect"};
    static const wchar_t* const kFixed[] = {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"*", L"0", L"#"};
    if (index < 5) return Lang::instance().text(L"Others", kLangKeys[index]);
    if (index < 17) return kFixed[index - 5];
    return std::wstring();
}

std::wstring displayName(std::uint32_t code) {
    std::wstring name;
    if (code & kShift) name = Lang::instance().text(L"Others", L"IRComKeyShift") + L" + ";
    return name + keyName(code & 0xFF);
}

}  // namespace IRRules
}  // namespace tavelapp

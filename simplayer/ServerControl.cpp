#include "ServerControl.h"

#include <climits>
#include <sstream>
#include <vector>

#include "ServerFaults.h"

namespace simplayer {

namespace {

using namespace tavelapp::itunes;

std::vector<std::wstring> words(const std::wstring& text) {
    std::wistringstream in(text);
    std::vector<std::wstring> out;
    for (std::wstring word; in >> word;)
        out.push_back(word);
    return out;
}

// A whole decimal number within [low, high], nothing else.
bool parseNumber(const std::wstring& text, long long low, long long high, long long& out) {
    std::size_t i = text.size() > 1 && text[0] == L'-' ? 1 : 0;
    if (i == text.size() || text.size() - i > 12) return false;
    long long value = 0;
    for (std::size_t j = i; j < text.size(); ++j) {
        if (text[j] < L'0' || text[j] > L'9') return false;
        value = value * 10 + (text[j] - L'0');
    }
    if (i == 1) value = -value;
    if (value < low || value > high) return false;
    out = value;
    return true;
}

bool parseLong(const std::wstring& text, long& out) {
    long long value = 0;
    if (!parseNumber(text, LONG_MIN, LONG_MAX, value)) return false;
    out = static_cast<long>(value);
    return true;
}

bool parseOnOff(const std::wstring& text, bool& on) {
    if (text != L"on" && text != L"off") return false;
    on = text == L"on";
    return true;
}

std::vector<std::wstring> split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::wstring::npos) return parts;
        start = end + 1;
    }
}

// "-" for none, else "s.p.t.d[,s.p.t.d...]".
bool parseObjectIds(const std::wstring& text, std::vector<EventCall::ObjectIds>& out) {
    out.clear();
    if (text == L"-") return true;
    for (const std::wstring& object : split(text, L',')) {
        const std::vector<std::wstring> parts = split(object, L'.');
        EventCall::ObjectIds ids{};
        if (parts.size() != ids.size()) return false;
        for (std::size_t i = 0; i < ids.size(); ++i) {
            if (!parseLong(parts[i], ids[i])) return false;
        }
        out.push_back(ids);
    }
    return true;
}

struct NamedEvent {
    const wchar_t* name;
    DISPID id;
};

const NamedEvent kEvents[] = {
    {L"database-changed", DispDatabaseChanged},
    {L"play", DispPlayerPlay},
    {L"stop", DispPlayerStop},
    {L"track-changed", DispPlayingTrackChanged},
    {L"com-calls-disabled", DispCOMCallsDisabled},
    {L"com-calls-enabled", DispCOMCallsEnabled},
    {L"quitting", DispQuitting},
    {L"about-to-prompt-user-to-quit", DispAboutToPromptUserToQuit},
    {L"volume-changed", DispSoundVolumeChanged},
};

}  // namespace

bool ServerControl::execute(const std::wstring& command) {
    const std::vector<std::wstring> w = words(command);
    if (w.empty()) return false;
    const std::wstring& verb = w[0];
    ServerFaults& faults = ServerFaults::instance();
    if (verb == L"status") return w.size() == 1;
    if (verb == L"busy" && w.size() == 2) {
        long long ms = 0;
        if (!parseNumber(w[1], 0, MAXDWORD, ms)) return false;
        faults.setBusy(static_cast<DWORD>(ms));
        return true;
    }
    if (verb == L"hang" && w.size() == 2) {
        long long ms = 0;
        if (!parseNumber(w[1], 0, MAXDWORD, ms)) return false;
        // The sender is let go first; then this thread, the apartment's only
        // one, answers nobody: no call, no event, no window message.
        ::ReplyMessage(TRUE);
        ::Sleep(static_cast<DWORD>(ms));
        return true;
    }
    bool on = false;
    if (verb == L"modal" && w.size() == 2 && parseOnOff(w[1], on)) {
        faults.setModal(on);
        return true;
    }
    if (verb == L"refuse-advise" && w.size() == 2 && parseOnOff(w[1], on)) {
        faults.setRefuseAdvise(on);
        return true;
    }
    if (verb == L"fire" && w.size() >= 2) return fire(w[1], std::vector<std::wstring>(w.begin() + 2, w.end()));
    return false;
}

bool ServerControl::fire(const std::wstring& event, const std::vector<std::wstring>& args) {
    DISPID id = DISPID_UNKNOWN;
    for (const NamedEvent& e : kEvents) {
        if (event == e.name) id = e.id;
    }
    if (id == DISPID_UNKNOWN) return false;
    if (args.empty()) {
        hub_.queue(hub_.withCurrentArguments(id));
        return true;
    }
    if (id == DispDatabaseChanged && args.size() <= 2) {
        std::vector<EventCall::ObjectIds> deleted, changed;
        if (!parseObjectIds(args[0], deleted)) return false;
        if (args.size() == 2 && !parseObjectIds(args[1], changed)) return false;
        hub_.queue(EventCall::databaseChanged(deleted, changed));
        return true;
    }
    long number = 0;
    if ((id == DispCOMCallsDisabled || id == DispSoundVolumeChanged) && args.size() == 1 &&
        parseLong(args[0], number)) {
        hub_.queue(EventCall::withNumber(id, number));
        return true;
    }
    return false;
}

}  // namespace simplayer

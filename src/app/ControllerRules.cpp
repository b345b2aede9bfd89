#include "app/ControllerRules.h"

#include "config/Ini.h"
#include "feature/EventAction.h"
#include "player/PlayerState.h"
#include "win/util/StringUtil.h"

namespace tavelapp {
namespace ControllerRules {

unsigned int observationRetryMs(int synchroTimeSeconds) {
    if (synchroTimeSeconds <= 0) return 0;
    if (synchroTimeSeconds < 3) return 3000;
    return static_cast<unsigned int>(synchroTimeSeconds) * 1000u;
}

SettingAction resolveSettingAction(const std::wstring& value, bool allowShowOption) {
    SettingAction result;
    std::wstring name = tavel::win::util::asciiLower(value);
    if (allowShowOption && name == L"showoption") {
        result.kind = SettingAction::ShowOption;
    } else if (!allowShowOption && (name.empty() || name == L"donothing")) {
        result.kind = SettingAction::Nothing;
    } else {
        // The runner itself treats "donothing" and empty names as no action.
        result.kind = SettingAction::Run;
        result.name = name;
    }
    return result;
}

int displayTimeFor(const std::string& messageKey, const Settings& settings) {
    // A device waits for the PC's user to open pairing: its ask stays as long as a pairing window would.
    if (messageKey.compare(0, 18, "WebRemote_PairAsk:") == 0) return 120;
    return messageKey == "track" ? settings.notify.notifyTime : settings.notify.notifyTimeOthers;
}

bool skipsSingleInstanceCheck(const std::wstring& commandLine) {
    std::wstring::size_type first = commandLine.find_first_not_of(L' ');
    if (first == std::wstring::npos) return false;
    std::wstring::size_type last = commandLine.find_last_not_of(L' ');
    return commandLine.compare(first, last - first + 1, L"-f") == 0;
}

std::wstring toolTipText(const PlayerState& state, bool observing) {
    if (!observing || state.name().empty()) return L"Kolibrix";
    return state.format(L"%PlayListName% - %PlayOrderIndex%/%TracksCount%\\n%RatingText% [%PlayedCount%]\\n%Name%");
}

InterruptPlay::Outcome onTrackChanged(const PlayerState& state, InterruptPlay& interruptPlay, EventAction& eventAction,
                                      const InterruptPlay::Player& play) {
    const bool ownChange = interruptPlay.takeOwnChange();
    eventAction.onTrackChanged(ownChange);
    if (ownChange) return InterruptPlay::Outcome::Nothing;
    return interruptPlay.onTrackChanged(state, play);
}

}  // namespace ControllerRules
}  // namespace tavelapp

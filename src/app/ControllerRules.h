#pragma once
#include <string>

#include "feature/InterruptPlay.h"

namespace tavelapp {

class EventAction;
struct Settings;
class PlayerState;

// Decisions of the controller that need no window, kept apart to be tested natively.
namespace ControllerRules {

// From the end of the message loop to the end of the process, whatever
// hangs (a player that never answers, a library that never returns): the
// settings are saved before, and the process is ended at it.
const unsigned int kExitDeadlineMs = 4000;

// Delay in milliseconds before observation is tried again; 0 means never.
// 1 and 2 seconds are too eager for the player and count as 3.
unsigned int observationRetryMs(int synchroTimeSeconds);

// What a setting such as TrayIconAction or StartupAction asks for.
struct SettingAction {
    enum Kind { Nothing, ShowOption, Run };
    Kind kind = Nothing;
    std::wstring name;  // lower-cased action reference when kind == Run
};
// allowShowOption: the tray settings open the options sheet for "showoption";
// the start-up and end-up settings treat empty and "donothing" as no action.
SettingAction resolveSettingAction(const std::wstring& value, bool allowShowOption);

// Display time of a queued notification: track notifications have their own.
int displayTimeFor(const std::string& messageKey, const Settings& settings);

// Held by the one running copy; a second start looks for it.
const wchar_t kSingleInstanceMutex[] = L"tavelapp_Kolibrix";

// The command line rule: only "-f" with blanks (U+0020) around it skips the single-copy check.
bool skipsSingleInstanceCheck(const std::wstring& commandLine);

// The tray icon's tool tip: playlist, position, rating and track name while the
// player plug-in is observing and a track is loaded, else the program's name.
std::wstring toolTipText(const PlayerState& state, bool observing);

// A change of the current track: a change the program made itself (interrupt
// play's mark) is neither the end of a track for the event action nor a step
// of interrupt play; any other may fire the one and step the other.
InterruptPlay::Outcome onTrackChanged(const PlayerState& state, InterruptPlay& interruptPlay, EventAction& eventAction,
                                      const InterruptPlay::Player& play);

}  // namespace ControllerRules
}  // namespace tavelapp

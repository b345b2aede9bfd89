#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "EventHub.h"

namespace simplayer {

// What a test sends to the player's window (WM_COPYDATA with dwData
// kControlDataId and the command as UTF-16 text) to make the player fail the
// way the real one does, or to fire an event:
//   busy <ms>                    reject every Invoke for that long (0 ends it)
//   hang <ms>                    answer nothing at all for that long (a player
//                                that hangs); the command itself returns at once
//   modal on|off                 a modal dialog: no new application objects
//   refuse-advise on|off         the connection point takes no more sinks
//   fire <event> [arguments]     fire one event to every sink now
//   status                       a liveness probe
// Events: database-changed [<deleted> [<changed>]] (each "-" or a comma-
// separated list of source.playlist.track.database ids), play, stop,
// track-changed (the current track), com-calls-disabled [reason],
// com-calls-enabled, quitting, about-to-prompt-user-to-quit,
// volume-changed [volume] (the current volume by default).
class ServerControl {
public:
    static const ULONG_PTR kControlDataId = 0x4B58;

    explicit ServerControl(EventHub& hub) : hub_(hub) {}

    // True when the command was understood and done.
    bool execute(const std::wstring& command);

private:
    bool fire(const std::wstring& event, const std::vector<std::wstring>& args);

    EventHub& hub_;
};

}  // namespace simplayer

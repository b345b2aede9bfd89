#pragma once
#include <string>
#include <vector>

#include "action/Action.h"
#include "player/PlayerInterface.h"

namespace tavelapp {
namespace action {

// Base of the player actions: one connection of its own per run, and every
// failure (an unreachable player, a vanished object) ends the run silently.
class PlayerAction : public ITunesAction {
public:
    PlayerAction(ActionListItemPtr entry, std::vector<std::wstring> params)
        : ITunesAction(std::move(entry), std::move(params), 1) {}

protected:
    int run() override;
    // Connects and calls runOn; override when the player must not be started.
    virtual void perform();
    virtual void runOn(itunes::App& app);
};

// The leading decimal number of the text as the C runtime reads it (blanks,
// sign, digits); 0 when there is none. Cut to the 32-bit range.
long decimalValue(const std::wstring& text);

// "On" gives true, "Off" false, anything else the negation of the current value.
bool onOffToggle(const std::wstring& param, bool current);

// The first character is the operator, the rest the number; results stay in 0-100.
long ratingResult(const std::wstring& param, long current);
long volumeResult(const std::wstring& param, long current);

// "One" 1, "All" 2, "Off" 0, "OneAll" one/all, anything else cycles off, one, all.
long repeatResult(const std::wstring& param, long current);

}  // namespace action
}  // namespace tavelapp

#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "action/NetworkRule.h"
#include "config/Settings.h"

namespace tavelapp {

// The infrared server's rules that need no socket, kept apart to be tested natively.
namespace IRRules {

const std::uint32_t kShift = 0x100;

// One line of a received object.
struct Command {
    enum Kind { kNone, kKey, kRun };
    Kind kind = kNone;
    std::uint32_t key = 0;   // kKey: the key code
    std::wstring reference;  // kRun: the action reference
};

// "KEY:" plus a decimal key code (leading digits after blanks; none reads as 0),
// "RUN:" plus an action reference; anything else is no command. One trailing
// carriage return is not part of the line.
Command parseLine(const std::wstring& line);

// The action references a command runs: every binding of its key in list
// order, or the reference it names.
std::vector<std::wstring> actionsFor(const Command& command, const Settings::KeyList& bindings);

// The rule lives with the actions; named here too for the callers that still
// reach it through this header.
using action::allowedOverNetwork;

// What a received line runs. From the network, the actions behind a key obey
// the same rule as a named one: the bindings are shared with infrared, and
// any program that reaches the port (loopback included) could press a key
// bound to shutting the computer down.
std::vector<std::wstring> actionsToRun(const Command& command, const Settings::KeyList& bindings, bool fromNetwork,
                                       bool allowAll);

// The key index's name ("IRComKeyUp" ... "#"), empty above 16.
std::wstring keyName(std::uint32_t index);
// "<shift> + <name>" with the shift flag, else the name.
std::wstring displayName(std::uint32_t code);

}  // namespace IRRules
}  // namespace tavelapp

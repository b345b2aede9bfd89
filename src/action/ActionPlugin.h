#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "action/ActionListItem.h"

namespace tavelapp {

// A provider of named actions: the three built-in ones and every plug-in
// library. Operation names follow the library exports they map to.
class ActionPlugin {
public:
    virtual ~ActionPlugin() = default;

    // Category and name, e.g. "Player/iTunes"; "Player/" marks a player plug-in.
    virtual std::wstring GetName() = 0;
    // The controlled program's display name; "" for utilities.
    virtual std::wstring GetTargetName() = 0;
    virtual bool ActionExists(const std::wstring& name) = 0;
    virtual bool IsActionAvailable(const std::wstring& name) = 0;
    virtual bool IsPlayerAction(const std::wstring& name) = 0;
    // Starts the action and returns at once; always 0.
    virtual int RunAction(const ActionListItemPtr& entry, const std::wstring& name,
                          const std::vector<std::wstring>& params) = 0;
    virtual bool IsUtility() = 0;
    virtual bool IsPlayerRunning() = 0;
    // Appends the player state lines to the stream.
    virtual bool GetCurrentPlayerState(std::wostream& stream) = 0;
    virtual bool StartObservation() = 0;
    virtual bool EndObservation() = 0;
    virtual bool IsObserving() = 0;

    // Where the plug-in posts its notifications (the manager's window), and its index.
    void* notifyWindow = nullptr;
    int index = 0;
};

}  // namespace tavelapp

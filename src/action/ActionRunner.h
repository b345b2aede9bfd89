#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "action/ActionListItem.h"

namespace tavelapp {

// Turns a name (an action-list entry or a bare action name) into a dispatch.
class ActionRunner {
public:
    class ActionRunnerListener {
    public:
        virtual void onActionFinished(ActionRunner& runner) = 0;

    protected:
        ~ActionRunnerListener() = default;
    };

    static ActionRunner& instance();

    // How the end of an action asks for a change detection (the notification
    // layer's, above this one, handed in at start); nothing until then.
    using ChangeRequest = void (*)();
    static void setChangeRequest(ChangeRequest request);
    static void requestChangeDetection();

    void setListener(ActionRunnerListener* listener);
    void runByName(const std::wstring& name, bool playSound);
    void dispatch(const ActionListItemPtr& entry, const std::wstring& actionName,
                  const std::vector<std::wstring>& params, bool playSound);
    void notifyChanges();
    void playStartSound();
    void actionFinished();
    std::uint32_t lastDispatchTime() const;

private:
    ActionRunner();
};

}  // namespace tavelapp

#pragma once
#include <memory>
#include <string>

#include "action/ActionPlugin.h"
#include "player/PlayerHost.h"
#include "player/PlayerInterface.h"

namespace tavelapp {

// The player plug-in for iTunes: its actions, the player state lines, and the
// observation connection whose events it posts to the manager's window.
class ActionPluginITunes : public ActionPlugin, public itunes::ITunesEventsListener {
public:
    ActionPluginITunes(void* window, int index);
    ~ActionPluginITunes() override;

    std::wstring GetName() override { return L"Player/iTunes"; }
    std::wstring GetTargetName() override { return L"iTunes"; }
    bool ActionExists(const std::wstring& name) override;
    bool IsActionAvailable(const std::wstring&) override { return true; }
    bool IsPlayerAction(const std::wstring& name) override;
    int RunAction(const ActionListItemPtr& entry, const std::wstring& name,
                  const std::vector<std::wstring>& params) override;
    bool IsUtility() override { return false; }
    bool IsPlayerRunning() override;
    bool GetCurrentPlayerState(std::wostream& stream) override;
    bool StartObservation() override;
    bool EndObservation() override;
    bool IsObserving() override;

    const std::wstring& artworkPath() const { return artworkPath_; }

    // itunes::ITunesEventsListener
    void onPlayerPlay() override { post(1); }
    void onPlayerStop() override { post(1); }
    void onPlayingTrackChanged() override { post(1); }
    void onSoundVolumeChanged() override { post(1); }
    void onQuitting() override { playerQuits(); }
    void onAboutToPromptUserToQuit() override { playerQuits(); }

private:
    void post(int code);
    void playerQuits();
    void writeState(itunes::App& app, std::wostream& stream);

    std::wstring artworkPath_;
    std::unique_ptr<itunes::PlayerConnection> observation_;
};

}  // namespace tavelapp

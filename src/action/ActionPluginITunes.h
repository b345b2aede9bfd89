#pragma once
#include <atomic>
#include <memory>
#include <mutex>
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
    // True when an attempt is under way (never a connection made here): a
    // worker asks the player first, and ObservationStarted is posted only
    // once the connection is made; IsObserving tells until then.
    bool StartObservation() override;
    bool EndObservation() override;
    bool IsObserving() override;

    const std::wstring& artworkPath() const { return artworkPath_; }
    // Times the artwork file was written; it is rewritten only for another
    // track (or artwork count), or when the file went missing.
    unsigned long artworkSaves() const { return artworkSaves_.load(); }
    // Whoever changes a track's artwork calls this, so that the next state
    // capture writes the file again even for the same track.
    static void artworkChanged();

    // itunes::ITunesEventsListener
    void onPlayerPlay() override { post(1); }
    void onPlayerStop() override { post(1); }
    void onPlayingTrackChanged() override { post(1); }
    void onSoundVolumeChanged() override { post(1); }
    void onQuitting() override { playerQuits(); }
    void onAboutToPromptUserToQuit() override { playerQuits(); }
    // Artwork may have been replaced in the player itself.
    void onDatabaseChanged() override { artworkChanged(); }

private:
    void post(int code);
    // Connects the observation once a worker found the player answering.
    void probeThenObserve();
    void probed(unsigned long generation, bool answers);
    void playerQuits();
    void writeState(itunes::App& app, std::wostream& stream);
    bool saveArtwork(itunes::ArtworkCollection* artwork, long count, long trackId);

    std::wstring artworkPath_;
    // What the artwork file holds; captures may run on several threads.
    std::mutex artworkLock_;
    bool artworkSaved_ = false;
    long savedTrackId_ = 0;
    long savedCount_ = 0;
    unsigned long savedGeneration_ = 0;
    std::atomic<unsigned long> artworkSaves_{0};
    std::unique_ptr<itunes::PlayerConnection> observation_;
    // The probe's way back; the destructor cuts it (both on the main thread).
    struct ProbeLink {
        ActionPluginITunes* plugin = nullptr;
    };
    std::shared_ptr<ProbeLink> probeLink_;
    bool probing_ = false;
    // Answers of probes asked before the observation last ended are stale.
    unsigned long probeGeneration_ = 0;
};

}  // namespace tavelapp

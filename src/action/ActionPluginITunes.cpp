#include "action/ActionPluginITunes.h"

#include <ostream>

#include "action/ActionPluginMgr.h"
#include "action/ITunesActionFactory.h"
#include "base/ActionQueue.h"
#include "base/AppPaths.h"
#include "base/RunningThreads.h"
#include "base/WorkerPool.h"
#include "win/file/File.h"
#include "win/file/FileSystem.h"
#include "win/util/Com.h"
#include "win/util/MainThread.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {
namespace {

std::atomic<unsigned long> artworkGeneration{0};

bool isBootQuitName(const std::wstring& name) {
    return name == L"itunes_boot" || name == L"itunes_quit" || name == L"itunes_bootquit";
}

}  // namespace

ActionPluginITunes::ActionPluginITunes(void* window, int pluginIndex) {
    notifyWindow = window;
    index = pluginIndex;
    tavel::win::file::Dir artwork(AppPaths::settingsFolder() + L"\\Artwork");
    artwork.create();
    artworkPath_ = artwork.path() + L"\\iTunes.tmp";
    probeLink_ = std::make_shared<ProbeLink>();
    probeLink_->plugin = this;
    observation_ = itunes::PlayerHost::instance().openObserved(this);
    if (!observation_->connected() && itunes::PlayerHost::instance().isRunning()) probeThenObserve();
}

ActionPluginITunes::~ActionPluginITunes() {
    probeLink_->plugin = nullptr;
    const bool wasConnected = observation_->connected();
    observation_->disconnect();
    if (wasConnected) post(ActionPluginMgr::ObservationEnded);
}

void ActionPluginITunes::post(int code) { postPluginNotification(notifyWindow, index, code); }

void ActionPluginITunes::probeThenObserve() {
    probing_ = true;
    const unsigned long generation = ++probeGeneration_;
    const std::shared_ptr<ProbeLink> link = probeLink_;
    itunes::PlayerHost::instance().probe([link, generation](bool answers) {
        if (link->plugin != nullptr) link->plugin->probed(generation, answers);
    });
}

void ActionPluginITunes::probed(unsigned long generation, bool answers) {
    tavel::win::util::MainThread::check("ActionPluginITunes::probed");
    if (generation != probeGeneration_) return;
    probing_ = false;
    if (!answers || observation_->connected() || !itunes::PlayerHost::instance().isRunning()) return;
    // Made here, where the events are to arrive: one attempt, right after the
    // player answered a worker. "Started" only when it did: a player showing a
    // dialog would otherwise announce a start on every retry while no event arrives.
    if (observation_->connect()) post(ActionPluginMgr::ObservationStarted);
}

void ActionPluginITunes::playerQuits() {
    // A probe still asking belongs to the observation that ends here.
    ++probeGeneration_;
    probing_ = false;
    // The player waits for its clients to let go before it quits; the workers
    // keep connections of their own.
    WorkerPool::instance().releasePlayerConnections();
    if (!observation_->connected()) return;
    observation_->disconnect();
    post(ActionPluginMgr::ObservationEnded);
}

bool ActionPluginITunes::ActionExists(const std::wstring& name) {
    return isBootQuitName(name) || action::ITunesActionFactory::instance().exists(name);
}

bool ActionPluginITunes::IsPlayerAction(const std::wstring& name) { return !isBootQuitName(name); }

int ActionPluginITunes::RunAction(const ActionListItemPtr& entry, const std::wstring& name,
                                  const std::vector<std::wstring>& params) {
    if (isBootQuitName(name)) {
        // Starting or quitting the player waits for it: on the action queue
        // like every action, so a held key's repeats are filtered there too.
        class BootQuitThread : public Thread {
        public:
            explicit BootQuitThread(std::wstring name) : name_(std::move(name)) { runOnWorker(); }

        protected:
            ActionQueue& queue() override { return ActionQueue::actions(); }
            int run() override {
                itunes::PlayerHost& host = itunes::PlayerHost::instance();
                const bool quit = name_ == L"itunes_quit" || (name_ == L"itunes_bootquit" && host.isRunning());
                if (quit) {
                    host.quit();
                } else {
                    host.boot();
                }
                return 0;
            }

        private:
            const std::wstring name_;
        };
        runningThreads().start(std::make_shared<BootQuitThread>(name));
    } else if (auto action = action::ITunesActionFactory::instance().create(name, entry, params)) {
        runningThreads().start(action);
    }
    return 0;
}

void ActionPluginITunes::artworkChanged() { ++artworkGeneration; }

bool ActionPluginITunes::IsPlayerRunning() { return itunes::PlayerHost::instance().isRunning(); }

bool ActionPluginITunes::StartObservation() {
    tavel::win::util::MainThread::check("ActionPluginITunes::StartObservation");
    if (!itunes::PlayerHost::instance().isRunning() || observation_->connected()) return false;
    // Never a player call here: a player showing a dialog would hold this thread.
    if (!probing_) probeThenObserve();
    return true;
}

bool ActionPluginITunes::EndObservation() {
    playerQuits();
    return true;
}

bool ActionPluginITunes::IsObserving() {
    // The connection belongs to the main thread, which opens and closes it.
    tavel::win::util::MainThread::check("ActionPluginITunes::IsObserving");
    return observation_->connected();
}

bool ActionPluginITunes::GetCurrentPlayerState(std::wostream& stream) {
    itunes::PlayerHost& host = itunes::PlayerHost::instance();
    if (!host.isRunning()) return true;
    tavel::win::util::ComApartment com;
    // What was written stays; the rest of the snapshot is empty.
    tavel::win::util::guarded("player state", [&] {
        std::unique_ptr<itunes::PlayerConnection> connection = host.open();
        writeState(connection->app(), stream);
    });
    return true;
}

void ActionPluginITunes::writeState(itunes::App& app, std::wostream& stream) {
    itunes::PlaylistPtr playlist = app.currentPlaylist();
    itunes::TrackPtr track = app.currentTrack();
    stream << app.soundVolume() << L'\n';
    stream << app.mute() << L'\n';
    stream << app.eqEnabled() << L'\n';
    stream << app.visualsEnabled() << L'\n';
    stream << app.fullScreenVisuals() << L'\n';
    stream << app.playerState() << L'\n';
    stream << app.playerPosition() << L'\n';
    if (playlist) {
        itunes::TrackCollectionPtr tracks = playlist->tracks();
        stream << playlist->playlistId() << L'\n';
        stream << playlist->name() << L'\n';
        stream << playlist->shuffle() << L'\n';
        stream << playlist->songRepeat() << L'\n';
        stream << (tracks ? tracks->count() : 0) << L'\n';
    } else {
        stream << L"0\n\n0\n0\n0\n";
    }
    if (!track) {
        stream << L'\n';
        return;
    }
    const long trackId = track->trackId();
    stream << trackId << L'\n';
    stream << track->playedCount() << L'\n';
    stream << track->album() << L'\n';
    stream << track->artist() << L'\n';
    stream << track->comment() << L'\n';
    stream << track->composer() << L'\n';
    stream << track->duration() << L'\n';
    stream << track->genre() << L'\n';
    stream << track->name() << L'\n';
    stream << track->playOrderIndex() << L'\n';
    stream << track->rating() << L'\n';
    stream << track->time() << L'\n';
    stream << track->trackCount() << L'\n';
    stream << track->trackNumber() << L'\n';
    stream << track->year() << L'\n';
    itunes::ArtworkCollectionPtr artwork = track->artwork();
    const long artworkCount = artwork ? artwork->count() : 0;
    stream << artworkCount << L'\n';
    if (saveArtwork(artwork.get(), artworkCount, trackId)) {
        stream << artworkPath_ << L'\n';
    } else {
        stream << L'\n';
    }
}

bool ActionPluginITunes::saveArtwork(itunes::ArtworkCollection* artwork, long count, long trackId) {
    std::lock_guard<std::mutex> guard(artworkLock_);
    const unsigned long generation = artworkGeneration.load();
    // Every notification captures the state; the picture only changes with the
    // track, so skip the player's image export while the file still holds it.
    if (artworkSaved_ && count > 0 && savedTrackId_ == trackId && savedCount_ == count &&
        savedGeneration_ == generation && tavel::win::file::fileExists(artworkPath_)) {
        return true;
    }
    artworkSaved_ = false;
    itunes::ArtworkPtr first = count > 0 ? artwork->item(1) : nullptr;
    if (first && first->saveArtworkToFile(artworkPath_)) {
        artworkSaved_ = true;
        savedTrackId_ = trackId;
        savedCount_ = count;
        savedGeneration_ = generation;
        ++artworkSaves_;
        return true;
    }
    tavel::win::file::deleteFile(artworkPath_);
    return false;
}

}  // namespace tavelapp

#pragma once
#include <atomic>
#include <functional>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "web/WebBackend.h"

namespace tavelapp {

class ActionList;
class ActionPluginMgr;
class ActionQueue;
class ActionRunner;
class Ini;
class Lang;
class PlayerState;
class WorkerPool;
namespace itunes {
class LibraryBrowse;
}

// The web remote's view of the program: the latest player snapshot, the
// action lists and the language files; actions go to the main thread as
// every input's do. Made on the main thread; then used by the server's thread.
class ProgramBackend : public WebBackend {
public:
    // What the backend works with.
    struct Program {
        ActionList& actionList;
        ActionPluginMgr& plugins;
        ActionRunner& runner;
        ActionQueue& queue;
        WorkerPool& workers;
        itunes::LibraryBrowse& library;
        Lang& lang;
        const Ini& settings;  // read on the main thread only
        // The player's latest snapshot; null before the first.
        std::function<std::shared_ptr<const PlayerState>()> latestState;
        // The language files, "<folder>\\ja.lng".
        std::wstring languageFolder;

        // This process's.
        static Program running();
    };

    ProgramBackend(Program program, bool allowAllActions);

    nlohmann::json state() override;
    void runAction(const std::wstring& name, const std::vector<std::wstring>& params, ActionDone done) override;
    nlohmann::json actions(const std::string& language) override;
    void artwork(ArtworkDone done) override;
    void search(const std::string& text, SearchField field, long offset, long limit, BrowseDone done) override;
    void playlists(BrowseDone done) override;
    void playlistTracks(const std::string& id, long offset, long limit, BrowseDone done) override;
    void play(const std::string& playlist, const std::string& track, BrowseDone done) override;
    void setPosition(long seconds, BrowseDone done) override;
    // Library requests waiting on the player at once; more are answered busy.
    static const int kMaxBrowsing = 4;
    nlohmann::json texts(const std::string& language) override;
    void askToPair(const std::string& address) override;
    void pairingClosed(bool wrongGuesses) override;
    // The key of the notice "a device asks to pair", followed by its address.
    static constexpr const char* kPairAskKey = "WebRemote_PairAsk:";

    // A new snapshot from the change detector, at nowMs: positions are told from it.
    void snapshotTaken(const std::shared_ptr<const PlayerState>& state, std::int64_t nowMs);

    // Actions handed to the main thread and not yet taken; more are refused.
    static const int kMaxPendingActions = 16;
    // The content type of image bytes by their signature, empty when none is known.
    static std::string imageType(const std::string& bytes);

private:
    nlohmann::json buildActions(const std::wstring& languageFile) const;
    nlohmann::json buildTexts(const std::wstring& languageFile) const;
    // Runs a library request on a worker: the server's thread never waits on the player.
    void browse(std::function<void()> work, const BrowseDone& done);
    std::wstring languageFile(const std::string& language) const;

    Program program_;
    const bool allowAllActions_;
    // By language: built once on the main thread, where the lists live, and
    // so the server's thread reads no file for them.
    const std::map<std::string, nlohmann::json> actions_;
    const std::map<std::string, nlohmann::json> texts_;
    std::mutex snapshotLock_;
    std::shared_ptr<const PlayerState> snapshot_;
    std::int64_t snapshotMs_ = 0;
    std::shared_ptr<std::atomic<int>> pending_;
    std::shared_ptr<std::atomic<int>> browsing_ = std::make_shared<std::atomic<int>>(0);

    // The current track's picture, read once per track (on a worker as the
    // track changes), shared with the job that reads it.
    struct Artwork {
        std::mutex lock;
        std::wstring path;  // what bytes hold, or are being read for
        std::shared_ptr<const std::string> bytes;
        std::string type;
    };
    static void readArtwork(Artwork& artwork, const std::wstring& path);
    std::shared_ptr<Artwork> artwork_ = std::make_shared<Artwork>();
};

}  // namespace tavelapp

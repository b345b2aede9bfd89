#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tavelapp {

// What the web remote needs from the program; the server's thread calls it.
class WebBackend {
public:
    enum class ActionOutcome { Queued, Unknown, Forbidden, Busy, PlayerNotRunning };
    using ActionDone = std::function<void(ActionOutcome)>;

    virtual ~WebBackend() = default;

    // The player as /api/state shows it.
    virtual nlohmann::json state() = 0;
    // Runs the action (an entry ID or an action name with its parameters) as
    // every input does; done is called once, on any thread.
    virtual void runAction(const std::wstring& name, const std::vector<std::wstring>& params, ActionDone done) = 0;
    // The action lists grouped as the tray's Actions menu.
    // The lists in "ja" or "en", as the page asks.
    virtual nlohmann::json actions(const std::string& language) = 0;
    // The current track's first artwork (null when there is none) and its
    // content type; done is called once, on any thread, as the file is read
    // off the server's thread.
    using ArtworkDone = std::function<void(std::shared_ptr<const std::string> bytes, std::string contentType)>;
    virtual void artwork(ArtworkDone done) = 0;
    // The library as the phone browses it: the answer's JSON body (as
    // docs/openapi.json describes it) once done, on any thread.
    enum class BrowseOutcome { Done, NotFound, PlayerNotRunning, TimedOut };
    using BrowseDone = std::function<void(BrowseOutcome outcome, nlohmann::json answer)>;
    enum class SearchField { All, Artists, Albums, Songs };
    virtual void search(const std::string& text, SearchField field, long offset, long limit, BrowseDone done) = 0;
    virtual void playlists(BrowseDone done) = 0;
    virtual void playlistTracks(const std::string& id, long offset, long limit, BrowseDone done) = 0;
    // The playlist's first track, the track within the playlist, or the track
    // within the library (either id may be empty, not both).
    virtual void play(const std::string& playlist, const std::string& track, BrowseDone done) = 0;
    virtual void setPosition(long seconds, BrowseDone done) = 0;
    // The [Web] texts of the language ("ja", "en").
    virtual nlohmann::json texts(const std::string& language) = 0;
    // Tells the PC's user that the device at `address` asks to pair; a
    // click there opens the pairing window for it.
    virtual void askToPair(const std::string& address) = 0;
    // Tells the PC's user that pairing closed: after too many wrong guesses,
    // or else too many asks.
    virtual void pairingClosed(bool wrongGuesses) = 0;
};

}  // namespace tavelapp

#pragma once
#include <string>

#include "player/Command.h"
#include "player/PlayerInterface.h"

namespace tavelapp {
namespace itunes {

// Plays one track found again by its id or by its name, album and artist;
// interrupt play uses it to return to the interrupted track.
class PlayTrackByID : public Command {
public:
    struct Target {
        long trackId = 0;  // 0: find by the texts
        std::wstring name;
        std::wstring album;
        std::wstring artist;
        std::wstring playlistName;  // empty: the library playlist
    };

    explicit PlayTrackByID(Target target) : target_(std::move(target)) {}
    ~PlayTrackByID() override { wait(); }

    // The finding and playing, on an application already connected.
    static void playOn(App& app, const Target& target);

protected:
    // No command lock: it must not wait behind the command that caused it.
    void begin() override {}
    void end() override {}
    int run() override;

private:
    Target target_;
};

}  // namespace itunes
}  // namespace tavelapp

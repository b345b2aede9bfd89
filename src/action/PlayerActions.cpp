#include "action/PlayerActions.h"

#include <chrono>
#include <thread>

#include "player/PlayerHost.h"

namespace tavelapp {
namespace action {
namespace {

using itunes::App;

// With a number, seeks for that many milliseconds and plays on; "OnOff" toggles.
void seek(App& app, const std::wstring& how, void (App::*start)(), long seekingState) {
    if (how.empty()) {
        (app.*start)();
        return;
    }
    if (how == L"OnOff") {
        if (app.playerState() == seekingState) {
            app.resume();
        } else {
            (app.*start)();
        }
        return;
    }
    (app.*start)();
    const long ms = decimalValue(how);
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    app.resume();
}

void skip(App& app, const std::wstring& count, void (App::*step)()) {
    // No count skips once; a count that is no number skips not at all.
    const long times = count.empty() ? 1 : decimalValue(count);
    for (long i = 0; i < times; ++i)
        (app.*step)();
}

void showBrowser(App& app) {
    if (itunes::BrowserWindowPtr window = app.browserWindow()) window->setVisible(true);
}

}  // namespace

void Play::runOn(App& app) { app.play(); }
void Pause::runOn(App& app) { app.pause(); }
void FastForward::runOn(App& app) { seek(app, param(0), &App::fastForward, itunes::FastForwarding); }
void PlayPause::runOn(App& app) { app.playPause(); }
void Rewind::runOn(App& app) { seek(app, param(0), &App::rewind, itunes::Rewinding); }
void Stop::runOn(App& app) { app.stop(); }
void Resume::runOn(App& app) { app.resume(); }
void BackTrack::runOn(App& app) { app.backTrack(); }
void PrevTrack::runOn(App& app) { skip(app, param(0), &App::previousTrack); }
void NextTrack::runOn(App& app) { skip(app, param(0), &App::nextTrack); }

void PlayFirstTrack::runOn(App& app) {
    if (itunes::PlaylistPtr playlist = app.currentPlaylist()) playlist->playFirstTrack();
}

void PlayLastTrack::runOn(App& app) {
    itunes::PlaylistPtr playlist = app.currentPlaylist();
    if (!playlist) return;
    itunes::TrackCollectionPtr tracks = playlist->tracks();
    if (!tracks) return;
    if (itunes::TrackPtr last = tracks->itemByPlayOrder(tracks->count())) last->play();
}

void Reshuffle::runOn(App& app) {
    itunes::PlaylistPtr playlist = app.currentPlaylist();
    if (!playlist) return;
    // Switching shuffle on anew makes the player draw a new order.
    if (playlist->shuffle()) playlist->setShuffle(false);
    playlist->setShuffle(true);
    if (param(0) == L"Play") {
        app.stop();
        app.nextTrack();
        playlist->setShuffle(false);
        playlist->setShuffle(true);
        app.play();
    }
}

void Boot::runOn(App& app) { showBrowser(app); }

void MiniPlayer::runOn(App& app) {
    itunes::BrowserWindowPtr window = app.browserWindow();
    if (window) window->setMiniPlayer(onOffToggle(param(0), window->miniPlayer()));
}

void Mute::runOn(App& app) { app.setMute(onOffToggle(param(0), app.mute())); }

void Quit::perform() {
    if (itunes::PlayerHost::instance().isRunning()) PlayerAction::perform();
}

void Quit::runOn(App& app) { app.quit(); }

void BootQuit::perform() {
    itunes::PlayerHost& host = itunes::PlayerHost::instance();
    // Asked before connecting: the connection itself starts the player.
    const bool running = host.isRunning();
    auto connection = host.open();
    App& app = connection->app();
    if (running) {
        app.quit();
    } else {
        runOn(app);
    }
}

void BootQuit::runOn(App& app) { showBrowser(app); }

void Rating::runOn(App& app) {
    itunes::TrackPtr track = app.currentTrack();
    if (track) track->setRating(ratingResult(param(0), track->rating()));
}

void Repeat::runOn(App& app) {
    itunes::PlaylistPtr playlist = app.currentPlaylist();
    if (playlist) playlist->setSongRepeat(repeatResult(param(0), playlist->songRepeat()));
}

void Shuffle::runOn(App& app) {
    itunes::PlaylistPtr playlist = app.currentPlaylist();
    if (playlist) playlist->setShuffle(onOffToggle(param(0), playlist->shuffle()));
}

void EQ::runOn(App& app) { app.setEQEnabled(onOffToggle(param(0), app.eqEnabled())); }

void Visuals::runOn(App& app) { app.setVisualsEnabled(onOffToggle(param(0), app.visualsEnabled())); }

void Volume::runOn(App& app) { app.setSoundVolume(volumeResult(param(0), app.soundVolume())); }

void BrowserWindow::perform() {
    itunes::PlayerHost& host = itunes::PlayerHost::instance();
    if (param(0) == L"Activate") {
        PlayerAction::perform();
    } else if (param(0) == L"Minimize") {
        if (host.isWindowVisible()) host.minimizeWindow();
    }
}

void BrowserWindow::runOn(App& app) {
    itunes::BrowserWindowPtr window = app.browserWindow();
    if (!window) return;
    window->setVisible(true);
    itunes::PlayerHost::instance().activateWindow();
}

}  // namespace action
}  // namespace tavelapp

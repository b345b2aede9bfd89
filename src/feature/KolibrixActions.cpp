#include "feature/KolibrixActions.h"

#include <chrono>
#include <future>
#include <memory>

#include "action/RunActionDlg.h"
#include "base/AppException.h"
#include "base/AppPaths.h"
#include "base/RunningThreads.h"
#include "base/Util.h"
#include "feature/ClockTimer.h"
#include "feature/CountdownTimer.h"
#include "feature/EditArtworkDlg.h"
#include "feature/EventAction.h"
#include "feature/QuickPlayDlg.h"
#include "feature/Switch.h"
#include "player/PlayerHost.h"
#include "win/util/Com.h"
#include "win/util/MainThread.h"
#include "win/util/Shell.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {
namespace action {

std::wstring RunScript::scriptPath(const std::wstring& file, const ActionListItemPtr& entry,
                                   const std::wstring& settingsFolder) {
    // A drive path, and a network path too, is absolute already.
    if (file.size() >= 2 && (file[1] == L':' || (file[0] == L'\\' && file[1] == L'\\'))) return file;
    std::wstring path = settingsFolder + L"\\Actions\\";
    // Started by bare name there is no package folder; no empty path element then.
    if (entry && !entry->folder.empty()) path += entry->folder + L"\\";
    return path + file;
}

int RunScript::run() {
    if (param(0).empty()) return 0;
    // Nothing to tell the user: a file that does not start just does nothing.
    tavel::win::util::guarded("RunScript", [&] {
        tavel::win::util::shellOpenAndWait(scriptPath(param(0), entry(), AppPaths::settingsFolder()), param(1));
    });
    return 0;
}

void QuickPlay::playOn(itunes::App& app, const std::wstring& searchText, const std::wstring& playlistName) {
    itunes::SourcePtr source = app.librarySource();
    itunes::BrowserWindowPtr window = app.browserWindow();
    if (!source || !window) return;

    itunes::PlaylistPtr target;
    if (!playlistName.empty()) {
        itunes::PlaylistCollectionPtr playlists = source->playlists();
        const long count = playlists ? playlists->count() : 0;
        for (long n = 1; n <= count && !target; ++n) {
            itunes::PlaylistPtr playlist = playlists->item(n);
            if (playlist && itunes::sameText(playlist->name(), playlistName)) target = playlist;
        }
        // No match selects nothing in the browser.
        window->setSelectedPlaylist(target);
    } else {
        if (searchText.empty()) {
            app.play();
            return;
        }
        target = app.currentPlaylist();
        if (!target) {
            // Playing loads a playlist, which then becomes the one searched.
            app.play();
            target = app.currentPlaylist();
        }
    }
    if (!target) return;

    if (searchText.empty()) {
        target->playFirstTrack();
        return;
    }
    itunes::TrackCollectionPtr found = target->search(searchText);
    if (!found) return;
    if (itunes::TrackPtr first = found->item(1)) first->play();
}

void QuickPlay::readPlaylists(itunes::App& app, std::vector<std::wstring>& names, std::wstring& current) {
    // The dialog offers what was read.
    tavel::win::util::guarded("QuickPlay: read the playlists", [&] {
        if (itunes::SourcePtr source = app.librarySource()) {
            itunes::PlaylistCollectionPtr playlists = source->playlists();
            const long count = playlists ? playlists->count() : 0;
            for (long n = 1; n <= count; ++n) {
                if (itunes::PlaylistPtr playlist = playlists->item(n)) names.push_back(playlist->name());
            }
        }
        if (itunes::PlaylistPtr playing = app.currentPlaylist()) current = playing->name();
    });
}

void QuickPlay::ask() {
    std::vector<std::wstring> names;
    std::wstring current;
    {
        tavel::win::util::ComApartment com;
        // Unreachable player: the dialog still takes a search text.
        tavel::win::util::guarded("QuickPlay: reach the player", [&] {
            auto connection = itunes::PlayerHost::instance().open();
            readPlaylists(connection->app(), names, current);
        });
    }
    static_cast<void>(tavel::win::util::MainThread::post([names, current] {
        QuickPlayDlg dialog(names, current);
        if (dialog.show() != 1) return;
        runningThreads().start(std::make_shared<QuickPlay>(
            nullptr, std::vector<std::wstring>{dialog.searchText(), dialog.playlistName()}, true));
    }));
}

int QuickPlay::run() {
    if (param(0).empty() && !answered_) {
        ask();
        return 0;
    }
    tavel::win::util::ComApartment com;
    tavel::win::util::guarded("QuickPlay", [&] {
        try {
            auto connection = itunes::PlayerHost::instance().open();
            playOn(connection->app(), param(0), param(1));
        } catch (const AppException& e) {
            // An unreachable player ends quick play silently; a busy one is told.
            e.tellUser();
        }
    });
    return 0;
}

int RunAction::run() {
    // The dialog and the actions its buttons start belong to the main thread.
    static_cast<void>(tavel::win::util::MainThread::post([] { showRunActionDlg(); }));
    return 0;
}

int EditArtwork::run() {
    // The editor is a window: it belongs to the main thread.
    static_cast<void>(tavel::win::util::MainThread::post([] { showEditArtworkDlg(); }));
    return 0;
}

namespace {

// The timers live on the main thread. The worker waits a little for the
// switch, so the change notification after the action sees the new state.
void onMainThreadAndWait(std::function<void()> work) {
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> switched = done->get_future();
    const bool queued = tavel::win::util::MainThread::run([work, done] {
        work();
        done->set_value();
    });
    if (queued) switched.wait_for(std::chrono::seconds(2));
}

}  // namespace

int ClockTimer::run() {
    const Switch s = parseSwitch(param(0));
    if (s != Switch::None) onMainThreadAndWait([s] { applySwitch(tavelapp::ClockTimer::instance(), s); });
    return 0;
}

int CountdownTimer::run() {
    const Switch s = parseSwitch(param(0));
    if (s != Switch::None) onMainThreadAndWait([s] { applySwitch(tavelapp::CountdownTimer::instance(), s); });
    return 0;
}

int EventAction::run() {
    applySwitch(tavelapp::EventAction::instance(), parseSwitch(param(0)));
    return 0;
}

int FindWiimote::run() {
    // The controller reports its own failures.
    tavel::win::util::guarded("FindWiimote", [] { Util::restartWiimoteServer(); });
    return 0;
}

}  // namespace action
}  // namespace tavelapp

#include "notify/NotifyThreads.h"

#include <memory>

#include "action/ActionPluginMgr.h"
#include "base/NotifyWndInfo.h"
#include "base/Util.h"
#include "artwork/LoaderMgr.h"
#include "config/Ini.h"
#include "notify/ChangeDetector.h"
#include "notify/NotificationTexts.h"
#include "notify/PlayerStateFactory.h"

namespace tavelapp {

int NotifyChangesThread::run() {
    ChangeDetector::detectChanges();
    return 0;
}

void NotifySettingThread::notifySetting(PlayerStateFactory& factory, ActionPluginMgr& manager) {
    // Asked outside the lock: the answer may take a while and needs no snapshot.
    const std::shared_ptr<ActionPlugin> target = manager.getActionTarget();
    if (!target || !target->IsPlayerRunning()) {
        Util::notify(NotificationTexts::kPlayerNotRunning, NotificationTexts::playerNotRunningText(),
                     NotifyWndInfo::kInformation);
        return;
    }
    std::wstring text;
    {
        PlayerStateFactory::Guard guard;
        text = NotificationTexts::playerSettingText(*factory.captureLatest());
    }
    Util::notify(NotificationTexts::kPlayerSetting, text, NotifyWndInfo::kInformation);
}

int NotifySettingThread::run() {
    notifySetting(PlayerStateFactory::instance(), ActionPluginMgr::instance());
    return 0;
}

void NotifyTrackThread::notifyTrack(PlayerStateFactory& factory) {
    int trackID = 0;
    std::wstring text;
    std::wstring artworkPath;
    {
        PlayerStateFactory::Guard guard;
        const PlayerStateFactory::StatePtr captured = factory.captureLatest();
        const PlayerState& state = *captured;
        trackID = state.trackID();
        text = NotificationTexts::trackText(state);
        artworkPath = state.artworkPath();
    }
    if (trackID == 0) {
        Util::notify(NotificationTexts::kTrack, NotificationTexts::noTrackText(), NotifyWndInfo::kInformation);
        return;
    }
    Util::notify(NotificationTexts::kTrack, text, loadArtworkPicture(artworkPath), NotifyWndInfo::kInformation);
}

int NotifyTrackThread::run() {
    notifyTrack(PlayerStateFactory::instance());
    return 0;
}

void showTrackNotification() { showTrackNotification(PlayerStateFactory::instance()); }

void showTrackNotification(PlayerStateFactory& factory) {
    const PlayerState latest = *factory.latest();
    // Only a track that just started: not one found playing for a while, nor a stop.
    if (latest.position() > 10 || latest.playerState() == 0) return;
    Util::notify(NotificationTexts::kTrack, NotificationTexts::trackText(latest),
                 loadArtworkPicture(latest.artworkPath()), NotifyWndInfo::kTrack);
}

PicturePtr loadArtworkPicture(const std::wstring& path) {
    if (path.empty()) return nullptr;
    return artwork::LoaderMgr::instance().load(path, true);
}

}  // namespace tavelapp

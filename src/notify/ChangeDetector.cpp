#include "notify/ChangeDetector.h"

#include <atomic>

#include "action/ActionPluginMgr.h"
#include "base/NotifyWndInfo.h"
#include "base/Util.h"
#include "config/Ini.h"
#include "notify/NotificationTexts.h"
#include "notify/PlayerStateFactory.h"
#include "win/util/System.h"

namespace tavelapp {

ChangeDetector::Switches ChangeDetector::Switches::fromSettings(const Ini::Item::Notify& n) {
    Switches s;
    s.systemVolume = n.notifySystemVolume;
    s.systemMute = n.notifySystemMute;
    s.volume = n.notifyVolume;
    s.mute = n.notifyMute;
    s.shuffle = n.notifyShuffle;
    s.repeat = n.notifyRepeat;
    s.rating = n.notifyRating;
    s.playerState = n.notifyPlayerState;
    s.eq = n.notifyEQ;
    s.visuals = n.notifyVisuals;
    return s;
}

bool ChangeDetector::dispatchedRecently(std::uint32_t lastDispatchTime, std::uint32_t now) {
    return static_cast<std::uint32_t>(now - lastDispatchTime) < 5000u;
}

ChangeDetector::Decision ChangeDetector::decide(const PlayerState& previous, const PlayerState& current,
                                                const Switches& switches, bool withinFiveSeconds,
                                                const std::wstring& targetName, bool targetRunning) {
    const auto changed = [&](int field) { return previous.field(field) != current.field(field); };
    Decision d;
    if (switches.systemVolume && changed(PlayerState::SystemVolume)) d.keys.push_back(NotificationTexts::kSystemVolume);
    if (switches.systemMute && changed(PlayerState::SystemMute)) d.keys.push_back(NotificationTexts::kSystemMute);

    // Differences against another player, or one that is not there, mean nothing.
    if (changed(PlayerState::IsPlayerRunning) || !targetRunning || changed(PlayerState::PlayerID)) {
        d.stopped = true;
        return d;
    }

    // Winamp's play count is no track property: only its track id tells.
    d.trackChanged = targetName == L"Player/Winamp"
                         ? changed(PlayerState::TrackID)
                         : changed(PlayerState::TrackID) || changed(PlayerState::PlayedCount);
    const bool playlist = changed(PlayerState::PlayListID);
    const bool mute = changed(PlayerState::Mute);
    const bool shuffle = changed(PlayerState::PlayListShuffle);
    const bool eq = changed(PlayerState::EQ);
    const bool visuals = changed(PlayerState::Visuals);
    const bool repeat = changed(PlayerState::PlayListRepeat);

    if (switches.volume && changed(PlayerState::Volume)) d.keys.push_back(NotificationTexts::kVolume);
    // A new track brings its own rating; the track notification shows it.
    if (!d.trackChanged && switches.rating && changed(PlayerState::Rating))
        d.keys.push_back(NotificationTexts::kRating);
    d.playerStateChanged = changed(PlayerState::State);
    if (switches.playerState && d.playerStateChanged) {
        // Only stopping/pausing and starting; fast-forward and rewind are not news.
        const int now = current.playerState(), before = previous.playerState();
        if ((now == 0 && before == 1) || (now == 1 && before == 0)) d.keys.push_back(NotificationTexts::kPlayerState);
    }
    if (withinFiveSeconds) {
        if (switches.mute && mute) d.keys.push_back(NotificationTexts::kMute);
        // Another playlist brings its own shuffle and repeat: not a change the user made.
        if (!playlist) {
            if (switches.shuffle && shuffle) d.keys.push_back(NotificationTexts::kShuffle);
            if (switches.repeat && repeat) d.keys.push_back(NotificationTexts::kRepeat);
        }
        if (switches.eq && eq) d.keys.push_back(NotificationTexts::kEQ);
        if (switches.visuals && visuals) d.keys.push_back(NotificationTexts::kVisuals);
    }
    d.lampsChanged = repeat || shuffle || eq || mute;
    return d;
}

void ChangeDetector::detectChanges() { detectChanges(PlayerStateFactory::instance(), ActionPluginMgr::instance()); }

namespace {
std::atomic<ChangeDetector::LampsListener> lampsListener{nullptr};
std::atomic<ChangeDetector::SnapshotListener> snapshotListener{nullptr};
std::atomic<int> waitingToCapture{0};
std::atomic<unsigned long> droppedDetections{0};
}  // namespace

void ChangeDetector::setLampsListener(LampsListener listener) { lampsListener = listener; }

void ChangeDetector::setSnapshotListener(SnapshotListener listener) { snapshotListener = listener; }

void ChangeDetector::publish(const std::shared_ptr<const PlayerState>& state) {
    if (const SnapshotListener follower = snapshotListener.load()) follower(state);
}

unsigned long ChangeDetector::dropped() { return droppedDetections.load(); }
bool ChangeDetector::detectionWaiting() { return waitingToCapture.load() > 0; }

void ChangeDetector::detectChanges(PlayerStateFactory& factory, ActionPluginMgr& manager) {
    if (waitingToCapture.fetch_add(1) > 0) {
        waitingToCapture.fetch_sub(1);
        ++droppedDetections;
        return;
    }
    PlayerStateFactory::Guard guard;
    // From here on a new request needs a capture of its own.
    waitingToCapture.fetch_sub(1);
    factory.update();
    const PlayerStateFactory::StatePtr current = factory.current();
    const PlayerStateFactory::StatePtr previous = factory.previous();

    const std::shared_ptr<ActionPlugin> target = manager.getActionTarget();
    const bool targetRunning = target && target->IsPlayerRunning();
    const std::wstring targetName = target ? target->GetName() : std::wstring();
    // The dispatch time first: read after the clock, a dispatch in between would
    // lie in the future and wrap to "long ago".
    const std::uint32_t lastDispatch = manager.lastDispatchTime();
    const std::uint32_t now = tavel::win::util::tickCount();
    const bool recently = dispatchedRecently(lastDispatch, now);

    const std::shared_ptr<const Settings> settings = Ini::snapshot();
    const Decision d =
        decide(*previous, *current, Switches::fromSettings(settings->notify), recently, targetName, targetRunning);
    for (const std::string& key : d.keys)
        Util::notify(key, NotificationTexts::changeText(key, *current), NotifyWndInfo::kInformation);
    if (const SnapshotListener follower = snapshotListener.load()) follower(current);
    if (d.stopped) return;
    if (d.trackChanged) Util::onTrackChanged(*current);
    if (d.playerStateChanged) Util::onPlayerStateChanged(*current);
    if (d.lampsChanged) {
        if (const LampsListener lamps = lampsListener.load()) lamps(*current);
    }
}

}  // namespace tavelapp

#include "notify/PlayerStateFactory.h"

#include <locale>
#include <mutex>
#include <new>
#include <sstream>

#include "action/ActionPlugin.h"
#include "action/ActionPluginMgr.h"
#include "player/PlayerHost.h"
#include "win/mixer/MixerRules.h"
#include "win/mixer/SystemMixer.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {
namespace {

std::recursive_mutex& factoryLock() {
    static std::recursive_mutex mutex;
    return mutex;
}

std::atomic<PlayerStateFactory::TimerStateSource> timerStates{nullptr};
std::atomic<PlayerStateFactory*> created{nullptr};
std::atomic<PlayerStateFactory*> installed{nullptr};

}  // namespace

PlayerStateFactory& PlayerStateFactory::instance() {
    if (PlayerStateFactory* factory = instanceIfCreated()) return *factory;
    Guard guard;
    if (PlayerStateFactory* factory = created.load()) return *factory;
    // Kept to the very end of the process: destroying it at exit would release
    // plug-ins after the manager whose window they report to.
    alignas(PlayerStateFactory) static unsigned char storage[sizeof(PlayerStateFactory)];
    PlayerStateFactory* factory = new (storage) PlayerStateFactory(ActionPluginMgr::instance(), Start::Empty);
    created.store(factory);
    return *factory;
}

PlayerStateFactory* PlayerStateFactory::instanceIfCreated() {
    if (PlayerStateFactory* factory = installed.load()) return factory;
    return created.load();
}

void PlayerStateFactory::install(PlayerStateFactory* factory) { installed.store(factory); }

void PlayerStateFactory::setTimerStates(TimerStateSource source) { timerStates.store(source); }

void PlayerStateFactory::lock() { factoryLock().lock(); }
void PlayerStateFactory::unlock() { factoryLock().unlock(); }

PlayerStateFactory::PlayerStateFactory(ActionPluginMgr& manager, Start start)
    : manager_(manager), latest_(std::make_shared<const PlayerState>()) {
    for (const std::shared_ptr<ActionPlugin>& plugin : manager.plugins())
        sources_.push_back({plugin, plugin->GetName()});
    current_ = std::make_shared<const PlayerState>();
    previous_ = current_;
    if (start == Start::Empty) return;
    Guard guard;
    reset();
}

void PlayerStateFactory::update() {
    StatePtr fresh = std::make_shared<const PlayerState>(capture());
    // Against the empty start every field would count as changed.
    previous_ = captured_ ? std::move(current_) : fresh;
    captured_ = true;
    current_ = fresh;
    {
        std::lock_guard<std::mutex> guard(latestLock_);
        latest_ = fresh;
    }
    latestVisuals_ = fresh->isVisuals();
}

PlayerStateFactory::StatePtr PlayerStateFactory::latest() const {
    std::lock_guard<std::mutex> guard(latestLock_);
    return latest_;
}

PlayerStateFactory::StatePtr PlayerStateFactory::captureLatest() {
    StatePtr fresh = std::make_shared<const PlayerState>(capture());
    {
        std::lock_guard<std::mutex> guard(latestLock_);
        latest_ = fresh;
    }
    latestVisuals_ = fresh->isVisuals();
    return fresh;
}

void PlayerStateFactory::reset() {
    update();
    update();
}

bool PlayerStateFactory::changed(int index) const { return current_->field(index) != previous_->field(index); }

bool PlayerStateFactory::trackChanged() const {
    return changed(PlayerState::TrackID) || changed(PlayerState::PlayedCount);
}

PlayerState PlayerStateFactory::capture() const {
    ++captures_;
    const std::shared_ptr<ActionPlugin> target = manager_.getActionTarget();
    if (!target || sources_.empty()) return PlayerState();
    const std::wstring targetName = target->GetName();
    const Source* source = &sources_.front();
    for (const Source& candidate : sources_) {
        if (candidate.name == targetName) {
            source = &candidate;
            break;
        }
    }

    std::wostringstream text;
    // Numbers go out plain, whatever locale someone made global.
    text.imbue(std::locale::classic());
    text << (itunes::PlayerHost::instance().isRunning() ? L"1\n" : L"0\n");
    text << (target->IsPlayerRunning() ? L"1\n" : L"0\n");
    text << targetName << L'\n' << target->GetTargetName() << L'\n';
    text << tavel::win::mixer::wholePercent(tavel::win::mixer::getSystemVolume()) << L'\n';
    text << (tavel::win::mixer::getSystemMute() ? L"1\n" : L"0\n");
    const TimerStateSource timersOf = timerStates.load();
    const TimerStates timers = timersOf ? timersOf() : TimerStates();
    text << (timers.clock ? L"1\n" : L"0\n");
    text << (timers.countdown ? L"1\n" : L"0\n");
    text << (timers.event ? L"1\n" : L"0\n");
    // A plug-in that fails part-way leaves what it wrote; the rest stays empty.
    tavel::win::util::guarded("PlayerStateFactory: plug-in state",
                              [&] { source->plugin->GetCurrentPlayerState(text); });
    return PlayerState::parse(text.str());
}

}  // namespace tavelapp

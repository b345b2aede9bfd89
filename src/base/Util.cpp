#include "base/Util.h"

#include <atomic>
#include <memory>

#include "base/NotifyQueue.h"
#include "win/util/MainThread.h"

namespace tavelapp {
namespace {

using tavel::win::util::MainThread;

// Written on the main thread; read there, and by workers only to learn
// whether one lives (LossNotice) or, in tests, to hear changes.
std::atomic<Util::UtilListener*> liveController{nullptr};
std::atomic<Util::ChangeListener*> changeListener{nullptr};
std::atomic<Util::QuietTest> quietTest{nullptr};
std::atomic<Util::DrainArm> drainArm{nullptr};

Util::ChangeListener* changeTarget() {
    if (Util::ChangeListener* listener = changeListener.load()) return listener;
    return liveController.load();
}

}  // namespace

void Util::setController(UtilListener* controller) {
    MainThread::check("Util::setController");
    liveController = controller;
}

bool Util::hasController() { return liveController.load() != nullptr; }

void Util::setQuietTest(QuietTest test) { quietTest = test; }

void Util::setDrainArm(DrainArm arm) { drainArm = arm; }

void Util::setChangeListener(ChangeListener* listener) { changeListener = listener; }

void Util::notify(const std::string& key, const std::wstring& text, int kind) { notify(key, text, nullptr, kind); }

void Util::notify(const std::string& key, const std::wstring& text, const PicturePtr& picture, int kind) {
    if (const QuietTest quiet = quietTest.load()) {
        if (quiet()) return;
    }
    auto info = std::make_shared<NotifyWndInfo>();
    info->messageKey = key;
    info->text = text;
    info->picture = picture;
    info->kind = kind;
    if (!NotifyQueue::instance().push(std::move(info))) return;
    if (const DrainArm arm = drainArm.load()) {
        arm();
        return;
    }
    // Not delivered: the main thread is gone, and the queue with what it held.
    if (!MainThread::run(&Util::drainNotifications)) static_cast<void>(NotifyQueue::instance().take());
}

void Util::drainNotifications() {
    MainThread::check("Util::drainNotifications");
    const std::vector<NotifyQueue::Item> batch = NotifyQueue::instance().take();
    for (const NotifyQueue::Item& item : batch) {
        // Looked up per item: a notification may end the controller's life.
        UtilListener* controller = liveController.load();
        if (controller == nullptr) return;
        controller->notify(item->messageKey, item->text, item->picture, item->kind);
    }
}

void Util::onTrackChanged(const PlayerState& state) {
    if (ChangeListener* listener = changeTarget()) listener->onTrackChanged(state);
}

void Util::onPlayerStateChanged(const PlayerState& state) {
    if (ChangeListener* listener = changeTarget()) listener->onPlayerStateChanged(state);
}

// Both re-create servers and windows: main-thread work, posted from elsewhere.
void Util::restartWiimoteServer() {
    static_cast<void>(MainThread::run([] {
        if (UtilListener* controller = liveController.load()) controller->restartWiimoteServer();
    }));
}

void Util::showOption() {
    static_cast<void>(MainThread::run([] {
        if (UtilListener* controller = liveController.load()) controller->showOption();
    }));
}

}  // namespace tavelapp

#pragma once
#include <windows.h>
#include <oaidl.h>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "EventCall.h"
#include "player/PlayerInterface.h"

namespace simplayer {

class ConnectionPoint;

// Collects the model's events and fires them, later and from the message loop,
// to every advised sink of every application object. Firing later means that a
// client gets the answer to its own call first, as from the player, and that no
// outgoing call is made from inside an incoming one. Each event carries the
// arguments the player sends, taken when the event happens. A sink whose client
// is gone is dropped. Used on the server's one (STA) thread only.
class EventHub : public tavelapp::itunes::ITunesEventsListener {
public:
    // Without an application the events carry no track and a volume of 0.
    EventHub() = default;
    explicit EventHub(std::shared_ptr<tavelapp::itunes::App> app) : app_(std::move(app)) {}
    EventHub(const EventHub&) = delete;
    EventHub& operator=(const EventHub&) = delete;
    ~EventHub() = default;

    // Called when the first event starts waiting; firing is up to the owner.
    void setWake(std::function<void()> wake) { wake_ = std::move(wake); }

    void attach(ConnectionPoint* point);
    void detach(ConnectionPoint* point);
    // Cookies are unique across all connection points.
    DWORD newCookie() { return nextCookie_++; }

    // Fires the waiting events in order. A call made while firing (from a
    // message dispatched during an outgoing call) leaves the rest to the first.
    void fireWaiting();
    bool hasWaiting() const { return !waiting_.empty(); }

    // Queues an event to be fired with the arguments it holds.
    void queue(EventCall event);
    // The event with the arguments the player's state gives now: the current
    // track, the volume, no changed objects, reason 0.
    EventCall withCurrentArguments(DISPID id) const;

    void onDatabaseChanged() override { queueCurrent(tavelapp::itunes::DispDatabaseChanged); }
    void onPlayerPlay() override { queueCurrent(tavelapp::itunes::DispPlayerPlay); }
    void onPlayerStop() override { queueCurrent(tavelapp::itunes::DispPlayerStop); }
    void onPlayingTrackChanged() override { queueCurrent(tavelapp::itunes::DispPlayingTrackChanged); }
    void onCOMCallsDisabled() override { queueCurrent(tavelapp::itunes::DispCOMCallsDisabled); }
    void onCOMCallsEnabled() override { queueCurrent(tavelapp::itunes::DispCOMCallsEnabled); }
    void onQuitting() override { queueCurrent(tavelapp::itunes::DispQuitting); }
    void onAboutToPromptUserToQuit() override { queueCurrent(tavelapp::itunes::DispAboutToPromptUserToQuit); }
    void onSoundVolumeChanged() override { queueCurrent(tavelapp::itunes::DispSoundVolumeChanged); }

    // The client of the sink cannot be reached any more.
    static bool isClientGone(HRESULT hr);

private:
    void queueCurrent(DISPID id) { queue(withCurrentArguments(id)); }
    void fire(const EventCall& event);

    std::shared_ptr<tavelapp::itunes::App> app_;
    std::function<void()> wake_;
    std::vector<ConnectionPoint*> points_;
    std::deque<EventCall> waiting_;
    bool firing_ = false;
    DWORD nextCookie_ = 1;
};

}  // namespace simplayer

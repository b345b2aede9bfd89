#pragma once
#include <windows.h>
#include <oaidl.h>

#include <deque>
#include <functional>
#include <vector>

#include "player/PlayerInterface.h"

namespace simplayer {

class ConnectionPoint;

// Collects the model's events and fires them, later and from the message loop,
// to every advised sink of every application object. Firing later means that a
// client gets the answer to its own call first, as from the player, and that no
// outgoing call is made from inside an incoming one. A sink whose client is
// gone is dropped. Used on the server's one (STA) thread only.
class EventHub : public tavelapp::itunes::ITunesEventsListener {
public:
    EventHub() = default;
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

    void onDatabaseChanged() override { queue(tavelapp::itunes::DispDatabaseChanged); }
    void onPlayerPlay() override { queue(tavelapp::itunes::DispPlayerPlay); }
    void onPlayerStop() override { queue(tavelapp::itunes::DispPlayerStop); }
    void onPlayingTrackChanged() override { queue(tavelapp::itunes::DispPlayingTrackChanged); }
    void onCOMCallsDisabled() override { queue(tavelapp::itunes::DispCOMCallsDisabled); }
    void onCOMCallsEnabled() override { queue(tavelapp::itunes::DispCOMCallsEnabled); }
    void onQuitting() override { queue(tavelapp::itunes::DispQuitting); }
    void onAboutToPromptUserToQuit() override { queue(tavelapp::itunes::DispAboutToPromptUserToQuit); }
    void onSoundVolumeChanged() override { queue(tavelapp::itunes::DispSoundVolumeChanged); }

    // The client of the sink cannot be reached any more.
    static bool isClientGone(HRESULT hr);

private:
    void queue(DISPID id);
    void fire(DISPID id);

    std::function<void()> wake_;
    std::vector<ConnectionPoint*> points_;
    std::deque<DISPID> waiting_;
    bool firing_ = false;
    DWORD nextCookie_ = 1;
};

}  // namespace simplayer

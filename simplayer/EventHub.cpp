#include "EventHub.h"

#include <algorithm>

#include "ConnectionPoint.h"
#include "win/util/ComPtr.h"

namespace simplayer {

using tavel::win::util::ComPtr;

void EventHub::attach(ConnectionPoint* point) { points_.push_back(point); }

void EventHub::detach(ConnectionPoint* point) {
    points_.erase(std::remove(points_.begin(), points_.end(), point), points_.end());
}

void EventHub::queue(EventCall event) {
    const bool first = waiting_.empty();
    waiting_.push_back(std::move(event));
    if (first && wake_) wake_();
}

EventCall EventHub::withCurrentArguments(DISPID id) const {
    using namespace tavelapp::itunes;
    switch (id) {
        case DispDatabaseChanged:
            return EventCall::databaseChanged({}, {});
        case DispPlayerPlay:
        case DispPlayerStop:
        case DispPlayingTrackChanged:
            return EventCall::withTrack(id, app_ ? app_->currentTrack() : nullptr);
        case DispCOMCallsDisabled:
            return EventCall::withNumber(id, 0);
        case DispSoundVolumeChanged:
            return EventCall::withNumber(id, app_ ? app_->soundVolume() : 0);
        default:
            return EventCall(id);
    }
}

void EventHub::fireWaiting() {
    if (firing_) return;
    struct Guard {
        bool& flag;
        ~Guard() { flag = false; }
    } guard{firing_};
    firing_ = true;
    while (!waiting_.empty()) {
        const EventCall event = std::move(waiting_.front());
        waiting_.pop_front();
        fire(event);
    }
}

void EventHub::fire(const EventCall& event) {
    // Sinks may advise, unadvise or release application objects while we call
    // out, so work on a copy that holds its own references.
    struct Target {
        ComPtr<ConnectionPoint> point;
        DWORD cookie;
        ComPtr<IDispatch> sink;
    };
    std::vector<Target> targets;
    for (ConnectionPoint* point : points_) {
        for (const ConnectionPoint::Sink& s : point->sinks()) {
            targets.push_back(Target{ComPtr<ConnectionPoint>(point), s.cookie, s.sink});
        }
    }
    for (Target& t : targets) {
        const HRESULT hr = event.invoke(t.sink.get());
        if (isClientGone(hr)) t.point->drop(t.cookie);
    }
}

bool EventHub::isClientGone(HRESULT hr) {
    if (SUCCEEDED(hr)) return false;
    if (hr == CO_E_OBJNOTCONNECTED) return true;
    if (HRESULT_FACILITY(hr) == FACILITY_RPC) {
        // Busy or our own apartment's state: the client is still there.
        return hr != RPC_E_CALL_REJECTED && hr != RPC_E_SERVERCALL_RETRYLATER &&
               hr != RPC_E_CANTCALLOUT_ININPUTSYNCCALL && hr != RPC_E_CANTCALLOUT_INASYNCCALL &&
               hr != RPC_E_CANTCALLOUT_INEXTERNALCALL;
    }
    // RPC_S_* run-time errors (server unavailable, call failed, ...).
    if (HRESULT_FACILITY(hr) == FACILITY_WIN32) {
        const DWORD code = HRESULT_CODE(hr);
        return code >= 1700 && code < 1800;
    }
    return false;
}

}  // namespace simplayer

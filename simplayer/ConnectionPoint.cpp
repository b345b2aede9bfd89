#include "ConnectionPoint.h"

#include <algorithm>
#include <new>

#include "EventHub.h"
#include "PlayerIds.h"
#include "ServerFaults.h"

namespace simplayer {

ConnectionPoint::ConnectionPoint(IConnectionPointContainer& owner, EventHub& hub) : owner_(owner), hub_(hub) {
    hub_.attach(this);
}

ConnectionPoint::~ConnectionPoint() { hub_.detach(this); }

void ConnectionPoint::drop(DWORD cookie) {
    sinks_.erase(std::remove_if(sinks_.begin(), sinks_.end(), [&](const Sink& s) { return s.cookie == cookie; }),
                 sinks_.end());
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!::IsEqualIID(iid, IID_IUnknown) && !::IsEqualIID(iid, IID_IConnectionPoint)) return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) return E_POINTER;
    *iid = kEventsInterfaceId;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (out == nullptr) return E_POINTER;
    owner_.AddRef();
    *out = &owner_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (cookie == nullptr) return E_POINTER;
    *cookie = 0;
    if (sink == nullptr) return E_POINTER;
    if (ServerFaults::instance().refusesAdvise()) return CONNECT_E_ADVISELIMIT;
    tavel::win::util::ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch.put()))) || !dispatch) {
        return CONNECT_E_CANNOTCONNECT;
    }
    try {
        const DWORD c = hub_.newCookie();
        sinks_.push_back(Sink{c, std::move(dispatch)});
        *cookie = c;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
    const auto it = std::find_if(sinks_.begin(), sinks_.end(), [&](const Sink& s) { return s.cookie == cookie; });
    if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
    // Releasing the sink may call out; take it off the list first.
    tavel::win::util::ComPtr<IDispatch> released = std::move(it->sink);
    sinks_.erase(it);
    return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

}  // namespace simplayer

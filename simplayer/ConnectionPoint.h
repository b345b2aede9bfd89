#pragma once
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "win/util/ComPtr.h"

namespace simplayer {

class EventHub;

// The application object's connection point for the player's events. It lives
// inside its container and shares the container's reference count. Sinks are
// held as IDispatch (the events interface is a dispinterface, and IDispatch is
// what crosses process boundaries without a registered type library).
class ConnectionPoint : public IConnectionPoint {
public:
    struct Sink {
        DWORD cookie;
        tavel::win::util::ComPtr<IDispatch> sink;
    };

    ConnectionPoint(IConnectionPointContainer& owner, EventHub& hub);
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;
    ~ConnectionPoint();

    const std::vector<Sink>& sinks() const { return sinks_; }
    void drop(DWORD cookie);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** out) override;

private:
    IConnectionPointContainer& owner_;
    EventHub& hub_;
    std::vector<Sink> sinks_;
};

}  // namespace simplayer

#pragma once
#include <windows.h>
#include <oaidl.h>

#include <atomic>

#include "player/PlayerInterface.h"

namespace tavelapp {

using itunes::ITunesEventsListener;

// The sink for the player's event interface: maps each event DISPID to the
// listener operation; arguments are ignored. Built by hand: the object answers
// for the events interface, IDispatch and IUnknown.
class ITunesEvents : public IDispatch {
public:
    static const DWORD kNotAdvised = 0xFEFEFEFE;
    static const IID kEventsIid;

    // A new sink with one reference, owned by the caller.
    static ITunesEvents* create();

    DWORD cookie = kNotAdvised;
    void setListener(ITunesEventsListener* listener) { listener_ = listener; }
    ITunesEventsListener* listener() const { return listener_; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;

private:
    ITunesEvents() = default;
    virtual ~ITunesEvents() = default;
    std::atomic<ULONG> references_{1};
    ITunesEventsListener* listener_ = nullptr;
};

}  // namespace tavelapp

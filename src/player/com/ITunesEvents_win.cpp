#include "player/com/ITunesEvents.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {

// {5846EB78-317E-4B6F-B0C3-11EE8C8FEEF2}
const IID ITunesEvents::kEventsIid = {0x5846EB78, 0x317E, 0x4B6F, {0xB0, 0xC3, 0x11, 0xEE, 0x8C, 0x8F, 0xEE, 0xF2}};

ITunesEvents* ITunesEvents::create() { return new (std::nothrow) ITunesEvents(); }

HRESULT STDMETHODCALLTYPE ITunesEvents::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, kEventsIid)) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE ITunesEvents::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE ITunesEvents::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;  // COM lifetime: the last Release frees the object
    return left;
}

HRESULT STDMETHODCALLTYPE ITunesEvents::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ITunesEvents::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ITunesEvents::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE ITunesEvents::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                               UINT*) {
    if (result != nullptr) ::VariantInit(result);
    ITunesEventsListener* l = listener_;
    if (l == nullptr) return S_OK;
    // Nothing may leave a COM method.
    tavel::win::util::guarded("player event", [&] { itunes::deliver(*l, id); });
    return S_OK;
}

}  // namespace tavelapp

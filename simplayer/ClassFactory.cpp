#include "ClassFactory.h"

#include <new>

#include "AppObject.h"
#include "PlayerIds.h"
#include "ServerFaults.h"

namespace simplayer {

STDMETHODIMP ClassFactory::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!::IsEqualIID(iid, IID_IUnknown) && !::IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) ClassFactory::Release() {
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    // A player showing a modal dialog cannot make new application objects.
    if (ServerFaults::instance().modal()) return CO_E_SERVER_EXEC_FAILURE;
    try {
        tavel::win::util::ComPtr<AppObject> app = makeObject<AppObject>(model_, hub_);
        return app->QueryInterface(iid, out);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// The server's life follows the player's (Quit or its window), not its clients.
STDMETHODIMP ClassFactory::LockServer(BOOL) { return S_OK; }

HRESULT ClassFactory::Registration::add(IClassFactory* factory) {
    revoke();
    const HRESULT hr = ::CoRegisterClassObject(kAppClassId, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
    registered_ = SUCCEEDED(hr);
    return hr;
}

void ClassFactory::Registration::revoke() {
    if (!registered_) return;
    ::CoRevokeClassObject(cookie_);
    registered_ = false;
}

}  // namespace simplayer

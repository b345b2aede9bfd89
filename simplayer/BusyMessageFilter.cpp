#include "BusyMessageFilter.h"

#include "ServerFaults.h"

namespace simplayer {

namespace {

// IDispatch's methods after IUnknown's three: GetTypeInfoCount, GetTypeInfo,
// GetIDsOfNames, Invoke.
const WORD kInvokeMethod = 6;

}  // namespace

STDMETHODIMP BusyMessageFilter::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!::IsEqualIID(iid, IID_IUnknown) && !::IsEqualIID(iid, IID_IMessageFilter)) return E_NOINTERFACE;
    *out = static_cast<IMessageFilter*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) BusyMessageFilter::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) BusyMessageFilter::Release() {
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP_(DWORD) BusyMessageFilter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO info) {
    const bool invoke = info != nullptr && ::IsEqualIID(info->iid, IID_IDispatch) && info->wMethod == kInvokeMethod;
    return invoke && ServerFaults::instance().busy() ? SERVERCALL_RETRYLATER : SERVERCALL_ISHANDLED;
}

// Events go out to clients that may be busy themselves: give up at once
// rather than hold the player's thread.
STDMETHODIMP_(DWORD) BusyMessageFilter::RetryRejectedCall(HTASK, DWORD, DWORD) { return static_cast<DWORD>(-1); }

STDMETHODIMP_(DWORD) BusyMessageFilter::MessagePending(HTASK, DWORD, DWORD) { return PENDINGMSG_WAITDEFPROCESS; }

HRESULT BusyMessageFilter::Registration::add(IMessageFilter* filter) {
    revoke();
    const HRESULT hr = ::CoRegisterMessageFilter(filter, nullptr);
    registered_ = SUCCEEDED(hr);
    return hr;
}

void BusyMessageFilter::Registration::revoke() {
    if (!registered_) return;
    ::CoRegisterMessageFilter(nullptr, nullptr);
    registered_ = false;
}

}  // namespace simplayer

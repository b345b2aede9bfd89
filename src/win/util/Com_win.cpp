#include <objbase.h>
#include <objidl.h>

#include <atomic>

#include "win/util/Com.h"

namespace tavel {
namespace win {
namespace util {
namespace {

std::atomic<unsigned long> retryMs{5000};

// Answers COM's question what to do with a call the server rejected: try again
// shortly while the bound allows. The player rejects calls while it is busy
// (importing, showing a dialog); without a filter such a key press is lost.
class RetryFilter : public IMessageFilter {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
            *out = static_cast<IMessageFilter*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = ::InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    STDMETHODIMP_(DWORD) HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
        return SERVERCALL_ISHANDLED;
    }
    STDMETHODIMP_(DWORD) RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD rejectType) override {
        if (rejectType != SERVERCALL_RETRYLATER && rejectType != SERVERCALL_REJECTED) return static_cast<DWORD>(-1);
        return elapsedMs < busyRetryMs() ? 100 : static_cast<DWORD>(-1);
    }
    STDMETHODIMP_(DWORD) MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }

private:
    virtual ~RetryFilter() = default;
    volatile LONG refs_ = 1;
};

}  // namespace

ComApartment::ComApartment() {
    const HRESULT hr = ::CoInitialize(nullptr);
    initialized_ = SUCCEEDED(hr);
    // Only the thread's first initialisation sets the filter; an outer owner
    // keeps its own.
    if (hr == S_OK) {
        auto* filter = new RetryFilter;
        IMessageFilter* previous = nullptr;
        filterRegistered_ = SUCCEEDED(::CoRegisterMessageFilter(filter, &previous));
        previousFilter_ = previous;
        filter->Release();
    }
}

ComApartment::~ComApartment() {
    if (filterRegistered_) {
        IMessageFilter* ours = nullptr;
        ::CoRegisterMessageFilter(static_cast<IMessageFilter*>(previousFilter_), &ours);
        if (ours != nullptr) ours->Release();
        if (previousFilter_ != nullptr) static_cast<IMessageFilter*>(previousFilter_)->Release();
    }
    if (initialized_) ::CoUninitialize();
}

unsigned long busyRetryMs() { return retryMs.load(); }
void setBusyRetryMs(unsigned long ms) { retryMs = ms; }

}  // namespace util
}  // namespace win
}  // namespace tavel

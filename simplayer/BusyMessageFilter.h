#pragma once
#include <windows.h>
#include <objbase.h>

namespace simplayer {

// The server's message filter: while the player is busy, COM is told to turn
// away incoming IDispatch::Invoke calls before they reach an object, as the
// player's own filter does. Name look-ups still pass, so that clients with and
// without cached DISPIDs see the same failure. Whether or not COM honours the
// answer, the objects reject the call themselves (DispatchObject::Invoke).
class BusyMessageFilter final : public IMessageFilter {
public:
    BusyMessageFilter() = default;
    BusyMessageFilter(const BusyMessageFilter&) = delete;
    BusyMessageFilter& operator=(const BusyMessageFilter&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP_(DWORD)
    HandleInComingCall(DWORD callType, HTASK caller, DWORD tickCount, LPINTERFACEINFO info) override;
    STDMETHODIMP_(DWORD) RetryRejectedCall(HTASK callee, DWORD tickCount, DWORD rejectType) override;
    STDMETHODIMP_(DWORD) MessagePending(HTASK callee, DWORD tickCount, DWORD pendingType) override;

    // Installs a filter on the calling thread's apartment while it lives.
    class Registration {
    public:
        Registration() = default;
        Registration(const Registration&) = delete;
        Registration& operator=(const Registration&) = delete;
        ~Registration() { revoke(); }

        HRESULT add(IMessageFilter* filter);
        void revoke();

    private:
        bool registered_ = false;
    };

private:
    ~BusyMessageFilter() = default;

    volatile LONG refs_ = 1;
};

}  // namespace simplayer

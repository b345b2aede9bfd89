#pragma once
#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <utility>

#include "DispArgs.h"
#include "player/PlayerInterface.h"
#include "win/util/ComPtr.h"

namespace simplayer {

// Base of every object the player serves: reference counting and an IDispatch
// that reaches members by name only (no type information). A member's DISPID is
// the subclass's (by default its place in the member list plus one), so it
// never changes while the server runs. Property puts take their value as the only argument; no
// other named arguments are accepted. While the player is busy every Invoke is
// rejected (name look-ups still answer). No exception leaves a COM method.
class DispatchObject : public IDispatch {
public:
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** out) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argErr) override;

    // The model object behind one of the player's own objects that a client
    // passed back (a track to add, say); null for anything else.
    static std::shared_ptr<tavelapp::itunes::Object> modelObjectOf(IDispatch* object);

protected:
    DispatchObject() = default;
    virtual ~DispatchObject() = default;

    // Interfaces beyond IUnknown and IDispatch; null when not supported.
    virtual void* findInterface(REFIID iid);

    virtual UINT memberCount() const = 0;
    virtual const wchar_t* memberName(UINT index) const = 0;
    virtual DISPID memberId(UINT index) const { return static_cast<DISPID>(index + 1); }
    // The track, playlist or source this object serves, if it is one.
    virtual std::shared_ptr<tavelapp::itunes::Object> modelObject() { return nullptr; }
    // DISP_E_MEMBERNOTFOUND when the member cannot be used the way flags ask.
    virtual HRESULT invokeMember(UINT index, WORD flags, const DispArgs& args, VARIANT* result) = 0;

private:
    volatile LONG refs_ = 1;
};

// A new object holding its first reference.
template <class T, class... Args>
tavel::win::util::ComPtr<T> makeObject(Args&&... args) {
    return tavel::win::util::ComPtr<T>::attach(new T(std::forward<Args>(args)...));
}

}  // namespace simplayer

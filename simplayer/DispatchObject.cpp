#include "DispatchObject.h"

#include <cwchar>
#include <new>

#include "PlayerIds.h"
#include "ServerFaults.h"

namespace simplayer {

STDMETHODIMP DispatchObject::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IDispatch) || ::IsEqualIID(iid, kServedObjectId)) {
        *out = static_cast<IDispatch*>(this);
    } else {
        *out = findInterface(iid);
    }
    if (*out == nullptr) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) DispatchObject::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) DispatchObject::Release() {
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

void* DispatchObject::findInterface(REFIID) { return nullptr; }

std::shared_ptr<tavelapp::itunes::Object> DispatchObject::modelObjectOf(IDispatch* object) {
    // COM hands an object of this apartment back as itself, never as a proxy,
    // so only the player's own objects answer.
    void* own = nullptr;
    if (object == nullptr || FAILED(object->QueryInterface(kServedObjectId, &own)) || own == nullptr) return nullptr;
    auto* served = static_cast<DispatchObject*>(static_cast<IDispatch*>(own));
    std::shared_ptr<tavelapp::itunes::Object> item = served->modelObject();
    served->Release();
    return item;
}

STDMETHODIMP DispatchObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** out) {
    if (out != nullptr) *out = nullptr;
    return DISP_E_BADINDEX;
}

STDMETHODIMP DispatchObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!::IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    ids[0] = DISPID_UNKNOWN;
    if (names[0] != nullptr) {
        const UINT members = memberCount();
        for (UINT i = 0; i < members; ++i) {
            if (::_wcsicmp(names[0], memberName(i)) == 0) {
                ids[0] = memberId(i);
                break;
            }
        }
    }
    if (ids[0] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
    // No member has named parameters.
    for (UINT i = 1; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

STDMETHODIMP DispatchObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                    EXCEPINFO*, UINT* argErr) {
    // A busy player turns every call away unseen, whatever it asks.
    if (ServerFaults::instance().busy()) return RPC_E_CALL_REJECTED;
    if (!::IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    UINT member = 0;
    const UINT members = memberCount();
    while (member < members && memberId(member) != id)
        ++member;
    if (member == members) return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    const DISPPARAMS& p = params != nullptr ? *params : none;
    if (p.cArgs > 0 && p.rgvarg == nullptr) return E_INVALIDARG;
    const bool isPut = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (p.cNamedArgs > 0) {
        const bool putValueNamed = isPut && p.cNamedArgs == 1 && p.rgdispidNamedArgs != nullptr &&
                                   p.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
        if (!putValueNamed) return DISP_E_NONAMEDARGS;
    }
    if (result != nullptr) ::VariantInit(result);
    try {
        return invokeMember(member, flags, DispArgs(p, argErr), isPut ? nullptr : result);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace simplayer

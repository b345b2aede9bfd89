#include "EnumVariant.h"

#include <new>
#include <utility>

#include "ServerFaults.h"

namespace simplayer {

STDMETHODIMP EnumVariant::QueryInterface(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!::IsEqualIID(iid, IID_IUnknown) && !::IsEqualIID(iid, IID_IEnumVARIANT)) return E_NOINTERFACE;
    *out = static_cast<IEnumVARIANT*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) EnumVariant::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }

STDMETHODIMP_(ULONG) EnumVariant::Release() {
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

STDMETHODIMP EnumVariant::Next(ULONG count, VARIANT* items, ULONG* fetched) {
    if (fetched != nullptr) *fetched = 0;
    if (count == 0) return S_OK;
    // Only a caller asking for one item may leave out the count fetched.
    if (items == nullptr || (fetched == nullptr && count > 1)) return E_POINTER;
    if (ServerFaults::instance().busy()) return RPC_E_CALL_REJECTED;
    ULONG done = 0;
    try {
        const long total = items_->count();
        for (; done < count && position_ < total; ++done) {
            ::VariantInit(&items[done]);
            const HRESULT hr = items_->item(position_ + 1, &items[done]);
            if (FAILED(hr)) {
                for (ULONG i = 0; i <= done; ++i)
                    ::VariantClear(&items[i]);
                return hr;
            }
            ++position_;
        }
    } catch (...) {
        for (ULONG i = 0; i < done; ++i)
            ::VariantClear(&items[i]);
        return E_FAIL;
    }
    if (fetched != nullptr) *fetched = done;
    return done == count ? S_OK : S_FALSE;
}

STDMETHODIMP EnumVariant::Skip(ULONG count) {
    if (ServerFaults::instance().busy()) return RPC_E_CALL_REJECTED;
    long total = 0;
    try {
        total = items_->count();
    } catch (...) {
        return E_FAIL;
    }
    const long left = total > position_ ? total - position_ : 0;
    if (static_cast<unsigned long>(left) < count) {
        position_ = total > position_ ? total : position_;
        return S_FALSE;
    }
    position_ += static_cast<long>(count);
    return S_OK;
}

STDMETHODIMP EnumVariant::Reset() {
    position_ = 0;
    return S_OK;
}

STDMETHODIMP EnumVariant::Clone(IEnumVARIANT** out) {
    if (out == nullptr) return E_POINTER;
    *out = new (std::nothrow) EnumVariant(items_, position_);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace simplayer

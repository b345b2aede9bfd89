#include "DispArgs.h"

namespace simplayer {

HRESULT DispArgs::convert(UINT index, VARTYPE type, VARIANT& out) const {
    if (index >= params_.cArgs) return DISP_E_BADPARAMCOUNT;
    const UINT slot = params_.cArgs - 1 - index;
    VARIANT plain;
    ::VariantInit(&plain);
    // By-reference arguments (VB's default) are read through their reference.
    HRESULT hr = ::VariantCopyInd(&plain, &params_.rgvarg[slot]);
    if (SUCCEEDED(hr)) hr = ::VariantChangeType(&out, &plain, 0, type);
    ::VariantClear(&plain);
    if (FAILED(hr)) {
        if (argErr_ != nullptr) *argErr_ = slot;
        if (hr != DISP_E_OVERFLOW) hr = DISP_E_TYPEMISMATCH;
    }
    return hr;
}

HRESULT DispArgs::get(UINT index, long& out) const {
    VARIANT v;
    ::VariantInit(&v);
    const HRESULT hr = convert(index, VT_I4, v);
    if (SUCCEEDED(hr)) out = v.lVal;
    ::VariantClear(&v);
    return hr;
}

HRESULT DispArgs::get(UINT index, bool& out) const {
    VARIANT v;
    ::VariantInit(&v);
    const HRESULT hr = convert(index, VT_BOOL, v);
    if (SUCCEEDED(hr)) out = v.boolVal != VARIANT_FALSE;
    ::VariantClear(&v);
    return hr;
}

HRESULT DispArgs::get(UINT index, std::wstring& out) const {
    VARIANT v;
    ::VariantInit(&v);
    const HRESULT hr = convert(index, VT_BSTR, v);
    if (SUCCEEDED(hr)) out.assign(v.bstrVal != nullptr ? v.bstrVal : L"", ::SysStringLen(v.bstrVal));
    ::VariantClear(&v);
    return hr;
}

HRESULT DispArgs::get(UINT index, tavel::win::util::ComPtr<IDispatch>& out) const {
    VARIANT v;
    ::VariantInit(&v);
    const HRESULT hr = convert(index, VT_DISPATCH, v);
    if (SUCCEEDED(hr)) out = tavel::win::util::ComPtr<IDispatch>(v.pdispVal);
    ::VariantClear(&v);
    return hr;
}

HRESULT putValue(VARIANT* result, long value) {
    if (result == nullptr) return S_OK;
    result->vt = VT_I4;
    result->lVal = value;
    return S_OK;
}

HRESULT putValue(VARIANT* result, bool value) {
    if (result == nullptr) return S_OK;
    result->vt = VT_BOOL;
    result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT putValue(VARIANT* result, const std::wstring& value) {
    if (result == nullptr) return S_OK;
    BSTR text = ::SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    if (text == nullptr) return E_OUTOFMEMORY;
    result->vt = VT_BSTR;
    result->bstrVal = text;
    return S_OK;
}

HRESULT putValue(VARIANT* result, IDispatch* object) {
    if (result == nullptr) return S_OK;
    if (object != nullptr) object->AddRef();
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
    return S_OK;
}

}  // namespace simplayer

#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "win/util/ComPtr.h"

namespace simplayer {

// The positional arguments of one IDispatch::Invoke, the first at index 0
// (DISPPARAMS keeps them in reverse). Values are converted by the automation
// rules, so a VT_I2, VT_BOOL or numeric VT_BSTR serves where a number is wanted;
// a failed conversion reports the argument's position through puArgErr.
class DispArgs {
public:
    DispArgs(const DISPPARAMS& params, UINT* argErr) : params_(params), argErr_(argErr) {}

    UINT count() const { return params_.cArgs; }
    HRESULT get(UINT index, long& out) const;
    HRESULT get(UINT index, bool& out) const;
    HRESULT get(UINT index, std::wstring& out) const;
    // An object argument, possibly passed by reference or inside a VARIANT.
    HRESULT get(UINT index, tavel::win::util::ComPtr<IDispatch>& out) const;

private:
    HRESULT convert(UINT index, VARTYPE type, VARIANT& out) const;

    const DISPPARAMS& params_;
    UINT* argErr_;
};

// Results of a member. The caller's VARIANT may be null (result not wanted).
HRESULT putValue(VARIANT* result, long value);
HRESULT putValue(VARIANT* result, bool value);
HRESULT putValue(VARIANT* result, const std::wstring& value);
// Adds a reference; a null object gives VT_DISPATCH with a null pointer, which
// is how the player says "no object".
HRESULT putValue(VARIANT* result, IDispatch* object);

}  // namespace simplayer

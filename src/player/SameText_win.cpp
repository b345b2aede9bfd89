#include <windows.h>
#include <oleauto.h>

#include "player/PlayerInterface.h"

namespace tavelapp {
namespace itunes {

bool sameText(const std::wstring& a, const std::wstring& b) {
    BSTR left = ::SysAllocStringLen(a.data(), static_cast<UINT>(a.size()));
    BSTR right = ::SysAllocStringLen(b.data(), static_cast<UINT>(b.size()));
    const HRESULT result = ::VarBstrCmp(left, right, LOCALE_USER_DEFAULT, 0);
    ::SysFreeString(left);
    ::SysFreeString(right);
    return result == VARCMP_EQ;
}

}  // namespace itunes
}  // namespace tavelapp

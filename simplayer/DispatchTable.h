#pragma once
#include <type_traits>
#include <vector>

#include "DispArgs.h"
#include "DispatchObject.h"
#include "ResultObjects.h"

namespace simplayer {

// A member without an id of its own is numbered by its place in the list.
constexpr DISPID kPlaceId = DISPID_UNKNOWN;

// One member reachable by name: what it does when read, written or called.
// A put handler finds the new value as argument 0.
template <class T>
struct DispMember {
    using Handler = HRESULT (*)(T& self, const DispArgs& args, VARIANT* result);
    const wchar_t* name = nullptr;
    Handler get = nullptr;
    Handler put = nullptr;
    Handler call = nullptr;
    DISPID id = kPlaceId;
};

// IDispatch driven by T's member list: `static const std::vector<DispMember<T>>&
// members()`. As with the player's own type-library dispatch, a method answers
// only DISPATCH_METHOD and a property only DISPATCH_PROPERTYGET/PUT.
template <class T>
class DispatchTable : public DispatchObject {
protected:
    UINT memberCount() const override { return static_cast<UINT>(T::members().size()); }
    const wchar_t* memberName(UINT index) const override { return T::members()[index].name; }
    DISPID memberId(UINT index) const override {
        const DISPID id = T::members()[index].id;
        return id != kPlaceId ? id : static_cast<DISPID>(index + 1);
    }
    HRESULT invokeMember(UINT index, WORD flags, const DispArgs& args, VARIANT* result) override {
        const DispMember<T>& m = T::members()[index];
        T& self = static_cast<T&>(*this);
        if ((flags & DISPATCH_METHOD) != 0 && m.call != nullptr) return m.call(self, args, result);
        if ((flags & DISPATCH_PROPERTYGET) != 0 && m.get != nullptr) return m.get(self, args, result);
        if ((flags & DISPATCH_PROPERTYPUT) != 0 && m.put != nullptr) return m.put(self, args, nullptr);
        return DISP_E_MEMBERNOTFOUND;
    }
};

// Handlers made from a member function of the model object that T wraps
// (T::target()).
namespace handler {

template <class M>
struct SetterArg;
template <class C, class A>
struct SetterArg<void (C::*)(A)> {
    using type = std::decay_t<A>;
};

template <auto F, class T>
HRESULT get(T& self, const DispArgs& args, VARIANT* result) {
    if (args.count() != 0) return DISP_E_BADPARAMCOUNT;
    return putValue(result, (self.target().*F)());
}

// A property read with an index, such as a collection's Item.
template <auto F, class T>
HRESULT getAt(T& self, const DispArgs& args, VARIANT* result) {
    if (args.count() != 1) return DISP_E_BADPARAMCOUNT;
    long index = 0;
    const HRESULT hr = args.get(0, index);
    if (FAILED(hr)) return hr;
    return putValue(result, (self.target().*F)(index));
}

template <auto F, class T>
HRESULT put(T& self, const DispArgs& args, VARIANT*) {
    if (args.count() != 1) return DISP_E_BADPARAMCOUNT;
    typename SetterArg<decltype(F)>::type value{};
    const HRESULT hr = args.get(0, value);
    if (FAILED(hr)) return hr;
    (self.target().*F)(value);
    return S_OK;
}

template <auto F, class T>
HRESULT call(T& self, const DispArgs& args, VARIANT*) {
    if (args.count() != 0) return DISP_E_BADPARAMCOUNT;
    (self.target().*F)();
    return S_OK;
}

}  // namespace handler
}  // namespace simplayer

#pragma once
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "DispatchTable.h"
#include "EnumVariant.h"
#include "ItemSource.h"
#include "player/PlayerInterface.h"
#include "player/model/PersistentItem.h"

namespace simplayer {

// The members every collection shares beyond Count and Item: the enumerator
// and the look-ups scripts use. T::items() is the model collection.
namespace collection {

// A model collection (tracks, playlists, artwork) as an enumerator walks it.
template <class Ptr>
class Items : public ItemSource {
public:
    explicit Items(Ptr items) : items_(std::move(items)) {}
    long count() override { return items_->count(); }
    HRESULT item(long index, VARIANT* out) override { return putValue(out, items_->item(index)); }

private:
    Ptr items_;
};

// _NewEnum: an IEnumVARIANT, returned as VT_UNKNOWN as the player does. Also
// answered as a method: script engines ask with DISPATCH_METHOD alone (Wine's
// JScript Enumerator) or together with DISPATCH_PROPERTYGET (VBScript For Each).
template <class T>
HRESULT newEnum(T& self, const DispArgs& args, VARIANT* result) {
    if (args.count() != 0) return DISP_E_BADPARAMCOUNT;
    if (result == nullptr) return S_OK;
    auto* walker =
        new (std::nothrow) EnumVariant(std::make_shared<Items<std::decay_t<decltype(self.items())>>>(self.items()));
    if (walker == nullptr) return E_OUTOFMEMORY;
    result->vt = VT_UNKNOWN;
    result->punkVal = walker;
    return S_OK;
}

// ItemByName(name): the first item whose name equals it as the player compares
// text; "no object" when none does.
template <class T>
HRESULT itemByName(T& self, const DispArgs& args, VARIANT* result) {
    if (args.count() != 1) return DISP_E_BADPARAMCOUNT;
    std::wstring name;
    const HRESULT hr = args.get(0, name);
    if (FAILED(hr)) return hr;
    const long count = self.items()->count();
    for (long i = 1; i <= count; ++i) {
        auto item = self.items()->item(i);
        if (item && tavelapp::itunes::sameText(item->name(), name)) return putValue(result, item);
    }
    return putValue(result, static_cast<IDispatch*>(nullptr));
}

// ItemByPersistentID(high, low): the item with that 64-bit persistent id, given
// as its upper and lower 32 bits; "no object" when none has it.
template <class T>
HRESULT itemByPersistentId(T& self, const DispArgs& args, VARIANT* result) {
    if (args.count() != 2) return DISP_E_BADPARAMCOUNT;
    long high = 0, low = 0;
    HRESULT hr = args.get(0, high);
    if (SUCCEEDED(hr)) hr = args.get(1, low);
    if (FAILED(hr)) return hr;
    const unsigned long long wanted =
        (static_cast<unsigned long long>(static_cast<unsigned long>(high)) << 32) | static_cast<unsigned long>(low);
    return putValue(result, self.items()->itemByPersistentId(wanted));
}

}  // namespace collection
}  // namespace simplayer

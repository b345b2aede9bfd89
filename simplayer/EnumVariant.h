#pragma once
#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <utility>

#include "ItemSource.h"

namespace simplayer {

// The one enumerator (IEnumVARIANT) of every collection the player serves,
// handed out as _NewEnum. It reads the collection live: items added while it
// runs are reached, and a shrunk collection ends it early. Like every other
// call, Next and Skip are turned away while the player is busy.
class EnumVariant : public IEnumVARIANT {
public:
    explicit EnumVariant(std::shared_ptr<ItemSource> items, long position = 0)
        : items_(std::move(items)), position_(position) {}
    EnumVariant(const EnumVariant&) = delete;
    EnumVariant& operator=(const EnumVariant&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP Next(ULONG count, VARIANT* items, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumVARIANT** out) override;

private:
    virtual ~EnumVariant() = default;

    volatile LONG refs_ = 1;
    std::shared_ptr<ItemSource> items_;
    long position_;  // items passed so far
};

}  // namespace simplayer

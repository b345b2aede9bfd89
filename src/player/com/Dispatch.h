#pragma once
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "win/util/ComPtr.h"

namespace tavelapp {
namespace itunes {

// Owns one VARIANT.
class Variant {
public:
    Variant() { ::VariantInit(&v_); }
    explicit Variant(long value) : Variant() {
        v_.vt = VT_I4;
        v_.lVal = value;
    }
    explicit Variant(bool value) : Variant() {
        v_.vt = VT_BOOL;
        v_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    explicit Variant(const std::wstring& value) : Variant() {
        v_.vt = VT_BSTR;
        v_.bstrVal = ::SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
    }
    explicit Variant(IDispatch* value) : Variant() {
        v_.vt = VT_DISPATCH;
        v_.pdispVal = value;
        if (value != nullptr) value->AddRef();
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { ::VariantClear(&v_); }

    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    void clear() { ::VariantClear(&v_); }

    long toLong() const;
    bool toBool() const;
    std::wstring toString() const;
    // Null when the value holds no object.
    tavel::win::util::ComPtr<IDispatch> toDispatch() const;

private:
    VARIANT v_;
};

// Late binding by member name. DISPIDs are looked up once per object kind and
// member for the whole process, so a snapshot costs one round trip per value.
class Dispatch {
public:
    // Object kinds, each with its own DISPID cache.
    enum Kind {
        KindApp,
        KindTrack,
        KindPlaylist,
        KindSource,
        KindTrackCollection,
        KindPlaylistCollection,
        KindArtworkCollection,
        KindArtwork,
        KindBrowserWindow,
        KindCount
    };

    Dispatch(tavel::win::util::ComPtr<IDispatch> object, Kind kind) : object_(std::move(object)), kind_(kind) {}

    IDispatch* get() const { return object_.get(); }
    explicit operator bool() const { return static_cast<bool>(object_); }

    // Each returns the call's HRESULT; result may be null. A null object throws
    // the empty-key AppException (the player cannot be reached).
    HRESULT call(const wchar_t* member, std::vector<Variant*> args = {}, Variant* result = nullptr) const;
    HRESULT get(const wchar_t* member, Variant& result, std::vector<Variant*> args = {}) const;
    HRESULT put(const wchar_t* member, Variant& value) const;
    HRESULT putLong(const wchar_t* member, long value) const;
    HRESULT putBool(const wchar_t* member, bool value) const;

    // A command's result: nothing on success; otherwise throws the exception the
    // user hears of ("PlayerIsBusy", "PlayerCommandFailed"), or the empty-key one
    // when the player is gone.
    static void check(HRESULT hr);
    // The player is busy: it rejected the call until the retry bound passed.
    static bool isBusy(HRESULT hr);

    // Getters that leave the result empty when the call fails; a player that
    // stays busy throws instead (an empty value would be taken for a real one).
    long getLong(const wchar_t* member) const;
    bool getBool(const wchar_t* member) const;
    std::wstring getString(const wchar_t* member) const;
    tavel::win::util::ComPtr<IDispatch> getObject(const wchar_t* member, std::vector<Variant*> args = {}) const;

    // Lookups made so far, and switching the cache off: for the benchmarks.
    static long lookupCount();
    static void setCacheEnabled(bool enabled);
    // Calls made so far and the time spent in them (QueryPerformanceCounter
    // ticks), for the benchmarks.
    static long callCount();
    static long long callTicks();

private:
    HRESULT invoke(const wchar_t* member, WORD flags, std::vector<Variant*>& args, Variant* result) const;
    HRESULT invokeMember(const wchar_t* member, WORD flags, std::vector<Variant*>& args, Variant* result) const;
    DISPID dispId(const wchar_t* member) const;

    tavel::win::util::ComPtr<IDispatch> object_;
    Kind kind_;
};

}  // namespace itunes
}  // namespace tavelapp

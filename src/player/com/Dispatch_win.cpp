#include "player/com/Dispatch.h"

#include <atomic>
#include <map>
#include <mutex>

#include "base/AppException.h"
#include "win/util/Com.h"
#include "win/util/StringUtil.h"

using tavel::win::util::ComPtr;

namespace tavelapp {
namespace itunes {
namespace {

std::mutex cacheLock;
std::map<std::wstring, DISPID> cache[Dispatch::KindCount];
std::atomic<long> lookups{0};
std::atomic<bool> cacheEnabled{true};
std::atomic<long> calls{0};
std::atomic<long long> ticksInCalls{0};

}  // namespace

long Variant::toLong() const {
    VARIANT converted;
    ::VariantInit(&converted);
    if (FAILED(::VariantChangeType(&converted, const_cast<VARIANT*>(&v_), 0, VT_I4))) return 0;
    return converted.lVal;
}

bool Variant::toBool() const {
    VARIANT converted;
    ::VariantInit(&converted);
    if (FAILED(::VariantChangeType(&converted, const_cast<VARIANT*>(&v_), 0, VT_BOOL))) return false;
    return converted.boolVal != VARIANT_FALSE;
}

std::wstring Variant::toString() const {
    if (v_.vt == VT_BSTR) return v_.bstrVal != nullptr ? std::wstring(v_.bstrVal, ::SysStringLen(v_.bstrVal)) : L"";
    VARIANT converted;
    ::VariantInit(&converted);
    if (v_.vt == VT_EMPTY || v_.vt == VT_NULL ||
        FAILED(::VariantChangeType(&converted, const_cast<VARIANT*>(&v_), 0, VT_BSTR))) {
        return std::wstring();
    }
    std::wstring text(converted.bstrVal, ::SysStringLen(converted.bstrVal));
    ::VariantClear(&converted);
    return text;
}

ComPtr<IDispatch> Variant::toDispatch() const {
    if (v_.vt == VT_DISPATCH) return ComPtr<IDispatch>(v_.pdispVal);
    if (v_.vt == VT_UNKNOWN && v_.punkVal != nullptr) {
        ComPtr<IDispatch> object;
        v_.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object.put()));
        return object;
    }
    return ComPtr<IDispatch>();
}

long Dispatch::lookupCount() { return lookups.load(); }

void Dispatch::setCacheEnabled(bool enabled) { cacheEnabled = enabled; }

long Dispatch::callCount() { return calls.load(); }

long long Dispatch::callTicks() { return ticksInCalls.load(); }

DISPID Dispatch::dispId(const wchar_t* member) const {
    const std::wstring key = tavel::win::util::asciiLower(member);
    if (cacheEnabled) {
        std::lock_guard<std::mutex> guard(cacheLock);
        auto it = cache[kind_].find(key);
        if (it != cache[kind_].end()) return it->second;
    }
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR name = const_cast<LPOLESTR>(member);
    ++lookups;
    if (FAILED(object_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id))) return DISPID_UNKNOWN;
    if (!cacheEnabled) return id;
    std::lock_guard<std::mutex> guard(cacheLock);
    cache[kind_][key] = id;
    return id;
}

bool Dispatch::isBusy(HRESULT hr) { return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER; }

void Dispatch::check(HRESULT hr) {
    if (SUCCEEDED(hr)) return;
    if (isBusy(hr)) throw AppException(L"PlayerIsBusy");
    switch (hr) {
        case RPC_E_DISCONNECTED:
        case RPC_E_SERVER_DIED:
        case RPC_E_SERVER_DIED_DNE:
        case CO_E_OBJNOTCONNECTED:
        case HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE):
        case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED):
            // The player quit under us: as unreachable as if it never ran.
            throw AppException();
        default:
            throw AppException(L"PlayerCommandFailed");
    }
}

HRESULT Dispatch::invoke(const wchar_t* member, WORD flags, std::vector<Variant*>& args, Variant* result) const {
    if (!object_) throw AppException();
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    HRESULT hr = invokeMember(member, flags, args, result);
    // A busy player answers with a rejection (the message filter retries those
    // COM turns down itself; this covers a server that returns it as the call's
    // result). Try again for a bounded time; the thread is a worker.
    if (isBusy(hr)) {
        const DWORD first = ::GetTickCount();
        const DWORD bound = static_cast<DWORD>(tavel::win::util::busyRetryMs());
        while (isBusy(hr) && ::GetTickCount() - first < bound) {
            ::Sleep(50);
            hr = invokeMember(member, flags, args, result);
        }
    }
    ::QueryPerformanceCounter(&end);
    ++calls;
    ticksInCalls += end.QuadPart - start.QuadPart;
    return hr;
}

HRESULT Dispatch::invokeMember(const wchar_t* member, WORD flags, std::vector<Variant*>& args, Variant* result) const {
    const DISPID id = dispId(member);
    if (id == DISPID_UNKNOWN) return DISP_E_MEMBERNOTFOUND;
    // IDispatch takes its arguments last to first.
    std::vector<VARIANT> reversed;
    reversed.reserve(args.size());
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        reversed.push_back(*(*it)->get());
    DISPPARAMS params{};
    params.cArgs = static_cast<UINT>(reversed.size());
    params.rgvarg = reversed.empty() ? nullptr : reversed.data();
    DISPID named = DISPID_PROPERTYPUT;
    if (flags == DISPATCH_PROPERTYPUT) {
        params.cNamedArgs = 1;
        params.rgdispidNamedArgs = &named;
    }
    if (result != nullptr) result->clear();
    return object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                           result != nullptr ? result->get() : nullptr, nullptr, nullptr);
}

HRESULT Dispatch::call(const wchar_t* member, std::vector<Variant*> args, Variant* result) const {
    return invoke(member, DISPATCH_METHOD, args, result);
}

HRESULT Dispatch::get(const wchar_t* member, Variant& result, std::vector<Variant*> args) const {
    // Parameterised getters (Item) are methods to some servers, properties to others.
    return invoke(member, DISPATCH_PROPERTYGET | DISPATCH_METHOD, args, &result);
}

HRESULT Dispatch::put(const wchar_t* member, Variant& value) const {
    std::vector<Variant*> args{&value};
    return invoke(member, DISPATCH_PROPERTYPUT, args, nullptr);
}

HRESULT Dispatch::putLong(const wchar_t* member, long value) const {
    Variant v(value);
    return put(member, v);
}

HRESULT Dispatch::putBool(const wchar_t* member, bool value) const {
    Variant v(value);
    return put(member, v);
}

namespace {

bool gotValue(HRESULT hr) {
    if (Dispatch::isBusy(hr)) Dispatch::check(hr);
    return SUCCEEDED(hr);
}

}  // namespace

long Dispatch::getLong(const wchar_t* member) const {
    Variant v;
    return gotValue(get(member, v)) ? v.toLong() : 0;
}

bool Dispatch::getBool(const wchar_t* member) const {
    Variant v;
    return gotValue(get(member, v)) ? v.toBool() : false;
}

std::wstring Dispatch::getString(const wchar_t* member) const {
    Variant v;
    return gotValue(get(member, v)) ? v.toString() : std::wstring();
}

ComPtr<IDispatch> Dispatch::getObject(const wchar_t* member, std::vector<Variant*> args) const {
    Variant v;
    return gotValue(get(member, v, std::move(args))) ? v.toDispatch() : ComPtr<IDispatch>();
}

}  // namespace itunes
}  // namespace tavelapp

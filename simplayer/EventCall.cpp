#include "EventCall.h"

#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "ResultObjects.h"

namespace simplayer {

namespace {

struct SafeArrayDeleter {
    void operator()(SAFEARRAY* array) const { ::SafeArrayDestroy(array); }
};
using SafeArrayPtr = std::unique_ptr<SAFEARRAY, SafeArrayDeleter>;

SafeArrayPtr objectIdArray(const std::vector<EventCall::ObjectIds>& objects) {
    const std::size_t columns = std::tuple_size<EventCall::ObjectIds>::value;
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(objects.size()), 0}, {static_cast<ULONG>(columns), 0}};
    SafeArrayPtr array(::SafeArrayCreate(VT_VARIANT, 2, bounds));
    if (!array) throw std::bad_alloc();
    for (std::size_t row = 0; row < objects.size(); ++row) {
        for (std::size_t column = 0; column < columns; ++column) {
            LONG at[2] = {static_cast<LONG>(row), static_cast<LONG>(column)};
            VARIANT id;
            ::VariantInit(&id);
            id.vt = VT_I4;
            id.lVal = objects[row][column];
            if (FAILED(::SafeArrayPutElement(array.get(), at, &id))) throw std::bad_alloc();
        }
    }
    return array;
}

}  // namespace

EventCall::EventCall(EventCall&& other) noexcept : id_(other.id_), args_(std::exchange(other.args_, {})) {}

EventCall& EventCall::operator=(EventCall&& other) noexcept {
    if (this != &other) {
        clear();
        id_ = other.id_;
        args_ = std::exchange(other.args_, {});
    }
    return *this;
}

EventCall EventCall::withTrack(DISPID id, const tavelapp::itunes::TrackPtr& track) {
    EventCall call(id);
    VARIANT value;
    ::VariantInit(&value);
    // The player sends no object, not a null one, when nothing is current.
    if (track && FAILED(putValue(&value, track))) throw std::bad_alloc();
    call.add(value);
    return call;
}

EventCall EventCall::withNumber(DISPID id, long number) {
    EventCall call(id);
    VARIANT value;
    ::VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = number;
    call.add(value);
    return call;
}

EventCall EventCall::databaseChanged(const std::vector<ObjectIds>& deleted, const std::vector<ObjectIds>& changed) {
    EventCall call(tavelapp::itunes::DispDatabaseChanged);
    for (const auto* objects : {&deleted, &changed}) {
        VARIANT value;
        ::VariantInit(&value);
        value.vt = VT_ARRAY | VT_VARIANT;
        value.parray = objectIdArray(*objects).release();
        call.add(value);
    }
    return call;
}

HRESULT EventCall::invoke(IDispatch* sink) const {
    // DISPPARAMS lists the arguments last to first. The sink only reads them.
    std::vector<VARIANT> reversed(args_.rbegin(), args_.rend());
    DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return sink->Invoke(id_, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

void EventCall::add(VARIANT& value) {
    try {
        args_.push_back(value);
    } catch (...) {
        ::VariantClear(&value);
        throw;
    }
}

void EventCall::clear() {
    for (VARIANT& value : args_)
        ::VariantClear(&value);
    args_.clear();
}

}  // namespace simplayer

#pragma once
#include <windows.h>
#include <oleauto.h>

#include <array>
#include <vector>

#include "player/PlayerInterface.h"

namespace simplayer {

// One of the player's events on its way to the sinks: its DISPID and the
// arguments the player sends with it. Owns the argument values; the same call
// goes to every sink.
class EventCall {
public:
    // An object as a database change names it: source, playlist, track and
    // database id.
    using ObjectIds = std::array<long, 4>;

    explicit EventCall(DISPID id) : id_(id) {}
    EventCall(EventCall&& other) noexcept;
    EventCall& operator=(EventCall&& other) noexcept;
    EventCall(const EventCall&) = delete;
    EventCall& operator=(const EventCall&) = delete;
    ~EventCall() { clear(); }

    // The track as an object of its own, or nothing when there is none.
    static EventCall withTrack(DISPID id, const tavelapp::itunes::TrackPtr& track);
    static EventCall withNumber(DISPID id, long value);
    // The deleted and the changed objects, each as a two-dimensional array
    // (one row of four ids per object) of VARIANTs.
    static EventCall databaseChanged(const std::vector<ObjectIds>& deleted, const std::vector<ObjectIds>& changed);

    DISPID id() const { return id_; }
    std::size_t argumentCount() const { return args_.size(); }

    HRESULT invoke(IDispatch* sink) const;

private:
    // Takes the value over, or clears it when it cannot be kept.
    void add(VARIANT& value);
    void clear();

    DISPID id_;
    std::vector<VARIANT> args_;  // first argument first
};

}  // namespace simplayer

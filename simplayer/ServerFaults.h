#pragma once
#include <windows.h>

namespace simplayer {

// The ways the player can refuse its clients, switched from outside so that a
// client's failure handling can be tried: busy (every Invoke is rejected for a
// while), a modal dialog (no new application objects) and a full connection
// point. One set per process, as the player has one state; used on the
// server's one (STA) thread only.
class ServerFaults {
public:
    static ServerFaults& instance();

    // Busy for the next `ms` milliseconds; 0 ends it at once.
    void setBusy(DWORD ms);
    bool busy() const;

    void setModal(bool on) { modal_ = on; }
    bool modal() const { return modal_; }

    void setRefuseAdvise(bool on) { refuseAdvise_ = on; }
    bool refusesAdvise() const { return refuseAdvise_; }

private:
    ServerFaults() = default;

    DWORD busySince_ = 0;
    DWORD busyMs_ = 0;
    bool modal_ = false;
    bool refuseAdvise_ = false;
};

}  // namespace simplayer

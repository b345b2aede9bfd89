#include "ServerFaults.h"

namespace simplayer {

ServerFaults& ServerFaults::instance() {
    static ServerFaults faults;
    return faults;
}

void ServerFaults::setBusy(DWORD ms) {
    busySince_ = ::GetTickCount();
    busyMs_ = ms;
}

// Unsigned differences stay right across the tick count's wrap.
bool ServerFaults::busy() const { return busyMs_ != 0 && ::GetTickCount() - busySince_ < busyMs_; }

}  // namespace simplayer

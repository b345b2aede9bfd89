#pragma once
#ifdef _WIN32
#include <windows.h>
#endif

// Plug-ins post their notifications to the manager's window on Windows and
// hand them over at once elsewhere; this lets a test see them in both builds.
inline void deliverPostedMessages() {
#ifdef _WIN32
    MSG msg;
    // Bounded: a handler that posts again must not keep the test here.
    for (int i = 0; i < 10000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
#endif
}

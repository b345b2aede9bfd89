// One player-state capture against simplayer.exe: COM round trips, time, and
// the share spent inside the COM client's calls. "Before" looks every member
// up by name and writes the artwork file on every capture; "after" is the
// program as it runs (DISPIDs cached, artwork written only for a new track).
#include <windows.h>
#include <objbase.h>

#include <cstdio>

#include "action/ActionPluginITunes.h"
#include "action/ActionPluginMgr.h"
#include "notify/PlayerStateFactory.h"
#include "player/com/Dispatch.h"
#include "player/com/ITunesCom.h"

using namespace tavelapp;

namespace {

double seconds(long long ticks) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

void measure(const char* label, bool before, int captures) {
    itunes::Dispatch::setCacheEnabled(!before);
    PlayerStateFactory& factory = PlayerStateFactory::instance();
    const long calls = itunes::Dispatch::callCount();
    const long lookups = itunes::Dispatch::lookupCount();
    const long long inCalls = itunes::Dispatch::callTicks();
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    for (int i = 0; i < captures; ++i) {
        if (before) ActionPluginITunes::artworkChanged();  // forces the artwork file to be written again
        PlayerStateFactory::Guard guard;
        factory.update();
    }
    ::QueryPerformanceCounter(&end);
    const double total = seconds(end.QuadPart - start.QuadPart);
    const double com = seconds(itunes::Dispatch::callTicks() - inCalls);
    std::printf(
        "%-7s %6.2f ms per capture, %5.1f calls + %4.1f name look-ups per capture, %4.1f%% of the time "
        "inside COM calls (%d captures)\n",
        label, 1000.0 * total / captures, static_cast<double>(itunes::Dispatch::callCount() - calls) / captures,
        static_cast<double>(itunes::Dispatch::lookupCount() - lookups) / captures, 100.0 * com / total, captures);
    itunes::Dispatch::setCacheEnabled(true);
}

}  // namespace

int wmain() {
    ::CoInitialize(nullptr);
    {
        ITunesCom com;
        if (!com.connect()) {
            std::printf("simplayer.exe could not be started (run simplayer.exe /regserver first)\n");
            return 1;
        }
        // A track with artwork, playing: the costliest snapshot.
        itunes::TrackCollectionPtr tracks = com.app()->libraryPlaylist()->tracks();
        for (long i = 1; i <= tracks->count(); ++i) {
            itunes::TrackPtr track = tracks->item(i);
            itunes::ArtworkCollectionPtr artwork = track->artwork();
            if (artwork && artwork->count() > 0) {
                track->play();
                break;
            }
        }
        ActionPluginMgr::instance();
        PlayerStateFactory::instance();
        measure("before", true, 100);
        measure("after", false, 100);
        com.app()->quit();
    }
    ::CoUninitialize();
    return 0;
}

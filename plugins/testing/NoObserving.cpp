// Test library without IsObserving: it counts the observation calls it gets.
#include <windows.h>

#include <atomic>

namespace {

std::atomic<int> starts{0};
std::atomic<int> ends{0};

}  // namespace

extern "C" {

int WINAPI GetPluginInfo(int kind, wchar_t* buffer, int bufferBytes) {
    if (kind == 1) ::lstrcpynW(buffer, L"Utility/NoObserving", bufferBytes / 2);
    return 0;
}

BOOL WINAPI StartObservation() {
    ++starts;
    return TRUE;
}

BOOL WINAPI EndObservation() {
    ++ends;
    return TRUE;
}

// Hands out the counts since the last call.
int WINAPI TakeObservationCounts(int* startCount, int* endCount) {
    *startCount = starts.exchange(0);
    *endCount = ends.exchange(0);
    return 0;
}

}  // extern "C"

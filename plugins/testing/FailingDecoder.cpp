// A Susie decoder that accepts every file and never decodes one; it counts
// how often it was asked for a picture, and how many callers were inside it
// at once at most (a decoder with global state needs that to stay 1).
#include <windows.h>

namespace {
LONG pictureCalls = 0;
LONG inside = 0;
LONG mostInside = 0;

// Stays a moment inside, so that callers who are not kept apart meet there.
struct Visit {
    Visit() {
        const LONG now = ::InterlockedIncrement(&inside);
        for (LONG seen = mostInside; now > seen; seen = mostInside)
            ::InterlockedCompareExchange(&mostInside, now, seen);
        ::Sleep(2);
    }
    ~Visit() { ::InterlockedDecrement(&inside); }
};
}  // namespace

extern "C" {

int WINAPI GetPluginInfo(int, LPSTR buf, int buflen) {
    if (buf == nullptr || buflen < 5) return 0;
    lstrcpynA(buf, "00IN", buflen);
    return 4;
}

int WINAPI IsSupported(LPCSTR, DWORD) {
    Visit visit;
    return 1;
}

int WINAPI GetPicture(LPCSTR, LONG, UINT, HANDLE* info, HANDLE* bits, FARPROC, LONG) {
    Visit visit;
    ::InterlockedIncrement(&pictureCalls);
    if (info) *info = nullptr;
    if (bits) *bits = nullptr;
    return 3;  // broken data
}

LONG WINAPI GetPictureCalls() { return pictureCalls; }
LONG WINAPI MostCallersInside() { return mostInside; }

}  // extern "C"

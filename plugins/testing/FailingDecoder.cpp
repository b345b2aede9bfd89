// A Susie decoder that accepts every file and never decodes one; it counts
// how often it was asked for a picture.
#include <windows.h>

namespace {
LONG pictureCalls = 0;
}

extern "C" {

int WINAPI GetPluginInfo(int, LPSTR buf, int buflen) {
    if (buf == nullptr || buflen < 5) return 0;
    lstrcpynA(buf, "00IN", buflen);
    return 4;
}

int WINAPI IsSupported(LPCSTR, DWORD) { return 1; }

int WINAPI GetPicture(LPCSTR, LONG, UINT, HANDLE* info, HANDLE* bits, FARPROC, LONG) {
    ::InterlockedIncrement(&pictureCalls);
    if (info) *info = nullptr;
    if (bits) *bits = nullptr;
    return 3;  // broken data
}

LONG WINAPI GetPictureCalls() { return pictureCalls; }

}  // extern "C"

#pragma once
#include <windows.h>

// The calls of Wiimote.dll, shared by the program and the libraries of the
// project's own. Every export is undecorated stdcall (a .def file names them).
namespace WiimoteLibrary {

// The message the library sends to the window given to Initialize.
const UINT kMessage = WM_USER + 1;
// wParam of that message.
const WPARAM kDevicesChanged = 1;
const WPARAM kInputReport = 4;
// A core-button report carried in the message itself, so it can be posted:
// lParam holds the device id in bits 16 to 23 and the button field in bits 0
// to 15. Sent by the project's own libraries only.
const WPARAM kButtons = 0x4B58;

inline LPARAM packButtons(int deviceId, unsigned buttons) {
    return static_cast<LPARAM>(((static_cast<unsigned>(deviceId) & 0xFFu) << 16) | (buttons & 0xFFFFu));
}

typedef BOOL(CALLBACK* EnumCallback)(int deviceId, void* context);

typedef BOOL(WINAPI* InitializeFn)(HWND window, UINT message, DWORD reserved1, DWORD reserved2);
typedef BOOL(WINAPI* OpenFn)();
typedef int(WINAPI* EnumDevicesFn)(EnumCallback callback, void* context, DWORD flags);
typedef BOOL(WINAPI* AcquireFn)(int deviceId);
typedef BOOL(WINAPI* UnacquireFn)(int deviceId);
typedef BOOL(WINAPI* SendDataFn)(int deviceId, const BYTE* report, DWORD size, DWORD* written);
typedef void(WINAPI* CloseFn)();
typedef void(WINAPI* TerminateFn)();
typedef BOOL(WINAPI* IsAvailableFn)();
typedef DWORD(WINAPI* GetVersionFn)();

}  // namespace WiimoteLibrary

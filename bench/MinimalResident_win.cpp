// The floor of the resident-memory comparison: what any program needs that
// keeps a hot key and one player connection, and nothing else. It registers
// Ctrl+Alt+Down, connects once to the player's automation object through
// IDispatch, lowers the player's volume on each press and pumps messages until
// WM_QUIT or its window is closed. Deliberately plain Win32 and COM: it uses
// none of the program's own code, so it measures the platform, not Kolibrix.
//
//   minimal_resident.exe        (the player must be running)
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>

namespace {

const CLSID kPlayerApp = {0xDC0C2640, 0x1415, 0x4644, {0x87, 0x5C, 0x6F, 0x4D, 0x76, 0x98, 0x39, 0xBA}};
const int kHotKeyId = 1;

bool dispIdOf(IDispatch* app, const wchar_t* name, DISPID& id) {
    LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
    return SUCCEEDED(app->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
}

// The player's volume goes down by 5, as the program's volume key does.
void volumeDown(IDispatch* app) {
    DISPID id = 0;
    if (!dispIdOf(app, L"SoundVolume", id)) return;
    VARIANT value;
    ::VariantInit(&value);
    DISPPARAMS none{};
    if (FAILED(app->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr)) ||
        FAILED(::VariantChangeType(&value, &value, 0, VT_I4))) {
        return;
    }
    value.lVal = value.lVal > 5 ? value.lVal - 5 : 0;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put{&value, &named, 1, 1};
    app->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    if (FAILED(::CoInitialize(nullptr))) return 1;
    int result = 0;
    IDispatch* app = nullptr;
    HRESULT hr =
        ::CoCreateInstance(kPlayerApp, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, reinterpret_cast<void**>(&app));
    // A window of its own, so that the bench can find it and close it.
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"MinimalResident";
    HWND window = nullptr;
    if (SUCCEEDED(hr) && ::RegisterClassW(&windowClass) != 0) {
        window =
            ::CreateWindowW(L"MinimalResident", L"MinimalResident", 0, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    }
    if (window == nullptr || !::RegisterHotKey(nullptr, kHotKeyId, MOD_CONTROL | MOD_ALT, VK_DOWN)) {
        std::fprintf(stderr, "minimal_resident: no player connection or no hot key (0x%08lx)\n",
                     static_cast<unsigned long>(hr));
        result = 1;
    } else {
        MSG msg;
        while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_HOTKEY && msg.wParam == kHotKeyId) volumeDown(app);
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::UnregisterHotKey(nullptr, kHotKeyId);
    }
    if (window != nullptr) ::DestroyWindow(window);
    if (app != nullptr) app->Release();
    ::CoUninitialize();
    return result;
}

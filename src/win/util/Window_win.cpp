#include "win/util/Window.h"

#include "win/util/CallbackGuard.h"

namespace tavel {
namespace win {
namespace util {

Window::~Window() { destroy(); }

void Window::destroy() {
    if (hwnd_ != nullptr) {
        HWND h = hwnd_;
        ::DestroyWindow(h);
        hwnd_ = nullptr;
        // A window of another thread cannot be destroyed from here; at least stop
        // it from calling back into a dead object.
        if (::IsWindow(h)) ::SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    }
}

bool Window::registerClass(const wchar_t* className, HCURSOR cursor, HBRUSH background) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    if (::GetClassInfoExW(instance, className, &wc)) return true;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &Window::windowProc;
    wc.hInstance = instance;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.lpszClassName = className;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND Window::create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, HWND parent, int x,
                    int y, int width, int height) {
    return ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, nullptr,
                             ::GetModuleHandleW(nullptr), this);
}

LRESULT Window::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return defaultHandling(message, wParam, lParam);
}

LRESULT CALLBACK Window::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<Window*>(cs->lpCreateParams);
        if (self != nullptr) {
            self->hwnd_ = hwnd;
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);

    // WM_CREATE failing must fail the creation; anything else is dropped.
    const LRESULT result = guarded(
        "Window", [&] { return self->handleMessage(message, wParam, lParam); },
        [&]() -> LRESULT { return message == WM_CREATE ? -1 : ::DefWindowProcW(hwnd, message, wParam, lParam); });
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        guardedOr("Window", 0, [self] {
            self->onFinalMessage();
            return 0;
        });
    }
    return result;
}

}  // namespace util
}  // namespace win
}  // namespace tavel

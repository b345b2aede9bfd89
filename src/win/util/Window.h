#pragma once
#include <windows.h>

#include <string>

namespace tavel {
namespace win {
namespace util {

// Base of every window class of the program. One window procedure binds the
// object to its HWND in WM_NCCREATE (so no early message is lost), unbinds it in
// WM_NCDESTROY and forwards everything else to handleMessage. No exception
// leaves the window procedure.
class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }
    bool exists() const { return hwnd_ != nullptr && ::IsWindow(hwnd_); }
    void destroy();

    // Registers (once per process) a class whose procedure is ours.
    static bool registerClass(const wchar_t* className, HCURSOR cursor = nullptr, HBRUSH background = nullptr);

protected:
    HWND create(const wchar_t* className, const wchar_t* title, DWORD style, DWORD exStyle, HWND parent,
                int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int width = CW_USEDEFAULT, int height = CW_USEDEFAULT);
    virtual LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT defaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::DefWindowProcW(hwnd_, message, wParam, lParam);
    }
    // Called after WM_NCDESTROY, when the handle is already gone.
    virtual void onFinalMessage() {}

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
};

}  // namespace util
}  // namespace win
}  // namespace tavel

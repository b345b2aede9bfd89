#include "notify/NotifyDesktop.h"

#include <windows.h>
#include <shellapi.h>

#include "win/util/CallbackGuard.h"
#include "win/util/SystemLibrary.h"

namespace tavelapp {
namespace {

NotifyLayout::Rect toRect(const RECT& r) { return NotifyLayout::Rect{r.left, r.top, r.right, r.bottom}; }

// GetDpiForMonitor is Windows 8.1 and later; looked up by name so Windows 7 still runs.
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

GetDpiForMonitorFn getDpiForMonitor() {
    static const GetDpiForMonitorFn fn = [] {
        HMODULE shcore = static_cast<HMODULE>(tavel::win::util::SystemLibrary::module(L"shcore.dll"));
        return shcore == nullptr ? nullptr
                                 : reinterpret_cast<GetDpiForMonitorFn>(
                                       reinterpret_cast<void*>(::GetProcAddress(shcore, "GetDpiForMonitor")));
    }();
    return fn;
}

int systemDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen != nullptr) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int monitorDpi(HMONITOR monitor) {
    if (GetDpiForMonitorFn fn = getDpiForMonitor()) {
        UINT x = 0, y = 0;
        if (SUCCEEDED(fn(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && x > 0) return static_cast<int>(x);
    }
    return systemDpi();
}

void addMonitorTo(HMONITOR monitor, LPARAM data) {
    auto* list = reinterpret_cast<std::vector<NotifyPlacement::Monitor>*>(data);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(monitor, &info)) return;
    NotifyPlacement::Monitor m;
    m.bounds = toRect(info.rcMonitor);
    m.work = toRect(info.rcWork);
    m.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    m.dpi = monitorDpi(monitor);
    list->push_back(m);
}

// A monitor that cannot be listed is left out; the others still are.
BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
    return tavel::win::util::guardedOr<BOOL>("NotifyDesktop", TRUE, [&] {
        addMonitorTo(monitor, data);
        return TRUE;
    });
}

class SystemDesktop : public NotifyDesktop {
public:
    std::vector<NotifyPlacement::Monitor> monitors() const override {
        std::vector<NotifyPlacement::Monitor> list;
        ::EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&list));
        return list;
    }

    std::optional<NotifyLayout::Rect> notificationArea() const override {
        HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr);
        if (taskbar == nullptr) return std::nullopt;
        // The clock and icons; the whole taskbar when that child is missing.
        HWND area = ::FindWindowExW(taskbar, nullptr, L"TrayNotifyWnd", nullptr);
        RECT r{};
        if (area == nullptr || !::GetWindowRect(area, &r) || ::IsRectEmpty(&r)) {
            if (!::IsWindowVisible(taskbar) || !::GetWindowRect(taskbar, &r) || ::IsRectEmpty(&r)) return std::nullopt;
        }
        return toRect(r);
    }

    int notificationState() const override {
        QUERY_USER_NOTIFICATION_STATE state{};
        if (FAILED(::SHQueryUserNotificationState(&state))) return NotifyPlacement::StateUnknown;
        return static_cast<int>(state);
    }
};

}  // namespace

std::shared_ptr<const NotifyDesktop> NotifyDesktop::system() {
    static const std::shared_ptr<const NotifyDesktop> desktop = std::make_shared<SystemDesktop>();
    return desktop;
}

}  // namespace tavelapp

#pragma once
#include <windows.h>

#include <string>

// Sends a test command to the running simulated player (see simplayer's
// ServerControl: "busy <ms>", "modal on|off", "refuse-advise on|off",
// "fire <event> [args]", "status"). True when the player answered that it
// understood and did it; false when it refused or no player runs.
inline bool simPlayerControl(const std::wstring& command) {
    const ULONG_PTR kControlDataId = 0x4B58;
    const HWND window = ::FindWindowW(L"iTunes", nullptr);
    if (window == nullptr) return false;
    COPYDATASTRUCT data{};
    data.dwData = kControlDataId;
    data.cbData = static_cast<DWORD>(command.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(command.data());
    DWORD_PTR answer = 0;
    if (::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                              &answer) == 0) {
        return false;
    }
    return answer == 1;
}

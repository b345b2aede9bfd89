#include "app/CommandChannel.h"

#include <shellapi.h>

#include <cstdint>
#include <cwchar>

#include "app/AppWnd.h"
#include "app/ControllerRules.h"
#include "config/Ini.h"
#include "config/Lang.h"
#include "win/util/CallbackGuard.h"
#include "win/util/Handle.h"

namespace tavelapp {
namespace {

const wchar_t kTargetProperty[] = L"Kolibrix.CommandTarget";

BOOL CALLBACK collectAppWindow(HWND hwnd, LPARAM param) {
    wchar_t name[64] = L"";
    const std::size_t prefix = std::wcslen(AppWnd::kClassPrefix);
    if (::GetClassNameW(hwnd, name, 64) > 0 && std::wcsncmp(name, AppWnd::kClassPrefix, prefix) == 0 &&
        ::GetPropW(hwnd, kTargetProperty) != nullptr) {
        *reinterpret_cast<HWND*>(param) = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND findAppWindow() {
    HWND found = nullptr;
    ::EnumWindows(&collectAppWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The copy that holds the single-instance mutex is the one that runs; a copy
// made to exit has let go of it already.
bool copyRuns() {
    HANDLE opened = ::OpenMutexW(SYNCHRONIZE, FALSE, ControllerRules::kSingleInstanceMutex);
    const DWORD error = ::GetLastError();
    const tavel::win::util::Handle mutex(opened);
    return opened != nullptr || error != ERROR_FILE_NOT_FOUND;
}

}  // namespace

std::vector<std::wstring> CommandChannel::arguments() {
    std::vector<std::wstring> out;
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (words == nullptr) return out;
    for (int i = 1; i < count; ++i)
        out.emplace_back(words[i]);
    ::LocalFree(words);
    return out;
}

int CommandChannel::run(CommandRequest::Parsed parsed, const CommandRequest& request) {
    switch (parsed) {
        case CommandRequest::Parsed::Help: {
            // Shown by hand: the user's language, the program not needed.
            // The running copy's language: its settings, read only.
            Ini::instance().load();
            Lang::instance().reload();
            // In parts: a language text holds 511 characters at most.
            std::wstring text;
            for (const wchar_t* key : {L"Intro", L"Usage", L"ExitCodes", L"Example"})
                text += (text.empty() ? L"" : L"\n\n") + formatText(Lang::instance().text(L"CommandLine", key));
            ::MessageBoxW(nullptr, text.c_str(), L"Kolibrix", MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
            return CommandRequest::kDone;
        }
        case CommandRequest::Parsed::Send:
            return send(request);
        case CommandRequest::Parsed::Start:
        case CommandRequest::Parsed::BadUsage:
            break;
    }
    // Callers are stream decks and schedulers: a box would hold them, the code tells.
    return CommandRequest::kBadUsage;
}

int CommandChannel::send(const CommandRequest& request) {
    std::vector<std::uint8_t> payload = request.encode();
    if (payload.empty()) return CommandRequest::kBadUsage;
    const DWORD start = ::GetTickCount();
    HWND window = nullptr;
    for (;;) {
        if (!copyRuns()) return CommandRequest::kNotRunning;
        // A copy starting (at logon, with the task that asks it) makes its window a little after the mutex.
        if ((window = findAppWindow()) != nullptr) break;
        if (::GetTickCount() - start >= kWindowWaitMs) return CommandRequest::kNoAnswer;
        ::Sleep(100);
    }
    COPYDATASTRUCT data{};
    data.dwData = CommandRequest::kMagic;
    data.cbData = static_cast<DWORD>(payload.size());
    data.lpData = payload.data();
    DWORD_PTR answer = 0;
    if (::SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kAnswerWaitMs,
                              &answer) == 0)
        return CommandRequest::kNoAnswer;
    const auto value = static_cast<std::uint32_t>(answer);
    if ((value & 0xFFFF0000u) != CommandRequest::kAnswerMark) return CommandRequest::kNoAnswer;
    return static_cast<int>(value & 0xFFFFu);
}

void CommandChannel::markTarget(HWND window) {
    ::SetPropW(window, kTargetProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(1)));
}

void CommandChannel::unmarkTarget(HWND window) { ::RemovePropW(window, kTargetProperty); }

LRESULT CommandChannel::receive(const COPYDATASTRUCT* data, CommandChannelListener& listener) {
    CommandRequest request;
    int code = CommandRequest::kBadUsage;
    if (data != nullptr && data->dwData == CommandRequest::kMagic &&
        CommandRequest::decode(data->lpData, data->cbData, request)) {
        code = tavel::win::util::guardedOr("command line request", static_cast<int>(CommandRequest::kBusy),
                                           [&] { return listener.onCommandRequest(request); });
    }
    return static_cast<LRESULT>(CommandRequest::kAnswerMark | static_cast<std::uint32_t>(code));
}

}  // namespace tavelapp

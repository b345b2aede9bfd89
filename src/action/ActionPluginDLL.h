#pragma once
#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "action/ActionPlugin.h"
#include "base/RunningThreads.h"

namespace tavelapp {

// An action plug-in library (a DLL in a sub-folder of Actions) seen through
// its fixed set of __stdcall exports. Every export is optional; a missing one
// answers with a fixed default. A library that does not load is an inert
// plug-in named "".
class ActionPluginDLL : public ActionPlugin {
public:
    using InitializeProc = int(WINAPI*)(HWND window, UINT message, UINT index);
    using TerminateProc = int(WINAPI*)();
    using GetPluginInfoProc = int(WINAPI*)(int kind, wchar_t* buffer, int bufferBytes);
    using NameQueryProc = BOOL(WINAPI*)(const wchar_t* name);
    using RunActionProc = int(WINAPI*)(const wchar_t* name, const wchar_t** params, int count);
    using PlayerProc = BOOL(WINAPI*)();
    using GetCurrentPlayerStateProc = BOOL(WINAPI*)(wchar_t* buffer, int bufferBytes);
    using ObservationProc = BOOL(WINAPI*)();

    // Buffer sizes handed to the library, in characters.
    static constexpr int kInfoChars = 256;
    static constexpr int kStateChars = 4096;

    // Loads the library, initialises it with (window, WM_USER, index), reads its
    // names and starts its observation when it is not observing yet.
    ActionPluginDLL(void* window, int index, const std::wstring& path);
    // Waits for its running actions, ends observation and terminates the
    // library. The library itself stays loaded.
    ~ActionPluginDLL() override;
    ActionPluginDLL(const ActionPluginDLL&) = delete;
    ActionPluginDLL& operator=(const ActionPluginDLL&) = delete;

    std::wstring GetName() override { return name_; }
    std::wstring GetTargetName() override { return targetName_; }
    bool ActionExists(const std::wstring& name) override;
    bool IsActionAvailable(const std::wstring& name) override;
    bool IsPlayerAction(const std::wstring& name) override;
    int RunAction(const ActionListItemPtr& entry, const std::wstring& name,
                  const std::vector<std::wstring>& params) override;
    bool IsUtility() override;
    bool IsPlayerRunning() override;
    bool GetCurrentPlayerState(std::wostream& stream) override;
    bool StartObservation() override;
    bool EndObservation() override;
    bool IsObserving() override;

    bool loaded() const { return module_ != nullptr; }
    // The library's RunAction, for the worker thread; null when missing.
    RunActionProc runActionProc() const { return runAction_; }
    // Library actions still listed as running (finished ones are dropped lazily).
    std::size_t runningActions() const { return threads_.size(); }
    bool waitForActions(unsigned int ms) { return threads_.waitAllFor(ms); }
    // Ends the library's observation and terminates it, once (at exit, on the
    // main thread, while COM still runs).
    void end();

private:
    std::wstring readInfo(int kind);

    InitializeProc initialize_ = nullptr;
    TerminateProc terminate_ = nullptr;
    GetPluginInfoProc getPluginInfo_ = nullptr;
    NameQueryProc actionExists_ = nullptr;
    NameQueryProc isActionAvailable_ = nullptr;
    NameQueryProc isPlayerAction_ = nullptr;
    RunActionProc runAction_ = nullptr;
    PlayerProc bootPlayer_ = nullptr;
    PlayerProc quitPlayer_ = nullptr;
    PlayerProc isPlayerRunning_ = nullptr;
    GetCurrentPlayerStateProc getCurrentPlayerState_ = nullptr;
    ObservationProc startObservation_ = nullptr;
    ObservationProc endObservation_ = nullptr;
    ObservationProc isObserving_ = nullptr;

    HMODULE module_ = nullptr;
    bool ended_ = false;
    std::wstring name_;
    std::wstring targetName_;
    RunningThreads threads_;
};

}  // namespace tavelapp

#include "action/ActionPluginDLL.h"

#include <memory>

#include "action/RunActionThread.h"
#include "win/util/DllSearch.h"

namespace tavelapp {

namespace {

// GetProcAddress hands out a generic pointer; going through void(*)() keeps
// the cast to the real signature free of function-type warnings.
template <typename Proc>
Proc resolve(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace

ActionPluginDLL::ActionPluginDLL(void* window, int index, const std::wstring& path) {
    notifyWindow = window;
    this->index = index;

    module_ = tavel::win::util::DllSearch::loadInstalled(path);
    if (module_ == nullptr) return;

    initialize_ = resolve<InitializeProc>(module_, "Initialize");
    terminate_ = resolve<TerminateProc>(module_, "Terminate");
    getPluginInfo_ = resolve<GetPluginInfoProc>(module_, "GetPluginInfo");
    actionExists_ = resolve<NameQueryProc>(module_, "ActionExists");
    isActionAvailable_ = resolve<NameQueryProc>(module_, "IsActionAvailable");
    isPlayerAction_ = resolve<NameQueryProc>(module_, "IsPlayerAction");
    runAction_ = resolve<RunActionProc>(module_, "RunAction");
    bootPlayer_ = resolve<PlayerProc>(module_, "BootPlayer");
    quitPlayer_ = resolve<PlayerProc>(module_, "QuitPlayer");
    isPlayerRunning_ = resolve<PlayerProc>(module_, "IsPlayerRunning");
    getCurrentPlayerState_ = resolve<GetCurrentPlayerStateProc>(module_, "GetCurrentPlayerState");
    startObservation_ = resolve<ObservationProc>(module_, "StartObservation");
    endObservation_ = resolve<ObservationProc>(module_, "EndObservation");
    isObserving_ = resolve<ObservationProc>(module_, "IsObserving");

    if (initialize_ != nullptr) initialize_(static_cast<HWND>(window), WM_USER, static_cast<UINT>(index));

    name_ = readInfo(1);
    targetName_ = readInfo(4);

    if (isObserving_ != nullptr && !isObserving_() && startObservation_ != nullptr) startObservation_();
}

ActionPluginDLL::~ActionPluginDLL() {
    // The library must not be terminated under a running action.
    threads_.waitAll();
    end();
    // No FreeLibrary: a library may still have threads or posted work of its own.
}

void ActionPluginDLL::end() {
    if (module_ == nullptr || ended_) return;
    ended_ = true;
    if ((isObserving_ == nullptr || isObserving_()) && endObservation_ != nullptr) endObservation_();
    if (terminate_ != nullptr) terminate_();
}

std::wstring ActionPluginDLL::readInfo(int kind) {
    if (getPluginInfo_ == nullptr) return std::wstring();
    wchar_t buffer[kInfoChars] = {};
    getPluginInfo_(kind, buffer, static_cast<int>(sizeof(buffer)));
    // A library may fill the whole buffer without a terminator.
    buffer[kInfoChars - 1] = L'\0';
    return std::wstring(buffer);
}

bool ActionPluginDLL::ActionExists(const std::wstring& name) {
    return actionExists_ != nullptr && actionExists_(name.c_str()) != FALSE;
}

bool ActionPluginDLL::IsActionAvailable(const std::wstring& name) {
    return isActionAvailable_ == nullptr || isActionAvailable_(name.c_str()) != FALSE;
}

bool ActionPluginDLL::IsPlayerAction(const std::wstring& name) {
    return isPlayerAction_ == nullptr || isPlayerAction_(name.c_str()) != FALSE;
}

int ActionPluginDLL::RunAction(const ActionListItemPtr&, const std::wstring& name,
                               const std::vector<std::wstring>& params) {
    const bool notify = IsPlayerAction(name);
    threads_.start(std::make_shared<RunActionThread>(*this, name, params, notify));
    return 0;
}

bool ActionPluginDLL::IsUtility() { return name_.compare(0, 7, L"Player/") != 0; }

bool ActionPluginDLL::IsPlayerRunning() { return isPlayerRunning_ != nullptr && isPlayerRunning_() != FALSE; }

bool ActionPluginDLL::GetCurrentPlayerState(std::wostream& stream) {
    if (getCurrentPlayerState_ == nullptr) return false;
    std::vector<wchar_t> buffer(kStateChars, L'\0');
    if (getCurrentPlayerState_(buffer.data(), static_cast<int>(buffer.size() * sizeof(wchar_t))) == FALSE) return false;
    // A library may fill the whole buffer without a terminator.
    buffer.back() = L'\0';
    stream << buffer.data();
    return true;
}

bool ActionPluginDLL::StartObservation() { return startObservation_ != nullptr && startObservation_() != FALSE; }

bool ActionPluginDLL::EndObservation() { return endObservation_ != nullptr && endObservation_() != FALSE; }

bool ActionPluginDLL::IsObserving() { return isObserving_ == nullptr || isObserving_() != FALSE; }

}  // namespace tavelapp

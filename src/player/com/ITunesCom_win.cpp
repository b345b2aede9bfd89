#include "player/com/ITunesCom.h"

#include <ocidl.h>
#include <shellapi.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "base/AppException.h"
#include "player/com/ComPlayer.h"
#include "player/com/ITunesEvents.h"
#include "win/util/Com.h"
#include "win/util/ComPtr.h"
#include "win/util/Handle.h"
#include "win/util/CallbackGuard.h"

using tavel::win::util::ComPtr;

namespace tavelapp {
namespace {

// {DC0C2640-1415-4644-875C-6F4D769839BA}
const CLSID kITunesApp = {0xDC0C2640, 0x1415, 0x4644, {0x87, 0x5C, 0x6F, 0x4D, 0x76, 0x98, 0x39, 0xBA}};
const wchar_t kAppPathsKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iTunes.exe";

std::mutex waitsLock;
ITunesCom::Waits currentWaits;
std::condition_variable stopped;
bool stopping = false;  // under waitsLock

}  // namespace

void ITunesCom::setWaits(const Waits& newWaits) {
    std::lock_guard<std::mutex> guard(waitsLock);
    currentWaits = newWaits;
}

ITunesCom::Waits ITunesCom::waits() {
    std::lock_guard<std::mutex> guard(waitsLock);
    return currentWaits;
}

bool ITunesCom::pause(DWORD ms) {
    std::unique_lock<std::mutex> guard(waitsLock);
    return !stopped.wait_for(guard, std::chrono::milliseconds(ms), [] { return stopping; });
}

void ITunesCom::stopWaiting() {
    {
        std::lock_guard<std::mutex> guard(waitsLock);
        stopping = true;
    }
    stopped.notify_all();
}

ITunesCom::~ITunesCom() { disconnect(); }

bool ITunesCom::connect() {
    if (app_) return true;
    const Waits w = waits();

    if (!isITunesRunning()) {
        if (singleAttempt_) return false;
        // When the player cannot even be started, waiting for its window only
        // holds every other action up for minutes.
        if (!bootITunes(false)) return false;
        for (int tries = 0; !isITunesRunning(); ++tries) {
            if (tries >= w.windowTries || !pause(w.pauseMs)) return false;
        }
    }

    HRESULT hr =
        ::CoCreateInstance(kITunesApp, nullptr, CLSCTX_ALL, IID_IDispatch, reinterpret_cast<void**>(dispatch_.put()));
    for (int retries = 0; FAILED(hr) || !dispatch_; ++retries) {
        if (singleAttempt_ || retries >= w.createTries || !pause(w.pauseMs)) return false;
        hr = ::CoCreateInstance(kITunesApp, nullptr, CLSCTX_ALL, IID_IDispatch,
                                reinterpret_cast<void**>(dispatch_.put()));
    }
    app_ = itunes::makeComApp(dispatch_);
    if (listener_ == nullptr) return true;

    ITunesEvents* sink = ITunesEvents::create();
    if (sink == nullptr) {
        disconnect();
        return false;
    }
    sink_.reset(sink, [](ITunesEvents* s) { s->Release(); });
    sink->setListener(listener_);
    if (sink->cookie != ITunesEvents::kNotAdvised) {
        adviseResult_ = E_FAIL;
        disconnect();
        return false;
    }
    auto container = dispatch_.as<IConnectionPointContainer>(IID_IConnectionPointContainer);
    ComPtr<IConnectionPoint> point;
    adviseResult_ = container ? container->FindConnectionPoint(ITunesEvents::kEventsIid, point.put()) : E_NOINTERFACE;
    if (SUCCEEDED(adviseResult_) && !point) adviseResult_ = E_NOINTERFACE;
    if (SUCCEEDED(adviseResult_)) {
        DWORD cookie = 0;
        adviseResult_ = point->Advise(static_cast<IDispatch*>(sink), &cookie);
        if (SUCCEEDED(adviseResult_)) sink->cookie = cookie;
    }
    if (FAILED(adviseResult_)) {
        // Connected without events would count as observing while every
        // event is lost; closed, the observation timer tries again.
        const HRESULT failure = adviseResult_;
        disconnect();
        adviseResult_ = failure;
        return false;
    }
    return true;
}

void ITunesCom::disconnect() {
    if (sink_) {
        if (listener_ != nullptr) {
            sink_->setListener(nullptr);
            if (sink_->cookie != ITunesEvents::kNotAdvised && dispatch_) {
                auto container = dispatch_.as<IConnectionPointContainer>(IID_IConnectionPointContainer);
                ComPtr<IConnectionPoint> point;
                if (container && SUCCEEDED(container->FindConnectionPoint(ITunesEvents::kEventsIid, point.put())) &&
                    point) {
                    point->Unadvise(sink_->cookie);
                }
            }
            sink_->cookie = ITunesEvents::kNotAdvised;
        }
        sink_.reset();
    }
    app_.reset();
    dispatch_.reset();
}

std::shared_ptr<itunes::App>& ITunesCom::app() {
    if (!connect()) throw AppException();
    return app_;
}

bool isITunesRunning() { return ::FindWindowA("iTunes", nullptr) != nullptr; }

namespace {
const DWORD kBootWaitMs = 180000;
}  // namespace

bool bootITunes(bool wait) {
    if (isITunesRunning()) return true;
    tavel::win::util::RegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kAppPathsKey, 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS)
        return false;
    wchar_t path[256] = L"";  // 512 bytes
    DWORD size = sizeof(path) - sizeof(wchar_t);
    DWORD type = 0;
    const LONG read = ::RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    key.reset();
    if (read != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || path[0] == L'\0') return false;
    path[size / sizeof(wchar_t)] = L'\0';

    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpFile = path;
    info.nShow = SW_SHOW;
    if (!::ShellExecuteExW(&info)) return false;
    if (info.hProcess != nullptr) {
        // No caller waits today; one that did would wait no longer than a
        // start-up is given, not for as long as the player runs.
        if (wait) ::WaitForSingleObject(info.hProcess, kBootWaitMs);
        ::CloseHandle(info.hProcess);
    }
    return true;
}

bool quitITunes() {
    if (!isITunesRunning()) return true;
    tavel::win::util::ComApartment apartment;
    // The player may be gone already.
    tavel::win::util::guarded("quitITunes", [] {
        ITunesCom com;
        com.app()->quit();
    });
    return true;
}

}  // namespace tavelapp

#include "input/WiimoteMgr.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <type_traits>

#include "base/AppPaths.h"
#include "config/Ini.h"
#include "notify/PlayerStateFactory.h"
#include "win/util/CallbackGuard.h"
#include "win/util/DllSearch.h"
#include "win/util/Handle.h"
#include "win/util/MainThread.h"

namespace tavelapp {
namespace {

using tavel::win::util::MainThread;

const wchar_t kClassName[] = L"WiimoteServer_EventHandlerWnd";
const unsigned int kEffectTickMs = 100;

// Every library message is handled inside it, whatever thread the library sends from.
std::recursive_mutex& messageLock() {
    static std::recursive_mutex lock;
    return lock;
}

using tavel::win::util::Module;

template <typename Fn>
bool resolve(HMODULE module, const char* name, Fn& fn) {
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return fn != nullptr;
}

// The change detector's worker hands the new lamp state over.
void lampsFromSnapshot(const PlayerState& state) {
    WiimoteMgr::requestLEDs(WiimoteRules::ledPattern(Ini::snapshot()->wiimote.led, state));
}

}  // namespace

struct WiimoteMgr::Library {
    Module module;
    WiimoteLibrary::InitializeFn initialize = nullptr;
    WiimoteLibrary::OpenFn open = nullptr;
    WiimoteLibrary::EnumDevicesFn enumDevices = nullptr;
    WiimoteLibrary::AcquireFn acquire = nullptr;
    WiimoteLibrary::UnacquireFn unacquire = nullptr;
    WiimoteLibrary::SendDataFn sendData = nullptr;
    WiimoteLibrary::CloseFn close = nullptr;
    WiimoteLibrary::TerminateFn terminate = nullptr;
    WiimoteLibrary::IsAvailableFn isAvailable = nullptr;
    WiimoteLibrary::GetVersionFn getVersion = nullptr;

    bool resolveAll() {
        HMODULE m = module.get();
        return resolve(m, "Initialize", initialize) && resolve(m, "Open", open) &&
               resolve(m, "EnumDevices", enumDevices) && resolve(m, "Acquire", acquire) &&
               resolve(m, "Unacquire", unacquire) && resolve(m, "SendData", sendData) && resolve(m, "Close", close) &&
               resolve(m, "Terminate", terminate) && resolve(m, "IsAvailable", isAvailable) &&
               resolve(m, "GetVersion", getVersion);
    }
};

WiimoteMgr::EventHandlerWnd::EventHandlerWnd(WiimoteMgr& manager) : manager_(manager) {
    registerClass(kClassName);
    create(kClassName, L"", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, nullptr);
}

LRESULT WiimoteMgr::EventHandlerWnd::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WiimoteLibrary::kMessage) {
        std::lock_guard<std::recursive_mutex> guard(messageLock());
        manager_.onLibraryMessage(wParam, lParam);
        return 0;
    }
    return defaultHandling(message, wParam, lParam);
}

WiimoteMgr& WiimoteMgr::instance() {
    // Never destroyed: its timer and window must not outlive the main thread's end.
    static WiimoteMgr* manager = new WiimoteMgr;
    return *manager;
}

WiimoteMgr::WiimoteMgr() = default;

WiimoteMgr::~WiimoteMgr() = default;

void WiimoteMgr::load() { load(AppPaths::settingsFolder() + L"\\Libraries\\Wiimote.dll"); }

bool WiimoteMgr::load(const std::wstring& path) {
    MainThread::check("WiimoteMgr::load");
    if (isLoaded()) unload();
    loadError_ = L"WiimoteDllLoadError";
    auto library = std::make_unique<Library>();
    library->module.reset(tavel::win::util::DllSearch::loadInstalled(path));
    if (!library->module) return false;
    if (!library->resolveAll()) {
        loadError_ = L"WiimoteDllEntryPoint";
        return false;
    }
    auto window = std::make_shared<EventHandlerWnd>(*this);
    if (!window->exists()) return false;
    window_ = window;
    effectTimer_ = std::make_unique<tavel::win::timer::Timer>();
    effectTimer_->setListener(this);
    library_ = std::move(library);
    loaded_.store(true);
    loadError_.clear();
    library_->initialize(window_->hwnd(), WiimoteLibrary::kMessage, 0, 0);
    library_->open();
    WiimoteRules::setLampSink(&lampsFromSnapshot);
    return true;
}

void WiimoteMgr::unload() {
    MainThread::check("WiimoteMgr::unload");
    if (!isLoaded()) return;
    WiimoteRules::setLampSink(nullptr);
    window_.reset();
    effectTimer_.reset();
    effectRunning_ = false;
    release();
    library_->close();
    library_->terminate();
    loaded_.store(false);
    library_.reset();
    devices_.clear();
    loadError_ = L"WiimoteDllLoadError";
}

void WiimoteMgr::connect() {
    release();
    if (!isLoaded()) return;
    devices_.clear();
    library_->enumDevices(&WiimoteMgr::onDevice, this, 0);
    if (!devices_.empty()) {
        library_->acquire(devices_.front()->id);
        send(WiimoteRules::statusRequest());
    }
    acquired_ = true;
}

void WiimoteMgr::release() {
    if (acquired_ && isLoaded() && !devices_.empty()) {
        send(WiimoteRules::ledReport(0));
        send(WiimoteRules::rumbleReport(false));
        library_->unacquire(devices_.front()->id);
    }
    acquired_ = false;
}

void WiimoteMgr::reconnect() {
    release();
    connect();
}

BOOL CALLBACK WiimoteMgr::onDevice(int deviceId, void* context) {
    return tavel::win::util::guardedOr<BOOL>("WiimoteMgr", TRUE, [&]() -> BOOL {
        auto device = std::make_shared<Wiimote>();
        device->id = static_cast<std::uint8_t>(deviceId & 0xFF);
        static_cast<WiimoteMgr*>(context)->devices_.push_back(device);
        return TRUE;
    });
}

void WiimoteMgr::setLEDs(std::uint8_t pattern) {
    pattern_ = pattern;
    if (!effectRunning_) send(WiimoteRules::ledReport(pattern));
}

void WiimoteMgr::startEffect(int pattern) {
    if (!isLoaded() || !effectTimer_) return;
    effect_ = pattern;
    effectRunning_ = true;
    step_ = 0;
    static_cast<void>(effectTimer_->start(kEffectTickMs));
    send(WiimoteRules::ledReport(0));
}

void WiimoteMgr::refreshLEDs() {
    if (!isLoaded()) return;
    PlayerState empty;
    PlayerStateFactory::StatePtr latest;
    if (PlayerStateFactory* factory = PlayerStateFactory::instanceIfCreated()) latest = factory->latest();
    setLEDs(WiimoteRules::ledPattern(Ini::instance().wiimote.led, latest ? *latest : empty));
}

void WiimoteMgr::requestEffect(int pattern) {
    static_cast<void>(MainThread::run([pattern] {
        WiimoteMgr& manager = instance();
        if (manager.isLoaded()) manager.startEffect(pattern);
    }));
}

void WiimoteMgr::requestLEDs(std::uint8_t pattern) {
    static_cast<void>(MainThread::run([pattern] {
        WiimoteMgr& manager = instance();
        if (manager.isLoaded()) manager.setLEDs(pattern);
    }));
}

void WiimoteMgr::addListener(WiimoteMgrListener* listener) { listeners_.insert(listener); }

void WiimoteMgr::removeListener(WiimoteMgrListener* listener) { listeners_.erase(listener); }

void WiimoteMgr::onTimer(tavel::win::timer::Timer& timer) {
    if (&timer != effectTimer_.get()) return;
    if (step_ >= WiimoteRules::kEffectFrames) {
        timer.stop();
        effectRunning_ = false;
        send(WiimoteRules::rumbleReport(false));
        refreshLEDs();
        return;
    }
    const WiimoteRules::Frame frame = WiimoteRules::effectFrame(effect_, step_);
    send(WiimoteRules::ledReport(frame.pattern));
    if (frame.rumble != WiimoteRules::Frame::kKeep)
        send(WiimoteRules::rumbleReport(frame.rumble == WiimoteRules::Frame::kOn));
    ++step_;
}

void WiimoteMgr::onLibraryMessage(WPARAM wParam, LPARAM lParam) {
    if (!isLoaded()) return;
    if (wParam == WiimoteLibrary::kDevicesChanged) {
        reconnect();
    } else if (wParam == WiimoteLibrary::kInputReport && lParam != 0) {
        // Read by offset: the record belongs to the library.
        WiimoteRules::InputRecord record;
        std::memcpy(&record, reinterpret_cast<const void*>(lParam), sizeof(record));
        onInputReport(record);
    } else if (wParam == WiimoteLibrary::kButtons) {
        const auto packed = static_cast<std::uint32_t>(lParam);
        const std::uint8_t data[2] = {static_cast<std::uint8_t>(packed >> 8), static_cast<std::uint8_t>(packed)};
        WiimoteRules::InputRecord record;
        record.device = static_cast<std::uint8_t>(packed >> 16);
        record.reportId = WiimoteRules::kButtonsReport;
        record.data = data;
        onInputReport(record);
    }
}

void WiimoteMgr::onInputReport(const WiimoteRules::InputRecord& record) {
    if (record.reportId != WiimoteRules::kButtonsReport || record.data == nullptr) return;
    const std::uint16_t now = WiimoteRules::buttonField(record.data[0], record.data[1]);
    const std::uint16_t last = buttons_;
    buttons_ = now;
    for (const WiimoteRules::ButtonChange& change : WiimoteRules::changes(last, now)) {
        // An action may take a server away (or bring a new one) meanwhile.
        const std::set<WiimoteMgrListener*> current = listeners_;
        for (WiimoteMgrListener* listener : current)
            if (listeners_.count(listener) != 0) listener->onButton(*this, change.index, change.pressed);
    }
}

void WiimoteMgr::send(const WiimoteRules::OutputReport& report) {
    if (!isLoaded() || devices_.empty()) return;
    DWORD written = 0;
    library_->sendData(devices_.front()->id, report.data(), static_cast<DWORD>(report.size()), &written);
}

}  // namespace tavelapp

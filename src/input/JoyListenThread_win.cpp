#include "input/JoyListenThread.h"

#include "base/AppException.h"
#include "win/util/CallbackGuard.h"

namespace tavelapp {
namespace {

const DWORD kStopPollMs = 100;

}  // namespace

JoyListenThread::JoyListenThread(JoyListenThreadListener* listener)
    : listener_(listener), device_(DInput::instance().device()) {
    if (!device_) throw AppException(L"JoyInitialize");
    DInput::instance().initialize();
    event_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    device_->Unacquire();
    if (!event_ || FAILED(device_->SetEventNotification(event_.get()))) {
        device_->Acquire();
        device_.reset();
        DInput::instance().release();
        throw AppException(L"JoySetEventNotification");
    }
    device_->Acquire();
}

JoyListenThread::~JoyListenThread() {
    // The thread ends first: while reading it would take the device back.
    if (event_) {
        stopping_ = true;
        ::SetEvent(event_.get());
        while (started() && !finished() && running_.load())
            ::Sleep(kStopPollMs);
    }
    wait();
    if (device_) {
        // The notification can only change while the device is not acquired.
        device_->Unacquire();
        device_->SetEventNotification(nullptr);
    }
    event_.reset();
    device_.reset();
    DInput::instance().release();
}

void JoyListenThread::wake() {
    if (event_) ::SetEvent(event_.get());
}

int JoyListenThread::run() {
    running_ = true;
    HANDLE handles[] = {event_.get()};
    for (;;) {
        const DWORD woke = ::MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, QS_ALLINPUT);
        if (stopping_.load()) break;
        if (woke == WAIT_OBJECT_0) {
            readBuffer();
            continue;
        }
        if (woke != WAIT_OBJECT_0 + 1) break;
        MSG message;
        bool quit = false;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) quit = true;
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (quit) break;
    }
    running_ = false;
    return 0;
}

bool JoyListenThread::reacquire() {
    const HRESULT result = device_->Acquire();
    return SUCCEEDED(result) || result == DIERR_OTHERAPPHASPRIO;
}

void JoyListenThread::readBuffer() {
    if (lost_.load()) return;
    bool retried = false;
    while (!stopping_.load()) {
        DIDEVICEOBJECTDATA_DX3 item{};
        DWORD count = 1;
        const HRESULT result =
            device_->GetDeviceData(sizeof item, reinterpret_cast<LPDIDEVICEOBJECTDATA>(&item), &count, 0);
        if (result == DIERR_INPUTLOST || result == DIERR_NOTACQUIRED) {
            // Taken away for a moment (another program, power saving) or
            // pulled out: one new acquisition tells which.
            if (!retried && reacquire()) {
                retried = true;
                continue;
            }
            lost_ = true;
            if (listener_ != nullptr) listener_->onJoyLost(*this);
            return;
        }
        if (FAILED(result) || count == 0) return;
        const std::optional<JoyRules::Event> event = decoder_.decode(item.dwOfs, item.dwData);
        if (!event || listener_ == nullptr) continue;
        // One failed dispatch must not end the listening.
        tavel::win::util::guarded("JoyListenThread",
                                  [&] { listener_->onJoyEvent(*this, event->code, event->pressed); });
    }
}

}  // namespace tavelapp

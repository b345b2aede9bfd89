#pragma once

namespace tavel {
namespace win {
namespace util {

// COM for the calling thread (single-threaded apartment), with a message
// filter that retries calls a busy server rejects. Balanced: the destructor
// uninitialises only what the constructor initialised. Nothing off Windows.
class ComApartment {
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    bool initialized() const { return initialized_; }

private:
    bool initialized_ = false;
    // Used on Windows only.
    [[maybe_unused]] bool filterRegistered_ = false;
    [[maybe_unused]] void* previousFilter_ = nullptr;
};

// How long a call rejected by a busy player is retried before it fails
// (milliseconds; shared by the message filter and the call wrapper).
unsigned long busyRetryMs();
void setBusyRetryMs(unsigned long ms);

}  // namespace util
}  // namespace win
}  // namespace tavel

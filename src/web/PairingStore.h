#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tavelapp {

// Who may use the web remote: a 6-digit code shown on the PC pairs a device,
// which then holds a random token; only the token's hash is kept. Too many
// wrong codes lock the sender's address out for a while. Not thread-safe: the
// server's one thread owns it.
class PairingStore {
public:
    struct Device {
        std::string hash;  // SHA-256 of the token, hexadecimal
        std::wstring name;
        std::int64_t pairedAt = 0;  // seconds since 1970, UTC
        std::int64_t lastUse = 0;
    };
    // Fills the buffer from the system's cryptographic generator; false on failure.
    using Random = std::function<bool(std::uint8_t*, std::size_t)>;

    static const std::int64_t kCodeLifeMs = 120000;
    static const int kWrongCodesPerAddress = 5;
    static const std::int64_t kLockoutMs = 300000;
    // One code withstands this many wrong guesses from all addresses together.
    static const int kWrongCodesPerCode = 10;
    static const std::size_t kMaxDevices = 64;
    static const std::size_t kMaxTrackedAddresses = 1024;
    static const std::size_t kMaxNameLength = 64;

    explicit PairingStore(Random random);

    void setDevices(std::vector<Device> devices);
    const std::vector<Device>& devices() const { return devices_; }

    // The code to show for a request from `address`: the pending one if any,
    // else a new one. False when the address is locked out or no random bytes came.
    bool requestCode(const std::string& address, std::int64_t nowMs, std::string& code, std::int64_t& expiresInMs);

    enum class Outcome { Paired, Wrong, LockedOut, Failed };
    // A right code pairs once: the token comes back and the device is stored
    // (the least recently used one goes when the list is full).
    Outcome pair(const std::string& address, const std::string& code, const std::wstring& name, std::int64_t nowMs,
                 std::int64_t nowSeconds, std::string& token);
    bool lockedOut(const std::string& address, std::int64_t nowMs) const;

    // Whether the token belongs to a paired device; marks its last use.
    bool knows(const std::string& token, std::int64_t nowSeconds);
    // True once the device list changed in a way worth saving (pairing, and a
    // last use an hour or more after the saved one); cleared by taking it.
    bool takeChanged();

    // A device name as shown: control characters dropped, cut to the limit, "?" when empty.
    static std::wstring cleanName(const std::wstring& name);

private:
    struct Failures {
        int count = 0;
        std::int64_t firstMs = 0;
        std::int64_t lockedUntilMs = 0;
    };
    void forgetOldFailures(std::int64_t nowMs);

    Random random_;
    std::vector<Device> devices_;
    std::map<std::string, std::int64_t> savedUse_;  // hash -> last use as saved
    std::string code_;
    std::int64_t codeExpiresMs_ = 0;
    int codeWrongGuesses_ = 0;
    std::map<std::string, Failures> failures_;
    bool changed_ = false;
};

}  // namespace tavelapp

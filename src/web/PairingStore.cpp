#include "web/PairingStore.h"

#include <algorithm>

#include "web/Sha256.h"

namespace tavelapp {
namespace {

const std::int64_t kLastUseSaveSeconds = 3600;

// Unlike ==, the time does not tell how much of a hash matched.
bool sameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

}  // namespace

PairingStore::PairingStore(Random random) : random_(std::move(random)) {}

void PairingStore::setDevices(std::vector<Device> devices) {
    devices_ = std::move(devices);
    savedUse_.clear();
    for (const Device& device : devices_)
        savedUse_[device.hash] = device.lastUse;
}

std::wstring PairingStore::cleanName(const std::wstring& name) {
    std::wstring out;
    for (const wchar_t c : name) {
        if (c < 0x20 || c == 0x7F || (c >= 0xD800 && c <= 0xDFFF)) continue;
        if (out.size() >= kMaxNameLength) break;
        out.push_back(c);
    }
    return out.empty() ? L"?" : out;
}

void PairingStore::forgetOldFailures(std::int64_t nowMs) {
    for (auto it = failures_.begin(); it != failures_.end();) {
        const Failures& f = it->second;
        const bool over = f.lockedUntilMs != 0 ? nowMs >= f.lockedUntilMs : nowMs - f.firstMs >= kLockoutMs;
        it = over ? failures_.erase(it) : std::next(it);
    }
}

bool PairingStore::lockedOut(const std::string& address, std::int64_t nowMs) const {
    const auto it = failures_.find(address);
    return it != failures_.end() && it->second.lockedUntilMs != 0 && nowMs < it->second.lockedUntilMs;
}

bool PairingStore::requestCode(const std::string& address, std::int64_t nowMs, std::string& code,
                               std::int64_t& expiresInMs) {
    if (lockedOut(address, nowMs)) return false;
    // A pending code stays: a second request must not void the one being typed.
    if (code_.empty() || nowMs >= codeExpiresMs_) {
        // 2^32 is no multiple of a million: values above the last whole run are drawn again.
        std::uint32_t value = 0xFFFFFFFFu;
        for (int tries = 0; tries < 16 && value >= 4294000000u; ++tries) {
            std::uint8_t bytes[4];
            if (!random_ || !random_(bytes, sizeof(bytes))) return false;
            value = static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
                    static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
        }
        if (value >= 4294000000u) return false;
        const std::string digits = std::to_string(value % 1000000u);
        code_ = std::string(6 - digits.size(), '0') + digits;
        codeExpiresMs_ = nowMs + kCodeLifeMs;
        codeWrongGuesses_ = 0;
    }
    code = code_;
    expiresInMs = codeExpiresMs_ - nowMs;
    return true;
}

PairingStore::Outcome PairingStore::pair(const std::string& address, const std::string& code, const std::wstring& name,
                                         std::int64_t nowMs, std::int64_t nowSeconds, std::string& token) {
    forgetOldFailures(nowMs);
    if (lockedOut(address, nowMs)) return Outcome::LockedOut;
    const bool valid = !code_.empty() && nowMs < codeExpiresMs_;
    if (!valid || !sameText(code, code_)) {
        if (valid && ++codeWrongGuesses_ >= kWrongCodesPerCode) code_.clear();
        if (failures_.size() >= kMaxTrackedAddresses && failures_.find(address) == failures_.end()) {
            // Full of guessers: the one that started longest ago is forgotten.
            auto oldest = std::min_element(failures_.begin(), failures_.end(), [](const auto& a, const auto& b) {
                return a.second.firstMs < b.second.firstMs;
            });
            failures_.erase(oldest);
        }
        Failures& f = failures_[address];
        if (f.count == 0) f.firstMs = nowMs;
        if (++f.count >= kWrongCodesPerAddress) f.lockedUntilMs = nowMs + kLockoutMs;
        return Outcome::Wrong;
    }
    std::uint8_t bytes[16];
    if (!random_ || !random_(bytes, sizeof(bytes))) return Outcome::Failed;
    code_.clear();
    failures_.erase(address);
    token = Sha256::hex(bytes, sizeof(bytes));
    if (devices_.size() >= kMaxDevices) {
        auto idle = std::min_element(devices_.begin(), devices_.end(),
                                     [](const Device& a, const Device& b) { return a.lastUse < b.lastUse; });
        devices_.erase(idle);
    }
    Device device;
    device.hash = Sha256::hexHash(token);
    device.name = cleanName(name);
    device.pairedAt = nowSeconds;
    device.lastUse = nowSeconds;
    savedUse_[device.hash] = nowSeconds;
    devices_.push_back(device);
    changed_ = true;
    return Outcome::Paired;
}

bool PairingStore::knows(const std::string& token, std::int64_t nowSeconds) {
    if (token.size() != 32) return false;
    const std::string hash = Sha256::hexHash(token);
    for (Device& device : devices_) {
        if (!sameText(device.hash, hash)) continue;
        device.lastUse = nowSeconds;
        if (nowSeconds - savedUse_[device.hash] >= kLastUseSaveSeconds) {
            savedUse_[device.hash] = nowSeconds;
            changed_ = true;
        }
        return true;
    }
    return false;
}

bool PairingStore::takeChanged() {
    const bool changed = changed_;
    changed_ = false;
    return changed;
}

}  // namespace tavelapp

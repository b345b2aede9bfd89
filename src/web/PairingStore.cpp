#include "web/PairingStore.h"

#include <algorithm>

#include "web/PeerGroup.h"
#include "web/Sha256.h"

namespace tavelapp {
namespace {

const std::int64_t kLastUseSaveSeconds = 3600;

// Unlike ==, the time does not tell how much of a secret matched.
bool sameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    unsigned char difference = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

}  // namespace

PairingStore::PairingStore(Random random) : random_(std::move(random)) {}

bool PairingStore::unused(const Device& device, std::int64_t nowSeconds) {
    return nowSeconds - device.lastUse >= kUnusedSeconds;
}

void PairingStore::setDevices(std::vector<Device> devices, std::int64_t nowSeconds) {
    devices_.clear();
    savedUse_.clear();
    for (Device& device : devices) {
        if (unused(device, nowSeconds)) {
            changed_ = true;
            continue;
        }
        savedUse_[device.hash] = device.lastUse;
        devices_.push_back(std::move(device));
    }
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
    const auto it = failures_.find(PeerGroup::of(address));
    return it != failures_.end() && it->second.lockedUntilMs != 0 && nowMs < it->second.lockedUntilMs;
}

bool PairingStore::newCode(const std::string& owner) {
    code_.clear();
    codeOwner_ = owner;
    codeWrongGuesses_ = 0;
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
    return true;
}

bool PairingStore::newTicket() {
    ticket_.clear();
    std::uint8_t bytes[16];
    if (!random_ || !random_(bytes, sizeof(bytes))) return false;
    ticket_ = Sha256::hex(bytes, sizeof(bytes));
    return true;
}

bool PairingStore::openWindow(const std::string& requester, std::int64_t nowMs) {
    closeWindow();
    closure_ = Closure::None;
    closureTold_ = true;
    wrongGuesses_ = 0;
    asks_.clear();
    askedBy_.clear();
    if (!newTicket() || !newCode(requester.empty() ? std::string() : PeerGroup::of(requester))) {
        closeWindow();
        return false;
    }
    codeFor_ = requester;
    windowOpen_ = true;
    windowEndsMs_ = nowMs + kWindowMs;
    return true;
}

void PairingStore::closeWindow() {
    windowOpen_ = false;
    ticket_.clear();
    code_.clear();
    codeOwner_.clear();
    pairedInWindow_.clear();
}

bool PairingStore::windowOpen(std::int64_t nowMs) const { return windowOpen_ && nowMs < windowEndsMs_; }

PairingStore::Window PairingStore::window(std::int64_t nowMs) const {
    Window out;
    out.open = windowOpen(nowMs);
    if (!out.open) return out;
    out.ticket = ticket_;
    out.code = code_;
    out.codeOwner = codeOwner_;
    out.codeFor = codeOwner_.empty() ? std::string() : codeFor_;
    out.remainingMs = windowEndsMs_ - nowMs;
    out.paired = pairedInWindow_;
    return out;
}

void PairingStore::close(Closure why) {
    closeWindow();
    closure_ = why;
    closureTold_ = false;
}

PairingStore::Closure PairingStore::takeClosure() {
    if (closureTold_) return Closure::None;
    closureTold_ = true;
    return closure_;
}

PairingStore::Ask PairingStore::ask(const std::string& address, std::int64_t nowMs) {
    if (closed()) return Ask::Closed;
    if (lockedOut(address, nowMs)) return Ask::LockedOut;
    while (!asks_.empty() && nowMs - asks_.front() >= kAskSpellMs)
        asks_.pop_front();
    for (auto it = askedBy_.begin(); it != askedBy_.end();)
        it = nowMs - it->second >= kAskRepeatMs ? askedBy_.erase(it) : std::next(it);
    const std::string group = PeerGroup::of(address);
    if (askedBy_.count(group) != 0) return Ask::Told;
    if (asks_.size() >= static_cast<std::size_t>(kAsksPerSpell)) {
        close(Closure::Asks);
        return Ask::Closed;
    }
    asks_.push_back(nowMs);
    askedBy_[group] = nowMs;
    return Ask::Tell;
}

PairingStore::Outcome PairingStore::wrongGuess(const std::string& group, std::int64_t nowMs, bool againstCode) {
    Failures& f = failures_[group];
    if (f.count == 0) f.firstMs = nowMs;
    if (++f.count >= kWrongPerGroup) f.lockedUntilMs = nowMs + kLockoutMs;
    // A code that too many guessed at goes; the window shows a new one.
    if (againstCode && ++codeWrongGuesses_ >= kWrongPerCode && !newCode(std::string())) closeWindow();
    if (++wrongGuesses_ >= kWrongInTotal) close(Closure::WrongGuesses);
    return Outcome::Wrong;
}

PairingStore::Outcome PairingStore::pair(const std::string& address, Proof proof, const std::string& secret,
                                         const std::wstring& name, std::int64_t nowMs, std::int64_t nowSeconds,
                                         std::string& token) {
    if (closed()) return Outcome::Closed;
    forgetOldFailures(nowMs);
    const std::string group = PeerGroup::of(address);
    if (lockedOut(address, nowMs)) return Outcome::LockedOut;
    // Nothing to guess at, or a code meant for another device: no guess is spent.
    if (!windowOpen(nowMs)) return Outcome::Wrong;
    if (proof == Proof::Code && !codeOwner_.empty() && codeOwner_ != group) return Outcome::Wrong;
    // A full table is a limit for everyone new: no group on record is forgotten early.
    if (failures_.size() >= kMaxTrackedGroups && failures_.count(group) == 0) return Outcome::LockedOut;
    const std::string& expected = proof == Proof::Code ? code_ : ticket_;
    if (expected.empty() || !sameText(secret, expected)) return wrongGuess(group, nowMs, proof == Proof::Code);

    std::uint8_t bytes[16];
    if (!random_ || !random_(bytes, sizeof(bytes))) return Outcome::Failed;
    // Single use: the window shows a new one for the next device.
    const bool renewed = proof == Proof::Code ? newCode(std::string()) : newTicket();
    if (!renewed) closeWindow();
    failures_.erase(group);
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
    if (windowOpen_) pairedInWindow_.push_back(device.name);
    changed_ = true;
    return Outcome::Paired;
}

bool PairingStore::knows(const std::string& token, std::int64_t nowSeconds) {
    if (token.size() != 32) return false;
    const std::string hash = Sha256::hexHash(token);
    for (auto it = devices_.begin(); it != devices_.end(); ++it) {
        Device& device = *it;
        if (!sameText(device.hash, hash)) continue;
        if (unused(device, nowSeconds)) {
            savedUse_.erase(device.hash);
            devices_.erase(it);
            changed_ = true;
            return false;
        }
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

#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tavelapp {

// Who may use the web remote. Pairing starts on the PC: while its pairing
// window is open, a single-use ticket (carried by a QR code) and a 6-digit
// code pair a device, which then holds a random token; only the token's hash
// is kept. A device can only ask the PC's user to open pairing; no code exists
// before that. Wrong guesses count per code, per peer group (PeerGroup) and in
// total, and too many close pairing until the user opens it again. Not
// thread-safe: its owner serialises the calls.
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

    static const std::int64_t kWindowMs = 120000;
    // A code goes after this many wrong guesses from those it is for.
    static const int kWrongPerCode = 5;
    // All wrong guesses together since the PC's user last opened pairing.
    static const int kWrongInTotal = 20;
    // Asks of devices (each shown on the PC) within kAskSpellMs; one more closes pairing.
    static const int kAsksPerSpell = 3;
    static const std::int64_t kAskSpellMs = 600000;
    // A group's repeated ask is not shown again within this time.
    static const std::int64_t kAskRepeatMs = 120000;
    static const int kWrongPerGroup = 5;
    static const std::int64_t kLockoutMs = 300000;
    static const std::size_t kMaxDevices = 64;
    // Groups with wrong guesses on record; when full, new groups wait (none is forgotten early).
    static const std::size_t kMaxTrackedGroups = 1024;
    static const std::size_t kMaxNameLength = 64;
    static const std::int64_t kUnusedSeconds = 90LL * 24 * 3600;

    enum class Closure { None, WrongGuesses, Asks };

    struct Window {
        bool open = false;
        std::string ticket;     // 32 hex digits
        std::string code;       // 6 digits
        std::string codeOwner;  // the peer group the code is for; empty: anyone
        std::string codeFor;    // the address that asked for it, as shown
        std::int64_t remainingMs = 0;
        std::vector<std::wstring> paired;  // names of the devices paired since it opened
    };

    explicit PairingStore(Random random);

    // Devices unused for kUnusedSeconds are left out.
    void setDevices(std::vector<Device> devices, std::int64_t nowSeconds);
    const std::vector<Device>& devices() const { return devices_; }
    static bool unused(const Device& device, std::int64_t nowSeconds);

    // The PC's user opens pairing, for the device at `requester` when one
    // asked (its code is then for its group alone): a new ticket and code for
    // kWindowMs, and the wrong-guess and ask budgets start again. False
    // without random bytes.
    bool openWindow(const std::string& requester, std::int64_t nowMs);
    void closeWindow();
    Window window(std::int64_t nowMs) const;

    enum class Ask { Tell, Told, Closed, LockedOut };
    // A device asks to pair. No code is made: Tell means that the PC's user
    // is to be told; Told that this group's ask is still on the screen.
    Ask ask(const std::string& address, std::int64_t nowMs);

    enum class Proof { Code, Ticket };
    enum class Outcome { Paired, Wrong, LockedOut, Closed, Failed };
    // A right code or ticket pairs once: the token comes back and the device
    // is stored (the least recently used one goes when the list is full).
    Outcome pair(const std::string& address, Proof proof, const std::string& secret, const std::wstring& name,
                 std::int64_t nowMs, std::int64_t nowSeconds, std::string& token);
    bool lockedOut(const std::string& address, std::int64_t nowMs) const;
    // Closed after too many wrong guesses or asks, until openWindow.
    bool closed() const { return closure_ != Closure::None; }
    // Why pairing closed, once: the PC's user hears of it.
    Closure takeClosure();

    // Whether the token belongs to a paired device; marks its last use. A
    // device unused for kUnusedSeconds is forgotten.
    bool knows(const std::string& token, std::int64_t nowSeconds);
    // True once the device list changed in a way worth saving (pairing, a
    // device forgotten, and a last use an hour or more after the saved one);
    // cleared by taking it.
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
    bool newCode(const std::string& owner);
    bool newTicket();
    void close(Closure why);
    bool windowOpen(std::int64_t nowMs) const;
    Outcome wrongGuess(const std::string& group, std::int64_t nowMs, bool againstCode);

    Random random_;
    std::vector<Device> devices_;
    std::map<std::string, std::int64_t> savedUse_;  // hash -> last use as saved
    std::int64_t windowEndsMs_ = 0;
    bool windowOpen_ = false;
    std::string ticket_;
    std::string code_;
    std::string codeOwner_;
    std::string codeFor_;
    int codeWrongGuesses_ = 0;
    int wrongGuesses_ = 0;
    std::vector<std::wstring> pairedInWindow_;
    std::deque<std::int64_t> asks_;
    std::map<std::string, std::int64_t> askedBy_;  // group -> when it was last shown
    Closure closure_ = Closure::None;
    bool closureTold_ = true;
    std::map<std::string, Failures> failures_;
    bool changed_ = false;
};

}  // namespace tavelapp

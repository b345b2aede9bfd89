#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavelapp {

// What a second start of the program asks of the running copy (an action,
// quit, pairing), as its command line says it and as WM_COPYDATA carries it.
class CommandRequest {
public:
    enum class Kind : std::uint16_t { Action = 1, Quit = 2, Pair = 3 };
    // The second start's exit codes; the README and the help text list them.
    enum ExitCode : int {
        kDone = 0,           // queued, or the running copy was asked
        kBadUsage = 1,       // unknown switch, missing name, limits broken
        kNotRunning = 2,     // no running copy: nothing is started
        kUnknownAction = 3,  // neither an entry ID nor an action name
        kBusy = 4,           // the action queue is full, or inputs are off (options open, turned off, starting)
        kPlayerOff = 5,      // a player action while the player is off and may not be started
        kNoAnswer = 6,       // the running copy did not answer in time
    };

    // COPYDATASTRUCT::dwData and the payload's first four bytes.
    static const std::uint32_t kMagic = 0x4C43584Bu;  // "KXCL"
    static const std::uint16_t kVersion = 1;
    static const std::size_t kMaxParams = 16;
    // For the name and for each parameter, in UTF-16 units.
    static const std::size_t kMaxTextUnits = 1024;
    // Magic, version, kind and parameter count; then each text is its length and its units.
    static const std::size_t kHeaderBytes = 10;
    static const std::size_t kMaxBytes = kHeaderBytes + (1 + kMaxParams) * (2 + 2 * kMaxTextUnits);
    // The running copy answers this plus the exit code: a window that does
    // not know the message answers 0, which must not read as "queued".
    static const std::uint32_t kAnswerMark = 0x4B580000u;

    enum class Parsed { Start, Help, Send, BadUsage };
    // The arguments after the program's name. Start: none, or a first one that
    // is none of the commands (ignored, as always). The commands are /action,
    // /quit, /pair, /? and /help, also with '-', in any case.
    static Parsed parse(const std::vector<std::wstring>& arguments, CommandRequest& out);

    // The payload; empty when the request breaks a limit.
    std::vector<std::uint8_t> encode() const;
    // Strict: exact size, magic, version and kind; name and parameter count
    // and lengths within the limits; UTF-16 without NUL or a lone surrogate.
    static bool decode(const void* data, std::size_t size, CommandRequest& out);

    Kind kind = Kind::Action;
    std::wstring name;
    std::vector<std::wstring> params;
};

}  // namespace tavelapp

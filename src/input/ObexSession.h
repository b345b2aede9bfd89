#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavelapp {

// The OBEX server side of one transport connection: bytes in, replies and
// object lines out. It trusts nothing the peer sends: packets are framed by
// their own length, every header length is checked against the packet, and
// sizes are bounded. The sockets only carry bytes.
class ObexSession {
public:
    static const std::size_t kMaxPacket = 1024;
    static const std::size_t kMaxObject = 64 * 1024;
    // Lines of one object that are handed on; a full object would hold
    // thousands, each an action.
    static constexpr std::size_t kMaxLines = 16;

    enum Opcode : std::uint8_t {
        kConnect = 0x80,
        kDisconnect = 0x81,
        kPut = 0x02,
        kPutFinal = 0x82,
        kAbort = 0xFF,
    };
    enum Response : std::uint8_t {
        kContinue = 0x90,
        kSuccess = 0xA0,
        kBadRequest = 0xC0,
        kTooLarge = 0xCD,
        kNotImplemented = 0xD1,
    };

    // What the bytes fed so far produced.
    struct Output {
        std::vector<std::uint8_t> reply;  // to send, in order
        // Lines of completed objects, without the line feed, as sent; blank
        // ones are left out, and at most kMaxLines per object.
        std::vector<std::string> lines;
        // Lines left out beyond kMaxLines.
        std::size_t droppedLines = 0;
        // The peer broke the rules beyond repair: send the reply, then close.
        bool close = false;
    };

    // Takes bytes as they arrive, in pieces of any size. Every packet that
    // becomes whole is acted on; a partial one waits for the rest. After a
    // close request further bytes are ignored.
    void receive(const std::uint8_t* data, std::size_t size, Output& out);

    bool closed() const { return closed_; }
    // Bytes of the packet in progress.
    std::size_t pending() const { return packetSize_; }

private:
    void handlePacket(std::size_t length, Output& out);
    void handlePut(std::size_t length, bool final, Output& out);
    void reject(std::uint8_t code, bool close, Output& out);
    void runObject(Output& out);

    std::uint8_t packet_[kMaxPacket] = {};
    std::size_t packetSize_ = 0;
    // Exists from CONNECT; the object's bytes gather here.
    std::unique_ptr<std::string> body_;
    // One object per connection: once run, the buffer takes no more.
    bool objectRun_ = false;
    bool closed_ = false;
};

}  // namespace tavelapp

#include "input/ObexSession.h"

#include <algorithm>
#include <cstring>

namespace tavelapp {
namespace {

std::size_t readLength(const std::uint8_t* at) { return static_cast<std::size_t>(at[0] << 8 | at[1]); }

void appendReply(std::vector<std::uint8_t>& reply, std::uint8_t code) { reply.insert(reply.end(), {code, 0x00, 0x03}); }

const std::uint8_t kHeaderBody = 0x48;
const std::uint8_t kHeaderEndOfBody = 0x49;

// The size of the header at pos by the encoding in its two high bits, or 0
// when the packet cannot hold it.
std::size_t headerSize(const std::uint8_t* packet, std::size_t pos, std::size_t length) {
    std::size_t size = 0;
    switch (packet[pos] >> 6) {
        case 0:  // Unicode text, length-prefixed
        case 1:  // byte sequence, length-prefixed
            if (length - pos < 3) return 0;
            size = readLength(packet + pos + 1);
            if (size < 3) return 0;
            break;
        case 2:
            size = 2;
            break;
        default:
            size = 5;
            break;
    }
    return size <= length - pos ? size : 0;
}

}  // namespace

void ObexSession::receive(const std::uint8_t* data, std::size_t size, Output& out) {
    while (size > 0 && !closed_) {
        // The header first, then exactly as many bytes as it announces.
        const std::size_t target = packetSize_ < 3 ? 3 : readLength(packet_ + 1);
        const std::size_t take = std::min(size, target - packetSize_);
        std::memcpy(packet_ + packetSize_, data, take);
        packetSize_ += take;
        data += take;
        size -= take;
        if (packetSize_ < 3) return;

        const std::size_t length = readLength(packet_ + 1);
        if (length < 3) {
            reject(kBadRequest, true, out);
        } else if (length > kMaxPacket) {
            reject(kTooLarge, true, out);
        } else if (packetSize_ == length) {
            packetSize_ = 0;
            handlePacket(length, out);
        }
    }
}

void ObexSession::handlePacket(std::size_t length, Output& out) {
    switch (packet_[0]) {
        case kConnect:
            if (length < 7) {
                reject(kBadRequest, false, out);
                return;
            }
            body_.reset(new std::string());
            objectRun_ = false;
            // Version 1.0, no flags, our packet limit.
            out.reply.insert(out.reply.end(),
                             {kSuccess, 0x00, 0x07, 0x10, 0x00, static_cast<std::uint8_t>(kMaxPacket >> 8),
                              static_cast<std::uint8_t>(kMaxPacket & 0xFF)});
            return;
        case kDisconnect:
            appendReply(out.reply, kSuccess);
            return;
        case kPut:
        case kPutFinal:
            handlePut(length, packet_[0] == kPutFinal, out);
            return;
        case kAbort:
            // The object in progress is dropped; a later one may follow.
            if (body_ && !objectRun_) body_->clear();
            appendReply(out.reply, kSuccess);
            return;
        default:
            appendReply(out.reply, kNotImplemented);
            return;
    }
}

void ObexSession::handlePut(std::size_t length, bool final, Output& out) {
    // Every header must fit before any of them counts.
    for (std::size_t pos = 3; pos < length;) {
        const std::size_t size = headerSize(packet_, pos, length);
        if (size == 0) {
            // A lying packet spoils the whole object, not only its own part.
            body_.reset();
            reject(kBadRequest, false, out);
            return;
        }
        pos += size;
    }

    bool endOfBody = false;
    for (std::size_t pos = 3; pos < length;) {
        const std::uint8_t id = packet_[pos];
        const std::size_t size = headerSize(packet_, pos, length);
        if (id == kHeaderBody || id == kHeaderEndOfBody) {
            endOfBody = endOfBody || id == kHeaderEndOfBody;
            if (body_ && !objectRun_) {
                if (body_->size() + (size - 3) > kMaxObject) {
                    body_.reset();
                    reject(kTooLarge, true, out);
                    return;
                }
                body_->append(reinterpret_cast<const char*>(packet_ + pos + 3), size - 3);
            }
        }
        pos += size;
    }

    appendReply(out.reply, final ? kSuccess : kContinue);
    if (final || endOfBody) runObject(out);
}

void ObexSession::reject(std::uint8_t code, bool close, Output& out) {
    appendReply(out.reply, code);
    if (close) {
        closed_ = true;
        out.close = true;
        packetSize_ = 0;
    }
}

void ObexSession::runObject(Output& out) {
    if (!body_ || objectRun_) return;
    objectRun_ = true;
    const std::string& text = *body_;
    std::size_t kept = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::size_t length = end - start;
        const bool blank = length == 0 || (length == 1 && text[start] == '\r');
        if (!blank) {
            if (kept < kMaxLines) {
                out.lines.push_back(text.substr(start, length));
                ++kept;
            } else {
                ++out.droppedLines;
            }
        }
        start = end + 1;
    }
    // Later objects of this connection are not run; their bytes need no room.
    std::string().swap(*body_);
}

}  // namespace tavelapp

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "input/ObexSession.h"

using namespace tavelapp;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes packet(std::uint8_t opcode, const Bytes& headers) {
    const std::size_t length = headers.size() + 3;
    Bytes out{opcode, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length & 0xFF)};
    out.insert(out.end(), headers.begin(), headers.end());
    return out;
}

Bytes header(std::uint8_t id, const std::string& data) {
    const std::size_t length = data.size() + 3;
    Bytes out{id, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length & 0xFF)};
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Bytes kConnect{0x80, 0x00, 0x07, 0x10, 0x00, 0x04, 0x00};
const Bytes kDisconnect{0x81, 0x00, 0x03};
const Bytes kConnectReply{0xA0, 0x00, 0x07, 0x10, 0x00, 0x04, 0x00};
const Bytes kSuccess{0xA0, 0x00, 0x03};
const Bytes kContinue{0x90, 0x00, 0x03};
const Bytes kBadRequest{0xC0, 0x00, 0x03};
const Bytes kTooLarge{0xCD, 0x00, 0x03};

// What the two real network clients send, byte for byte.
// A final PUT with Name, Length, a four-byte 0xCF header and a Body.
const Bytes kObexTcpPut = {0x82, 0x00, 0x29, 0x01, 0x00, 0x13, 0x00, 0x63, 0x00, 0x6d, 0x00, 0x64, 0x00, 0x2e,
                           0x00, 0x74, 0x00, 0x78, 0x00, 0x74, 0x00, 0x00, 0xc3, 0x00, 0x00, 0x00, 0x06, 0xcf,
                           0x6d, 0x65, 0x6d, 0x6f, 0x48, 0x00, 0x09, 0x4b, 0x45, 0x59, 0x3a, 0x31, 0x0a};
// A non-final PUT with Name, Length and Body, then a final PUT with an empty End of Body.
const Bytes kObexFtpPut = packet(0x02, header(0x01, std::string("\0c\0m\0d\0\0", 8)) +
                                           Bytes{0xC3, 0x00, 0x00, 0x00, 0x11} + header(0x48, "RUN:Volume_Down5\n"));
const Bytes kObexFtpEnd = {0x82, 0x00, 0x06, 0x49, 0x00, 0x03};

struct Exchange {
    Bytes replies;
    std::vector<std::string> lines;
    std::size_t dropped = 0;
    bool close = false;
};

Exchange feed(ObexSession& session, const std::vector<Bytes>& pieces) {
    Exchange run;
    for (const Bytes& piece : pieces) {
        ObexSession::Output out;
        session.receive(piece.data(), piece.size(), out);
        run.replies.insert(run.replies.end(), out.reply.begin(), out.reply.end());
        run.lines.insert(run.lines.end(), out.lines.begin(), out.lines.end());
        run.dropped += out.droppedLines;
        run.close = run.close || out.close;
    }
    return run;
}

}  // namespace

TEST(ObexSession, ConversationsOfRealAndSpecifiedClients) {
    const struct {
        const char* name;
        std::vector<Bytes> pieces;
        Bytes replies;
        std::vector<std::string> lines;
    } cases[] = {
        {"connect, final put with end of body, disconnect",
         {kConnect, packet(0x82, header(0x49, "KEY:1\n")), kDisconnect},
         kConnectReply + kSuccess + kSuccess,
         {"KEY:1"}},
        {"obex_tcp", {kConnect, kObexTcpPut, kDisconnect}, kConnectReply + kSuccess + kSuccess, {"KEY:1"}},
        {"obexftp: the lines run after the second packet",
         {kConnect, kObexFtpPut, kObexFtpEnd, kDisconnect},
         kConnectReply + kContinue + kSuccess + kSuccess,
         {"RUN:Volume_Down5"}},
        {"body split over two puts joins into one line",
         {kConnect, packet(0x02, header(0x48, "RUN:Vol")), packet(0x82, header(0x49, "ume_Up5\r\nKEY: 256 \n"))},
         kConnectReply + kContinue + kSuccess,
         {"RUN:Volume_Up5\r", "KEY: 256 "}},
        {"a last line without line feed still counts, blank lines do not",
         {kConnect, packet(0x82, header(0x48, "a\n\n\r\nb"))},
         kConnectReply + kSuccess,
         {"a", "b"}},
        {"put before connect is answered but nothing runs", {packet(0x82, header(0x49, "KEY:1\n"))}, kSuccess, {}},
        {"only the first object of a connection runs",
         {kConnect, packet(0x82, header(0x49, "KEY:1\n")), packet(0x82, header(0x49, "KEY:2\n"))},
         kConnectReply + kSuccess + kSuccess,
         {"KEY:1"}},
        {"a new connect starts a new object",
         {kConnect, packet(0x82, header(0x49, "KEY:1\n")), kConnect, packet(0x82, header(0x49, "KEY:2\n"))},
         kConnectReply + kSuccess + kConnectReply + kSuccess,
         {"KEY:1", "KEY:2"}},
        {"unknown headers of all four encodings are skipped",
         {kConnect, packet(0x82, header(0x42, "text/plain") + Bytes{0x97, 0x01} + Bytes{0xCB, 0, 0, 0, 1} +
                                     header(0x05, std::string("\0d\0\0", 4)) + header(0x49, "KEY:3"))},
         kConnectReply + kSuccess,
         {"KEY:3"}},
        {"other operations get not implemented, abort succeeds",
         {kConnect, packet(0x83, {}), packet(0x85, {0x00, 0x00}), packet(0x02, header(0x48, "KEY:9\n")),
          packet(0xFF, {}), packet(0x82, header(0x49, "KEY:1\n"))},
         kConnectReply + Bytes{0xD1, 0, 3, 0xD1, 0, 3} + kContinue + kSuccess + kSuccess,
         {"KEY:1"}},
    };
    for (const auto& c : cases) {
        ObexSession session;
        const Exchange run = feed(session, c.pieces);
        EXPECT_EQ(c.replies, run.replies) << c.name;
        EXPECT_EQ(c.lines, run.lines) << c.name;
        EXPECT_FALSE(run.close) << c.name;
    }
}

TEST(ObexSession, PacketsAreFramedByTheirLengthHoweverTheyArrive) {
    const Bytes stream = kConnect + kObexFtpPut + kObexFtpEnd + kDisconnect;
    const Bytes expected = kConnectReply + kContinue + kSuccess + kSuccess;
    // One byte at a time, in odd pieces, and all at once: the same conversation.
    for (std::size_t step : {1u, 2u, 5u, 7u, 13u, 64u, 1000u}) {
        ObexSession session;
        std::vector<Bytes> pieces;
        for (std::size_t at = 0; at < stream.size(); at += step)
            pieces.emplace_back(stream.begin() + at, stream.begin() + std::min(stream.size(), at + step));
        const Exchange run = feed(session, pieces);
        EXPECT_EQ(expected, run.replies) << step;
        EXPECT_EQ(std::vector<std::string>{"RUN:Volume_Down5"}, run.lines) << step;
    }

    // A packet read in two pieces is answered once, after the second, and the
    // next packet starts afresh.
    ObexSession session;
    ObexSession::Output out;
    session.receive(kConnect.data(), 4, out);
    EXPECT_TRUE(out.reply.empty());
    EXPECT_EQ(4u, session.pending());
    session.receive(kConnect.data() + 4, 3, out);
    EXPECT_EQ(kConnectReply, out.reply);
    EXPECT_EQ(0u, session.pending());
    const Bytes put = packet(0x82, header(0x49, "KEY:1"));
    ObexSession::Output second;
    session.receive(put.data(), put.size(), second);
    EXPECT_EQ(kSuccess, second.reply);
}

TEST(ObexSession, LyingHeadersAreRefusedAndTheirObjectDoesNotRun) {
    const struct {
        const char* name;
        Bytes put;
    } cases[] = {
        {"body longer than the packet", packet(0x82, {0x49, 0x00, 0x40, 'K', 'E', 'Y', ':', '1'})},
        {"body length below three", packet(0x82, {0x49, 0x00, 0x02, 'K', 'E', 'Y', ':', '1'})},
        {"body length zero", packet(0x82, {0x48, 0x00, 0x00})},
        {"length prefix cut off", packet(0x82, header(0x49, "KEY:1") + Bytes{0x01, 0x00})},
        {"four-byte header cut off", packet(0x82, header(0x49, "KEY:1") + Bytes{0xCB, 0, 0})},
        {"one-byte header cut off", packet(0x82, header(0x49, "KEY:1") + Bytes{0x97})},
        {"name runs past the end", packet(0x82, Bytes{0x01, 0x00, 0x20, 0x00} + header(0x49, "KEY:1"))},
    };
    for (const auto& c : cases) {
        ObexSession session;
        // The good first half of the object must not run with the bad second half.
        const Exchange run = feed(
            session, {kConnect, packet(0x02, header(0x48, "KEY:2\n")), c.put, packet(0x82, header(0x49, "KEY:3\n"))});
        EXPECT_EQ(kConnectReply + kContinue + kBadRequest + kSuccess, run.replies) << c.name;
        EXPECT_TRUE(run.lines.empty()) << c.name;
        EXPECT_FALSE(run.close) << c.name;
    }
}

namespace {

// An object of `size` body bytes sent in PUTs of 1000, then an End of Body.
std::vector<Bytes> objectOf(std::size_t size) {
    const std::string text = "KEY:1\n" + std::string(size - 6, ' ');
    std::vector<Bytes> parts{kConnect};
    for (std::size_t at = 0; at < text.size(); at += 1000)
        parts.push_back(packet(0x02, header(0x48, text.substr(at, 1000))));
    parts.push_back(kObexFtpEnd);
    return parts;
}

}  // namespace

// Every bound at its edge and one past it.
TEST(ObexSession, LimitsHoldOnTheEdgeAndRefuseOnePast) {
    const std::size_t room = ObexSession::kMaxPacket - 6;  // body bytes of the largest packet
    const struct {
        const char* name;
        std::vector<Bytes> pieces;
        Bytes lastReply;
        bool close;
        bool runs;
    } cases[] = {
        {"packet of 1024 bytes", {kConnect, packet(0x82, header(0x49, std::string(room, 'x')))}, kSuccess, false, true},
        {"packet of 1025 bytes",
         {kConnect, packet(0x82, header(0x49, std::string(room + 1, 'x')))},
         kTooLarge,
         true,
         false},
        {"packet announces 65535 bytes", {{0x02, 0xFF, 0xFF, 0x48}}, kTooLarge, true, false},
        {"packet of 3 bytes", {kConnect, kDisconnect}, kSuccess, false, false},
        {"packet length 2", {{0x80, 0x00, 0x02, 0x10, 0x00}}, kBadRequest, true, false},
        {"packet length 0", {{0x00, 0x00, 0x00}}, kBadRequest, true, false},
        // A short CONNECT is refused, but the connection may go on.
        {"connect of 7 bytes", {kConnect}, kConnectReply, false, false},
        {"connect of 6 bytes", {{0x80, 0x00, 0x06, 0x10, 0x00, 0x04}}, kBadRequest, false, false},
        {"body header of 3 bytes", {kConnect, packet(0x82, header(0x49, ""))}, kSuccess, false, false},
        {"object of 64 KiB", objectOf(ObexSession::kMaxObject), kSuccess, false, true},
        {"object of 64 KiB + 1", objectOf(ObexSession::kMaxObject + 1), kTooLarge, true, false},
    };
    for (const auto& c : cases) {
        ObexSession session;
        const Exchange run = feed(session, c.pieces);
        ASSERT_GE(run.replies.size(), 3u) << c.name;
        EXPECT_EQ(c.lastReply,
                  Bytes(run.replies.end() - static_cast<std::ptrdiff_t>(c.lastReply.size()), run.replies.end()))
            << c.name;
        EXPECT_EQ(c.close, run.close) << c.name;
        EXPECT_EQ(c.close, session.closed()) << c.name;
        EXPECT_EQ(c.runs, !run.lines.empty()) << c.name;
        // Nothing more is answered once the connection is to end.
        if (c.close) EXPECT_TRUE(feed(session, {kConnect}).replies.empty()) << c.name;
    }
}

// At most kMaxLines lines of an object are handed on, on the edge and past it;
// the rest are counted so the user can be told.
TEST(ObexSession, LinesOfAnObjectAreCappedAndTheRestCounted) {
    for (const std::size_t lines : {ObexSession::kMaxLines, ObexSession::kMaxLines + 1, std::size_t{9000}}) {
        std::string text;
        for (std::size_t i = 0; i < lines; ++i)
            text += "KEY:" + std::to_string(i % 100) + "\n";
        ObexSession session;
        std::vector<Bytes> object{kConnect};
        for (std::size_t at = 0; at < text.size(); at += 1000)
            object.push_back(packet(0x02, header(0x48, text.substr(at, 1000))));
        object.push_back(kObexFtpEnd);
        const Exchange run = feed(session, object);
        ASSERT_EQ(ObexSession::kMaxLines, run.lines.size()) << lines;
        EXPECT_EQ("KEY:15", run.lines.back()) << lines;
        EXPECT_EQ(lines - ObexSession::kMaxLines, run.dropped) << lines;
    }
}

// A whole OBEX connection from the fuzzer: the first byte chooses how the
// stream is cut into reads, the rest is what the peer sends. Besides memory
// faults it checks what the server promises: replies are whole responses,
// objects stay within their limit and nothing is answered after a close.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "input/ObexSession.h"

using tavelapp::ObexSession;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// The two real network clients' conversations, so the fuzzer starts from
// packets that get far into the engine.
const std::vector<std::vector<std::uint8_t>> kSeeds = {
    {0x07, 0x80, 0x00, 0x07, 0x10, 0x00, 0x04, 0x00, 0x82, 0x00, 0x29, 0x01, 0x00, 0x13, 0x00, 0x63, 0x00, 0x6d,
     0x00, 0x64, 0x00, 0x2e, 0x00, 0x74, 0x00, 0x78, 0x00, 0x74, 0x00, 0x00, 0xc3, 0x00, 0x00, 0x00, 0x06, 0xcf,
     0x6d, 0x65, 0x6d, 0x6f, 0x48, 0x00, 0x09, 0x4b, 0x45, 0x59, 0x3a, 0x31, 0x0a, 0x81, 0x00, 0x03},
    {0x03, 0x80, 0x00, 0x07, 0x10, 0x00, 0x04, 0x00, 0x02, 0x00, 0x31, 0x01, 0x00, 0x15, 0x00, 0x63, 0x00,
     0x6d, 0x00, 0x64, 0x00, 0x32, 0x00, 0x2e, 0x00, 0x74, 0x00, 0x78, 0x00, 0x74, 0x00, 0x00, 0xc3, 0x00,
     0x00, 0x00, 0x11, 0x48, 0x00, 0x14, 0x52, 0x55, 0x4e, 0x3a, 0x56, 0x6f, 0x6c, 0x75, 0x6d, 0x65, 0x5f,
     0x44, 0x6f, 0x77, 0x6e, 0x35, 0x0a, 0x82, 0x00, 0x06, 0x49, 0x00, 0x03, 0x81, 0x00, 0x03},
};

bool validReply(const std::vector<std::uint8_t>& reply) {
    std::size_t at = 0;
    while (at < reply.size()) {
        if (reply.size() - at < 3) return false;
        const std::size_t length = static_cast<std::size_t>(reply[at + 1] << 8 | reply[at + 2]);
        if (length != 3 && !(length == 7 && reply[at] == ObexSession::kSuccess)) return false;
        at += length;
    }
    return at == reply.size();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Seeds go into an empty corpus folder given on the command line.
    for (int i = 1; i < *argc; ++i) {
        const std::string arg = (*argv)[i];
        struct stat info;
        if (arg.empty() || arg[0] == '-' || stat(arg.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) continue;
        for (std::size_t n = 0; n < kSeeds.size(); ++n) {
            const std::string path = arg + "/seed-client-" + std::to_string(n);
            if (stat(path.c_str(), &info) == 0) continue;
            if (FILE* file = std::fopen(path.c_str(), "wb")) {
                std::fwrite(kSeeds[n].data(), 1, kSeeds[n].size(), file);
                std::fclose(file);
            }
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t total = size;
    unsigned step = data[0];
    ++data;
    --size;
    ObexSession session;
    std::size_t lineBytes = 0;
    while (size > 0) {
        const std::size_t take = std::min<std::size_t>(size, 1 + step % 97);
        step = step * 1103515245u + 12345u;
        const bool wasClosed = session.closed();
        ObexSession::Output out;
        session.receive(data, take, out);
        data += take;
        size -= take;
        check(validReply(out.reply));
        check(!wasClosed || (out.reply.empty() && out.lines.empty()));
        check(session.pending() < ObexSession::kMaxPacket);
        for (const std::string& line : out.lines)
            lineBytes += line.size() + 1;
    }
    // Lines come only from body bytes the peer sent.
    check(lineBytes <= 2 * total);
    return 0;
}

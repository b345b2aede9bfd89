#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "artwork/PackedDib.h"

using tavel::win::dib::DIB;
using tavelapp::artwork::packedDibToDib;

namespace {

void put16(std::string& s, std::size_t at, unsigned v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A 40-byte information header, then `colours` palette entries.
std::string infoHeader(int width, int height, int bpp, std::uint32_t coloursUsed, std::size_t paletteEntries) {
    std::string h(40 + paletteEntries * 4, '\0');
    put32(h, 0, 40);
    put32(h, 4, static_cast<std::uint32_t>(width));
    put32(h, 8, static_cast<std::uint32_t>(height));
    put16(h, 12, 1);
    put16(h, 14, static_cast<unsigned>(bpp));
    put32(h, 32, coloursUsed);
    return h;
}

TEST(PackedDib, DecoderBlocksBecomeTopDownPictures) {
    // 32 bits, bottom-up, 2 x 2: the first row in memory is the bottom one.
    const std::string info32 = infoHeader(2, 2, 32, 0, 0);
    const std::string bits32("\x01\x02\x03\x00\x04\x05\x06\x00\x07\x08\x09\x00\x0a\x0b\x0c\x00", 16);
    DIB dib;
    ASSERT_TRUE(packedDibToDib(info32.data(), info32.size(), bits32.data(), bits32.size(), dib));
    EXPECT_EQ(2, dib.width());
    EXPECT_EQ(0x090807u, dib.pixel(0, 0));
    EXPECT_EQ(0x030201u, dib.pixel(0, 1));

    // 8 bits with two colours used: the bits follow a two-entry palette, not 256.
    std::string info8 = infoHeader(2, 1, 8, 2, 2);
    put32(info8, 40, 0x00112233);
    put32(info8, 44, 0x00445566);
    const std::string bits8("\x01\x00\x00\x00", 4);
    ASSERT_TRUE(packedDibToDib(info8.data(), info8.size(), bits8.data(), bits8.size(), dib));
    EXPECT_EQ(0x445566u, dib.pixel(0, 0));
    EXPECT_EQ(0x112233u, dib.pixel(1, 0));
}

TEST(PackedDib, BlocksThatDoNotHoldThePictureAreRefused) {
    const std::string info8 = infoHeader(2, 1, 8, 0, 2);  // 256 colours needed, 2 given
    const std::string info32 = infoHeader(4, 4, 32, 0, 0);
    const std::string bits(16, '\0');  // a quarter of what 4 x 4 needs
    std::string badSize = info32;
    put32(badSize, 0, 200);  // header larger than its block
    DIB dib;
    EXPECT_FALSE(packedDibToDib(info8.data(), info8.size(), bits.data(), bits.size(), dib));
    EXPECT_FALSE(packedDibToDib(info32.data(), info32.size(), bits.data(), bits.size(), dib));
    EXPECT_FALSE(packedDibToDib(badSize.data(), badSize.size(), bits.data(), 64, dib));
    EXPECT_FALSE(packedDibToDib(info32.data(), 12, bits.data(), bits.size(), dib));
    EXPECT_TRUE(dib.empty());

    // 256 colours are the most a block may announce.
    for (std::uint32_t used : {256u, 257u}) {
        const std::string info = infoHeader(1, 1, 8, used, used);
        EXPECT_EQ(used == 256, packedDibToDib(info.data(), info.size(), bits.data(), 4, dib)) << used;
    }
}

}  // namespace

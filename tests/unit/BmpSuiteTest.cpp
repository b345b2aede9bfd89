// The public BMP test suite, read from beside the project when a machine has
// it: the good files must show the suite's reference renderings, and no file
// at all may crash the reader.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "win/dib/BitmapFile.h"

#if __has_include(<stb/stb_image.h>)
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
#define KOLIBRIX_HAVE_PNG_READER 1
#endif

using namespace tavel::win::dib;
namespace fs = std::filesystem;

namespace {

const fs::path kSuite = fs::path(KOLIBRIX_SOURCE_DIR) / ".." / "shared" / "ext" / "bmpsuite-2.8";

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A suite file and the reference rendering its html page shows for it.
struct Rendering {
    const char* file;
    const char* reference;
};

// Every file of g/. pal8nonsquare is compared with the editor's rendering,
// which keeps the file's pixels rather than stretching them.
const Rendering kGoodFiles[] = {
    {"g/pal1.bmp", "pal1.png"},
    {"g/pal1wb.bmp", "pal1.png"},
    {"g/pal1bg.bmp", "pal1bg.png"},
    {"g/pal4.bmp", "pal4.png"},
    {"g/pal4gs.bmp", "pal4gs.png"},
    {"g/pal4rle.bmp", "pal4.png"},
    {"g/pal8.bmp", "pal8.png"},
    {"g/pal8-0.bmp", "pal8.png"},
    {"g/pal8gs.bmp", "pal8gs.png"},
    {"g/pal8rle.bmp", "pal8.png"},
    {"g/pal8w126.bmp", "pal8w126.png"},
    {"g/pal8w125.bmp", "pal8w125.png"},
    {"g/pal8w124.bmp", "pal8w124.png"},
    {"g/pal8topdown.bmp", "pal8.png"},
    {"g/pal8nonsquare.bmp", "pal8nonsquare-e.png"},
    {"g/pal8os2.bmp", "pal8.png"},
    {"g/pal8v4.bmp", "pal8.png"},
    {"g/pal8v5.bmp", "pal8.png"},
    {"g/rgb16.bmp", "rgb16.png"},
    {"g/rgb16bfdef.bmp", "rgb16.png"},
    {"g/rgb16-565.bmp", "rgb16-565.png"},
    {"g/rgb16-565pal.bmp", "rgb16-565.png"},
    {"g/rgb24.bmp", "rgb24.png"},
    {"g/rgb24pal.bmp", "rgb24.png"},
    {"g/rgb32.bmp", "rgb24.png"},
    {"g/rgb32bfdef.bmp", "rgb24.png"},
    {"g/rgb32bf.bmp", "rgb24.png"},
};

// RLE files whose deltas and early end codes skip pixels: the reader gives
// them palette entry 0, which is one of the renderings the suite allows.
const Rendering kSkippingRleFiles[] = {
    {"q/pal4rletrns.bmp", "pal4rletrns-0.png"},
    {"q/pal8rletrns.bmp", "pal8rletrns-0.png"},
    {"q/pal4rlecut.bmp", "pal4rlecut-0.png"},
    {"q/pal8rlecut.bmp", "pal8rlecut-0.png"},
};

// Decodes the file and compares red, green and blue of every pixel with the
// reference PNG (the reader keeps no alpha; none of these references has any).
void expectRendering(const Rendering& rendering) {
#ifdef KOLIBRIX_HAVE_PNG_READER
    SCOPED_TRACE(rendering.file);
    DIB dib;
    ASSERT_TRUE(readBitmapFile(readAll(kSuite / rendering.file), dib));
    const std::string png = readAll(kSuite / "html" / rendering.reference);
    int width = 0, height = 0, channels = 0;
    const std::unique_ptr<stbi_uc, void (*)(void*)> reference(
        stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(png.data()), static_cast<int>(png.size()), &width,
                              &height, &channels, 4),
        stbi_image_free);
    ASSERT_NE(nullptr, reference) << rendering.reference;
    ASSERT_EQ(width, dib.width());
    ASSERT_EQ(height, dib.height());
    int wrong = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const stbi_uc* p = reference.get() + (static_cast<std::size_t>(y) * width + x) * 4;
            const std::uint32_t expected = bgr(p[2], p[1], p[0]);
            if (dib.pixel(x, y) != expected && ++wrong <= 3)
                ADD_FAILURE() << "at " << x << "," << y << ": " << std::hex << dib.pixel(x, y) << " instead of "
                              << expected;
        }
    }
    EXPECT_EQ(0, wrong) << "pixels that differ from " << rendering.reference;
#else
    (void)rendering;
#endif
}

bool suitePresent() { return fs::is_directory(kSuite / "g") && fs::is_directory(kSuite / "html"); }

}  // namespace

TEST(BmpSuiteTest, GoodFilesShowTheReferenceRenderings) {
    if (!suitePresent()) GTEST_SKIP() << "no BMP suite at " << kSuite;
#ifndef KOLIBRIX_HAVE_PNG_READER
    GTEST_SKIP() << "no PNG reader (stb_image) to load the references";
#endif
    for (const Rendering& rendering : kGoodFiles)
        expectRendering(rendering);
    for (const Rendering& rendering : kSkippingRleFiles)
        expectRendering(rendering);
}

// Good, questionable, bad and foreign files alike: each one either decodes to
// a picture within the limits or is refused with nothing left behind, and the
// sanitizer build sees every read and write.
TEST(BmpSuiteTest, NoFileCrashesTheReader) {
    if (!suitePresent()) GTEST_SKIP() << "no BMP suite at " << kSuite;
    int files = 0, decoded = 0;
    for (const char* folder : {"g", "q", "b", "x"}) {
        std::error_code missing;
        for (const fs::directory_entry& entry : fs::directory_iterator(kSuite / folder, missing)) {
            if (entry.path().extension() != ".bmp") continue;
            ++files;
            SCOPED_TRACE(entry.path().string());
            const std::string bytes = readAll(entry.path());
            DIB dib;
            if (readBitmapFile(bytes, dib)) {
                ++decoded;
                EXPECT_EQ(32, dib.bitsPerPixel());
                EXPECT_TRUE(dib.width() >= 1 && dib.width() <= kMaxBitmapSide);
                EXPECT_TRUE(dib.height() >= 1 && dib.height() <= kMaxBitmapSide);
            } else {
                EXPECT_TRUE(dib.empty());
            }
        }
    }
    EXPECT_GE(files, 90) << "an incomplete suite";
    std::cout << "[          ] " << decoded << " of " << files << " suite files decoded\n";
}

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "WinTestSupport.h"
#include "base/AppException.h"
#include "artwork/LoaderMgr.h"
#include "artwork/SusiePlugin.h"
#include "config/Ini.h"
#include "notify/NotifyThreads.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include "stb_image_write.h"

using tavelapp::Ini;
using tavelapp::LoaderPtr;
using tavelapp::PicturePtr;
using tavelapp::artwork::LoaderMgr;
using tavelapp::artwork::SusiePlugin;

namespace {

std::wstring buildPath(const std::wstring& relative) { return moduleFolder() + L"\\" + relative; }
const std::wstring kSample = L"plugins\\susie\\SusieStb.spi";
const std::wstring kFailing = L"plugins\\susie-testing\\FailingDecoder.spi";
const std::wstring kNoInfo = L"plugins\\susie-testing\\NoInfoDecoder.spi";

LoaderPtr susie(const std::wstring& relative) { return std::make_shared<SusiePlugin>(buildPath(relative)); }

// Held for a whole test, so that the decoder's count survives the managers
// that load and free it.
class FailingDecoderCount {
public:
    FailingDecoderCount() : module_(::LoadLibraryW(buildPath(kFailing).c_str())) {}
    ~FailingDecoderCount() { ::FreeLibrary(module_); }
    long operator()() const { return read("GetPictureCalls"); }
    long mostCallersInside() const { return read("MostCallersInside"); }

private:
    long read(const char* name) const {
        auto value = reinterpret_cast<LONG(WINAPI*)()>(::GetProcAddress(module_, name));
        return value ? value() : -1;
    }
    HMODULE module_;
};

// Channel distance: JPEG moves colours a little.
bool closeTo(std::uint32_t pixel, std::uint32_t expected) {
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((pixel >> shift) & 0xFF), b = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - b) > 40) return false;
    }
    return true;
}

// The fixture covers: 16 x 8, left half red, right half blue.
void expectCover(const PicturePtr& picture, const std::wstring& what) {
    ASSERT_TRUE(picture) << std::string(what.begin(), what.end());
    EXPECT_EQ(16, picture->width());
    EXPECT_EQ(8, picture->height());
    EXPECT_TRUE(closeTo(picture->dib().pixel(2, 1), 0xFF0000)) << std::hex << picture->dib().pixel(2, 1);
    EXPECT_TRUE(closeTo(picture->dib().pixel(13, 6), 0x0000FF)) << std::hex << picture->dib().pixel(13, 6);
}

bool isPlaceholder(const PicturePtr& picture) {
    return picture && picture->width() == 96 && picture->height() == 96 && picture->dib().pixel(2, 2) == 0x3A3F4B;
}

class LoaderMgrTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedNotify = Ini::instance().notify;
        savedArtwork = Ini::instance().artwork;
        Ini::instance().notify.showArtwork = true;
        Ini::publish();
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        folder = std::wstring(temp) + L"kx-loader-" + std::to_wstring(::GetCurrentProcessId());
        ::CreateDirectoryW(folder.c_str(), nullptr);
    }
    void TearDown() override {
        Ini::instance().notify = savedNotify;
        Ini::instance().artwork = savedArtwork;
        Ini::publish();
        for (const std::wstring& f : created)
            ::DeleteFileW(f.c_str());
        ::RemoveDirectoryW((folder + L"\\Susie").c_str());
        ::RemoveDirectoryW(folder.c_str());
    }
    std::wstring put(const std::wstring& name, const std::string& bytes) {
        const std::wstring path = folder + L"\\" + name;
        HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        ::CloseHandle(h);
        created.push_back(path);
        return path;
    }
    std::wstring copy(const std::wstring& from, const std::wstring& name) {
        const std::wstring path = folder + L"\\" + name;
        ::CopyFileW(from.c_str(), path.c_str(), FALSE);
        created.push_back(path);
        return path;
    }
    Ini::Item::Notify savedNotify;
    Ini::Item::Artwork savedArtwork;
    std::wstring folder;
    std::vector<std::wstring> created;
};

TEST_F(LoaderMgrTest, SampleDecoderAndSystemDecoderReadPngJpegAndGif) {
    const LoaderMgr sampleOnly({susie(kSample)});
    const LoaderMgr none({});
    for (const wchar_t* name : {L"cover.png", L"cover.jpg", L"cover.gif"}) {
        const std::wstring path = buildPath(std::wstring(L"artwork\\") + name);
        Ini::instance().artwork.useWic = false;
        Ini::publish();
        expectCover(sampleOnly.load(path, true), std::wstring(L"sample decoder: ") + name);
        Ini::instance().artwork.useWic = true;
        Ini::publish();
        expectCover(none.load(path, true), std::wstring(L"system decoder: ") + name);
    }
}

TEST_F(LoaderMgrTest, OnlyCompleteDecodersOfTheFolderAreLoaded) {
    const std::wstring susieFolder = folder + L"\\Susie";
    // A missing folder is made, and is empty.
    EXPECT_TRUE(LoaderMgr::loadSusiePlugins(susieFolder).empty());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(susieFolder.c_str()));
    copy(buildPath(kSample), L"Susie\\a.spi");
    copy(buildPath(kNoInfo), L"Susie\\b.spi");  // no GetPluginInfo, though it is never called
    put(L"Susie\\c.spi", "not a library");
    copy(buildPath(kSample), L"Susie\\d.dll");  // not named *.spi
    {
        const std::vector<LoaderPtr> loaders = LoaderMgr::loadSusiePlugins(susieFolder);
        EXPECT_EQ(1u, loaders.size());
    }
    EXPECT_THROW(std::make_shared<SusiePlugin>(buildPath(kNoInfo)), tavelapp::AppException);
}

TEST_F(LoaderMgrTest, DecodersAreAskedInOrderAndAFailureFallsThroughToTheNext) {
    Ini::instance().artwork.useWic = false;
    Ini::publish();
    const std::wstring png = buildPath(L"artwork\\cover.png");
    const FailingDecoderCount failingCalls;
    long before = failingCalls();
    expectCover(LoaderMgr({susie(kFailing), susie(kSample)}).load(png, true), L"failing first");
    EXPECT_EQ(before + 1, failingCalls());
    before = failingCalls();
    expectCover(LoaderMgr({susie(kSample), susie(kFailing)}).load(png, true), L"sample first");
    EXPECT_EQ(before, failingCalls());
}

TEST_F(LoaderMgrTest, ALibraryIsCalledByOneThreadAtATime) {
    // As the change detector, the track notice and the editor do: managers of
    // their own, over the same decoder library, on threads of their own.
    Ini::instance().artwork.useWic = false;
    Ini::publish();
    const std::wstring png = buildPath(L"artwork\\cover.png");
    const FailingDecoderCount failing;
    const long before = failing();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&png] {
            const LoaderMgr mgr({susie(kFailing)});
            for (int n = 0; n < 10; ++n)
                EXPECT_TRUE(isPlaceholder(mgr.load(png, true)));
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(before + 40, failing());
    EXPECT_EQ(1, failing.mostCallersInside());
}

TEST_F(LoaderMgrTest, PlaceholderOrNothing) {
    const std::wstring png = buildPath(L"artwork\\cover.png");
    const std::wstring text = put(L"notes.png", "not a picture at all");
    struct Case {
        const char* what;
        std::vector<LoaderPtr> loaders;
        bool useWic, showArtwork, withPlaceholder;
        std::wstring path;
        bool placeholder;  // else no picture
    } cases[] = {
        {"no decoder reads it", {}, false, true, true, png, true},
        {"the system decoder refuses it", {}, true, true, true, text, true},
        {"the only decoder fails", {susie(kFailing)}, true, true, true, text, true},
        {"without placeholder", {}, false, true, false, png, false},
        {"a missing file", {susie(kSample)}, true, true, true, folder + L"\\missing.png", false},
        {"ShowArtwork off", {susie(kSample)}, true, false, true, png, false},
    };
    for (const Case& c : cases) {
        Ini::instance().artwork.useWic = c.useWic;
        Ini::instance().notify.showArtwork = c.showArtwork;
        Ini::publish();
        const PicturePtr picture = LoaderMgr(c.loaders).load(c.path, c.withPlaceholder);
        if (c.placeholder)
            EXPECT_TRUE(isPlaceholder(picture)) << c.what;
        else
            EXPECT_FALSE(picture) << c.what;
    }
}

TEST_F(LoaderMgrTest, APathOutsideTheCodePageIsReadByTheSystemDecoder) {
    const std::wstring path = copy(buildPath(L"artwork\\cover.png"), L"\u2603\u0E01 cover.png");
    const LoaderMgr sample({susie(kSample)});
    Ini::instance().artwork.useWic = true;
    Ini::publish();
    expectCover(sample.load(path, true), L"with the system decoder");
    Ini::instance().artwork.useWic = false;
    Ini::publish();
    EXPECT_TRUE(isPlaceholder(sample.load(path, true)));
}

TEST_F(LoaderMgrTest, TrackArtworkOfNotificationsComesThroughTheManager) {
    Ini::instance().artwork.useWic = true;
    Ini::publish();
    // The program's own manager: whatever its Susie folder holds, a PNG reads.
    expectCover(tavelapp::loadArtworkPicture(buildPath(L"artwork\\cover.png")), L"notification artwork");
    EXPECT_FALSE(tavelapp::loadArtworkPicture(L""));
}

// A blue RGBA PNG of `rows` rows whose header then claims `height`: a small
// file for a huge picture (the decoder reads no checksums).
std::string bluePng(std::uint32_t width, std::uint32_t height, std::uint32_t rows) {
    const std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * rows, 0xFFFF0000u);
    std::string png;
    const auto append = [](void* out, void* data, int size) {
        static_cast<std::string*>(out)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
    };
    const int w = static_cast<int>(width);
    stbi_write_png_to_func(append, &png, w, static_cast<int>(rows), 4, pixels.data(), w * 4);
    for (int i = 0; i < 4 && png.size() > 24; ++i)
        png[20 + i] = static_cast<char>(height >> (24 - 8 * i));
    return png;
}

}  // namespace

// The sample decoder reads a picture's size before its pixels, and refuses
// what the host would refuse anyway: a small file claiming 16384 x 16384 is
// not decoded (nor its gigabyte asked for); one pixel past the host's side
// limit is refused although it would decode; the limit itself decodes.
TEST(SusieSampleLimits, PicturesPastTheHostsLimitAreRefusedBeforeDecoding) {
    HMODULE module = ::LoadLibraryW(buildPath(kSample).c_str());
    ASSERT_NE(nullptr, module);
    using GetPictureProc = int(WINAPI*)(LPCSTR, LONG, UINT, HANDLE*, HANDLE*, FARPROC, LONG);
    auto getPicture = reinterpret_cast<GetPictureProc>(reinterpret_cast<void*>(::GetProcAddress(module, "GetPicture")));
    ASSERT_NE(nullptr, getPicture);
    const struct {
        std::uint32_t width, height, rows;
        bool decoded;
    } cases[] = {
        {4096, 1, 1, true},     {1, 4096, 4096, true},    {4097, 1, 1, false},
        {1, 4097, 4097, false}, {16384, 16384, 1, false},
    };
    for (const auto& c : cases) {
        const std::string png = bluePng(c.width, c.height, c.rows);
        EXPECT_LT(png.size(), 100000u) << "small on disk";
        HANDLE info = nullptr, bits = nullptr;
        const int result = getPicture(png.data(), static_cast<LONG>(png.size()), 1, &info, &bits, nullptr, 0);
        EXPECT_EQ(c.decoded ? 0 : 4, result) << c.width << " x " << c.height;  // 4: no memory for it
        if (c.decoded) {
            ASSERT_NE(nullptr, info);
            const auto* header = static_cast<const BITMAPINFOHEADER*>(::LocalLock(info));
            EXPECT_EQ(static_cast<LONG>(c.width), header->biWidth);
            EXPECT_EQ(static_cast<LONG>(c.height), header->biHeight);
            ::LocalUnlock(info);
        } else {
            EXPECT_EQ(nullptr, info);
            EXPECT_EQ(nullptr, bits);
        }
        if (info != nullptr) ::LocalFree(info);
        if (bits != nullptr) ::LocalFree(bits);
    }
    ::FreeLibrary(module);
}

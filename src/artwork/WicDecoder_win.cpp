#include "artwork/WicDecoder.h"

#include <windows.h>
#include <wincodec.h>

#include "win/dib/BitmapFile.h"
#include "win/util/SystemLibrary.h"

namespace tavelapp {
namespace artwork {
namespace {

// COM for this call only, in whatever apartment the thread already has.
class ComScope {
public:
    ComScope() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};

template <typename T>
struct Releaser {
    T* p = nullptr;
    ~Releaser() {
        if (p) p->Release();
    }
};

}  // namespace

bool decodeWithWic(const std::wstring& path, tavel::win::dib::DIB& out) {
    out.reset();
    if (!tavel::win::util::SystemLibrary::load(L"windowscodecs.dll")) return false;
    ComScope com;
    Releaser<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&factory.p))))
        return false;
    Releaser<IWICBitmapDecoder> decoder;
    if (FAILED(factory.p->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                    &decoder.p)))
        return false;
    Releaser<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder.p->GetFrame(0, &frame.p))) return false;
    Releaser<IWICBitmapSource> converted;
    if (FAILED(::WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.p, &converted.p))) return false;
    UINT width = 0, height = 0;
    if (FAILED(converted.p->GetSize(&width, &height))) return false;
    if (width == 0 || height == 0 || width > tavel::win::dib::kMaxBitmapSide ||
        height > tavel::win::dib::kMaxBitmapSide ||
        static_cast<long long>(width) * height > tavel::win::dib::kMaxBitmapPixels)
        return false;
    if (!out.create(static_cast<int>(width), static_cast<int>(height), 32)) return false;
    if (FAILED(converted.p->CopyPixels(nullptr, static_cast<UINT>(out.bytesPerRow()), static_cast<UINT>(out.byteSize()),
                                       out.pixels()))) {
        out.reset();
        return false;
    }
    // Notifications draw colour only: lay the picture over white.
    std::uint8_t* p = out.pixels();
    for (std::size_t i = 0; i < out.byteSize(); i += 4) {
        const unsigned a = p[i + 3];
        for (int c = 0; c < 3; ++c)
            p[i + c] = static_cast<std::uint8_t>((p[i + c] * a + 255 * (255 - a) + 127) / 255);
        p[i + 3] = 0;
    }
    return true;
}

}  // namespace artwork
}  // namespace tavelapp

// A Susie image decoder: PNG, JPEG and GIF (first frame) through stb_image.
// 32-bit, stdcall, undecorated exports (SusieStb.def); pictures come back as
// a packed DIB in two local-memory blocks, 32 bits per pixel, bottom-up.
#include <windows.h>

#include <cstring>
#include <string>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 16384
#include <stb_image.h>

namespace {

// Susie's result codes.
const int kSuccess = 0;
const int kUnknownFormat = 2;
const int kBrokenData = 3;
const int kNoMemory = 4;
const int kReadError = 6;
const int kNotImplemented = -1;

// Pictures bigger than this are refused rather than read into memory.
const DWORD kMaxFileBytes = 64u << 20;
// Nor is a picture decoded that the host would refuse: its size is read from
// the header first, so a small file cannot ask for a gigabyte of pixels.
const int kMaxSide = 4096;
const long long kMaxPixels = 1LL << 24;

bool knownSignature(const unsigned char* p, DWORD n) {
    if (n >= 8 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0) return true;
    if (n >= 3 && p[0] == 0xFF && p[1] == 0xD8 && p[2] == 0xFF) return true;
    return n >= 6 && (std::memcmp(p, "GIF87a", 6) == 0 || std::memcmp(p, "GIF89a", 6) == 0);
}

bool readFile(LPCSTR path, LONG offset, std::string& out) {
    HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = ::GetFileSizeEx(file, &size) && size.QuadPart >= offset && size.QuadPart - offset <= kMaxFileBytes &&
              ::SetFilePointer(file, offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
    if (ok) {
        out.resize(static_cast<std::size_t>(size.QuadPart - offset));
        DWORD read = 0;
        ok = out.empty() ||
             (::ReadFile(file, &out[0], static_cast<DWORD>(out.size()), &read, nullptr) && read == out.size());
    }
    ::CloseHandle(file);
    return ok;
}

int copyText(const char* text, LPSTR buf, int buflen) {
    if (buf == nullptr || buflen <= 0) return 0;
    const int n = static_cast<int>(std::strlen(text));
    const int copied = n < buflen - 1 ? n : buflen - 1;
    std::memcpy(buf, text, static_cast<std::size_t>(copied));
    buf[copied] = '\0';
    return copied;
}

}  // namespace

extern "C" {

int WINAPI GetPluginInfo(int infono, LPSTR buf, int buflen) {
    static const char* const info[] = {
        "00IN", "Kolibrix sample decoder (stb_image)", "*.png", "PNG", "*.jpg;*.jpeg", "JPEG", "*.gif", "GIF"};
    if (infono < 0 || infono >= static_cast<int>(sizeof(info) / sizeof(info[0]))) return 0;
    return copyText(info[infono], buf, buflen);
}

// `dw` is an open file handle when its high word is 0, else the address of
// the file's first 2 KB.
int WINAPI IsSupported(LPCSTR, DWORD dw) {
    unsigned char head[16] = {};
    DWORD n = 0;
    if ((dw & 0xFFFF0000u) == 0) {
        HANDLE file = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(dw));
        if (!::ReadFile(file, head, sizeof(head), &n, nullptr)) return 0;
    } else {
        std::memcpy(head, reinterpret_cast<const void*>(static_cast<ULONG_PTR>(dw)), sizeof(head));
        n = sizeof(head);
    }
    return knownSignature(head, n) ? 1 : 0;
}

// From a file (flag bits 0-2 = 0: `buf` is its path, `len` the offset) or
// from memory (1: `buf` holds `len` bytes).
int WINAPI GetPicture(LPCSTR buf, LONG len, UINT flag, HANDLE* pHBInfo, HANDLE* pHBm, FARPROC, LONG) {
    if (pHBInfo == nullptr || pHBm == nullptr) return kNotImplemented;
    *pHBInfo = nullptr;
    *pHBm = nullptr;
    std::string bytes;
    if ((flag & 7) == 0) {
        if (!readFile(buf, len, bytes)) return kReadError;
    } else if ((flag & 7) == 1) {
        if (buf == nullptr || len <= 0) return kBrokenData;
        bytes.assign(buf, static_cast<std::size_t>(len));
    } else {
        return kNotImplemented;
    }
    if (!knownSignature(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<DWORD>(bytes.size())))
        return kUnknownFormat;
    int width = 0, height = 0, channels = 0;
    const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int size = static_cast<int>(bytes.size());
    if (!stbi_info_from_memory(data, size, &width, &height, &channels)) return kBrokenData;
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide ||
        static_cast<long long>(width) * height > kMaxPixels)
        return kNoMemory;
    unsigned char* rgba = stbi_load_from_memory(data, size, &width, &height, &channels, 4);
    if (rgba == nullptr) return kBrokenData;

    const SIZE_T rowBytes = static_cast<SIZE_T>(width) * 4;
    HLOCAL info = ::LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER));
    HLOCAL bits = ::LocalAlloc(LMEM_MOVEABLE, rowBytes * static_cast<SIZE_T>(height));
    if (info == nullptr || bits == nullptr) {
        if (info) ::LocalFree(info);
        if (bits) ::LocalFree(bits);
        stbi_image_free(rgba);
        return kNoMemory;
    }
    auto* header = static_cast<BITMAPINFOHEADER*>(::LocalLock(info));
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;  // bottom-up, as most hosts expect
    header->biPlanes = 1;
    header->biBitCount = 32;
    header->biCompression = BI_RGB;
    header->biSizeImage = static_cast<DWORD>(rowBytes * static_cast<SIZE_T>(height));
    ::LocalUnlock(info);

    // RGBA to BGR laid over white: hosts of this convention ignore alpha.
    auto* out = static_cast<unsigned char*>(::LocalLock(bits));
    for (int y = 0; y < height; ++y) {
        const unsigned char* src = rgba + static_cast<SIZE_T>(y) * rowBytes;
        unsigned char* dst = out + static_cast<SIZE_T>(height - 1 - y) * rowBytes;
        for (int x = 0; x < width; ++x, src += 4, dst += 4) {
            const unsigned a = src[3];
            for (int c = 0; c < 3; ++c)
                dst[c] = static_cast<unsigned char>((src[2 - c] * a + 255 * (255 - a) + 127) / 255);
            dst[3] = 0;
        }
    }
    ::LocalUnlock(bits);
    stbi_image_free(rgba);
    *pHBInfo = info;
    *pHBm = bits;
    return kSuccess;
}

}  // extern "C"

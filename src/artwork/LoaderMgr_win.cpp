#include <windows.h>

#include <string>

#include "base/AppException.h"
#include "artwork/LoaderMgr.h"
#include "artwork/PackedDib.h"
#include "artwork/SusiePlugin.h"
#include "artwork/WicDecoder.h"
#include "config/Ini.h"
#include "res/resource.h"
#include "win/file/File.h"
#include "win/file/FileSystem.h"
#include "win/util/Handle.h"

namespace tavelapp {
namespace artwork {
namespace {

// The path in the system code page; false when some character has no
// place there (the decoders could not open such a path).
bool toAnsi(const std::wstring& path, std::string& out) {
    out.clear();
    if (path.empty()) return false;
    BOOL lossy = FALSE;
    const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), static_cast<int>(path.size()),
                                        nullptr, 0, nullptr, &lossy);
    if (n <= 0 || lossy) return false;
    out.resize(static_cast<std::size_t>(n));
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.c_str(), static_cast<int>(path.size()), &out[0], n,
                          nullptr, &lossy);
    return !lossy;
}

tavel::win::util::Handle openForReading(const std::wstring& path) {
    // Others may read it too: a notification and the editor can load the
    // same file at once.
    return tavel::win::util::Handle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

}  // namespace

PicturePtr LoaderMgr::load(const std::wstring& path, bool withPlaceholder) const {
    // Called on workers: one published snapshot for the whole load.
    const std::shared_ptr<const Settings> settings = Ini::snapshot();
    if (!settings->notify.showArtwork) return nullptr;
    {
        tavel::win::util::Handle probe = openForReading(path);
        if (!probe) return nullptr;
    }
    std::string ansi;
    // A path the code page cannot spell is for the built-in decoder only.
    if (toAnsi(path, ansi)) {
        std::vector<Loader*> accepting;
        for (const LoaderPtr& loader : loaders_) {
            tavel::win::util::Handle file = openForReading(path);
            if (!file) return nullptr;
            if (loader->isSupported(ansi, file.get())) accepting.push_back(loader.get());
        }
        for (Loader* loader : accepting) {
            tavel::win::dib::DIB dib;
            if (loader->getPicture(dib, ansi) && !dib.empty()) return std::make_shared<Picture>(std::move(dib));
        }
    }
    if (settings->artwork.useWic) {
        tavel::win::dib::DIB dib;
        if (decodeWithWic(path, dib)) return std::make_shared<Picture>(std::move(dib));
    }
    return withPlaceholder ? placeholder() : nullptr;
}

std::vector<LoaderPtr> LoaderMgr::loadSusiePlugins(const std::wstring& folder) {
    tavel::win::file::Dir(folder).create();
    std::vector<LoaderPtr> loaders;
    for (const std::wstring& name : tavel::win::file::listFiles(folder, L"*.spi")) {
        try {
            loaders.push_back(std::make_shared<SusiePlugin>(folder + L"\\" + name));
        } catch (const AppException&) {
            // Not a usable decoder: skipped without a word.
        }
    }
    return loaders;
}

PicturePtr LoaderMgr::placeholder() {
    static const PicturePtr picture = []() -> PicturePtr {
        HMODULE module = ::GetModuleHandleW(nullptr);
        HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(IDB_ARTWORK_PLACEHOLDER), MAKEINTRESOURCEW(2));
        if (found == nullptr) return nullptr;
        HGLOBAL loaded = ::LoadResource(module, found);
        const void* data = loaded ? ::LockResource(loaded) : nullptr;
        if (data == nullptr) return nullptr;
        // A bitmap resource is a packed DIB with its bits right after the colour table.
        const std::size_t size = ::SizeofResource(module, found);
        const auto* header = static_cast<const BITMAPINFOHEADER*>(data);
        if (size < sizeof(BITMAPINFOHEADER) || header->biSize != sizeof(BITMAPINFOHEADER) || header->biBitCount != 24)
            return nullptr;
        tavel::win::dib::DIB dib;
        const std::size_t headerSize = header->biSize;
        if (!packedDibToDib(data, headerSize, static_cast<const char*>(data) + headerSize, size - headerSize, dib))
            return nullptr;
        return std::make_shared<Picture>(std::move(dib));
    }();
    return picture;
}

}  // namespace artwork
}  // namespace tavelapp

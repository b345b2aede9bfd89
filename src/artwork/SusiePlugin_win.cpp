#include "artwork/SusiePlugin.h"

#include <windows.h>

#include <iterator>
#include <map>

#include "base/AppException.h"
#include "artwork/PackedDib.h"
#include "win/util/DllSearch.h"

namespace tavelapp {
namespace artwork {
namespace {

using IsSupportedProc = int(WINAPI*)(LPCSTR, DWORD);
using GetPictureProc = int(WINAPI*)(LPCSTR, LONG, UINT, HLOCAL*, HLOCAL*, FARPROC, LONG);

// Unlocks and frees a local-memory block the decoder handed over.
class LocalBlock {
public:
    explicit LocalBlock(HLOCAL h) : h_(h), p_(h ? ::LocalLock(h) : nullptr) {}
    ~LocalBlock() {
        if (p_ != nullptr) ::LocalUnlock(h_);
        if (h_ != nullptr) ::LocalFree(h_);
    }
    LocalBlock(const LocalBlock&) = delete;
    LocalBlock& operator=(const LocalBlock&) = delete;
    const void* data() const { return p_; }
    std::size_t size() const { return h_ ? ::LocalSize(h_) : 0; }

private:
    HLOCAL h_;
    void* p_;
};

// The lock of a loaded library, shared by all objects that loaded it; it goes
// with the last of them.
std::shared_ptr<std::mutex> libraryLock(HMODULE module) {
    static std::mutex registryLock;
    static std::map<HMODULE, std::weak_ptr<std::mutex>> registry;
    std::lock_guard<std::mutex> guard(registryLock);
    for (auto it = registry.begin(); it != registry.end();)
        it = it->second.expired() ? registry.erase(it) : std::next(it);
    std::weak_ptr<std::mutex>& slot = registry[module];
    std::shared_ptr<std::mutex> lock = slot.lock();
    if (!lock) {
        lock = std::make_shared<std::mutex>();
        slot = lock;
    }
    return lock;
}

}  // namespace

SusiePlugin::SusiePlugin(const std::wstring& path) {
    module_.reset(tavel::win::util::DllSearch::loadInstalled(path));
    if (!module_) throw AppException(L"Susie plugin load error");
    const HMODULE module = module_.get();
    getPluginInfo_ = reinterpret_cast<void*>(::GetProcAddress(module, "GetPluginInfo"));
    isSupported_ = reinterpret_cast<void*>(::GetProcAddress(module, "IsSupported"));
    getPicture_ = reinterpret_cast<void*>(::GetProcAddress(module, "GetPicture"));
    if (getPluginInfo_ == nullptr || isSupported_ == nullptr || getPicture_ == nullptr)
        throw AppException(L"Susie plugin load error");
    lock_ = libraryLock(module);
}

SusiePlugin::~SusiePlugin() = default;

bool SusiePlugin::isSupported(const std::string& path, void* file) {
    // The convention passes the handle as a 32-bit value.
    const DWORD handle = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(file));
    std::lock_guard<std::mutex> guard(*lock_);
    return reinterpret_cast<IsSupportedProc>(isSupported_)(path.c_str(), handle) != 0;
}

bool SusiePlugin::getPicture(tavel::win::dib::DIB& bitmap, const std::string& path) {
    HLOCAL info = nullptr;
    HLOCAL bits = nullptr;
    int result;
    {
        std::lock_guard<std::mutex> guard(*lock_);
        result = reinterpret_cast<GetPictureProc>(getPicture_)(path.c_str(), 0, 0, &info, &bits, nullptr, 0);
    }
    // Freed whatever the result: a failing decoder may still have left blocks.
    LocalBlock infoBlock(info);
    LocalBlock bitsBlock(bits);
    if (result != 0) return false;
    return packedDibToDib(infoBlock.data(), infoBlock.size(), bitsBlock.data(), bitsBlock.size(), bitmap);
}

}  // namespace artwork
}  // namespace tavelapp

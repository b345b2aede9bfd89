#pragma once
#include <memory>
#include <mutex>
#include <string>

#include "artwork/Loader.h"
#include "win/util/Handle.h"

namespace tavelapp {
namespace artwork {

// A decoder library of the Susie convention (32-bit, stdcall, undecorated
// exports). Loading fails with AppException("Susie plugin load error") when
// the library or any of its three exports is missing. Calls into one library
// are made one at a time, from whichever thread: old decoders keep global
// state, and every object loading the same library shares its lock.
class SusiePlugin : public Loader {
public:
    explicit SusiePlugin(const std::wstring& path);
    ~SusiePlugin() override;

    bool isSupported(const std::string& path, void* file) override;
    bool getPicture(tavel::win::dib::DIB& bitmap, const std::string& path) override;

private:
    tavel::win::util::Module module_;
    std::shared_ptr<std::mutex> lock_;
    void* getPluginInfo_ = nullptr;  // required by the convention, never called
    void* isSupported_ = nullptr;
    void* getPicture_ = nullptr;
};

}  // namespace artwork
}  // namespace tavelapp
